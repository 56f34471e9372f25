#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The little of USB the board needs, so the loader and the requests can be tested against a
// fake device: the identities on the bus, opening one, and control transfers on endpoint 0.

struct UsbId {
    uint16_t vendor;
    uint16_t product;
    bool operator==(const UsbId&) const = default;
};

// A device on the bus. A device that leaves the bus and comes back (as the microcontroller does
// when its firmware starts) gets a new address.
struct BusDevice {
    UsbId id;
    uint16_t address;  // bus number x 256 + device address
};

class UsbDevice {
public:
    virtual ~UsbDevice() = default;
    // The bytes transferred in the data stage, or a negative error (a device gone included).
    virtual int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                        uint8_t* data, uint16_t length, unsigned timeoutMs) = 0;
};

class UsbTransport {
public:
    virtual ~UsbTransport() = default;
    // The devices now on the bus, in a stable order.
    virtual std::vector<BusDevice> devices() = 0;
    // Opens the device at that place of the last list; null when it cannot be opened (no
    // permission, gone).
    virtual std::unique_ptr<UsbDevice> open(std::size_t position) = 0;
};
