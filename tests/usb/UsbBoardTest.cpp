#include "UsbBoard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <unistd.h>
#include <set>

#include "DeviceHolder.h"
#include "FakeUsb.h"
#include "FirmwareLoader.h"

namespace {

const UsbId kLoader{0x1209, 0x4831};
const UsbId kRunning{0x1209, 0x4830};
const UsbId kOther{0x046D, 0xC077};
const std::string kImage = XT4830_TEST_IMAGE;

bool startsTheCpu(const Transfer& t) {
    return t.value == 0xE600 && t.data == std::vector<uint8_t>{0};
}

// A device in port `port` of bus 1, at the same address.
BusDevice at(UsbId id, uint8_t port) {
    return {id, 1, {port}, port};
}

// A bus with the given devices; starting the CPU makes the board leave the bus and come back
// running at its place with the next free address, from 9 up, unless comesBack is false.
struct Rig {
    explicit Rig(std::vector<BusDevice> devices, UsbBoard::Identities ids = {kLoader, kRunning}) {
        bus.devices = std::move(devices);
        bus.afterTransfer = [this, running = ids.running](const Transfer& t) {
            if (startsTheCpu(t)) reenumerate(t.address, running);
        };
        board =
            std::make_unique<UsbBoard>(std::make_unique<FakeTransport>(bus), ids,
                                       [this](std::chrono::milliseconds step) { waited += step; });
    }
    void reenumerate(uint8_t address, UsbId running) {
        const auto gone =
            std::find_if(bus.devices.begin(), bus.devices.end(),
                         [address](const BusDevice& d) { return d.address == address; });
        BusDevice device = *gone;
        bus.devices.erase(gone);
        device.id = running;
        device.address = nextAddress++;
        if (comesBack) bus.devices.push_back(device);
    }
    FakeBus bus;
    bool comesBack = true;
    uint8_t nextAddress = 9;
    std::chrono::milliseconds waited{0};
    std::unique_ptr<UsbBoard> board;
};

HexImage image(std::vector<HexRecord> records) {
    return {std::move(records)};
}

}  // namespace

TEST(UsbBoard, EveryOpeningLoadsTheImageAndOpensTheBoardOnceItIsBackRunning) {
    using Case = std::tuple<const char*, std::vector<BusDevice>, UsbBoard::Identities,
                            int>;  // the board may drop off the bus before acknowledging the start
    for (const auto& [name, devices, ids, cpuStartResult] :
         {Case{"unprogrammed", {at(kOther, 1), at(kLoader, 2)}, {kLoader, kRunning}, 1},
          Case{"firmware running", {at(kRunning, 2)}, {kLoader, kRunning}, 1},
          Case{"equal identities", {at(kRunning, 2)}, {kRunning, kRunning}, 1},
          Case{"gone before the start is acknowledged", {at(kLoader, 2)}, {kLoader, kRunning}, -4},
          Case{"pipe error on the start", {at(kLoader, 2)}, {kLoader, kRunning}, -9},
          Case{"I/O error on the start", {at(kLoader, 2)}, {kLoader, kRunning}, -1}}) {
        SCOPED_TRACE(name);
        Rig rig(devices, ids);
        rig.bus.cpuStartResult = cpuStartResult;
        ASSERT_EQ(rig.board->openFirstBoard(kImage.c_str()), 0);
        EXPECT_EQ(rig.bus.transfers.front().value, 0xE600);
        EXPECT_TRUE(startsTheCpu(rig.bus.transfers.back()));
        EXPECT_GT(rig.waited.count(), 0);
    }
    Rig rig({at(kLoader, 2)});
    rig.bus.cpuStartResult = -7;  // a timeout is a failure
    EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kTransferFailed);
}

TEST(UsbBoard, EveryRequestOfTheProgramIsOneControlTransferWithItsFields) {
    Rig rig({at(kLoader, 2)});
    ASSERT_EQ(rig.board->openFirstBoard(kImage.c_str()), 0);
    using Case = std::tuple<int, int, int, int, int>;
    for (const auto& [code, value, index, direction, length] :
         {Case{0xDE, 0x3E19, 0x8000, 0, 0}, Case{0xDF, 0x9880, 0, 0, 0}, Case{0xDA, 18, 72, 0, 0},
          Case{0xDA, 0, 0, 1, 3}, Case{0xE0, 0, 0, 0, 0}, Case{0xF1, 0, 0, 0, 0}}) {
        uint8_t buffer[4] = {};
        rig.bus.reply = {0x08, 0x00, 0x00};
        EXPECT_EQ(rig.board->request(code, value, index, direction, length, buffer), 0);
        const Transfer& t = rig.bus.transfers.back();
        EXPECT_EQ(t.requestType, direction == 1 ? 0xC0 : 0x40);
        EXPECT_EQ(t.request, code);
        EXPECT_EQ(t.value, value);
        EXPECT_EQ(t.index, index);
        EXPECT_EQ(t.data.size(), static_cast<size_t>(length));
        EXPECT_EQ(buffer[0], direction == 1 ? 0x08 : 0);
    }
    using Bounds = std::tuple<int32_t, int32_t, int, bool>;  // value, index, length, sent
    std::vector<uint8_t> big(0x10000);
    for (const auto& [value, index, length, sent] :
         {Bounds{0xFFFF, 0xFFFF, 0xFFFF, true}, Bounds{0x10000, 0, 0, false},
          Bounds{-1, 0, 0, false}, Bounds{0, 0x10000, 0, false}, Bounds{0, -1, 0, false},
          Bounds{0, 0, 0x10000, false}, Bounds{0, 0, -1, false}}) {
        EXPECT_EQ(rig.board->request(0xDE, value, index, 0, length, big.data()) == 0, sent)
            << value << " " << index << " " << length;
    }
    EXPECT_NE(rig.board->request(0xDE, 0, 0, 0, 1, nullptr), 0) << "a data stage needs a buffer";
    rig.bus.shortBy = 1;
    uint8_t reply[4] = {};
    EXPECT_NE(rig.board->request(0xDA, 0, 0, 1, 3, reply), 0) << "a short data stage fails";
}

TEST(UsbBoard, FailuresAreNonzeroResultsNeverPartialLoads) {
    {
        Rig rig({at(kOther, 1)});  // no board
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kNoBoard);
        EXPECT_EQ(rig.board->failure(), "no XT4830R evaluation board on USB");
        EXPECT_EQ(rig.board->opened(), "");
        uint8_t unused = 0;
        EXPECT_EQ(rig.board->request(0xE1, 0, 0, 0, 0, &unused), UsbBoard::kNoBoard);
    }
    {
        Rig rig({at(kLoader, 2)});  // a malformed file: nothing is sent
        const auto bad = std::filesystem::temp_directory_path() / "xt4830-bad.hex";
        std::ofstream(bad) << ":0400000080FE000000\n:00000001FF\n";
        EXPECT_EQ(rig.board->openFirstBoard(bad.c_str()), UsbBoard::kBadImage);
        EXPECT_TRUE(rig.bus.transfers.empty());
        std::filesystem::remove(bad);
        // The virtual board's own image is never sent to a real board.
        const std::string virtualImage = XT4830_PROGRAM_DIR "/XT4830.hex";
        EXPECT_EQ(rig.board->openFirstBoard(virtualImage.c_str()), UsbBoard::kBadImage);
        EXPECT_TRUE(rig.bus.transfers.empty());
        EXPECT_EQ(rig.board->failure(),
                  virtualImage +
                      " is the virtual board's image, not firmware for a real board: put the "
                      "board maker's image XT4830.hex there");
    }
    {
        Rig rig({at(kLoader, 2)});  // unplugged in the middle of the load
        rig.bus.failAfter = 2;
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kTransferFailed);
    }
    {
        Rig rig({at(kRunning, 2)});  // never comes back
        rig.comesBack = false;
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kNoReconnect);
        EXPECT_EQ(rig.waited, UsbBoard::kReconnectWait) << "the wait is bounded";
        EXPECT_EQ(rig.board->failure(),
                  "the board at 1-2 did not come back running its firmware within 5 s");
    }
    {
        Rig rig({at(kLoader, 2)});  // no permission to open it
        rig.bus.opensFail = true;
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kNoBoard);
    }
}

// The addresses of the devices that carried the load and the request after it.
std::pair<std::set<uint8_t>, uint8_t> loadedAndAsked(const Rig& rig) {
    std::set<uint8_t> loaded;
    for (const Transfer& t : rig.bus.transfers) {
        if (t.request == 0xA0) loaded.insert(t.address);
    }
    return {loaded, rig.bus.transfers.back().address};
}

TEST(UsbBoard, OfSeveralBoardsTheOneLoadedIsTheOneAskedFollowedByItsPlace) {
    using Case = std::tuple<const char*, std::vector<BusDevice>, std::string, uint8_t>;
    // name, the bus in its own order, the place chosen, the address of the board loaded
    for (const auto& [name, devices, chosen, loadedAt] :
         {Case{"both running, the first", {at(kRunning, 2), at(kRunning, 3)}, "", 2},
          Case{"the first by place, not by the bus's order",
               {at(kLoader, 3), at(kLoader, 2)},
               "",
               2},
          Case{"the one chosen", {at(kRunning, 2), at(kRunning, 3)}, "1-3", 3},
          Case{"chosen behind a hub", {at(kRunning, 2), {kLoader, 1, {2, 4}, 5}}, "1-2.4", 5}}) {
        SCOPED_TRACE(name);
        Rig rig(devices);
        rig.board->choose(chosen);
        ASSERT_EQ(rig.board->openFirstBoard(kImage.c_str()), 0) << rig.board->failure();
        uint8_t unused = 0;
        ASSERT_EQ(rig.board->request(0xE1, 0, 0, 0, 0, &unused), 0);
        EXPECT_EQ(loadedAndAsked(rig), std::make_pair(std::set<uint8_t>{loadedAt}, uint8_t{9}));
        EXPECT_EQ(rig.board->failure(), "");
    }
    Rig rig({at(kRunning, 3), at(kOther, 1), at(kLoader, 2)});  // variant A's way
    uint8_t list[128] = {};
    EXPECT_EQ(rig.board->search(list), 2);
    EXPECT_EQ(list[0], 1);
    EXPECT_EQ(list[1], 2);
    ASSERT_EQ(rig.board->connect(2), 2);
    ASSERT_EQ(rig.board->loadFirmware(kImage.c_str()), 0);
    uint8_t reply[4] = {};
    ASSERT_EQ(rig.board->request(0xDA, 0, 0, 1, 3, reply), 0);
    EXPECT_EQ(loadedAndAsked(rig), std::make_pair(std::set<uint8_t>{3}, uint8_t{9}));
    EXPECT_EQ(rig.board->opened(), "at 1-3") << "no serial number";
}

TEST(UsbBoard, BoardListNamesEveryBoardByPlaceStateAndSerialAndLoadsNothing) {
    Rig rig({at(kRunning, 3), at(kOther, 1), {kLoader, 1, {2, 4}, 5}, at(kLoader, 2)});
    rig.bus.serials = {{3, "XT-0042"}, {1, "MOUSE"}};
    rig.board->choose("1-3");
    EXPECT_EQ(rig.board->describeBoards(),
              (std::vector<std::string>{"1-2 loader", "1-2.4 loader", "1-3 running XT-0042"}));
    EXPECT_TRUE(rig.bus.transfers.empty());
    rig.bus.serials[9] = "XT-0042";  // where it comes back running
    ASSERT_EQ(rig.board->openFirstBoard(kImage.c_str()), 0);
    EXPECT_EQ(rig.board->opened(), "serial XT-0042 at 1-3");
    rig.board->choose("2-1");
    EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kNoBoard);
    EXPECT_EQ(rig.board->failure(),
              "no evaluation board is at 2-1; the boards on the bus are at 1-2, 1-2.4, 1-3");
}

TEST(UsbBoard, BoardHeldByAnotherProgramIsNotReloadedAndTheFailureSaysSo) {
    using Case = std::tuple<std::string, std::string>;  // who holds it, what the failure says
    for (const auto& [holder, says] :
         {Case{"process 4242 (xt4830)",
               "the board at 1-2 is in use by another program (process 4242 (xt4830)); "
               "nothing was loaded"},
          Case{"", "the board at 1-2 is in use by another program; nothing was loaded"}}) {
        Rig rig({at(kRunning, 2)});
        rig.bus.held[2] = holder;
        EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kInUse);
        EXPECT_EQ(rig.board->failure(), says);
        EXPECT_TRUE(rig.bus.transfers.empty()) << "nothing sent to a board in use";
        uint8_t list[128] = {};
        ASSERT_EQ(rig.board->search(list), 1);
        EXPECT_EQ(rig.board->connect(list[0]), 0);
    }
    Rig rig({at(kLoader, 2)});  // taken by another program while it restarted
    rig.bus.held[9] = "process 7 (other)";
    EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kInUse);
    uint8_t unused = 0;
    EXPECT_NE(rig.board->request(0xE1, 0, 0, 0, 0, &unused), 0);
}

TEST(UsbBoard, BoardUnpluggedAndPluggedBackIsFoundAgainAtTheNextOpening) {
    Rig rig({at(kLoader, 2)});
    rig.board->choose("1-2");
    ASSERT_EQ(rig.board->openFirstBoard(kImage.c_str()), 0);
    rig.bus.devices.clear();
    rig.bus.failAfter = 0;
    uint8_t unused = 0;
    EXPECT_NE(rig.board->request(0xE1, 0, 0, 0, 0, &unused), 0) << "gone";
    EXPECT_EQ(rig.board->openFirstBoard(kImage.c_str()), UsbBoard::kNoBoard);
    rig.bus.devices = {{kLoader, 1, {2}, 12}};  // back in the same socket, unprogrammed
    rig.bus.failAfter = -1;
    ASSERT_EQ(rig.board->openFirstBoard(kImage.c_str()), 0) << rig.board->failure();
    ASSERT_EQ(rig.board->request(0xE1, 0, 0, 0, 0, &unused), 0);
    EXPECT_EQ(loadedAndAsked(rig).second, 10);
}

TEST(DeviceHolder, NamesTheProcessThatHasTheFileOpenButNeverTheOneAsking) {
    const auto file = std::filesystem::temp_directory_path() / "xt4830-held-node";
    std::ofstream held(file);
    EXPECT_EQ(processHolding(file, -1), "process " + std::to_string(getpid()) + " (usb_tests)");
    EXPECT_EQ(processHolding(file, getpid()), "");
    held.close();
    EXPECT_EQ(processHolding(file, -1), "");
    std::filesystem::remove(file);
}

TEST(FirmwareLoader, HoldsTheCpuWritesTheRecordsInChunksAndStartsIt) {
    FakeBus bus;
    FakeDevice device(bus);
    const std::vector<uint8_t> big(2500, 0x5A);
    ASSERT_TRUE(ram_loader::load(device, image({{0x0000, {0x80, 0xFE}}, {0x0100, big}})));
    struct Expected {
        uint16_t address;
        size_t length;
    };
    const std::vector<Expected> expected = {{0xE600, 1},    {0x0000, 2},   {0x0100, 1024},
                                            {0x0500, 1024}, {0x0900, 452}, {0xE600, 1}};
    ASSERT_EQ(bus.transfers.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(bus.transfers[i].requestType, 0x40);
        EXPECT_EQ(bus.transfers[i].request, 0xA0);
        EXPECT_EQ(bus.transfers[i].value, expected[i].address) << i;
        EXPECT_EQ(bus.transfers[i].index, 0);
        EXPECT_EQ(bus.transfers[i].data.size(), expected[i].length) << i;
    }
    EXPECT_EQ(bus.transfers.front().data, std::vector<uint8_t>{1}) << "CPU held in reset";
    EXPECT_EQ(bus.transfers.back().data, std::vector<uint8_t>{0}) << "CPU started";
    EXPECT_EQ(bus.transfers[1].data, (std::vector<uint8_t>{0x80, 0xFE}));
}

TEST(FirmwareLoader, DisconnectOrShortTransferStopsTheLoadAtOnce) {
    for (int goneAfter = 0; goneAfter < 3; ++goneAfter) {
        FakeBus bus;
        bus.failAfter = goneAfter;
        FakeDevice device(bus);
        EXPECT_FALSE(ram_loader::load(device, image({{0, {1, 2}}, {16, {3}}}))) << goneAfter;
        EXPECT_EQ(bus.transfers.size(), static_cast<size_t>(goneAfter));
    }
    FakeBus bus;
    bus.shortBy = 1;
    FakeDevice device(bus);
    EXPECT_FALSE(ram_loader::load(device, image({{0, {1, 2}}})));
    EXPECT_EQ(bus.transfers.size(), 1u) << "nothing after the short transfer";
}
