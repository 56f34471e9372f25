#pragma once

#include <memory>
#include <string>

#include "board/BoardChoice.h"
#include "board/Declare.h"
#include "board/Dialogs.h"
#include "board/DriverLibrary.h"
#include "board/FailurePolicy.h"
#include "board/LazyLibrary.h"
#include "board/USBStuff.h"
#include "board/Variant.h"

// The board link of one deliverable: its driver library, bound lazily from the program
// directory, the opening loop and the request operations over it.
class Board {
public:
    // refusals: what happens to a request the board refuses, unless a run says otherwise.
    Board(Variant variant, const std::string& programDir, Dialogs& dialogs,
          FailurePolicy& refusals);

    USBStuff& link() { return link_; }
    Declare& requests() { return declare_; }
    BoardChoice& choice() { return choice_; }

private:
    LazyLibrary library_;
    BoardChoice choice_{library_};
    std::unique_ptr<DriverLibrary> driver_;
    USBStuff link_;
    Declare declare_;
};

// Where a variant's library is bound from: a fixed path for A; for B the first libBoardIo.so
// of the library search, always as a full path.
std::string driverLibraryFile(Variant variant, const std::string& programDir);
