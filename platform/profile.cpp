#include "platform/profile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// One line of the file: its text and the line end that followed it ("\n", "\r\n", or "" at the very end).
struct Line {
    std::string text;
    std::string end;
};

// Where a section and a key stand in the file, as line numbers.
struct Place {
    std::optional<std::size_t> section;
    std::optional<std::size_t> key;
    std::size_t lastKeyLine = 0;  // the section's last key line, or its header when it has no keys
};

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

// "[name]" with blanks allowed around it; a header without "]" names the rest of the line.
std::optional<std::string_view> sectionName(std::string_view line) {
    const std::string_view text = trimBlanks(line);
    if (!text.starts_with('[')) return std::nullopt;
    const std::string_view inside = text.substr(1);
    return trimBlanks(inside.substr(0, inside.find(']')));
}

struct Key {
    std::string_view name;
    std::string_view value;
};

// "name=value"; comment lines (";") and lines without "=" hold no key.
std::optional<Key> keyOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || trimBlanks(line).starts_with(';')) return std::nullopt;
    return Key{trimBlanks(line.substr(0, equals)), trimBlanks(line.substr(equals + 1))};
}

std::vector<Line> splitLines(std::string_view body) {
    std::vector<Line> lines;
    while (!body.empty()) {
        const std::size_t newline = body.find('\n');
        std::string_view text = body.substr(0, newline);
        std::string_view end = newline == std::string_view::npos ? "" : "\n";
        body.remove_prefix(std::min(body.size(), text.size() + end.size()));
        if (text.ends_with('\r')) {
            text.remove_suffix(1);
            end = end.empty() ? "\r" : "\r\n";
        }
        lines.push_back({std::string(text), std::string(end)});
    }
    return lines;
}

Place locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    // The names asked for are trimmed like the names in the file, so that whatever is written reads back.
    section = trimBlanks(section);
    key = trimBlanks(key);
    Place place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].text)) {
            if (place.section) break;  // the first matching section is over
            if (sameName(*name, section)) place.section = place.lastKeyLine = i;
        } else if (const auto found = keyOf(lines[i].text); found && place.section) {
            place.lastKeyLine = i;
            if (sameName(found->name, key)) {
                place.key = i;
                break;
            }
        }
    }
    return place;
}

// The whole file; empty when there is none, nothing when it exists but cannot be read as a regular file
// (a directory, a pipe that would block, a file without read permission).
std::optional<std::string> readFile(const QString& path) {
    std::error_code error;
    const auto type = std::filesystem::status(path.toStdString(), error).type();
    if (type == std::filesystem::file_type::not_found) return std::string();
    QFile file(path);
    if (type != std::filesystem::file_type::regular || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes.toStdString();
}

std::string_view withoutBom(std::string_view content) {
    return content.starts_with(kBom) ? content.substr(kBom.size()) : content;
}

std::uint32_t copyOut(std::string_view text, char* buffer, std::uint32_t size) {
    const std::size_t count = text.substr(0, text.find('\0')).copy(buffer, size - 1);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

// New lines follow the file's own line ends; a file without any gets "\n".
std::string lineEnd(const std::vector<Line>& lines) {
    const auto ended = std::ranges::find_if(lines, [](const Line& line) { return !line.end.empty(); });
    return ended == lines.end() || ended->end == "\r" ? "\n" : ended->end;
}

// Lets another line follow the file's last line: one without an end gets the file's line end, and one that
// ends in a lone "\r", which is no line break to a reader, gets the "\n" that makes it one.
void endLastLine(Line& line, const std::string& end) {
    if (line.end.empty())
        line.end = end;
    else if (line.end == "\r")
        line.end = "\r\n";
}

// Puts `line` after line `at`.
void insertAfter(std::vector<Line>& lines, std::size_t at, std::string line, const std::string& end) {
    endLastLine(lines[at], end);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at) + 1, {std::move(line), end});
}

std::string withValue(std::string_view body, std::string_view section, std::string_view key,
                      std::string_view value) {
    std::vector<Line> lines = splitLines(body);
    const std::string end = lineEnd(lines);
    const Place place = locate(lines, section, key);
    if (place.key) {
        // The file's own spelling of the name is kept.
        lines[*place.key].text = std::string(keyOf(lines[*place.key].text)->name) + "=" + std::string(value);
    } else if (place.section) {
        insertAfter(lines, place.lastKeyLine, std::string(key) + "=" + std::string(value), end);
    } else {
        if (!lines.empty()) endLastLine(lines.back(), end);
        lines.push_back({"[" + std::string(section) + "]", end});
        lines.push_back({std::string(key) + "=" + std::string(value), end});
    }
    std::string joined;
    for (const Line& line : lines) joined += line.text + line.end;
    return joined;
}

// Text that would read back as something else is not written: a line break would split the line, "=" in a
// key or "]" in a section would move the boundary between name and value, and a key line starting with ";"
// or "[" would be a comment or a section header.
bool storable(std::string_view section, std::string_view key, std::string_view value) {
    const auto hasBreak = [](std::string_view text) { return text.find_first_of("\r\n") != text.npos; };
    const std::string_view keyName = trimBlanks(key);
    return !hasBreak(section) && !hasBreak(key) && !hasBreak(value) && key.find('=') == key.npos &&
           section.find(']') == section.npos && !keyName.starts_with(';') && !keyName.starts_with('[');
}

// The old file is replaced only once the new one is completely on disk.
bool saveAtomically(const QString& path, const std::string& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(content.data(), static_cast<qint64>(content.size()));
    return file.commit();
}

}  // namespace

std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                       char* buffer, std::uint32_t size, const std::string& path) {
    if (buffer == nullptr || size == 0) return 0;
    std::string_view result = defaultValue != nullptr ? defaultValue : "";
    if (section == nullptr || key == nullptr) return copyOut(result, buffer, size);
    const std::string content = readFile(QFile::decodeName(path.c_str())).value_or(std::string());
    const std::vector<Line> lines = splitLines(withoutBom(content));
    if (const Place place = locate(lines, section, key); place.key) {
        result = keyOf(lines[*place.key].text)->value;
    }
    return copyOut(result, buffer, size);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const std::string& path) {
    if (section == nullptr || key == nullptr || value == nullptr || !storable(section, key, value))
        return false;
    const QString filePath = QFile::decodeName(path.c_str());
    const std::optional<std::string> old = readFile(filePath);
    if (!old) return false;  // rewriting a file we cannot read would lose its contents
    const std::string_view body = withoutBom(*old);
    const std::string bom(old->substr(0, old->size() - body.size()));
    return saveAtomically(filePath, bom + withValue(body, section, key, value));
}

}  // namespace platform
