#include "VirtualBoard.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "IntelHex.h"

VirtualBoard& VirtualBoard::instance() {
    static VirtualBoard board;
    return board;
}

VirtualBoard::VirtualBoard() {
    const char* settings = std::getenv("XT4830_VIRTUAL_BOARD");
    std::string error;
    if (!reset(settings != nullptr ? settings : "", &error)) {
        std::fprintf(stderr, "virtual board: %s; using the defaults\n", error.c_str());
    }
    trace_.open(std::getenv("XT4830_VIRTUAL_TRACE"));
}

bool VirtualBoard::reset(std::string_view settings, std::string* error) {
    ParsedSettings parsed = parseBoardSettings(settings);
    if (!parsed.error.empty()) {
        if (error != nullptr) *error = parsed.error;
        return false;
    }
    meter_.reset();  // the old meter's thread gone before the board changes
    const std::lock_guard lock(mutex_);
    settings_ = parsed.settings;
    trace_.setTimestamps(settings_.traceTimes);
    present_ = settings_.present;
    loaded_ = false;
    handle_ = 0;
    requests_ = 0;
    muxInput_ = 0;
    chip_ = Xt4830Chip{};
    chip_.setLdacPin(true);
    chip_.setClrPin(true);
    if (settings_.stuckChannel) chip_.stick(*settings_.stuckChannel, settings_.stuckCode);
    chip_.setOutputErrors(settings_.outputs);
    noise_.seed(settings_.seed);
    gaussian_.reset();
    if (settings_.meter.port != 0) {
        const int probe = settings_.meter.probe;
        meter_ = std::make_unique<VirtualMeter>(settings_.meter, settings_.seed,
                                                [this, probe] { return outputVolts(probe); });
    }
    return true;
}

void VirtualBoard::setPresent(bool present) {
    present_ = present;
    if (!present) {
        loaded_ = false;
        handle_ = 0;
    }
}

std::vector<std::string> VirtualBoard::describe() const {
    if (!present_) return {};
    return {std::string(kPlace) + (loaded_ ? " running" : " loader")};
}

bool VirtualBoard::atChosenPlace() {
    failure_.clear();
    if (!present_) {
        failure_ = "no evaluation board is plugged in";
    } else if (!chosen_.empty() && chosen_ != kPlace) {
        failure_ =
            "no evaluation board is at " + chosen_ + "; the board on the bus is at " + kPlace;
    }
    return failure_.empty();
}

int16_t VirtualBoard::refusal() {
    if (!atChosenPlace()) return kNoBoard;
    if (!settings_.heldBy) return 0;
    failure_ = "the board at " + std::string(kPlace) + " is in use by another program (process " +
               std::to_string(*settings_.heldBy) + "); nothing was loaded";
    return kInUse;
}

int VirtualBoard::search(uint8_t* list) {
    if (!atChosenPlace()) return 0;
    list[0] = kBoardNumber;
    return 1;
}

int32_t VirtualBoard::connect(uint8_t board) {
    if (!atChosenPlace() || board != kBoardNumber) return 0;
    handle_ = nextHandle_++;
    return handle_;
}

int16_t VirtualBoard::loadFirmware(const char* path) {
    if (const int16_t refused = refusal(); refused != 0) return refused;
    const HexResult image = readIntelHexFile(path);
    loaded_ = image.image.has_value();
    if (!loaded_) {
        failure_ = "the firmware image " + std::string(path != nullptr ? path : "") +
                   " cannot be loaded: " + image.error;
        return kBadImage;
    }
    return 0;
}

bool isTableRequest(int code, int32_t value, int32_t index, int direction, int length) {
    if (value < 0 || value > 0xFFFF || index < 0 || index > 0xFFFF) return false;
    const bool toBoard = direction == 0 && length == 0;
    // The pins' requests and the ADC read carry nothing in their value and index.
    const bool bare = value == 0 && index == 0;
    switch (code) {
        case 0xDE:
            return toBoard;
        case 0xE0:
        case 0xE1:
        case 0xF0:
        case 0xF1:
            return toBoard && bare;
        case 0xDF:
            return toBoard && (value & 0xFF00) == 0x9800 && index == 0 &&
                   std::has_single_bit(unsigned(value & 0xFF));
        case 0xDA:
            return toBoard || (direction == 1 && length == 3 && bare);
        default:
            return false;
    }
}

// Counts a request and pulls the plug once the configured number has gone through.
bool VirtualBoard::unplugIfDue() {
    ++requests_;
    if (settings_.unplugAfter && requests_ > *settings_.unplugAfter) setPresent(false);
    return !present_;
}

int16_t VirtualBoard::request(int code, int32_t value, int32_t index, int direction, int length,
                              uint8_t* buffer) {
    const std::lock_guard lock(mutex_);
    if (unplugIfDue() || !loaded_) return kNoBoard;
    if (!isTableRequest(code, value, index, direction, length) ||
        (length > 0 && buffer == nullptr)) {
        return kNotInTable;
    }
    return carryOut(code, value, index, direction, buffer);
}

int16_t VirtualBoard::carryOut(int code, int32_t value, int32_t index, int direction,
                               uint8_t* buffer) {
    switch (code) {
        case 0xDE:
            // The firmware writes the command byte and the two data bytes to the bus address
            // in the value's high byte; only the chip's own address is acknowledged.
            if ((value >> 8) != busAddress()) return kNotAcknowledged;
            chip_.command(static_cast<uint32_t>((value & 0xFF) << 16 | index));
            return 0;
        case 0xDF:
            muxInput_ = std::countr_zero(unsigned(value & 0xFF));
            return 0;
        case 0xDA:
            if (direction == 1) {
                const int count = adcCount();
                buffer[0] = static_cast<uint8_t>(count >> 8);
                buffer[1] = static_cast<uint8_t>(count & 0xFF);
                buffer[2] = 0;
            }
            return 0;
        case 0xE0:
        case 0xE1:
            chip_.setClrPin(code == 0xE1);
            return 0;
        default:  // 0xF0, 0xF1
            chip_.setLdacPin(code == 0xF1);
            return 0;
    }
}

// Inputs A to D are the DAC outputs; E to H are not connected and read 0.
int VirtualBoard::adcCount() {
    const double volts = muxInput_ < Xt4830Chip::kChannels ? chip_.outputVolts(muxInput_) : 0.0;
    double exact = adcExactCounts(settings_.adc, volts);
    // The noise comes before the converter rounds, as a real input's does.
    if (settings_.sigmaCounts > 0) exact += settings_.sigmaCounts * gaussian_(noise_);
    int count = adcRounded(settings_.adc, exact);
    if (settings_.noise > 0) {
        std::uniform_int_distribution<int> offset(-settings_.noise, settings_.noise);
        count += offset(noise_);
    }
    return std::clamp(count, 0, 4095);
}
