#pragma once

#include <string>

#include "board/BoardChoice.h"

// How the programs say which board they drive, so results from the virtual board are never
// taken for a real board's. With a library that says nothing of its kind, every text stays as
// it was.

// The name --board takes for the virtual board: its place in the board list.
inline constexpr const char* kVirtualBoardName = "virtual";

// Makes the driver libraries, not yet used in this process, take the virtual board; the
// settings already in XT4830_VIRTUAL_BOARD stay.
void chooseVirtualBoard();

// The title with " [virtual board]" after it on the virtual board.
std::string markedTitle(const std::string& title, BoardKind kind);

// The serial field of the instrument's identity: "VIRTUAL" when the library bound last said it
// drives the virtual board, else "0".
std::string identitySerial();

// The board as results name it: "virtual board", "board serial 0042 at 1-1.4"; empty when the
// library does not tell.
std::string boardDescription(BoardChoice& choice);
