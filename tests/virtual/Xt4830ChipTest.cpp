#include "Xt4830Chip.h"

#include <gtest/gtest.h>

static uint32_t word(int command, int address, int data) {
    return static_cast<uint32_t>(command << 19 | address << 16 | data);
}

static std::array<uint16_t, 4> dacs(const Xt4830Chip& chip) {
    return {chip.dacRegister(0), chip.dacRegister(1), chip.dacRegister(2), chip.dacRegister(3)};
}

TEST(Xt4830Chip, WriteCommandsMoveInputAndDacRegistersAsTheirCodesSay) {
    using Case = std::tuple<const char*, std::vector<uint32_t>, std::array<uint16_t, 4>>;
    const std::vector<Case> cases = {
        {"write input only", {word(0, 1, 0x1234)}, {0, 0, 0, 0}},
        {"then update B", {word(0, 1, 0x1234), word(1, 1, 0)}, {0, 0x1234, 0, 0}},
        {"write and update", {word(3, 2, 0x8000)}, {0, 0, 0x8000, 0}},
        {"write and update all", {word(3, 7, 0xFFFF)}, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
        {"write C, update all", {word(0, 0, 5), word(2, 2, 9)}, {5, 0, 9, 0}},
        {"addresses 4-6 change nothing, whatever the command",
         {word(0, 1, 7), word(3, 4, 1), word(2, 5, 1), word(1, 6, 0), word(6, 4, 0xF)},
         {0, 0, 0, 0}},
        {"reset to zero scale", {word(3, 7, 0x4000), word(5, 0, 0)}, {0, 0, 0, 0}},
    };
    for (const auto& [name, words, dac] : cases) {
        SCOPED_TRACE(name);
        Xt4830Chip chip;
        for (const uint32_t w : words)
            chip.command(w);
        EXPECT_EQ(dacs(chip), dac);
    }
}

TEST(Xt4830Chip, LdacLowFollowsHighLatchesRegisterBitFollowsAndClrHoldsZero) {
    Xt4830Chip chip;
    chip.command(word(0, 0, 100));
    chip.setLdacPin(false);
    chip.command(word(0, 0, 200));
    EXPECT_EQ(chip.dacRegister(0), 200);
    chip.setLdacPin(true);
    chip.command(word(6, 0, 0b0010));
    chip.command(word(0, 7, 0x1111));
    EXPECT_EQ(dacs(chip), (std::array<uint16_t, 4>{200, 0x1111, 0, 0}));
    chip.setClrPin(false);
    chip.command(word(3, 0, 0x8000));
    EXPECT_EQ(dacs(chip), (std::array<uint16_t, 4>{})) << "held at zero while CLR is low";
    chip.setClrPin(true);
    chip.command(word(1, 0, 0));
    EXPECT_EQ(chip.dacRegister(0), 0x8000);
}
