#pragma once

#include <array>

#include "command/BitImage.h"

// A bit image in a plain array, starting as the LED digits do: value 0, emphasis inactive.
class PlainBits : public BitPositions {
public:
    PlainBits() { emphasis_.fill(kInactive); }
    int value(int p) const override { return values_.at(p); }
    void setValue(int p, int v) override { values_.at(p) = v; }
    int emphasis(int p) const override { return emphasis_.at(p); }
    void setEmphasis(int p, int e) override { emphasis_.at(p) = e; }

private:
    std::array<int, kCount> values_{};
    std::array<int, kCount> emphasis_{};
};
