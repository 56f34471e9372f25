#include "UsbBoard.h"

#include <algorithm>
#include <utility>

#include "FirmwareLoader.h"
#include "IntelHex.h"
#include "driver_abi/DriverAbi.h"

UsbBoard::UsbBoard(std::unique_ptr<UsbTransport> transport, Identities ids, Sleep sleep)
    : transport_(std::move(transport)), ids_(ids), sleep_(std::move(sleep)) {}

namespace {

// The virtual board's own image carries this text and nothing a microcontroller could run.
bool isVirtualBoardImage(const HexImage& image) {
    std::string bytes;
    for (const HexRecord& record : image.records)
        bytes.append(record.data.begin(), record.data.end());
    return bytes.find("virtual evaluation board firmware image") != std::string::npos;
}

}  // namespace

std::vector<UsbBoard::Found> UsbBoard::allBoards() {
    std::vector<Found> found;
    const std::vector<BusDevice> devices = transport_->devices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].id == ids_.loader || devices[i].id == ids_.running)
            found.push_back({i, devices[i]});
    }
    // The bus's own order changes as devices come and go; their places do not.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.device.bus, a.device.ports) < std::tie(b.device.bus, b.device.ports);
    });
    return found;
}

std::vector<UsbBoard::Found> UsbBoard::boards() {
    std::vector<Found> found = allBoards();
    if (chosen_.empty()) return found;
    std::erase_if(found, [this](const Found& f) { return placeName(f.device) != chosen_; });
    return found;
}

std::vector<std::string> UsbBoard::describeBoards() {
    std::vector<std::string> lines;
    for (const auto& [position, device] : allBoards()) {
        const bool loader = device.id == ids_.loader && !(device.id == ids_.running);
        std::string line = placeName(device) + (loader ? " loader" : " running");
        const std::string serial = transport_->serial(position);
        if (!serial.empty()) line += " " + serial;
        lines.push_back(line);
    }
    return lines;
}

int UsbBoard::search(uint8_t* list) {
    const auto found = boards();
    const std::size_t count = std::min<std::size_t>(found.size(), 127);
    for (std::size_t i = 0; i < count; ++i)
        list[i] = static_cast<uint8_t>(i + 1);
    return static_cast<int>(count);
}

int16_t UsbBoard::fail(int16_t result, std::string why) {
    failed_ = result;
    failure_ = std::move(why);
    return result;
}

std::string UsbBoard::noBoardText() {
    if (chosen_.empty()) return "no XT4830R evaluation board on USB";
    std::string text = "no evaluation board is at " + chosen_;
    const auto others = allBoards();
    for (std::size_t i = 0; i < others.size(); ++i)
        text += (i == 0 ? "; the boards on the bus are at " : ", ") + placeName(others[i].device);
    return text;
}

bool UsbBoard::take(const Found& board) {
    const std::string place = placeName(board.device);
    std::unique_ptr<UsbDevice> device = transport_->open(board.position);
    if (!device) {
        fail(kNoBoard, "the board at " + place +
                           " cannot be opened: check that it is plugged in and that you may "
                           "open it (the udev rule)");
        return false;
    }
    const Claim claim = device->claim();
    if (claim == Claim::Busy) {
        // Loading would restart the board's microcontroller under the program that uses it.
        const std::string holder = transport_->holder(board.position);
        fail(kInUse, "the board at " + place + " is in use by another program" +
                         (holder.empty() ? "" : " (" + holder + ")") + "; nothing was loaded");
        return false;
    }
    if (claim == Claim::Failed) {
        fail(kNoBoard, "the board at " + place + " cannot be claimed");
        return false;
    }
    device_ = std::move(device);
    place_ = board.device;
    serial_ = transport_->serial(board.position);
    return true;
}

std::string UsbBoard::opened() const {
    if (!device_) return "";
    const std::string at = "at " + placeName(place_);
    return serial_.empty() ? at : "serial " + serial_ + " " + at;
}

int32_t UsbBoard::connect(uint8_t board) {
    device_.reset();
    handle_ = 0;
    fail(0, "");
    const auto found = boards();
    if (board == 0 || board > found.size()) {
        fail(kNoBoard, noBoardText());
        return 0;
    }
    if (!take(found[board - 1])) return 0;
    handle_ = board;
    return handle_;
}

int16_t UsbBoard::loadFirmware(const char* path) {
    // The whole file is checked before anything is sent, so a bad file never starts a load.
    const HexResult image = readIntelHexFile(path);
    if (!image.image) {
        return fail(kBadImage, "the firmware image " + std::string(path != nullptr ? path : "") +
                                   " cannot be loaded: " + image.error);
    }
    if (isVirtualBoardImage(*image.image)) {
        return fail(kBadImage, std::string(path) +
                                   " is the virtual board's image, not firmware for a real "
                                   "board: put the board maker's image XT4830.hex there");
    }
    if (!device_) return fail(kNoBoard, noBoardText());
    const bool loaded = ram_loader::load(*device_, *image.image);
    device_.reset();
    if (!loaded) {
        handle_ = 0;
        return fail(kTransferFailed, "the board at " + placeName(place_) +
                                         " stopped answering while its firmware was loaded");
    }
    return waitForRunningBoard(place_);
}

int16_t UsbBoard::takeReturnedBoard(const BusDevice& loaded) {
    for (const Found& found : allBoards()) {
        const BusDevice& device = found.device;
        if (!(device.id == ids_.running) || !samePlace(device, loaded) ||
            device.address == loaded.address) {
            continue;
        }
        if (take(found)) return 0;
        if (failed_ == kInUse) return kInUse;
    }
    return kNoReconnect;
}

// The microcontroller leaves the bus and comes back with its firmware's identity. Its device
// node may not be ours for a moment after it came back, so a failed open is tried again.
int16_t UsbBoard::waitForRunningBoard(const BusDevice& loaded) {
    const std::chrono::milliseconds step{100};
    for (auto waited = std::chrono::milliseconds{0}; waited < kReconnectWait; waited += step) {
        sleep_(step);
        const int16_t result = takeReturnedBoard(loaded);
        if (result == 0) return fail(0, "");
        if (result == kInUse) {
            handle_ = 0;
            return kInUse;
        }
    }
    handle_ = 0;
    return fail(kNoReconnect, failed_ != 0 ? failure_
                                           : "the board at " + placeName(loaded) +
                                                 " did not come back running its firmware "
                                                 "within 5 s");
}

int16_t UsbBoard::openFirstBoard(const char* path) {
    // A bad image is told whether or not a board is there.
    if (!readIntelHexFile(path).image) return loadFirmware(path);
    uint8_t list[driver_abi::kBoardListSize] = {};
    search(list);
    if (connect(list[0]) == 0) return failed_;
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
