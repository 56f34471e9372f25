// The board list, the choice of a board, why an opening failed and which kind of board it
// is, for both libraries.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "ChosenDriver.h"
#include "driver_abi/TextOut.h"

int32_t xt4830_list_boards(char* text, int32_t size) {
    return chosenDriver().listBoards(text, size);
}

void xt4830_choose_board(const char* place) {
    chosenDriver().chooseBoard(place);
}

void xt4830_open_failure(char* text, int32_t size) {
    chosenDriver().openFailure(text, size);
}

int32_t xt4830_board_is_virtual(void) {
    return virtualBoardChosen() ? 1 : 0;
}

void xt4830_opened_board(char* text, int32_t size) {
    driver_abi::writeText(chosenDriver().openedBoard(), text, size);
}
