#include "VirtualDriver.h"

#include "VirtualBoard.h"
#include "driver_abi/TextOut.h"

namespace {
const char* shown(const char* text) {
    return text != nullptr ? text : "(null)";
}
}  // namespace

int VirtualDriver::searchForBoards(uint32_t vendor_id, uint32_t product_id, int32_t* search_out,
                                   uint8_t* board_list) {
    VirtualBoard& board = VirtualBoard::instance();
    const int found = board_list != nullptr ? board.search(board_list) : 0;
    if (search_out != nullptr) *search_out = found;
    board.trace().line("Search_For_Boards(vendor=0x%04X, product=0x%04X) = %d list[0]=%d",
                       vendor_id, product_id, found, board_list != nullptr ? board_list[0] : -1);
    return found;
}

int VirtualDriver::connect(uint32_t vendor_id, uint32_t product_id, uint8_t board_number,
                           int32_t* handle) {
    VirtualBoard& board = VirtualBoard::instance();
    const int32_t newHandle = board.connect(board_number);
    if (newHandle != 0 && handle != nullptr) *handle = newHandle;
    const int result = newHandle != 0 ? 0 : -1;
    board.trace().line("Connect(vendor=0x%04X, product=0x%04X, board=%d) = %d handle=%d", vendor_id,
                       product_id, board_number, result, newHandle);
    return result;
}

int16_t VirtualDriver::downloadFirmware(int32_t handle, const char* firmware_path) {
    VirtualBoard& board = VirtualBoard::instance();
    const int16_t result =
        board.isCurrentHandle(handle) ? board.loadFirmware(firmware_path) : VirtualBoard::kNoBoard;
    board.trace().line("Download_Firmware(handle=%d, path=\"%s\") = %d", handle,
                       shown(firmware_path), result);
    return result;
}

int16_t VirtualDriver::vendorRequest(int32_t handle, uint8_t code, int32_t value, int32_t index,
                                     uint8_t direction, int32_t length, uint8_t* buffer) {
    VirtualBoard& board = VirtualBoard::instance();
    const int16_t result = board.isCurrentHandle(handle)
                               ? board.request(code, value, index, direction, length, buffer)
                               : VirtualBoard::kNoBoard;
    const bool read = result == 0 && direction == 1;
    board.trace().line(
        "Vendor_Request(handle=%d, code=0x%02X, value=0x%04X, index=0x%04X, direction=%d, "
        "length=%d) = %d%s%s",
        handle, code, value, index, direction, length, result, read ? " data=" : "",
        read ? hexBytes(buffer, length).c_str() : "");
    return result;
}

short VirtualDriver::loadFirmWare(char* firmware_path) {
    VirtualBoard& board = VirtualBoard::instance();
    const short result = board.loadFirmware(firmware_path);
    board.trace().line("LoadFirmWare(path=\"%s\") = %d", shown(firmware_path), result);
    return result;
}

short VirtualDriver::vendorIORequest(short code, int value, int index, short direction,
                                     short length, unsigned char* buffer) {
    VirtualBoard& board = VirtualBoard::instance();
    const short result = board.request(code, value, index, direction, length, buffer);
    const bool read = result == 0 && direction == 1;
    board.trace().line(
        "VendorIORequest(code=0x%02X, value=0x%04X, index=0x%04X, direction=%d, length=%d) = "
        "%d%s%s",
        code, value, index, direction, length, result, read ? " data=" : "",
        read ? hexBytes(buffer, length).c_str() : "");
    return result;
}

int32_t VirtualDriver::listBoards(char* text, int32_t size) {
    return driver_abi::writeLines(VirtualBoard::instance().describe(), text, size);
}

void VirtualDriver::chooseBoard(const char* place) {
    VirtualBoard::instance().choose(place != nullptr ? place : "");
}

void VirtualDriver::openFailure(char* text, int32_t size) {
    driver_abi::writeText(VirtualBoard::instance().failure(), text, size);
}

std::string VirtualDriver::openedBoard() {
    return VirtualBoard::kPlace;
}
