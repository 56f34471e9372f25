#include "board/BoardMarking.h"

#include <cstdlib>

void chooseVirtualBoard() {
    setenv("XT4830_VIRTUAL_BOARD", "", 0);
}

std::string markedTitle(const std::string& title, BoardKind kind) {
    return kind == BoardKind::Virtual ? title + " [virtual board]" : title;
}

std::string identitySerial() {
    return BoardChoice::toldKind() == BoardKind::Virtual ? "VIRTUAL" : "0";
}

std::string boardDescription(BoardChoice& choice) {
    switch (choice.kind()) {
        case BoardKind::Virtual:
            return "virtual board";
        case BoardKind::Real: {
            const std::string opened = choice.openedBoard();
            return opened.empty() ? "real board" : "board " + opened;
        }
        case BoardKind::Unknown:
            break;
    }
    return "";
}
