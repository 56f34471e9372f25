// Composing commands on the real main window and writing them to the virtual board.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>

#include "ui/monitor/AdcMonitor.h"
#include "ui/main/BitsDisplay.h"
#include "ui/shared/CaptionFrame.h"
#include "ui/main/CommandPanels.h"
#include "ui/main/DacFrame.h"
#include "ui/main/DataEntry.h"
#include "ui/main/MainForm.h"
#include "MainWindowRig.h"

namespace {

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, 6));
}

// Types over a field's text as a person does, each key pressed and released.
void type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

// The values of positions last..first as a number.
int field(const BitImage& bits, int first, int last) {
    int value = 0;
    for (int p = last; p >= first; --p)
        value = value * 2 + bits.value(p);
    return value;
}

struct WriteCase {
    const char* name;
    std::function<void(CommandPanels&, DataEntry&)> compose;
    int32_t word;
};

const std::vector<WriteCase> kWrites = {
    {"right after start-up", [](CommandPanels&, DataEntry&) {}, 0x000000},
    {"power down three-state DAC A and B",
     [](CommandPanels& p, DataEntry&) {
         click(p.cmdBitsOption(4));
         click(p.powerDownOption(3));
         click(p.powerDownCheck(0));
         click(p.powerDownCheck(1));
     },
     0x200033},
    {"reset all",
     [](CommandPanels& p, DataEntry&) {
         click(p.cmdBitsOption(5));
         click(p.ResetOption(1));
     },
     0x280001},
    {"reference on",
     [](CommandPanels& p, DataEntry&) {
         click(p.cmdBitsOption(7));
         click(p.refOption(1));
     },
     0x380001},
    {"write and update all DACs with FFFF",
     [](CommandPanels& p, DataEntry& e) {
         click(p.cmdBitsOption(3));
         click(p.addressBitsOption(8));
         type(e.hexText(), "FFFF");
     },
     0x1FFFFF},
    {"update DAC register of DAC C",
     [](CommandPanels& p, DataEntry&) {
         click(p.cmdBitsOption(1));
         click(p.addressBitsOption(2));
     },
     0x0A0000},
    {"DAC B, then power down three-state DAC A",
     [](CommandPanels& p, DataEntry&) {
         click(p.addressBitsOption(1));
         click(p.cmdBitsOption(4));
         click(p.powerDownOption(3));
         click(p.powerDownCheck(0));
     },
     0x210031},
    {"command index 8, reached by the arrow key, with DAC C",
     [](CommandPanels& p, DataEntry&) {
         click(p.addressBitsOption(2));
         click(p.cmdBitsOption(7));
         QTest::keyClick(p.cmdBitsOption(7), Qt::Key_Down);
         click(p.clearCodeOption(2));  // not sent
     },
     0x020000},
    {"write input register of DAC D from a voltage",
     [](CommandPanels& p, DataEntry& e) {
         click(p.addressBitsOption(3));
         type(e.voltageText(), "1.5");
     },
     0x038000},
};

class ComposeCommand : public testing::TestWithParam<const Deliverable*> {};

}  // namespace

TEST_P(ComposeCommand, WriteToPartSendsTheComposedWordOncePerPress) {
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(c.name);
        MainWindowRig rig(*GetParam());
        c.compose(rig.panels(), rig.entry());
        const size_t before = rig.requestCount();
        click(rig.dac().writeToPartCommand());
        EXPECT_EQ(rig.requestCount(), before + 1);
        EXPECT_NE(rig.lastRequest().find(dacWriteLine(c.word)), std::string::npos)
            << rig.lastRequest();
        EXPECT_TRUE(rig.dialogs.shown.empty());
    }
}

TEST_P(ComposeCommand, WritingChangesNothingOnScreenAndEnterPressesTheButton) {
    MainWindowRig rig(*GetParam());
    click(rig.panels().cmdBitsOption(3));
    type(rig.entry().hexText(), "8000");
    const QString volts = rig.entry().voltageText()->text();
    QTest::keyClick(rig.entry().hexText(), Qt::Key_Return);
    QTest::qWait(200);  // the button's press shows for a moment
    EXPECT_NE(rig.lastRequest().find(dacWriteLine(0x188000)), std::string::npos);
    EXPECT_EQ(rig.entry().hexText()->text(), "8000");
    EXPECT_EQ(rig.entry().voltageText()->text(), volts);
    EXPECT_EQ(field(rig.dac().composer().image(), 4, 19), 0x8000);
    // Another push button with the focus takes its own Enter.
    const size_t before = rig.requestCount();
    QTest::keyClick(rig.main().monitor().sampleCommand(), Qt::Key_Return);
    QTest::qWait(200);
    EXPECT_EQ(rig.requestCount(), before + 1);
    EXPECT_NE(rig.lastRequest().find("code=0xDA"), std::string::npos);
}

TEST_P(ComposeCommand, PanelsFollowTheCommandAndChannel) {
    MainWindowRig rig(*GetParam());
    CommandPanels& p = rig.panels();
    const BitImage& bits = rig.dac().composer().image();

    // A code entered, then another channel: both fields back to 0, the data cleared.
    type(rig.entry().hexText(), "1234");
    click(p.addressBitsOption(1));
    EXPECT_EQ(rig.entry().hexText()->text(), "0");
    EXPECT_EQ(rig.entry().voltageText()->text(), "0");
    EXPECT_EQ(field(bits, 4, 19), 0);
    EXPECT_EQ(field(bits, 20, 23), 1);

    // DAC C, then power down: the options give way to "not used", the channel stays.
    click(p.addressBitsOption(2));
    click(p.cmdBitsOption(4));
    EXPECT_FALSE(p.addressBitsFrame()->isVisible());
    EXPECT_TRUE(p.noAddressBitsFrame()->isVisible());
    EXPECT_EQ(field(bits, 20, 22), 2);
    EXPECT_FALSE(p.dataFrame()->isVisible());
    EXPECT_TRUE(p.dataBitsFrame(4)->isVisible());

    // Ticks and mode are cleared by leaving the command and coming back.
    click(p.powerDownCheck(0));
    click(p.powerDownOption(3));
    EXPECT_EQ(field(bits, 4, 19), 0x31);  // mode 3 in data bits 5-4, DAC A in bit 0
    click(p.cmdBitsOption(0));
    EXPECT_TRUE(p.addressBitsFrame()->isVisible());
    EXPECT_TRUE(p.addressBitsOption(2)->isChecked());
    click(p.cmdBitsOption(4));
    EXPECT_TRUE(p.powerDownOption(0)->isChecked());
    EXPECT_FALSE(p.powerDownCheck(0)->isChecked());
    EXPECT_EQ(field(bits, 4, 19), 0);

    // The Reset panel always opens at "Reset DAC and Input Registers Only".
    click(p.cmdBitsOption(5));
    click(p.ResetOption(1));
    EXPECT_EQ(bits.value(4), 1);
    click(p.cmdBitsOption(6));
    click(p.cmdBitsOption(5));
    EXPECT_TRUE(p.ResetOption(0)->isChecked());
    EXPECT_EQ(bits.value(4), 0);

    // Update DAC Register: its own panel, no data entry, only 20-27 marked.
    click(p.cmdBitsOption(1));
    EXPECT_TRUE(p.dataBitsFrame(1)->isVisible());
    EXPECT_FALSE(p.dataFrame()->isVisible());
    // The digits show the image: values and emphasis alike.
    for (int pos = 0; pos < 31; ++pos) {
        const QLCDNumber* digit = rig.dac().bits().digit(pos);
        EXPECT_EQ(digit->palette().color(QPalette::WindowText).red(),
                  pos >= 20 && pos <= 27 ? 255 : 160)
            << pos;
        EXPECT_EQ(digit->value(), bits.value(pos)) << pos;
    }
}

TEST_P(ComposeCommand, ChannelBoxesBelowThePanelEdgeAreReachedByTabAndSpace) {
    MainWindowRig rig(*GetParam());
    CommandPanels& p = rig.panels();
    click(p.cmdBitsOption(6));
    click(p.LDACOverwriteCheck(1));
    QTest::keyClick(p.LDACOverwriteCheck(1), Qt::Key_Tab);
    ASSERT_EQ(rig.main().focusWidget(), p.LDACOverwriteCheck(2));
    QTest::keyClick(p.LDACOverwriteCheck(2), Qt::Key_Space);
    EXPECT_EQ(field(rig.dac().composer().image(), 4, 19), 0b0110);
    EXPECT_FALSE(p.addressBitsOption(4)->isVisible()) << "DAC E to H are hidden";
}

TEST_P(ComposeCommand, HexAndVoltageEntryFollowEachOther) {
    MainWindowRig rig(*GetParam());
    DataEntry& e = rig.entry();
    const BitImage& bits = rig.dac().composer().image();
    type(e.hexText(), "FFFF");
    EXPECT_EQ(e.voltageText()->text(), "2.99995422363281");
    // A new reference recomputes the voltage and leaves the code alone.
    e.VrefText()->setText("2.5");
    EXPECT_EQ(e.voltageText()->text(), "2.49996185302734");
    EXPECT_EQ(e.hexText()->text(), "FFFF");
    EXPECT_EQ(field(bits, 4, 19), 0xFFFF);
    // The hex field takes four characters from the keyboard.
    type(e.hexText(), "123456");
    EXPECT_EQ(e.hexText()->text(), "1234");
    // An arrow key released in the voltage field converts it even with nothing typed.
    e.voltageText()->setText("1.25");
    QTest::keyClick(e.voltageText(), Qt::Key_Left);
    EXPECT_EQ(e.hexText()->text(), "8000");
    EXPECT_EQ(field(bits, 4, 19), 0x8000);
    // The computed voltage is longer than eight characters; the field keeps it whole, and
    // typing may shorten it but not lengthen it.
    e.hexText()->setFocus();
    QTest::keyClick(e.hexText(), Qt::Key_End);
    EXPECT_EQ(e.voltageText()->text(), "1.25000000000000");
    e.voltageText()->setFocus();
    QTest::keyClick(e.voltageText(), Qt::Key_End);
    QTest::keyClicks(e.voltageText(), "9");
    EXPECT_EQ(e.voltageText()->text(), "1.25000000000000");
    QTest::keyClick(e.voltageText(), Qt::Key_Backspace);
    EXPECT_EQ(e.voltageText()->text(), "1.2500000000000");
    // With a reference that is no number, typing a voltage changes nothing.
    e.VrefText()->setText("");
    type(e.voltageText(), "0.5");
    EXPECT_EQ(e.hexText()->text(), "8000");
    EXPECT_EQ(field(bits, 4, 19), 0x8000);
}

TEST_P(ComposeCommand, StartsWithTheWriteCommandMarkedAndEveryFieldLabelled) {
    MainWindowRig rig(*GetParam());
    const BitsDisplay& display = rig.dac().bits();
    for (int pos = 0; pos < 32; ++pos) {
        EXPECT_EQ(display.digit(pos)->value(), 0);
        const int red = display.digit(pos)->palette().color(QPalette::WindowText).red();
        EXPECT_EQ(red, pos >= 4 && pos <= 27 ? 255 : 160) << pos;
    }
    EXPECT_EQ(rig.entry().VrefText()->text(), "3");
    for (QLineEdit* field :
         {rig.entry().hexText(), rig.entry().voltageText(), rig.entry().VrefText()}) {
        bool labelled = false;
        for (const QLabel* label : rig.main().findChildren<QLabel*>()) {
            labelled |= label->buddy() == field;
        }
        EXPECT_TRUE(labelled) << field->objectName().toStdString();
    }
}

TEST_P(ComposeCommand, BitRowReadsMostSignificantFirstAndTheOtherEightShowOnlyInVariantA) {
    MainWindowRig rig(*GetParam());
    const BitsDisplay& bits = rig.dac().bits();
    const std::vector<int> row = {29, 28, 26, 25, 24, 22, 21, 20, 19, 18, 17, 16,
                                  15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4};
    for (size_t i = 1; i < row.size(); ++i) {
        EXPECT_LT(bits.digit(row[i - 1])->x(), bits.digit(row[i])->x()) << row[i];
        EXPECT_EQ(bits.digit(row[i])->y(), bits.digit(row[0])->y());
    }
    const bool variantA = GetParam()->variant == Variant::A;
    for (const int pos : {31, 30, 27, 23, 3, 2, 1, 0}) {
        EXPECT_EQ(bits.digit(pos)->isVisible(), variantA) << pos;
    }
    const QRect reference = rig.panels().dataBitsFrame(7)->geometry();
    EXPECT_EQ(reference.top() > rig.panels().addressBitsFrame()->geometry().bottom(), variantA);
}

INSTANTIATE_TEST_SUITE_P(Deliverables, ComposeCommand, testing::Values(&kXT4830, &kXT4830Version2),
                         [](const auto& info) {
                             return std::string(info.param->variant == Variant::A ? "Version2"
                                                                                  : "XT4830");
                         });
