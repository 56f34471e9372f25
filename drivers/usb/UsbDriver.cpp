#include "UsbDriver.h"

#include <thread>

#include "LibusbTransport.h"
#include "driver_abi/TextOut.h"

UsbDriver::UsbDriver()
    : board_(std::make_unique<LibusbTransport>(),
             {{XT4830_USB_LOADER_VENDOR_ID, XT4830_USB_LOADER_PRODUCT_ID},
              {XT4830_USB_VENDOR_ID, XT4830_USB_PRODUCT_ID}},
             [](std::chrono::milliseconds step) { std::this_thread::sleep_for(step); }) {}

// The identities passed in are the program's; the driver looks for its board by the ones it
// was built with, running or still waiting for its firmware.
int UsbDriver::searchForBoards(uint32_t, uint32_t, int32_t* search_out, uint8_t* board_list) {
    const int found = board_list != nullptr ? board_.search(board_list) : 0;
    if (search_out != nullptr) *search_out = found;
    return found;
}

int UsbDriver::connect(uint32_t, uint32_t, uint8_t board, int32_t* handle) {
    const int32_t opened = board_.connect(board);
    if (opened == 0) return -1;
    if (handle != nullptr) *handle = opened;
    return 0;
}

int16_t UsbDriver::downloadFirmware(int32_t handle, const char* firmware_path) {
    if (!board_.isCurrentHandle(handle)) return UsbBoard::kNoBoard;
    return board_.loadFirmware(firmware_path);
}

int16_t UsbDriver::vendorRequest(int32_t handle, uint8_t code, int32_t value, int32_t index,
                                 uint8_t direction, int32_t length, uint8_t* buffer) {
    if (!board_.isCurrentHandle(handle)) return UsbBoard::kNoBoard;
    return board_.request(code, value, index, direction, length, buffer);
}

short UsbDriver::loadFirmWare(char* firmware_path) {
    return board_.openFirstBoard(firmware_path);
}

short UsbDriver::vendorIORequest(short code, int value, int index, short direction, short length,
                                 unsigned char* buffer) {
    return board_.request(code, value, index, direction, length, buffer);
}

int32_t UsbDriver::listBoards(char* text, int32_t size) {
    return driver_abi::writeLines(board_.describeBoards(), text, size);
}

void UsbDriver::chooseBoard(const char* place) {
    board_.choose(place != nullptr ? place : "");
}

void UsbDriver::openFailure(char* text, int32_t size) {
    driver_abi::writeText(board_.failure(), text, size);
}
