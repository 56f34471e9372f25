// The variant B driver ABI (libBoardIo.so) over the virtual board.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "VirtualBoard.h"

short LoadFirmWare(char* firmware_path) {
    VirtualBoard& board = VirtualBoard::instance();
    const short result = board.loadFirmware(firmware_path);
    board.trace().line("LoadFirmWare(path=\"%s\") = %d",
                       firmware_path != nullptr ? firmware_path : "(null)", result);
    return result;
}

short VendorIORequest(short code, int value, int index, short direction, short length,
                      unsigned char* buffer) {
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
