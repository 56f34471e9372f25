#include "UsbTransport.h"

std::string placeName(const BusDevice& device) {
    std::string name = std::to_string(device.bus);
    char separator = '-';
    for (const uint8_t port : device.ports) {
        name += separator;
        name += std::to_string(port);
        separator = '.';
    }
    return name;
}

bool samePlace(const BusDevice& a, const BusDevice& b) {
    return a.bus == b.bus && a.ports == b.ports;
}
