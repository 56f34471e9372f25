#pragma once

#include <memory>
#include <string>
#include <vector>

// Services announced on the local network with multicast DNS, through avahi-daemon, for as
// long as this lives, so instrument tools list them without an address typed. Announced on
// every interface; a name another host has taken is changed to the next free one ("... #2").
class ServiceAnnouncement {
public:
    struct Service {
        std::string type;  // "_scpi-raw._tcp"
        int port;
    };
    // The longest name multicast DNS takes for an instance; a longer one is cut.
    static constexpr std::size_t kLongestName = 63;

    // Throws std::runtime_error when avahi-daemon cannot be reached. Later failures (the
    // daemon gone, a service refused) are said on standard error.
    ServiceAnnouncement(const std::string& name, std::vector<Service> services);
    ~ServiceAnnouncement();
    ServiceAnnouncement(const ServiceAnnouncement&) = delete;
    ServiceAnnouncement& operator=(const ServiceAnnouncement&) = delete;

private:
    struct Avahi;
    std::unique_ptr<Avahi> avahi_;
};
