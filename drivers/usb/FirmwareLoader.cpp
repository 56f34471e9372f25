#include "FirmwareLoader.h"

#include <algorithm>

namespace ram_loader {

namespace {

constexpr uint8_t kVendorOut = 0x40;  // vendor request, host to device

bool write(UsbDevice& device, uint16_t address, const uint8_t* data, uint16_t length) {
    return device.control(kVendorOut, kWriteRam, address, 0, const_cast<uint8_t*>(data), length,
                          kTimeoutMs) == length;
}

// libusb's errors for a device that went away in the middle of a transfer.
constexpr int kIoError = -1;
constexpr int kNoDevice = -4;
constexpr int kPipeError = -9;

bool holdCpu(UsbDevice& device) {
    const uint8_t held = 1;
    return write(device, kCpuControl, &held, 1);
}

bool startCpu(UsbDevice& device) {
    uint8_t run = 0;
    const int result = device.control(kVendorOut, kWriteRam, kCpuControl, 0, &run, 1, kTimeoutMs);
    return result == 1 || result == kIoError || result == kNoDevice || result == kPipeError;
}

}  // namespace

bool load(UsbDevice& device, const HexImage& image) {
    if (!holdCpu(device)) return false;
    for (const HexRecord& record : image.records) {
        for (std::size_t at = 0; at < record.data.size(); at += kChunk) {
            const auto length =
                static_cast<uint16_t>(std::min<std::size_t>(kChunk, record.data.size() - at));
            const auto address = static_cast<uint16_t>(record.address + at);
            if (!write(device, address, record.data.data() + at, length)) return false;
        }
    }
    return startCpu(device);
}

}  // namespace ram_loader
