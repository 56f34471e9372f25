// The variant A driver ABI (libHBK_CYUSB_USB4.so) over the board chosen.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "ChosenDriver.h"

int Search_For_Boards(uint32_t vendor_id, uint32_t product_id, int32_t* search_out,
                      uint8_t* board_list) {
    return chosenDriver().searchForBoards(vendor_id, product_id, search_out, board_list);
}

int Connect(uint32_t vendor_id, uint32_t product_id, uint8_t board, int32_t* handle) {
    return chosenDriver().connect(vendor_id, product_id, board, handle);
}

int16_t Download_Firmware(int32_t handle, const char* firmware_path) {
    return chosenDriver().downloadFirmware(handle, firmware_path);
}

int16_t Vendor_Request(int32_t handle, uint8_t code, int32_t value, int32_t index,
                       uint8_t direction, int32_t length, uint8_t* buffer) {
    return chosenDriver().vendorRequest(handle, code, value, index, direction, length, buffer);
}
