#include "FirmwareLoader.h"

#include <gtest/gtest.h>

#include "FakeUsb.h"

namespace {

HexImage image(std::vector<HexRecord> records) {
    return {std::move(records)};
}

}  // namespace

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
