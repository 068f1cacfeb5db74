// The settings file's rules checked on any file contents, for the fuzzer and for the replay of damaged files:
// a read stays in its buffer, ends the text with a NUL, cuts long values and changes nothing; a write leaves
// the written key reading back as written and every other key as it was, or refuses and changes nothing.
#pragma once

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile.h"

namespace profile_check {

inline std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void replace(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    return first == text.npos ? ""
                              : std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

inline bool sameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(trimmed(a), trimmed(b), [&](char x, char y) { return lower(x) == lower(y); });
}

// A name that must be storable: printable, no brackets, "=" or ";", no blanks at its ends.
inline bool plain(std::string_view name) {
    return trimmed(name) == name && std::ranges::all_of(name, [](char c) {
               return c >= ' ' && c <= '~' && std::strchr("[]=;", c) == nullptr;
           });
}

// What a read gives when a rule broke: a NUL, which no value read can hold (values end at their first NUL).
inline const std::string kBroken(1, '\0');

// The value read into a buffer of `size` characters with guard bytes after it (511, as the program reads);
// kBroken when a rule broke.
inline std::string read(const std::string& path, const std::string& section, const std::string& key,
                        std::size_t size = 511, const char* fallback = nullptr) {
    std::vector<char> buffer(size + 16, 'Z');
    const auto count = platform::GetPrivateProfileStringA(
        section.c_str(), key.c_str(), fallback, buffer.data(), static_cast<std::uint32_t>(size), path);
    const bool kept =
        std::all_of(buffer.begin() + std::ptrdiff_t(size), buffer.end(), [](char c) { return c == 'Z'; });
    if (!kept || count >= size || buffer[count] != '\0' || std::strlen(buffer.data()) != count)
        return kBroken;
    return std::string(buffer.data(), count);
}

// What broke, or "" when every rule held.
inline std::string check(const std::string& path, std::string_view bytes) {
    replace(path, bytes);
    // The program's own names, and names as the file spells them (up to a NUL, which no name can hold).
    std::vector<std::string> sections{"Data"}, keys{"X", "Y"};
    for (std::size_t start = 0; start < bytes.size() && sections.size() + keys.size() < 7;) {
        const std::string_view line = bytes.substr(start, bytes.find('\n', start) - start);
        const std::string name(line.substr(0, line.find('\0')));
        if (const auto open = name.find('['); open != name.npos)
            sections.push_back(name.substr(open + 1, name.find(']', open) - open - 1));
        else if (name.find('=') != name.npos)
            keys.push_back(name.substr(0, name.find('=')));
        start += line.size() + 1;
    }
    const std::size_t whole = bytes.size() + 2;
    std::vector<std::string> before;
    for (const auto& section : sections)
        for (const auto& key : keys) {
            before.push_back(read(path, section, key, whole));
            if (before.back() == kBroken || read(path, section, key, 5) != before.back().substr(0, 4))
                return "a read of [" + section + "] " + key + " broke its buffer";
        }
    if (contentsOf(path) != bytes) return "reading changed the file";

    // The last line, without line breaks and NULs, written under one of the names.
    std::string value(
        bytes.substr(bytes.find_last_of('\n') == bytes.npos ? 0 : bytes.find_last_of('\n') + 1));
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    const std::string &section = sections[bytes.size() % sections.size()],
                      &key = keys[bytes.size() % keys.size()];
    if (!platform::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path)) {
        if (contentsOf(path) != bytes) return "a refused write changed the file";
        return plain(section) && plain(key) ? "refused to write [" + section + "] " + key : "";
    }
    const std::size_t size = whole + value.size();
    std::string expected = trimmed(value);  // one pair of matching quotes around it is read without them
    if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') && expected.back() == expected[0])
        expected = expected.substr(1, expected.size() - 2);
    if (read(path, section, key, size) != expected) return "[" + section + "] " + key + " reads back wrong";
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::string &s = sections[i / keys.size()], &k = keys[i % keys.size()];
        if (!(sameName(s, section) && sameName(k, key)) && read(path, s, k, size) != before[i])
            return "writing [" + section + "] " + key + " changed [" + s + "] " + k;
    }
    return "";
}

}  // namespace profile_check
