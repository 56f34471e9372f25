#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "UsbTransport.h"

// The evaluation board on USB, behind both driver libraries: finding it, opening it, loading
// its firmware and carrying the program's vendor requests.
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
    static constexpr unsigned kRequestTimeoutMs = 1000;
    static constexpr std::chrono::milliseconds kReconnectWait{5000};

    UsbBoard(std::unique_ptr<UsbTransport> transport, Identities ids, Sleep sleep);

    // Numbers the boards on the bus (either identity) from 1 into list (128 bytes); how many.
    int search(uint8_t* list);
    // Opens board number board; its handle (the number) or 0.
    int32_t connect(uint8_t board);
    bool isCurrentHandle(int32_t handle) const { return handle != 0 && handle == handle_; }
    // Loads the image at path into the connected board, whether or not firmware runs on it
    // (the microcontroller's USB core serves the load request either way), and opens it once
    // it is back running; 0 on success.
    int16_t loadFirmware(const char* path);
    // Searches, connects to the first board and loads it.
    int16_t openFirstBoard(const char* path);
    // One vendor control transfer; 0 only when the whole data stage went through.
    int16_t request(int code, int32_t value, int32_t index, int direction, int length,
                    uint8_t* buffer);

private:
    // The devices on the bus that are boards, with their places in the transport's list.
    std::vector<std::pair<std::size_t, BusDevice>> boards();
    // Waits for the board to come back with its firmware's identity at another address than
    // the one it was loaded at, so equal identities before and after still work.
    int16_t waitForRunningBoard(uint16_t loadedAt);

    std::unique_ptr<UsbTransport> transport_;
    Identities ids_;
    Sleep sleep_;
    std::unique_ptr<UsbDevice> device_;
    uint16_t deviceAddress_ = 0;
    int32_t handle_ = 0;
};
