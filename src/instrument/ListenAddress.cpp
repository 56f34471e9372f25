#include "instrument/ListenAddress.h"

#include <algorithm>
#include <cctype>

namespace {

std::optional<uint16_t> readPort(std::string_view text) {
    constexpr std::size_t kMostDigits = 5;
    if (text.empty() || text.size() > kMostDigits) return std::nullopt;
    const bool digits = std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (!digits) return std::nullopt;
    const unsigned long port = std::stoul(std::string(text));
    if (port > 65535) return std::nullopt;
    return static_cast<uint16_t>(port);
}

}  // namespace

std::optional<ListenAddress> readListenAddress(std::string_view text) {
    std::string_view host;
    std::string_view port;
    if (text.starts_with('[')) {
        const std::size_t close = text.find("]:");
        if (close == std::string_view::npos) return std::nullopt;
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const std::size_t colon = text.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    const auto number = readPort(port);
    if (host.empty() || !number) return std::nullopt;
    return ListenAddress{std::string(host), *number};
}
