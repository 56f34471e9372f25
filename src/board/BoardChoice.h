#pragma once

#include <optional>
#include <string>
#include <vector>

#include "board/LazyLibrary.h"

// What a driver library may tell and take besides its variant's functions: the boards on the
// bus, the choice of one, and why an opening failed. A library without these functions still
// drives the program; only what needs them says so.
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
    // "the driver library PATH cannot <what>"
    std::string cannot(const std::string& what) const;

private:
    LazyLibrary& library_;
};
