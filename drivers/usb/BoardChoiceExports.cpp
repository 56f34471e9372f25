// The board list, the choice of a board and the reason an opening failed, for both libraries
// for real boards.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "TheBoard.h"
#include "driver_abi/TextOut.h"

int32_t xt4830_list_boards(char* text, int32_t size) {
    return driver_abi::writeLines(theBoard().describeBoards(), text, size);
}

void xt4830_choose_board(const char* place) {
    theBoard().choose(place != nullptr ? place : "");
}

void xt4830_open_failure(char* text, int32_t size) {
    driver_abi::writeText(theBoard().failure(), text, size);
}
