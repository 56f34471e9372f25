// The variant A driver ABI (libHBK_CYUSB_USB4.so) for real boards.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "TheBoard.h"

// The identities passed in are the program's; the driver looks for its board by the ones it
// was built with, running or still waiting for its firmware.
int Search_For_Boards(uint32_t, uint32_t, int32_t* search_out, uint8_t* board_list) {
    const int found = board_list != nullptr ? theBoard().search(board_list) : 0;
    if (search_out != nullptr) *search_out = found;
    return found;
}

int Connect(uint32_t, uint32_t, uint8_t board, int32_t* handle) {
    const int32_t opened = theBoard().connect(board);
    if (opened == 0) return -1;
    if (handle != nullptr) *handle = opened;
    return 0;
}

int16_t Download_Firmware(int32_t handle, const char* firmware_path) {
    if (!theBoard().isCurrentHandle(handle)) return UsbBoard::kNoBoard;
    return theBoard().loadFirmware(firmware_path);
}

int16_t Vendor_Request(int32_t handle, uint8_t code, int32_t value, int32_t index,
                       uint8_t direction, int32_t length, uint8_t* buffer) {
    if (!theBoard().isCurrentHandle(handle)) return UsbBoard::kNoBoard;
    return theBoard().request(code, value, index, direction, length, buffer);
}
