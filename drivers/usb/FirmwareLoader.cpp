#include "FirmwareLoader.h"

#include <algorithm>

namespace ram_loader {

namespace {

constexpr uint8_t kVendorOut = 0x40;  // vendor request, host to device

bool write(UsbDevice& device, uint16_t address, const uint8_t* data, uint16_t length) {
    return device.control(kVendorOut, kWriteRam, address, 0, const_cast<uint8_t*>(data), length,
                          kTimeoutMs) == length;
}

bool setCpuReset(UsbDevice& device, bool held) {
    const uint8_t value = held ? 1 : 0;
    return write(device, kCpuControl, &value, 1);
}

}  // namespace

bool load(UsbDevice& device, const HexImage& image) {
    if (!setCpuReset(device, true)) return false;
    for (const HexRecord& record : image.records) {
        for (std::size_t at = 0; at < record.data.size(); at += kChunk) {
            const auto length =
                static_cast<uint16_t>(std::min<std::size_t>(kChunk, record.data.size() - at));
            const auto address = static_cast<uint16_t>(record.address + at);
            if (!write(device, address, record.data.data() + at, length)) return false;
        }
    }
    return setCpuReset(device, false);
}

}  // namespace ram_loader
