#pragma once

#include <libusb.h>

#include "UsbTransport.h"

// USB through libusb-1.0. Where there is no USB at all (a machine without /dev/bus/usb), it
// simply sees no devices.
class LibusbTransport : public UsbTransport {
public:
    LibusbTransport();
    ~LibusbTransport() override;
    LibusbTransport(const LibusbTransport&) = delete;
    LibusbTransport& operator=(const LibusbTransport&) = delete;

    std::vector<BusDevice> devices() override;
    std::unique_ptr<UsbDevice> open(std::size_t position) override;
    std::string serial(std::size_t position) override;
    std::string holder(std::size_t position) override;

private:
    void releaseList();

    libusb_context* context_ = nullptr;
    libusb_device** list_ = nullptr;
    std::size_t count_ = 0;
};
