#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Where the server listens, as --listen gives it: "HOST:PORT" or "[IPv6]:PORT", a port from 1
// to 65535 or 0 for any free one.
struct ListenAddress {
    std::string host;  // without the brackets of an IPv6 address
    uint16_t port = 0;
};

// The address text gives; nothing when it is not of that form.
std::optional<ListenAddress> readListenAddress(std::string_view text);

// What the form is, for the message that refuses another.
inline constexpr std::string_view kListenForm =
    "HOST:PORT or [IPv6]:PORT with a port from 1 to 65535 (0: any free one), e.g. "
    "127.0.0.1:5025";
