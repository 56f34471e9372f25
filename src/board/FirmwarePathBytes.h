#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The firmware image's path as the zero-terminated byte string that the driver library reads.
// Indices 0 to 512: the longest path that fits has 512 bytes, with its terminator at index 512.
// Bytes after the terminator are left as an earlier, longer path wrote them; the library reads
// only up to the first zero.
class FirmwarePathBytes {
public:
    static constexpr std::size_t kSize = 513;
    static constexpr std::size_t kLongestPath = kSize - 1;

    // Copies path (already in the file system's encoding) and its terminator. A path that does
    // not fit is refused whole: nothing is written and the result is false.
    bool SetFirmwarePath(std::string_view path);

    char* data() { return bytes_.data(); }
    const std::array<char, kSize>& bytes() const { return bytes_; }

private:
    std::array<char, kSize> bytes_{};
};
