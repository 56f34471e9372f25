#include "vxi11/RecordFramer.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr uint32_t kLastFragment = 0x80000000U;

}  // namespace

bool RecordFramer::take(std::string_view bytes,
                        const std::function<bool(std::string_view)>& onRecord) {
    while (!bytes.empty()) {
        if (!inFragment_) {
            const std::size_t n = std::min<std::size_t>(4 - header_.size(), bytes.size());
            header_.append(bytes.substr(0, n));
            bytes.remove_prefix(n);
            if (header_.size() < 4) return true;
            uint32_t word = 0;
            for (const char c : header_)
                word = word << 8 | static_cast<unsigned char>(c);
            header_.clear();
            fragmentLeft_ = word & ~kLastFragment;
            lastFragment_ = (word & kLastFragment) != 0;
            if (record_.size() + fragmentLeft_ > longest_) return false;
            inFragment_ = true;
        }
        const std::size_t n = std::min(fragmentLeft_, bytes.size());
        record_.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
        fragmentLeft_ -= n;
        if (fragmentLeft_ != 0) return true;
        inFragment_ = false;
        if (!lastFragment_) continue;
        const std::string record = std::exchange(record_, {});
        if (!onRecord(record)) return false;
    }
    return true;
}

std::string RecordFramer::frame(std::string_view record) {
    const auto word = static_cast<uint32_t>(record.size()) | kLastFragment;
    std::string bytes;
    for (const int shift : {24, 16, 8, 0})
        bytes += static_cast<char>((word >> shift) & 0xFF);
    return bytes.append(record);
}
