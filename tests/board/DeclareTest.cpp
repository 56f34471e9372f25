#include "board/Declare.h"

#include <gtest/gtest.h>

#include <memory>

#include "FakeDialogs.h"
#include "FakeDriverFunctions.h"
#include "board/Deliverable.h"

namespace {

// Each deliverable's driver over the recording stand-ins, opened so variant A holds a handle.
struct Rig {
    explicit Rig(const Deliverable* d)
        : variantA(d->variant == "A"), driver(d->makeDriver(resolver)) {
        FirmwarePathBytes path;
        path.SetFirmwarePath("/x/XT4830.hex");
        driver->attemptOpen("/x/XT4830.hex", path);
        fakeDriver().calls.clear();
        declare = std::make_unique<Declare>(*driver, boxes);
    }
    // The fields of the one request sent, as the library function received them; variant A's
    // handle must come first.
    std::vector<int64_t> sent() const {
        EXPECT_EQ(fakeDriver().calls.size(), 1u);
        const DriverCall& call = fakeDriver().calls.at(0);
        EXPECT_EQ(call.function, variantA ? "Vendor_Request" : "VendorIORequest");
        EXPECT_EQ(call.bufferBefore, (std::array<uint8_t, 4>{})) << "a zeroed buffer";
        std::vector<int64_t> args = call.args;
        if (variantA) {
            EXPECT_EQ(args.front(), 100) << "the board handle goes first";
            args.erase(args.begin());
        }
        return args;
    }
    bool variantA;
    FakeDriverResolver resolver;
    std::unique_ptr<DriverLibrary> driver;
    FakeDialogs dialogs;
    ErrorBoxForEach boxes{dialogs};
    std::unique_ptr<Declare> declare;
};

struct Operation {
    uint16_t deviceAddress;
    void (*run)(Declare&);
    std::vector<int64_t> request;  // code, value, index, direction, length
};

const Operation kOperations[] = {
    {62, [](Declare& d) { d.WriteDacWord(0x2A8001); }, {0xDE, 0x3E2A, 0x8001, 0, 0}},
    {30, [](Declare& d) { d.WriteDacWord(0x1F0000); }, {0xDE, 0x1E1F, 0x0000, 0, 0}},
    {62, [](Declare& d) { d.WriteDacWord(0x7F2A8001); }, {0xDE, 0x3E2A, 0x8001, 0, 0}},
    {62, [](Declare& d) { d.WriteDacWord(0x3FFFFF); }, {0xDE, 0x3E3F, 0xFFFF, 0, 0}},
    {62, [](Declare& d) { d.SelectMuxChannel(0x80); }, {0xDF, 0x9880, 0, 0, 0}},
    {62, [](Declare& d) { d.ConfigureAdc(18, 72); }, {0xDA, 18, 72, 0, 0}},
    {62, [](Declare& d) { d.ReadAdc(); }, {0xDA, 0, 0, 1, 3}},
    {62, [](Declare& d) { d.SetClrPin(true); }, {0xE1, 0, 0, 0, 0}},
    {62, [](Declare& d) { d.SetClrPin(false); }, {0xE0, 0, 0, 0, 0}},
    {62, [](Declare& d) { d.SetLdacPin(true); }, {0xF1, 0, 0, 0, 0}},
    {62, [](Declare& d) { d.SetLdacPin(false); }, {0xF0, 0, 0, 0, 0}},
};

class DeclareBothVariants : public testing::TestWithParam<const Deliverable*> {};

}  // namespace

TEST_P(DeclareBothVariants, EveryOperationPacksItsOneRequest) {
    for (const Operation& op : kOperations) {
        SCOPED_TRACE(op.request[0]);
        Rig rig(GetParam());
        rig.declare->setDeviceAddress(op.deviceAddress);
        op.run(*rig.declare);
        EXPECT_EQ(rig.sent(), op.request);
        EXPECT_TRUE(rig.dialogs.shown.empty());
    }
}

TEST_P(DeclareBothVariants, ReadAdcFormsTheCountAndAFailureShowsErrorAndGoesOn) {
    Rig rig(GetParam());
    for (const auto& [reply, count] : {std::pair{std::array<uint8_t, 3>{0x0F, 0xFF, 0x12}, 4095},
                                       std::pair{std::array<uint8_t, 3>{0xFF, 0xFF, 0}, 65535}}) {
        fakeDriver().reply = reply;
        EXPECT_EQ(rig.declare->ReadAdc(), count);
    }
    fakeDriver().requestResult = -3;
    fakeDriver().reply = {0x01, 0x02, 0x03};
    EXPECT_EQ(rig.declare->ReadAdc(), 0) << "the buffer stayed untouched";
    fakeDriver().replyOnFailure = true;  // what the library wrote still counts
    EXPECT_EQ(rig.declare->ReadAdc(), 0x0102);
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    // No title: the application's name.
    EXPECT_EQ(rig.dialogs.shown[0], (MessageBoxSpec{"error", "", MessageIcon::None}));
}

TEST(FailurePolicy, TheNewestScopeDecidesAndScopesEndInAnyOrder) {
    Rig rig(&kXT4830);
    fakeDriver().requestResult = 7;
    // Refuses count CLR requests and tells how many boxes have been shown in all.
    const auto boxesAfter = [&rig](int count) {
        for (int i = 0; i < count; ++i)
            rig.declare->SetClrPin(false);
        return rig.dialogs.shown.size();
    };
    EXPECT_EQ(boxesAfter(2), 2u) << "the standing policy: a box for each";
    FirstRefusalText text;
    ErrorBoxForFirst first(rig.dialogs);
    auto run = std::make_unique<Declare::PolicyScope>(*rig.declare, first);
    EXPECT_EQ(boxesAfter(2), 3u) << "one box in a run";
    auto quiet = std::make_unique<Declare::PolicyScope>(*rig.declare, text);
    rig.declare->SetLdacPin(true);
    EXPECT_EQ(boxesAfter(1), 3u);
    EXPECT_EQ(text.text(), "request 0xF1 (value 0x0000, index 0x0000) failed with result 7");
    run.reset();  // the older scope ends first: the newer one still decides
    EXPECT_EQ(boxesAfter(1), 3u);
    quiet.reset();
    EXPECT_EQ(boxesAfter(1), 4u) << "all scopes gone: a box for each again";
    EXPECT_EQ(describeFailure({0xDA, 0, 0, kFromBoard, 3, nullptr}, -2),
              "request 0xDA (value 0x0000, index 0x0000, from the board) failed with result -2");
}

TEST(Dialogs, EveryBoxClosedListenerRunsUntilItsOwnerIsTakenOff) {
    FakeDialogs dialogs;
    std::string closed;
    const std::array<char, 2> owners = {'a', 'b'};
    for (const char& owner : owners)
        dialogs.addBoxClosedListener(&owner, [&] { closed += dialogs.boxOpen() ? '!' : owner; });
    for (const char& owner : owners) {
        dialogs.show({"error", "", MessageIcon::None, MessageButtons::Ok});
        dialogs.removeBoxClosedListeners(&owner);
    }
    EXPECT_EQ(closed, "abb") << "each after its box has closed, until taken off";
}

INSTANTIATE_TEST_SUITE_P(VariantsAB, DeclareBothVariants,
                         testing::Values(&kXT4830Version2, &kXT4830),
                         [](const auto& info) { return std::string(info.param->variant); });
