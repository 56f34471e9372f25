#pragma once

#include <memory>
#include <string>

#include "board/BoardChoice.h"
#include "board/Declare.h"
#include "board/Deliverable.h"
#include "board/Dialogs.h"
#include "board/DriverLibrary.h"
#include "board/FailurePolicy.h"
#include "board/LazyLibrary.h"
#include "board/USBStuff.h"

// The board link of one deliverable: its driver library, bound lazily from the program
// directory, the opening loop and the request operations over it.
class Board {
public:
    // refusals: what happens to a request the board refuses, unless a run says otherwise.
    Board(const Deliverable& deliverable, const std::string& programDir, Dialogs& dialogs,
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

// Where a deliverable's library is bound from: its path under the program directory, or the
// first of the library search, always as a full path.
std::string driverLibraryFile(const Deliverable& deliverable, const std::string& programDir);
