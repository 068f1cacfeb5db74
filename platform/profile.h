// Private-profile (INI) files, read and written with the original platform's rules: "[name]" opens a
// section, "name=value" holds a key, names match without regard to ASCII letter case or to blanks around
// them, the first matching section and key win, and every other line (comments, junk, blank lines) is kept
// when the file is written.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Copies the value of `key` in `section` of the file at `path` into buffer (at most size-1 characters, then a
// NUL) and returns the number of characters copied. A missing file, section or key gives defaultValue
// (nullptr = ""), and so do null section or key pointers. A value in one pair of matching quotes (" or ') is
// read without them; a value holding a NUL byte ends there. With a null buffer or size 0 nothing is copied and
// 0 is returned. Reading and writing take time and memory in proportion to the file; paths are bytes.
std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                       char* buffer, std::uint32_t size, const std::string& path);

// Creates the file, the section and the key as needed, or replaces the key's value; every other line is kept
// in order. Returns false when the file could not be written (the old file is then left exactly as it was),
// when a pointer is null, or when the text could not be read back as written (a line break anywhere, "=" in
// the key or a key starting with ";" or "[", "]" in the section).
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const std::string& path);

}  // namespace platform
