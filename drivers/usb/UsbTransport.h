#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The little of USB the board needs, so the loader and the requests can be tested against a
// fake device: the devices on the bus, opening and claiming one, and control transfers on
// endpoint 0.

struct UsbId {
    uint16_t vendor;
    uint16_t product;
    bool operator==(const UsbId&) const = default;
};

// A device on the bus. A device that leaves the bus and comes back (as the microcontroller does
// when its firmware starts) gets a new address on its bus, but keeps its place: the bus and the
// ports from the root hub down to it, as long as it stays in the same socket.
struct BusDevice {
    UsbId id;
    uint8_t bus;
    std::vector<uint8_t> ports;
    uint8_t address;
};

// The place as the kernel names it: "1-1.4" is port 4 of the hub in port 1 of bus 1.
std::string placeName(const BusDevice& device);
bool samePlace(const BusDevice& a, const BusDevice& b);

enum class Claim {
    Claimed,
    Busy,  // another program (or a kernel driver) holds the interface
    Failed,
};

class UsbDevice {
public:
    virtual ~UsbDevice() = default;
    // Takes the device's interface for this program until the device is closed: the kernel
    // lets only one program hold it.
    virtual Claim claim() = 0;
    // The bytes transferred in the data stage, or a negative error (a device gone included).
    virtual int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                        uint8_t* data, uint16_t length, unsigned timeoutMs) = 0;
};

class UsbTransport {
public:
    virtual ~UsbTransport() = default;
    // The devices now on the bus.
    virtual std::vector<BusDevice> devices() = 0;
    // Opens the device at that position of the last list, without claiming it; null when it
    // cannot be opened (no permission, gone).
    virtual std::unique_ptr<UsbDevice> open(std::size_t position) = 0;
    // The serial number the device at that position of the last list reports; empty when it
    // has none or cannot be asked.
    virtual std::string serial(std::size_t position) = 0;
    // Which other program has the device at that position of the last list open, as
    // "process 1234 (name)"; empty when the system does not tell.
    virtual std::string holder(std::size_t position) = 0;
};
