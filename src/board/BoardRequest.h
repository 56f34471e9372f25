#pragma once

#include <cstdint>

// One vendor-specific USB control request to the evaluation board. Every board action is
// exactly one of these; the driver library returns 0 when it succeeded.
struct BoardRequest {
    int code = 0;
    int32_t value = 0;  // a 16-bit field, 0 to 65535
    int32_t index = 0;  // a 16-bit field, 0 to 65535
    int direction = 0;  // 0: to the board, 1: from the board
    int length = 0;     // bytes in the data stage
    uint8_t* buffer = nullptr;
};

enum RequestCode : int {
    kWriteDacWordCode = 0xDE,
    kSelectMuxCode = 0xDF,
    kAdcCode = 0xDA,
    kClrLowCode = 0xE0,
    kClrHighCode = 0xE1,
    kLdacLowCode = 0xF0,
    kLdacHighCode = 0xF1,
};

enum RequestDirection : int { kToBoard = 0, kFromBoard = 1 };
