// Both ABIs' functions of the USB driver, built here over a board on a fake bus, so the
// mapping of every argument onto the board can be seen.
#include <gtest/gtest.h>

#include "FakeUsb.h"
#include "TheBoard.h"
#include "board/DriverAbi.h"

namespace {

const UsbId kRunning{0x1209, 0x4830};
FakeBus bus;

}  // namespace

UsbBoard& theBoard() {
    static UsbBoard board(std::make_unique<FakeTransport>(bus), {{0x1209, 0x4831}, kRunning},
                          [](std::chrono::milliseconds) {});
    return board;
}

TEST(UsbExports, BothAbisMapEveryRequestOntoOneControlTransfer) {
    bus.devices = {{kRunning, 1}};
    // Each load makes the board come back at a new address.
    bus.afterTransfer = [](const Transfer& t) {
        static uint16_t address = 1;
        if (t.value == 0xE600 && t.data == std::vector<uint8_t>{0}) {
            bus.devices = {{kRunning, ++address}};
        }
    };
    std::string image = XT4830_PROGRAM_DIR "/XT4830.hex";
    ASSERT_EQ(LoadFirmWare(image.data()), 0);
    unsigned char reply[4] = {};
    bus.reply = {0x0F, 0xFF, 0x12};
    ASSERT_EQ(VendorIORequest(0xDA, 0, 0, 1, 3, reply), 0);
    EXPECT_EQ(reply[0] * 256 + reply[1], 4095);
    EXPECT_EQ(bus.transfers.back().requestType, 0xC0);

    uint8_t list[128] = {};
    int32_t out = 0;
    int32_t handle = 0;
    ASSERT_EQ(Search_For_Boards(0x1209, 0x4830, &out, list), 1);
    ASSERT_EQ(Connect(0x1209, 0x4830, list[0], &handle), 0);
    ASSERT_EQ(Download_Firmware(handle, image.c_str()), 0);
    uint8_t unused = 0;
    ASSERT_EQ(Vendor_Request(handle, 0xDF, 0x9880, 0, 0, 0, &unused), 0);
    const Transfer& t = bus.transfers.back();
    EXPECT_EQ(t.requestType, 0x40);
    EXPECT_EQ(t.request, 0xDF);
    EXPECT_EQ(t.value, 0x9880);
    EXPECT_NE(Vendor_Request(handle + 1, 0xDF, 0x9880, 0, 0, 0, &unused), 0) << "wrong handle";
    EXPECT_NE(Download_Firmware(handle + 1, image.c_str()), 0);
}
