#pragma once

#include <optional>
#include <string>
#include <vector>

#include "board/LazyLibrary.h"

// What a driver library may tell and take besides its variant's functions: the boards on the
// bus, the choice of one, and why an opening failed. A library without these functions still
// drives the program; only what needs them says so.
enum class BoardKind {
    Unknown,  // the library says nothing of its kind
    Virtual,
    Real,
};

class BoardChoice {
public:
    explicit BoardChoice(LazyLibrary& library) : library_(library) {}

    // One line per board (place, state, serial), in the order the library takes them; nothing
    // when the library cannot list them, with problem saying why.
    std::optional<std::vector<std::string>> list(std::string& problem);
    // Makes later openings take only the board at place; false when the library cannot.
    bool choose(const std::string& place);
    // The library's reason for the last failed opening; empty when it gives none.
    std::string openFailure();
    // Which kind of board the library drives.
    BoardKind kind();
    // What the library bound in this process told last; Unknown before any was asked.
    static BoardKind toldKind() { return told_; }
    // The board opened last as the library names it ("virtual", "serial 0042 at 1-1.4");
    // empty when none is open or the library does not tell.
    std::string openedBoard();
    // "the driver library PATH cannot <what>"
    std::string cannot(const std::string& what) const;

private:
    // The text a function of the library writes into a buffer; empty when it has none.
    template <typename Fn>
    std::string textFrom(const char* name);

    LazyLibrary& library_;
    static BoardKind told_;
};
