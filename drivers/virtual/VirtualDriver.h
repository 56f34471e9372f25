#pragma once

#include "driver_abi/DriverFunctions.h"

// The driver ABI over the virtual board, every call written to the board's trace.
class VirtualDriver : public DriverFunctions {
public:
    int searchForBoards(uint32_t vendor_id, uint32_t product_id, int32_t* search_out,
                        uint8_t* board_list) override;
    int connect(uint32_t vendor_id, uint32_t product_id, uint8_t board, int32_t* handle) override;
    int16_t downloadFirmware(int32_t handle, const char* firmware_path) override;
    int16_t vendorRequest(int32_t handle, uint8_t code, int32_t value, int32_t index,
                          uint8_t direction, int32_t length, uint8_t* buffer) override;
    short loadFirmWare(char* firmware_path) override;
    short vendorIORequest(short code, int value, int index, short direction, short length,
                          unsigned char* buffer) override;
    int32_t listBoards(char* text, int32_t size) override;
    void chooseBoard(const char* place) override;
    void openFailure(char* text, int32_t size) override;
    std::string openedBoard() override;
};
