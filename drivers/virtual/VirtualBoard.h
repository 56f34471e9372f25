#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "BoardSettings.h"
#include "CallTrace.h"
#include "Xt4830Chip.h"

// The simulated evaluation board behind both driver libraries: its USB presence, the firmware
// state, the DAC chip on the two-wire bus and the 12-bit ADC behind the eight-input
// multiplexer. It accepts only the requests the program's request table has, so a wrong
// request in the program shows up as a failure.
class VirtualBoard {
public:
    static constexpr int kBoardNumber = 1;
    static constexpr const char* kPlace = "virtual";  // its place on the bus

    // The board of this library; on first use it is set up from XT4830_VIRTUAL_BOARD and
    // traces to XT4830_VIRTUAL_TRACE.
    static VirtualBoard& instance();

    // Powers the whole board on afresh with these settings; false (and no change) when they
    // cannot be understood.
    bool reset(std::string_view settings, std::string* error = nullptr);
    void setPresent(bool present);
    CallTrace& trace() { return trace_; }

    // Later openings take only the board at place; empty: the board wherever it is.
    void choose(std::string place) { chosen_ = std::move(place); }
    // The board list: one line, "virtual loader" (or "running" once loaded), or none.
    std::vector<std::string> describe() const;
    // Why the last opening failed; empty after one that succeeded.
    const std::string& failure() const { return failure_; }

    // Variant A: board numbers into list (128 bytes); the number of boards found.
    int search(uint8_t* list);
    // A new handle for the board numbered board, or 0 when there is none.
    int32_t connect(uint8_t board);
    bool isCurrentHandle(int32_t handle) const { return handle != 0 && handle == handle_; }

    // 0 when the image at path was loaded; negative otherwise.
    int16_t loadFirmware(const char* path);
    // 0 when the request was carried out; nonzero otherwise.
    int16_t request(int code, int32_t value, int32_t index, int direction, int length,
                    uint8_t* buffer);

    double outputVolts(int channel) const {
        const std::lock_guard lock(mutex_);
        return chip_.outputVolts(channel);
    }
    int busAddress() const { return settings_.lfcsp ? 30 : 62; }

    static constexpr int16_t kNoBoard = -1;
    static constexpr int16_t kBadImage = -2;
    static constexpr int16_t kInUse = -5;
    static constexpr int16_t kNotInTable = 2;
    static constexpr int16_t kNotAcknowledged = 3;

private:
    VirtualBoard();
    bool unplugIfDue();
    // Whether the board is plugged in at the place chosen; otherwise the failure says why.
    bool atChosenPlace();
    // 0 when an opening may load the board (there, and no other program has it); otherwise
    // its result, and the failure says why.
    int16_t refusal();
    int16_t carryOut(int code, int32_t value, int32_t index, int direction, uint8_t* buffer);
    int adcCount();

    BoardSettings settings_;
    bool present_ = true;
    bool loaded_ = false;
    std::string chosen_;
    std::string failure_;
    int32_t handle_ = 0;
    int32_t nextHandle_ = 0x4830;
    uint64_t requests_ = 0;
    int muxInput_ = 0;
    Xt4830Chip chip_;
    std::mt19937 noise_{4830};
    std::normal_distribution<double> gaussian_;
    CallTrace trace_;
    // The meter reads the outputs from its own thread.
    mutable std::mutex mutex_;
    std::unique_ptr<VirtualMeter> meter_;
};

// True when a request has the code, direction, length and value form of the program's
// request table.
bool isTableRequest(int code, int32_t value, int32_t index, int direction, int length);
