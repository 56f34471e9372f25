// The board list, the choice of a board and the reason an opening failed, for both virtual
// libraries.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "VirtualBoard.h"
#include "driver_abi/TextOut.h"

int32_t xt4830_list_boards(char* text, int32_t size) {
    return driver_abi::writeLines(VirtualBoard::instance().describe(), text, size);
}

void xt4830_choose_board(const char* place) {
    VirtualBoard::instance().choose(place != nullptr ? place : "");
}

void xt4830_open_failure(char* text, int32_t size) {
    driver_abi::writeText(VirtualBoard::instance().failure(), text, size);
}
