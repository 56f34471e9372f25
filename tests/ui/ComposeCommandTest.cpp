// Composing commands on the real main window and writing them to the virtual board.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "MainWindowRig.h"
#include "command/BitImage.h"
#include "ui/main/BitsDisplay.h"
#include "ui/main/CommandPanels.h"
#include "ui/main/DacFrame.h"
#include "ui/main/DataEntry.h"
#include "ui/main/MainForm.h"
#include "ui/monitor/AdcMonitor.h"
#include "ui/shared/CaptionFrame.h"

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

int data(const MainWindowRig& rig) {
    return readField(rig.dac().composer().image(), kDataField);
}

struct WriteCase {
    const char* name;
    void (*compose)(CommandPanels&, DataEntry&);
    int32_t word;
};

// Every control of every panel, each in a command that sends what it wrote.
const WriteCase kWrites[] = {
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
    {"LDAC register, DAC B",
     [](CommandPanels& p, DataEntry&) {
         click(p.cmdBitsOption(6));
         click(p.LDACOverwriteCheck(1));
     },
     0x300002},
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
    {"update DAC C, then power down mid-scale DAC A: the channel stays",
     [](CommandPanels& p, DataEntry&) {
         click(p.cmdBitsOption(1));
         click(p.addressBitsOption(2));
         click(p.cmdBitsOption(4));
         click(p.powerDownOption(1));
         click(p.powerDownCheck(0));
     },
     0x220011},
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

TEST_P(ComposeCommand, EnterWritesAndChangesNothingOnScreenUnlessAnotherButtonHasTheFocus) {
    MainWindowRig rig(*GetParam());
    click(rig.panels().cmdBitsOption(3));
    type(rig.entry().hexText(), "8000");
    QTest::keyClick(rig.entry().hexText(), Qt::Key_Return);
    QTest::qWait(200);  // the button's press shows for a moment
    EXPECT_NE(rig.lastRequest().find(dacWriteLine(0x188000)), std::string::npos);
    EXPECT_EQ(rig.entry().hexText()->text(), "8000");
    EXPECT_EQ(rig.entry().voltageText()->text(), "1.50000000000000");
    EXPECT_EQ(data(rig), 0x8000);
    QTest::keyClick(rig.main().monitor().sampleCommand(), Qt::Key_Return);
    QTest::qWait(200);
    EXPECT_NE(rig.lastRequest().find("code=0xDA"), std::string::npos);
}

TEST_P(ComposeCommand, PanelsFollowTheCommandAndTheDataControlsComeBackToTheirDefaults) {
    MainWindowRig rig(*GetParam());
    CommandPanels& p = rig.panels();
    type(rig.entry().hexText(), "1234");
    click(p.addressBitsOption(1));
    EXPECT_EQ(rig.entry().hexText()->text(), "0");
    EXPECT_EQ(rig.entry().voltageText()->text(), "0");
    EXPECT_EQ(data(rig), 0);

    click(p.cmdBitsOption(4));
    EXPECT_FALSE(p.addressBitsFrame()->isVisible());
    EXPECT_TRUE(p.noAddressBitsFrame()->isVisible());
    EXPECT_FALSE(p.dataFrame()->isVisible());
    EXPECT_TRUE(p.dataBitsFrame(4)->isVisible());
    click(p.powerDownCheck(0));
    click(p.powerDownOption(3));
    click(p.cmdBitsOption(0));
    EXPECT_TRUE(p.addressBitsFrame()->isVisible());
    EXPECT_TRUE(p.addressBitsOption(1)->isChecked());
    click(p.cmdBitsOption(4));
    EXPECT_TRUE(p.powerDownOption(0)->isChecked());
    EXPECT_FALSE(p.powerDownCheck(0)->isChecked());

    click(p.cmdBitsOption(5));
    click(p.ResetOption(1));
    click(p.cmdBitsOption(6));
    click(p.cmdBitsOption(5));
    EXPECT_TRUE(p.ResetOption(0)->isChecked());
    EXPECT_EQ(data(rig), 0);

    click(p.cmdBitsOption(1));
    EXPECT_TRUE(p.dataBitsFrame(1)->isVisible());
    EXPECT_FALSE(p.dataBitsFrame(5)->isVisible());
    EXPECT_FALSE(p.dataFrame()->isVisible());
    // The digits show the image: values and emphasis alike.
    for (int pos = 0; pos < 31; ++pos) {
        const QLCDNumber* digit = rig.dac().bits().digit(pos);
        EXPECT_EQ(digit->palette().color(QPalette::WindowText).red(),
                  pos >= 20 && pos <= 27 ? 255 : 160)
            << pos;
        EXPECT_EQ(digit->value(), pos == 20 || pos == 24 ? 1 : 0) << pos;
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
    EXPECT_EQ(data(rig), 0b0110);
    EXPECT_FALSE(p.addressBitsOption(4)->isVisible()) << "DAC E to H are hidden";
}

TEST_P(ComposeCommand, HexAndVoltageEntryFollowEachOther) {
    MainWindowRig rig(*GetParam());
    DataEntry& e = rig.entry();
    type(e.hexText(), "FFFF");
    EXPECT_EQ(e.voltageText()->text(), "2.99995422363281");
    e.VrefText()->setText("2.5");  // recomputes the voltage, leaves the code alone
    EXPECT_EQ(e.voltageText()->text(), "2.49996185302734");
    EXPECT_EQ(data(rig), 0xFFFF);
    type(e.hexText(), "123456");
    EXPECT_EQ(e.hexText()->text(), "1234") << "four characters from the keyboard";
    e.voltageText()->setText("1.25");
    QTest::keyClick(e.voltageText(), Qt::Key_Left);  // converts with nothing typed
    EXPECT_EQ(e.hexText()->text(), "8000");
    EXPECT_EQ(data(rig), 0x8000);
    // A computed voltage longer than the typing limit stays whole and can only be shortened.
    QTest::keyClick(e.hexText(), Qt::Key_End);
    QTest::keyClick(e.voltageText(), Qt::Key_End);
    QTest::keyClicks(e.voltageText(), "9");
    EXPECT_EQ(e.voltageText()->text(), "1.25000000000000");
    QTest::keyClick(e.voltageText(), Qt::Key_Backspace);
    EXPECT_EQ(e.voltageText()->text(), "1.2500000000000");
    e.VrefText()->setText("");  // no number: typing a voltage changes nothing
    type(e.voltageText(), "0.5");
    EXPECT_EQ(e.hexText()->text(), "8000");
    EXPECT_EQ(data(rig), 0x8000);
}

TEST_P(ComposeCommand, StartsMarkedAndLabelledWithTheRowMostSignificantFirst) {
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
        for (const QLabel* label : rig.main().findChildren<QLabel*>())
            labelled |= label->buddy() == field;
        EXPECT_TRUE(labelled) << field->objectName().toStdString();
    }
    const int row[] = {29, 28, 26, 25, 24, 22, 21, 20, 19, 18, 17, 16,
                       15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4};
    for (size_t i = 1; i < std::size(row); ++i) {
        EXPECT_LT(display.digit(row[i - 1])->x(), display.digit(row[i])->x()) << row[i];
        EXPECT_EQ(display.digit(row[i])->y(), display.digit(row[0])->y());
    }
    const bool variantA = GetParam()->variant == Variant::A;
    for (const int pos : {31, 30, 27, 23, 3, 2, 1, 0})
        EXPECT_EQ(display.digit(pos)->isVisible(), variantA) << pos;
    const QRect reference = rig.panels().dataBitsFrame(7)->geometry();
    EXPECT_EQ(reference.top() > rig.panels().addressBitsFrame()->geometry().bottom(), variantA);
}

INSTANTIATE_TEST_SUITE_P(Deliverables, ComposeCommand, testing::Values(&kXT4830, &kXT4830Version2),
                         [](const auto& info) {
                             return std::string(info.param->variant == Variant::A ? "Version2"
                                                                                  : "XT4830");
                         });
