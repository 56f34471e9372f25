// The variant B driver ABI (libBoardIo.so) for real boards.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "TheBoard.h"

short LoadFirmWare(char* firmware_path) {
    return theBoard().openFirstBoard(firmware_path);
}

short VendorIORequest(short code, int value, int index, short direction, short length,
                      unsigned char* buffer) {
    return theBoard().request(code, value, index, direction, length, buffer);
}
