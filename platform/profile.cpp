#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace platform {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// One line of the file, as offsets into it: its text, and where its line end (if any) ends. A "\r" before
// "\n", or at the very end of the file, belongs to the line end.
struct Line {
    std::size_t begin = 0, textEnd = 0, end = 0;
};

// Where a section and a key stand in the file.
struct Place {
    std::optional<Line> section;
    std::optional<Line> key;
    Line lastKey;  // the section's last key line, or its header when it has no keys
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

// The line that starts at `begin` (which must be inside the body).
Line lineAt(std::string_view body, std::size_t begin) {
    const std::size_t newline = body.find('\n', begin);
    Line line{begin, newline == std::string_view::npos ? body.size() : newline, 0};
    line.end = newline == std::string_view::npos ? body.size() : newline + 1;
    if (line.textEnd > begin && body[line.textEnd - 1] == '\r') --line.textEnd;
    return line;
}

std::string_view textOf(std::string_view body, const Line& line) {
    return body.substr(line.begin, line.textEnd - line.begin);
}

Place locate(std::string_view body, std::string_view section, std::string_view key) {
    // The names asked for are trimmed like the names in the file, so that whatever is written reads back.
    section = trimBlanks(section);
    key = trimBlanks(key);
    Place place;
    // Only a line with "[" or "=" in it can be a section header or a key: the others are passed over at once.
    std::size_t bracket = body.find('['), equals = body.find('=');
    for (std::size_t at = std::min(bracket, equals); at != std::string_view::npos;) {
        const Line line = lineAt(body, body.rfind('\n', at) + 1);  // (not found: npos + 1 is 0)
        const std::string_view text = textOf(body, line);
        if (const auto name = sectionName(text)) {
            if (place.section) break;  // the first matching section is over
            if (sameName(*name, section)) place.section = place.lastKey = line;
        } else if (const auto found = keyOf(text); found && place.section) {
            place.lastKey = line;
            if (sameName(found->name, key)) {
                place.key = line;
                break;
            }
        }
        if (bracket < line.end) bracket = body.find('[', line.end);
        if (equals < line.end) equals = body.find('=', line.end);
        at = std::min(bracket, equals);
    }
    return place;
}

// The whole file; empty when there is none, nothing when it exists but cannot be read as a regular file
// (a directory, a pipe that would block, a file without read permission). Paths are bytes: any name works.
std::optional<std::string> readFile(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? std::optional<std::string>("") : std::nullopt;
    const int file = S_ISREG(info.st_mode) ? open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (file < 0) return std::nullopt;
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[1 << 16];
    ssize_t got = 0;
    while ((got = read(file, chunk, sizeof chunk)) > 0) content.append(chunk, static_cast<std::size_t>(got));
    close(file);
    if (got < 0) return std::nullopt;
    return content;
}

std::string_view withoutBom(std::string_view content) {
    return content.starts_with(kBom) ? content.substr(kBom.size()) : content;
}

// A value between one pair of matching quotes is read without them.
std::string_view unquoted(std::string_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

std::uint32_t copyOut(std::string_view text, char* buffer, std::uint32_t size) {
    const std::size_t count = text.substr(0, text.find('\0')).copy(buffer, size - 1);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

// New lines follow the file's own line ends; a file without any gets "\n".
std::string_view lineEnd(std::string_view body) {
    const std::size_t newline = body.find('\n');
    return newline != std::string_view::npos && newline > 0 && body[newline - 1] == '\r' ? "\r\n" : "\n";
}

// What lets another line follow `line`: the file's line end after a last line without one, and after a last
// line ending in a lone "\r", which is no line break to a reader, the "\n" that makes it one.
std::string_view breakAfter(std::string_view body, const Line& line) {
    if (line.end > line.textEnd && body[line.end - 1] == '\n') return {};
    return line.end > line.textEnd ? "\n" : lineEnd(body);
}

// The file with the key's value replaced, or the key or the section added, in one pass over it.
std::string withValue(std::string_view bom, std::string_view body, std::string_view section,
                      std::string_view key, std::string_view value) {
    const Place place = locate(body, section, key);
    const std::string_view end = lineEnd(body);
    std::string joined;
    joined.reserve(bom.size() + body.size() + section.size() + key.size() + value.size() + 8);
    joined.append(bom);
    if (place.key) {
        // The file's own spelling of the name is kept.
        joined.append(body.substr(0, place.key->begin)).append(keyOf(textOf(body, *place.key))->name);
        joined.append("=").append(value).append(body.substr(place.key->textEnd));
    } else if (place.section) {
        const Line& after = place.lastKey;
        joined.append(body.substr(0, after.end)).append(breakAfter(body, after));
        joined.append(key).append("=").append(value).append(end).append(body.substr(after.end));
    } else {
        joined.append(body);
        if (!body.empty()) joined.append(breakAfter(body, lineAt(body, body.rfind('\n', body.size() - 2) + 1)));
        joined.append("[").append(section).append("]").append(end).append(key).append("=").append(value);
        joined.append(end);
    }
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

bool writeAll(int file, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = write(file, content.data(), content.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The old file is replaced only once the new one is completely on disk, beside it, with its permissions.
bool saveAtomically(const std::string& path, std::string_view content) {
    char resolved[PATH_MAX];
    const std::string target = realpath(path.c_str(), resolved) != nullptr ? resolved : path;
    struct stat old {};
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t mode = stat(target.c_str(), &old) == 0 ? old.st_mode & 07777 : 0666 & ~mask;
    std::string temporary = target + ".XXXXXX";
    const int file = mkstemp(temporary.data());
    if (file < 0) return false;
    bool saved = fchmod(file, mode) == 0 && writeAll(file, content) && fsync(file) == 0;
    saved = close(file) == 0 && saved;
    saved = saved && rename(temporary.c_str(), target.c_str()) == 0;
    if (!saved) unlink(temporary.c_str());
    return saved;
}

}  // namespace

std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                       char* buffer, std::uint32_t size, const std::string& path) {
    if (buffer == nullptr || size == 0) return 0;
    std::string_view result = defaultValue != nullptr ? defaultValue : "";
    if (section == nullptr || key == nullptr) return copyOut(result, buffer, size);
    const std::string content = readFile(path).value_or(std::string());
    const std::string_view body = withoutBom(content);
    if (const Place place = locate(body, section, key); place.key)
        result = unquoted(keyOf(textOf(body, *place.key))->value);
    return copyOut(result, buffer, size);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const std::string& path) {
    if (section == nullptr || key == nullptr || value == nullptr || !storable(section, key, value))
        return false;
    const std::optional<std::string> old = readFile(path);
    if (!old) return false;  // rewriting a file we cannot read would lose its contents
    const std::string_view body = withoutBom(*old);
    const std::string_view bom = std::string_view(*old).substr(0, old->size() - body.size());
    return saveAtomically(path, withValue(bom, body, section, key, value));
}

}  // namespace platform
