#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UsbTransport.h"

// The evaluation board on USB, behind both driver libraries: finding it, opening it, loading
// its firmware and carrying the program's vendor requests. The boards are taken in the order
// of their places on the bus; the first is the one opened unless a place is chosen.
class UsbBoard {
public:
    struct Identities {
        UsbId loader;   // the microcontroller without firmware
        UsbId running;  // the board once its firmware runs
    };
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    static constexpr int16_t kNoBoard = -1;
    static constexpr int16_t kBadImage = -2;
    static constexpr int16_t kTransferFailed = -3;
    static constexpr int16_t kNoReconnect = -4;
    static constexpr int16_t kInUse = -5;
    static constexpr unsigned kRequestTimeoutMs = 1000;
    static constexpr std::chrono::milliseconds kReconnectWait{5000};

    UsbBoard(std::unique_ptr<UsbTransport> transport, Identities ids, Sleep sleep);

    // Later searches and openings see only the board at place ("1-1.4"); empty: every board.
    void choose(std::string place) { chosen_ = std::move(place); }
    // Every board on the bus, whatever was chosen, one line each: its place, "loader" or
    // "running", and its serial number where it has one. Opens nothing for long and loads
    // nothing.
    std::vector<std::string> describeBoards();

    // Numbers the boards on the bus (either identity) from 1 into list (128 bytes); how many.
    int search(uint8_t* list);
    // Opens board number board and claims it; its handle (the number) or 0.
    int32_t connect(uint8_t board);
    bool isCurrentHandle(int32_t handle) const { return handle != 0 && handle == handle_; }
    // Loads the image at path into the connected board, whether or not firmware runs on it
    // (the microcontroller's USB core serves the load request either way), and opens it again
    // at its place once it is back running; 0 on success.
    int16_t loadFirmware(const char* path);
    // Searches, connects to the first board and loads it.
    int16_t openFirstBoard(const char* path);
    // One vendor control transfer; 0 only when the whole data stage went through.
    int16_t request(int code, int32_t value, int32_t index, int direction, int length,
                    uint8_t* buffer);

    // The board open now, as results name it: "serial 0042 at 1-1.4" (only its place when it
    // has no serial number); empty when none is open.
    std::string opened() const;

    // Why the last opening failed, as a sentence; empty after one that succeeded.
    const std::string& failure() const { return failure_; }

private:
    struct Found {
        std::size_t position;  // in the transport's last list
        BusDevice device;
    };
    // The boards on the bus, in the order of their places.
    std::vector<Found> allBoards();
    // Those the driver may open: all, or the one chosen.
    std::vector<Found> boards();
    // Opens and claims the board; false (with the failure told) when it cannot be had.
    bool take(const Found& board);
    // Waits for the board to come back at its place with its firmware's identity and a new
    // address, so neither another board nor the board before it left the bus is taken.
    int16_t waitForRunningBoard(const BusDevice& loaded);
    // One look for the board back at its place: taken (0), held by another program (kInUse)
    // or not there yet (kNoReconnect).
    int16_t takeReturnedBoard(const BusDevice& loaded);
    // Keeps the result and its reason for failure(); returns the result.
    int16_t fail(int16_t result, std::string why);
    std::string noBoardText();

    std::unique_ptr<UsbTransport> transport_;
    Identities ids_;
    Sleep sleep_;
    std::string chosen_;
    std::unique_ptr<UsbDevice> device_;
    BusDevice place_{};
    std::string serial_;  // of the board open now
    int32_t handle_ = 0;
    int16_t failed_ = 0;  // the result of the last failure, 0 after a success
    std::string failure_;
};
