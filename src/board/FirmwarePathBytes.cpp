#include "board/FirmwarePathBytes.h"

#include <algorithm>

bool FirmwarePathBytes::SetFirmwarePath(std::string_view path) {
    if (path.size() > kLongestPath) {
        return false;
    }
    std::copy(path.begin(), path.end(), bytes_.begin());
    bytes_[path.size()] = '\0';
    return true;
}
