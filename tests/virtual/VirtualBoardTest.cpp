#include "VirtualBoard.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

constexpr const char* kImage = XT4830_PROGRAM_DIR "/XT4830.hex";

// The board of this test process, powered on with the settings and its firmware loaded.
VirtualBoard& loadedBoard(const char* settings = "") {
    VirtualBoard& board = VirtualBoard::instance();
    EXPECT_TRUE(board.reset(settings));
    EXPECT_EQ(board.loadFirmware(kImage), 0);
    return board;
}

int16_t send(VirtualBoard& board, int code, int value, int index = 0) {
    uint8_t unused = 0;
    return board.request(code, value, index, 0, 0, &unused);
}

int readCount(VirtualBoard& board) {
    std::array<uint8_t, 4> reply{};
    EXPECT_EQ(board.request(0xDA, 0, 0, 1, 3, reply.data()), 0);
    EXPECT_EQ(reply[2], 0);
    return reply[0] * 256 + reply[1];
}

}  // namespace

TEST(VirtualBoard, AcceptsExactlyTheRequestsOfTheProgramsTable) {
    using Case = std::tuple<int, int, int, int, int, bool>;
    const std::vector<Case> cases = {
        {0xDE, 0x3E19, 0x8000, 0, 0, true}, {0xDF, 0x9801, 0, 0, 0, true},
        {0xDF, 0x9880, 0, 0, 0, true},      {0xDA, 18, 72, 0, 0, true},
        {0xDA, 0, 0, 1, 3, true},           {0xE0, 0, 0, 0, 0, true},
        {0xE1, 0, 0, 0, 0, true},           {0xF0, 0, 0, 0, 0, true},
        {0xF1, 0, 0, 0, 0, true},           {0xDB, 0, 0, 0, 0, false},
        {0xDE, 0x3E19, 0, 1, 0, false},     {0xDE, 0x3E19, 0, 0, 3, false},
        {0xDA, 0, 0, 1, 2, false},          {0xDF, 0x0001, 0, 0, 0, false},
        {0xDF, 0x9803, 0, 0, 0, false},     {0xDF, 0x9800, 0, 0, 0, false},
        {0xE1, 0, 0, 1, 3, false},          {0xDE, 0x13E19, 0, 0, 0, false},
        {0xDE, 0x3E19, -1, 0, 0, false},    {0xE0, 1, 0, 0, 0, false},
        {0xF1, 0, 1, 0, 0, false},          {0xDF, 0x9801, 5, 0, 0, false},
        {0xDA, 1, 0, 1, 3, false},          {0xDA, 0, 1, 1, 3, false},
    };
    for (const auto& [code, value, index, direction, length, accepted] : cases) {
        EXPECT_EQ(isTableRequest(code, value, index, direction, length), accepted)
            << std::hex << code << " " << value << " " << index << " " << direction << " "
            << length;
    }
    VirtualBoard& board = loadedBoard();
    EXPECT_EQ(send(board, 0xDB, 0), VirtualBoard::kNotInTable);
    EXPECT_EQ(board.request(0xDA, 0, 0, 1, 3, nullptr), VirtualBoard::kNotInTable);
}

TEST(VirtualBoard, WrittenOutputReadsBackAtTheFittedPackagesAddressOnly) {
    VirtualBoard& board = loadedBoard();
    EXPECT_EQ(send(board, 0xDE, 0x1E19, 0x8000), VirtualBoard::kNotAcknowledged);
    ASSERT_EQ(send(board, 0xDE, 0x3E19, 0x8000), 0);  // write and update DAC B, mid scale
    ASSERT_EQ(send(board, 0xDF, 0x9802), 0);
    EXPECT_EQ(readCount(board), 2048);
    ASSERT_EQ(send(board, 0xDE, 0x3E1F, 0xFFFF), 0);  // all channels, full scale
    ASSERT_EQ(send(board, 0xDF, 0x9808), 0);
    EXPECT_EQ(readCount(board), 4095) << "the 12-bit converter tops out";
    ASSERT_EQ(send(board, 0xDF, 0x9810), 0);  // E is not connected
    EXPECT_EQ(readCount(board), 0);
    ASSERT_EQ(send(board, 0xE0, 0), 0);  // CLR low clears to zero scale
    EXPECT_EQ(board.outputVolts(3), 0.0);
    VirtualBoard& lfcsp = loadedBoard("lfcsp");
    EXPECT_EQ(send(lfcsp, 0xDE, 0x3E19, 0x8000), VirtualBoard::kNotAcknowledged);
    EXPECT_EQ(send(lfcsp, 0xDE, 0x1E19, 0x8000), 0);
    EXPECT_DOUBLE_EQ(lfcsp.outputVolts(1), 1.5);
}

// Output A's voltage after "Write to and Update" of code, on a board with these settings.
double outputAfterWrite(const char* settings, int code) {
    VirtualBoard& board = loadedBoard(settings);
    EXPECT_EQ(send(board, 0xDE, 0x3E18, code), 0);
    return board.outputVolts(0);
}

TEST(VirtualBoard, OutputErrorsMoveTheTransferFunctionAndTheStageClips) {
    using Case = std::tuple<const char*, int, double>;  // volts: ideal is code x 3 / 65536
    for (const auto& [settings, code, volts] : {
             Case{"", 0x8000, 1.5},
             Case{"offset=A:3", 0x8000, 1.503},
             Case{"offset=B:3", 0x8000, 1.5},
             Case{"gain=A:-0.05", 0x8000, 1.49925},
             Case{"inl=A:6", 0x8000, 1.5 + 6 * 3 / 65536.0},
             Case{"inl=A:6", 0x4000, 0.75 + 0.75 * 6 * 3 / 65536.0},  // 4 x 1/4 x 3/4
             Case{"inl=A:6", 0, 0},
             Case{"inl=A:6", 0xFFFF, 2.999954223632812},
             Case{"dnl=A:0x8000:-1.5", 0x7FFF, 1.499954223632812},
             Case{"dnl=A:0x8000:-1.5", 0x8000, 1.499931335449219},  // below 0x7FFF
             Case{"dnl=A:0x8000:-1.5,dnl=A:0xC000:2", 0xC000, 2.25 + 0.5 * 3 / 65536.0},
             Case{"offset=A:-10", 0, 0},
             Case{"offset=A:10", 0xFFFF, 3},
         }) {
        EXPECT_NEAR(outputAfterWrite(settings, code), volts, 1e-8) << settings << " " << code;
    }
}

TEST(VirtualBoard, SigmaIsGaussianReadingNoiseRepeatableByItsSeed) {
    const auto readings = [](const char* settings) {
        VirtualBoard& board = loadedBoard(settings);
        EXPECT_EQ(send(board, 0xDE, 0x3E18, 0x8000), 0);
        EXPECT_EQ(send(board, 0xDF, 0x9801), 0);
        std::vector<int> counts(4096);
        for (int& count : counts)
            count = readCount(board);
        return counts;
    };
    const std::vector<int> first = readings("sigma=0.7,seed=1");
    double sum = 0, squares = 0;
    for (const int count : first) {
        sum += count;
        squares += (count - 2048.0) * (count - 2048.0);
    }
    // Over 4096 readings the mean is within 4 x 0.7 / 64 of 2048 and the spread within 6 %
    // of 0.7 (rounding to whole counts adds 1/12 to the variance).
    EXPECT_NEAR(sum / 4096, 2048, 0.044);
    EXPECT_NEAR(std::sqrt(squares / 4095), std::sqrt(0.49 + 1 / 12.0), 0.045);
    EXPECT_EQ(readings("sigma=0.7,seed=1"), first);
    EXPECT_NE(readings("sigma=0.7,seed=2"), first);
    EXPECT_EQ(readings(""), std::vector<int>(4096, 2048));
}

TEST(VirtualBoard, AdcErrorsMoveTheCountsAsARealConverters) {
    using Case = std::tuple<const char*, int, int>;  // ideal: code / 16, to the nearest count
    for (const auto& [settings, code, count] : {
             Case{"", 0x8000, 2048},
             Case{"adc-offset=1.4", 0x8000, 2049},
             Case{"adc-offset=1.6", 0x8000, 2050},
             Case{"adc-offset=-5", 0x0020, 0},
             Case{"adc-gain=0.1", 0xF000, 3844},    // 3840 x 1.001 = 3843.84
             Case{"adc-inl=3", 0x8000, 2051},       // 3 x 4 x 1/2 x 1/2
             Case{"adc-inl=3", 0x4000, 1026},       // 1024 + 3 x 4 x 1/4 x 3/4 = 1026.25
             Case{"adc-vref=3.003", 0x8000, 2046},  // 1.5 / 3.003 x 4096 = 2045.95
             // 32763 is 2047.69 counts: into 2048 at 2047.5, or at 2047.8 when moved by 0.3.
             Case{"", 32763, 2048},
             Case{"adc-dnl=2048:0.3", 32763, 2047},
             // 32757 is 2047.31 counts: into 2048 when its transition is at 2047.2.
             Case{"adc-dnl=2048:-0.3", 32757, 2048},
             Case{"adc-dnl=100:0.3,adc-dnl=2048:-0.3", 32757, 2048},
         }) {
        VirtualBoard& board = loadedBoard(settings);
        EXPECT_EQ(send(board, 0xDE, 0x3E18, code), 0);
        EXPECT_EQ(send(board, 0xDF, 0x9801), 0);
        EXPECT_EQ(readCount(board), count) << settings << " " << code;
    }
}
