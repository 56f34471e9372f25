#include "UsbBoard.h"

#include <algorithm>
#include <utility>

#include "FirmwareLoader.h"
#include "IntelHex.h"
#include "driver_abi/DriverAbi.h"

UsbBoard::UsbBoard(std::unique_ptr<UsbTransport> transport, Identities ids, Sleep sleep)
    : transport_(std::move(transport)), ids_(ids), sleep_(std::move(sleep)) {}

std::vector<std::pair<std::size_t, BusDevice>> UsbBoard::boards() {
    std::vector<std::pair<std::size_t, BusDevice>> found;
    const std::vector<BusDevice> devices = transport_->devices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].id == ids_.loader || devices[i].id == ids_.running)
            found.emplace_back(i, devices[i]);
    }
    return found;
}

int UsbBoard::search(uint8_t* list) {
    const auto found = boards();
    const std::size_t count = std::min<std::size_t>(found.size(), 127);
    for (std::size_t i = 0; i < count; ++i)
        list[i] = static_cast<uint8_t>(i + 1);
    return static_cast<int>(count);
}

int32_t UsbBoard::connect(uint8_t board) {
    device_.reset();
    handle_ = 0;
    const auto found = boards();
    if (board == 0 || board > found.size()) return 0;
    device_ = transport_->open(found[board - 1].first);
    if (!device_) return 0;
    deviceAddress_ = found[board - 1].second.address;
    handle_ = board;
    return handle_;
}

int16_t UsbBoard::loadFirmware(const char* path) {
    // The whole file is checked before anything is sent, so a bad file never starts a load.
    const HexResult image = readIntelHexFile(path);
    if (!image.image) return kBadImage;
    if (!device_) return kNoBoard;
    if (!ram_loader::load(*device_, *image.image)) return kTransferFailed;
    device_.reset();
    return waitForRunningBoard(deviceAddress_);
}

// The microcontroller leaves the bus and comes back with its firmware's identity.
int16_t UsbBoard::waitForRunningBoard(uint16_t loadedAt) {
    const std::chrono::milliseconds step{100};
    for (auto waited = std::chrono::milliseconds{0}; waited < kReconnectWait; waited += step) {
        sleep_(step);
        for (const auto& [position, device] : boards()) {
            if (!(device.id == ids_.running) || device.address == loadedAt) continue;
            device_ = transport_->open(position);
            if (!device_) continue;
            deviceAddress_ = device.address;
            return 0;
        }
    }
    handle_ = 0;
    return kNoReconnect;
}

int16_t UsbBoard::openFirstBoard(const char* path) {
    uint8_t list[driver_abi::kBoardListSize] = {};
    if (search(list) == 0 || connect(list[0]) == 0) {
        return readIntelHexFile(path).image ? kNoBoard : kBadImage;
    }
    return loadFirmware(path);
}

int16_t UsbBoard::request(int code, int32_t value, int32_t index, int direction, int length,
                          uint8_t* buffer) {
    if (!device_) return kNoBoard;
    if (value < 0 || value > 0xFFFF || index < 0 || index > 0xFFFF || length < 0 ||
        length > 0xFFFF || (length > 0 && buffer == nullptr)) {
        return kTransferFailed;
    }
    const uint8_t requestType = direction == 1 ? 0xC0 : 0x40;  // vendor, device to/from host
    const int moved = device_->control(requestType, static_cast<uint8_t>(code),
                                       static_cast<uint16_t>(value), static_cast<uint16_t>(index),
                                       buffer, static_cast<uint16_t>(length), kRequestTimeoutMs);
    return moved == length ? 0 : kTransferFailed;
}
