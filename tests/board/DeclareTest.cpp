#include "board/Declare.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "board/BoardIoDriver.h"
#include "FakeDialogs.h"
#include "FakeDriverFunctions.h"
#include "board/HbkUsb4Driver.h"
#include "board/Variant.h"

namespace {

struct Expected {
    int64_t code, value, index, direction, length;
};

struct Operation {
    const char* name;
    uint16_t deviceAddress;
    std::function<void(Declare&)> run;
    Expected request;
};

const std::vector<Operation> kOperations = {
    {"write 0x2A8001 at 62",
     62,
     [](Declare& d) { d.WriteDacWord(0x2A8001); },
     {0xDE, 0x3E2A, 0x8001, 0, 0}},
    {"write 0x1F0000 at 30",
     30,
     [](Declare& d) { d.WriteDacWord(0x1F0000); },
     {0xDE, 0x1E1F, 0x0000, 0, 0}},
    {"bits above 23 are dropped",
     62,
     [](Declare& d) { d.WriteDacWord(0x7F2A8001); },
     {0xDE, 0x3E2A, 0x8001, 0, 0}},
    {"largest word",
     62,
     [](Declare& d) { d.WriteDacWord(0x3FFFFF); },
     {0xDE, 0x3E3F, 0xFFFF, 0, 0}},
    {"mux A", 62, [](Declare& d) { d.SelectMuxChannel(1); }, {0xDF, 0x9801, 0, 0, 0}},
    {"mux H", 62, [](Declare& d) { d.SelectMuxChannel(0x80); }, {0xDF, 0x9880, 0, 0, 0}},
    {"ADC set-up", 62, [](Declare& d) { d.ConfigureAdc(18, 72); }, {0xDA, 18, 72, 0, 0}},
    {"ADC read", 62, [](Declare& d) { d.ReadAdc(); }, {0xDA, 0, 0, 1, 3}},
    {"CLR high", 62, [](Declare& d) { d.SetClrPin(true); }, {0xE1, 0, 0, 0, 0}},
    {"CLR low", 62, [](Declare& d) { d.SetClrPin(false); }, {0xE0, 0, 0, 0, 0}},
    {"LDAC high", 62, [](Declare& d) { d.SetLdacPin(true); }, {0xF1, 0, 0, 0, 0}},
    {"LDAC low", 62, [](Declare& d) { d.SetLdacPin(false); }, {0xF0, 0, 0, 0, 0}},
};

// Each variant's driver over the recording stand-ins, opened so variant A holds a handle.
std::unique_ptr<DriverLibrary> openedDriver(Variant variant, FunctionResolver& resolver) {
    if (variant == Variant::B) return std::make_unique<BoardIoDriver>(resolver);
    auto driver = std::make_unique<HbkUsb4Driver>(resolver, 0x1209, 0x4830);
    FirmwarePathBytes path;
    path.SetFirmwarePath("/x/XT4830.hex");
    driver->attemptOpen("/x/XT4830.hex", path);
    fakeDriver().calls.clear();
    return driver;
}

struct Rig {
    explicit Rig(Variant variant) : driver(openedDriver(variant, resolver)) {}
    FakeDriverResolver resolver;
    std::unique_ptr<DriverLibrary> driver;
    FakeDialogs dialogs;
    Declare declare{*driver, dialogs};
};

// The request fields as the library function received them, without variant A's handle.
std::vector<int64_t> fields(const DriverCall& call, Variant variant) {
    std::vector<int64_t> args = call.args;
    if (variant == Variant::A) args.erase(args.begin());
    return args;
}

}  // namespace

class DeclareBothVariants : public testing::TestWithParam<Variant> {};

TEST_P(DeclareBothVariants, EveryOperationPacksItsOneRequest) {
    const Variant variant = GetParam();
    for (const Operation& op : kOperations) {
        SCOPED_TRACE(op.name);
        Rig rig(variant);
        rig.declare.setDeviceAddress(op.deviceAddress);
        op.run(rig.declare);
        ASSERT_EQ(fakeDriver().calls.size(), 1u);
        const DriverCall& call = fakeDriver().calls[0];
        EXPECT_EQ(call.function, variant == Variant::A ? "Vendor_Request" : "VendorIORequest");
        const Expected& e = op.request;
        EXPECT_EQ(fields(call, variant),
                  (std::vector<int64_t>{e.code, e.value, e.index, e.direction, e.length}));
        if (variant == Variant::A) {
            EXPECT_EQ(call.args[0], 100) << "the board handle goes first";
        }
        // The buffer is a zeroed byte (zeroed 4-byte array for the read).
        EXPECT_EQ(call.bufferBefore, (std::array<uint8_t, 4>{}));
        EXPECT_TRUE(rig.dialogs.shown.empty());
    }
}

TEST_P(DeclareBothVariants, ReadAdcFormsTheCountFromTheFirstTwoBytes) {
    struct Case {
        std::array<uint8_t, 3> reply;
        int32_t count;
    };
    for (const Case& c : {Case{{0x0F, 0xFF, 0x12}, 4095}, Case{{0xFF, 0xFF, 0}, 65535},
                          Case{{0x08, 0x00, 0x99}, 2048}}) {
        Rig rig(GetParam());
        fakeDriver().reply = c.reply;
        EXPECT_EQ(rig.declare.ReadAdc(), c.count);
    }
}

TEST_P(DeclareBothVariants, FailedRequestShowsErrorAndTheCallerGoesOn) {
    Rig rig(GetParam());
    fakeDriver().requestResult = -3;
    EXPECT_EQ(rig.declare.ReadAdc(), 0);  // the buffer stayed untouched
    rig.declare.SetLdacPin(true);
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    const MessageBoxSpec& box = rig.dialogs.shown[0];
    EXPECT_EQ(box.text, "error");
    EXPECT_EQ(box.title, "");  // the application's name
    EXPECT_EQ(box.icon, MessageIcon::None);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    // What the library wrote into the buffer of a failed read still counts.
    fakeDriver().replyOnFailure = true;
    fakeDriver().reply = {0x01, 0x02, 0x03};
    EXPECT_EQ(rig.declare.ReadAdc(), 0x0102);
    EXPECT_EQ(rig.dialogs.shown.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Variants, DeclareBothVariants, testing::Values(Variant::A, Variant::B),
                         [](const auto& info) {
                             return std::string(info.param == Variant::A ? "A" : "B");
                         });
