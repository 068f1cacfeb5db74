// The settings file's rules checked on arbitrary file contents, for the fuzzer and for the replay of damaged
// files: reading never writes past the buffer, always ends the text with a NUL, cuts long values to the
// buffer and changes nothing; a write leaves the file readable, the written key reading back as written and
// every other key as it was, or refuses and leaves the file exactly as it was.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile.h"

namespace profile_check {

inline std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void replace(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

inline bool sameName(std::string_view a, std::string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

// Text that the C interface can carry: up to the first NUL.
inline std::string cString(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

struct Name {
    std::string section;
    std::string key;
};

// Section and key names as the damaged file itself spells them ("[name" up to "]", "name" before "="), so
// that reads and writes meet what is there, untrimmed, and the program's own names.
inline std::vector<Name> namesIn(std::string_view bytes) {
    std::vector<std::string> sections{"Data"}, keys{"X", "Y"};
    std::size_t start = 0;
    while (start < bytes.size() && (sections.size() < 3 || keys.size() < 4)) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        const std::string_view line = bytes.substr(start, end - start);
        if (const auto open = line.find('['); open != line.npos && sections.size() < 3)
            sections.push_back(cString(line.substr(open + 1, line.find(']', open) - open - 1)));
        else if (const auto equals = line.find('='); equals != line.npos && keys.size() < 4)
            keys.push_back(cString(line.substr(0, equals)));
        start = end + 1;
    }
    std::vector<Name> names;
    for (const std::string& section : sections)
        for (const std::string& key : keys) names.push_back({section, key});
    return names;
}

class Checker {
  public:
    explicit Checker(std::string path) : path_(std::move(path)) {}

    // Returns what went wrong, or nothing.
    std::string check(std::string_view bytes) {
        failure_.str({});
        replace(path_, bytes);
        const std::vector<Name> names = namesIn(bytes);
        const std::string file(bytes);
        std::vector<std::string> before;
        for (const Name& name : names) before.push_back(readChecked(name, file));
        if (contentsOf(path_) != bytes) fail("reading changed the file");

        const Name& target = names[bytes.size() % names.size()];
        const std::string value = valueFrom(bytes);
        const bool written = platform::WritePrivateProfileStringA(target.section.c_str(), target.key.c_str(),
                                                                  value.c_str(), path_);
        const std::string after = contentsOf(path_);
        if (!written) {
            if (after != bytes) fail("a refused write changed the file");
            if (plain(target.section) && plain(target.key))
                fail("refused to write [" + target.section + "] " + target.key);
            return failure_.str();
        }
        const std::string readBack = readChecked(target, after);
        if (readBack != trimmed(value))
            fail("[" + target.section + "] " + target.key + " reads back as '" + readBack +
                 "' after writing '" + value + "'");
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Name& other = names[i];
            if (sameName(other.section, target.section) && sameName(other.key, target.key)) continue;
            if (const std::string now = readWhole(other, after); now != before[i])
                fail("writing [" + target.section + "] " + target.key + " changed [" + other.section + "] " +
                     other.key + " from '" + before[i] + "' to '" + now + "'");
        }
        return failure_.str();
    }

  private:
    void fail(const std::string& what) {
        if (failure_.tellp() == 0) failure_ << what;
    }

    // Names the platform must be able to store: printable, no brackets, "=", ";" or blanks at the ends.
    static bool plain(std::string_view name) {
        return std::ranges::all_of(
                   name, [](char c) { return c >= ' ' && c <= '~' && std::strchr("[]=;", c) == nullptr; }) &&
               trimmed(name).size() == name.size();
    }

    // The last line of the input, without line breaks and NULs, as the value to write.
    static std::string valueFrom(std::string_view bytes) {
        std::string value(
            bytes.substr(bytes.find_last_of('\n') == bytes.npos ? 0 : bytes.find_last_of('\n') + 1));
        std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
        return value.substr(0, 600);
    }

    // One read into a buffer of `size` characters followed by guard bytes.
    std::string read(const Name& name, const char* defaultValue, std::uint32_t size) {
        constexpr std::size_t kGuard = 16;
        std::vector<char> buffer(size + kGuard, '\x5A');
        const std::uint32_t count = platform::GetPrivateProfileStringA(
            name.section.c_str(), name.key.c_str(), defaultValue, buffer.data(), size, path_);
        if (std::any_of(buffer.begin() + size, buffer.end(), [](char c) { return c != '\x5A'; }))
            fail("a read wrote past its buffer of " + std::to_string(size));
        if (size == 0) return {};
        if (count >= size || buffer[count] != '\0' || std::strlen(buffer.data()) != count) {
            fail("a read into " + std::to_string(size) + " characters returned " + std::to_string(count) +
                 " without ending the text there");
            return {};
        }
        return std::string(buffer.data(), count);
    }

    // The whole value, which the file must hold somewhere.
    std::string readWhole(const Name& name, const std::string& file) {
        const std::string value = read(name, nullptr, static_cast<std::uint32_t>(file.size() + 2));
        if (!value.empty() && file.find(value) == std::string::npos)
            fail("read '" + value + "', which the file does not hold");
        return value;
    }

    // The whole value, the same value cut to smaller buffers, and the default only where the key is missing.
    std::string readChecked(const Name& name, const std::string& file) {
        const std::string value = readWhole(name, file);
        for (const std::uint32_t size : {0u, 1u, 2u, static_cast<std::uint32_t>(file.size() % 97 + 3)}) {
            const std::string cut = read(name, nullptr, size);
            if (size > 0 && cut != value.substr(0, size - 1))
                fail("a read into " + std::to_string(size) + " characters gave '" + cut +
                     "' instead of the start of '" + value + "'");
        }
        constexpr std::string_view kDefault = "\x01-default";
        const std::string withDefault =
            read(name, kDefault.data(), static_cast<std::uint32_t>(file.size() + kDefault.size() + 1));
        if (withDefault != value && !(value.empty() && withDefault == kDefault))
            fail("a read with a default gave '" + withDefault + "' where the value is '" + value + "'");
        return value;
    }

    std::string path_;
    std::ostringstream failure_;
};

}  // namespace profile_check
