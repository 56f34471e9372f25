#include "UsbBoard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FakeUsb.h"

namespace {

const UsbId kLoader{0x1209, 0x4831};
const UsbId kRunning{0x1209, 0x4830};
const UsbId kOther{0x046D, 0xC077};
const std::string kImage = XT4830_PROGRAM_DIR "/XT4830.hex";

struct Rig {
    explicit Rig(std::vector<UsbId> devices) {
        bus.devices = std::move(devices);
        board = std::make_unique<UsbBoard>(
            std::make_unique<FakeTransport>(bus), UsbBoard::Identities{kLoader, kRunning},
            [this](std::chrono::milliseconds step) { waited += step; });
    }
    FakeBus bus;
    std::chrono::milliseconds waited{0};
    std::unique_ptr<UsbBoard> board;
};

std::string writeFile(const char* name, const std::string& text) {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path) << text;
    return path.string();
}

}  // namespace

TEST(UsbBoard, LoadsAnUnprogrammedBoardAndOpensItOnceItComesBackRunning) {
    Rig rig({kOther, kLoader});
    // Starting the CPU makes the board leave the bus and return with its firmware's identity.
    rig.bus.afterTransfer = [&](const Transfer& t) {
        if (t.value == 0xE600 && t.data == std::vector<uint8_t>{0})
            rig.bus.devices = {kOther, kRunning};
    };
    EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), 0);
    EXPECT_EQ(rig.bus.transfers.front().value, 0xE600);
    EXPECT_GT(rig.waited.count(), 0);
    rig.bus.afterTransfer = nullptr;
    const size_t loaded = rig.bus.transfers.size();
    uint8_t unused = 0;
    EXPECT_EQ(rig.board->request(0xDE, 0x3E19, 0x8000, 0, 0, &unused), 0);
    const Transfer& t = rig.bus.transfers.at(loaded);
    EXPECT_EQ(t.requestType, 0x40);
    EXPECT_EQ(t.request, 0xDE);
    EXPECT_EQ(t.value, 0x3E19);
    EXPECT_EQ(t.index, 0x8000);
}

TEST(UsbBoard, EveryRequestOfTheProgramIsOneControlTransferWithItsFields) {
    Rig rig({kRunning});
    ASSERT_EQ(rig.board->openFirstBoard(kImage.c_str()), 0) << "running boards keep their firmware";
    EXPECT_TRUE(rig.bus.transfers.empty());
    struct Case {
        int code, value, index, direction, length;
    };
    for (const Case& c : {Case{0xDE, 0x3E19, 0x8000, 0, 0}, Case{0xDF, 0x9880, 0, 0, 0},
                          Case{0xDA, 18, 72, 0, 0}, Case{0xDA, 0, 0, 1, 3}, Case{0xE0, 0, 0, 0, 0},
                          Case{0xE1, 0, 0, 0, 0}, Case{0xF0, 0, 0, 0, 0}, Case{0xF1, 0, 0, 0, 0}}) {
        uint8_t buffer[4] = {};
        rig.bus.reply = {0x08, 0x00, 0x00};
        EXPECT_EQ(rig.board->request(c.code, c.value, c.index, c.direction, c.length, buffer), 0);
        const Transfer& t = rig.bus.transfers.back();
        EXPECT_EQ(t.requestType, c.direction == 1 ? 0xC0 : 0x40);
        EXPECT_EQ(t.request, c.code);
        EXPECT_EQ(t.value, c.value);
        EXPECT_EQ(t.index, c.index);
        EXPECT_EQ(t.data.size(), static_cast<size_t>(c.length));
        if (c.direction == 1) {
            EXPECT_EQ(buffer[0], 0x08);
        }
    }
    rig.bus.shortBy = 1;
    uint8_t reply[4] = {};
    EXPECT_NE(rig.board->request(0xDA, 0, 0, 1, 3, reply), 0) << "a short data stage fails";
}

TEST(UsbBoard, FailuresAreNonzeroResultsNeverPartialLoads) {
    {
        Rig rig({kOther});  // no board
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kNoBoard);
        uint8_t unused = 0;
        EXPECT_EQ(rig.board->request(0xE1, 0, 0, 0, 0, &unused), UsbBoard::kNoBoard);
    }
    {
        Rig rig({kLoader});  // a malformed file: nothing is sent
        const std::string bad = writeFile("xt4830-bad.hex", ":0400000080FE000000\n:00000001FF\n");
        EXPECT_EQ(rig.board->openFirstBoard(bad.c_str()), UsbBoard::kBadImage);
        EXPECT_TRUE(rig.bus.transfers.empty());
    }
    {
        Rig rig({kLoader});  // unplugged in the middle of the load
        rig.bus.failAfter = 2;
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kTransferFailed);
    }
    {
        Rig rig({kLoader});  // never comes back running
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kNoReconnect);
        EXPECT_EQ(rig.waited, UsbBoard::kReconnectWait) << "the wait is bounded";
    }
    {
        Rig rig({kLoader});  // no permission to open it
        rig.bus.opensFail = true;
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kNoBoard);
    }
}

TEST(UsbBoard, VariantANumbersTheBoardsAndHandsOutHandles) {
    Rig rig({kRunning, kOther, kLoader});
    uint8_t list[128] = {};
    EXPECT_EQ(rig.board->search(list), 2);
    EXPECT_EQ(list[0], 1);
    EXPECT_EQ(list[1], 2);
    EXPECT_EQ(rig.board->connect(0), 0);
    EXPECT_EQ(rig.board->connect(3), 0);
    const int32_t handle = rig.board->connect(1);
    EXPECT_TRUE(rig.board->isCurrentHandle(handle));
    EXPECT_EQ(rig.board->loadFirmware(kImage.c_str()), 0);
}
