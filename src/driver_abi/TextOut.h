#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// How a driver library hands text to the program: into the caller's buffer, always
// zero-terminated, never past its size.
namespace driver_abi {

// False, with text left empty, when what does not fit whole.
inline bool writeText(const std::string& what, char* text, int32_t size) {
    if (text == nullptr || size <= 0) return false;
    const bool fits = what.size() < static_cast<std::size_t>(size);
    const std::size_t length = fits ? what.size() : 0;
    std::memcpy(text, what.data(), length);
    text[length] = '\0';
    return fits;
}

// The board list's lines, each ended by a newline; the number of lines, or -1 when they do not
// fit.
inline int32_t writeLines(const std::vector<std::string>& lines, char* text, int32_t size) {
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return writeText(all, text, size) ? static_cast<int32_t>(lines.size()) : -1;
}

}  // namespace driver_abi
