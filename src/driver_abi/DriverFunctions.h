#pragma once

#include <cstdint>
#include <string>

// The functions of the driver ABI as one object, so one driver library can carry both the
// virtual board and real boards and take the one chosen when the program runs.
class DriverFunctions {
public:
    virtual ~DriverFunctions() = default;

    // Variant A.
    virtual int searchForBoards(uint32_t vendor_id, uint32_t product_id, int32_t* search_out,
                                uint8_t* board_list) = 0;
    virtual int connect(uint32_t vendor_id, uint32_t product_id, uint8_t board,
                        int32_t* handle) = 0;
    virtual int16_t downloadFirmware(int32_t handle, const char* firmware_path) = 0;
    virtual int16_t vendorRequest(int32_t handle, uint8_t code, int32_t value, int32_t index,
                                  uint8_t direction, int32_t length, uint8_t* buffer) = 0;
    // Variant B.
    virtual short loadFirmWare(char* firmware_path) = 0;
    virtual short vendorIORequest(short code, int value, int index, short direction, short length,
                                  unsigned char* buffer) = 0;
    // Both: the board list, the choice of a board, why an opening failed.
    virtual int32_t listBoards(char* text, int32_t size) = 0;
    virtual void chooseBoard(const char* place) = 0;
    virtual void openFailure(char* text, int32_t size) = 0;
    // The board opened last, as results name it; empty when none is open.
    virtual std::string openedBoard() = 0;
};
