#pragma once

#include <string>
#include <string_view>

#include "board/Variant.h"

// One of the two programs built from this source. They differ only in the driver library
// they bind (the variant) and in the version they show.
struct Deliverable {
    std::string_view name;  // also the title of the program's message boxes
    int major;
    int minor;
    int revision;
    Variant variant;
};

inline constexpr Deliverable kXT4830{"XT4830", 1, 0, 2, Variant::B};
inline constexpr Deliverable kXT4830Version2{"XT4830(version2)", 1, 0, 4, Variant::A};

// "1.0.4": each number in plain decimal, no leading zeros.
std::string versionText(const Deliverable& deliverable);
// "XT4830 Evaluation Software v1.0.4".
std::string mainWindowTitle(const Deliverable& deliverable);
