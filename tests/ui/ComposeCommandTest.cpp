// Composing commands on the real main window and writing them to the virtual board.
#include "MainWindowRig.h"
#include "ui/main/BitsDisplay.h"

namespace {

int data(const MainWindowRig& rig) {
    return readField(rig.dac().composer().image(), kDataField);
}

class ComposeCommand : public testing::TestWithParam<const Deliverable*> {};

}  // namespace

TEST_P(ComposeCommand, WriteToPartSendsTheComposedWordOncePerPressForEveryPanel) {
    MainWindowRig rig(*GetParam());
    CommandPanels& p = rig.panels();
    const auto write = [&] { click(rig.dac().writeToPartCommand()); };
    write();  // right after start-up
    click(p.cmdBitsOption(4));
    click(p.powerDownOption(3));
    click(p.powerDownCheck(0));
    click(p.powerDownCheck(1));
    write();
    click(p.cmdBitsOption(5));
    click(p.ResetOption(1));
    write();
    click(p.cmdBitsOption(6));
    click(p.LDACOverwriteCheck(1));
    write();
    click(p.cmdBitsOption(7));
    click(p.refOption(1));
    write();
    click(p.cmdBitsOption(3));
    click(p.addressBitsOption(8));
    type(rig.entry().hexText(), "FFFF");
    write();
    // Index 8 is reached by the arrow key only; the channel stays.
    click(p.cmdBitsOption(7));
    QTest::keyClick(p.cmdBitsOption(7), Qt::Key_Down);
    write();
    click(p.cmdBitsOption(0));
    click(p.addressBitsOption(3));
    type(rig.entry().voltageText(), "1.5");
    write();
    const std::vector<int32_t> words = {0x000000, 0x200033, 0x280001, 0x300002,
                                        0x380001, 0x1FFFFF, 0x070000, 0x038000};
    const auto lines = fileLines(rig.tracePath());
    std::vector<std::string> writes;
    for (const std::string& line : lines) {
        if (line.find("code=0xDE") != std::string::npos) writes.push_back(line);
    }
    ASSERT_EQ(writes.size(), words.size()) << "one request per press";
    for (size_t i = 0; i < words.size(); ++i)
        EXPECT_THAT(writes[i], testing::HasSubstr(dacWriteLine(words[i])));
    EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST_P(ComposeCommand, EnterWritesAndChangesNothingOnScreenUnlessAnotherButtonHasTheFocus) {
    MainWindowRig rig(*GetParam());
    click(rig.panels().cmdBitsOption(3));
    type(rig.entry().hexText(), "8000");
    const size_t before = rig.requestCount();
    QTest::keyClick(rig.entry().hexText(), Qt::Key_Return);
    QTest::keyClick(rig.entry().hexText(), Qt::Key_Return, {}, 40);
    EXPECT_EQ(rig.requestCount(), before + 2) << "each press writes at once";
    EXPECT_THAT(rig.lastRequest(), testing::HasSubstr(dacWriteLine(0x188000)));
    EXPECT_EQ(rig.entry().hexText()->text(), "8000");
    EXPECT_EQ(rig.entry().voltageText()->text(), "1.50000000000000");
    EXPECT_EQ(data(rig), 0x8000);
    QTest::keyClick(rig.main().monitor().sampleCommand(), Qt::Key_Return);
    QTest::qWait(200);  // a focused button's own press shows for a moment
    EXPECT_THAT(rig.lastRequest(), testing::HasSubstr("code=0xDA"));
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
    EXPECT_FALSE(p.noAddressBitsFrame()->isVisible());
    EXPECT_TRUE(p.addressBitsOption(1)->isChecked());
    click(p.cmdBitsOption(4));
    EXPECT_TRUE(p.powerDownOption(0)->isChecked());
    EXPECT_FALSE(p.powerDownCheck(0)->isChecked());

    click(p.cmdBitsOption(5));
    click(p.ResetOption(1));
    p.clearCodeOption(2)->click();  // below the panel's edge
    EXPECT_EQ(rig.dac().composer().image().value(1), 1) << "the clear code in positions 1-0";
    click(p.cmdBitsOption(6));
    click(p.LDACOverwriteCheck(1));
    click(p.cmdBitsOption(5));
    EXPECT_TRUE(p.ResetOption(0)->isChecked());
    EXPECT_TRUE(p.clearCodeOption(0)->isChecked());
    EXPECT_FALSE(p.LDACOverwriteCheck(1)->isChecked());
    EXPECT_EQ(readField(rig.dac().composer().image(), {0, 19}), 0);

    // Each register panel shows its own contents; the last chosen is command 1.
    for (const auto& [command, label] :
         {std::pair{6, "Label2"}, std::pair{4, "powerDownLabel"}, std::pair{5, "Label3"},
          std::pair{1, "updateDACRegLabel"}}) {
        click(p.cmdBitsOption(command));
        EXPECT_TRUE(rig.main().findChild<QLabel*>(label)->isVisible()) << label;
    }
    EXPECT_TRUE(p.dataBitsFrame(1)->isVisible());
    EXPECT_FALSE(p.dataBitsFrame(5)->isVisible());
    EXPECT_FALSE(p.dataFrame()->isVisible());
    // The digits show the image: values and emphasis alike.
    const QLCDNumber* command = rig.dac().bits().digit(24);
    EXPECT_EQ(command->value(), 1);
    EXPECT_EQ(command->palette().color(QPalette::WindowText).red(), 255);
    EXPECT_EQ(rig.dac().bits().digit(19)->palette().color(QPalette::WindowText).red(), 160);
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
    QGuiApplication::clipboard()->setText("56789ABC");
    e.hexText()->clear();
    e.hexText()->paste();
    EXPECT_EQ(e.hexText()->text(), "5678") << "a paste is cut to the limit";
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
    CommandPanels& p = rig.panels();
    for (int pos = 0; pos < 32; ++pos) {
        EXPECT_EQ(display.digit(pos)->value(), 0);
        const int red = display.digit(pos)->palette().color(QPalette::WindowText).red();
        EXPECT_EQ(red, pos >= 4 && pos <= 27 ? 255 : 160) << pos;
    }
    EXPECT_EQ(rig.entry().VrefText()->text(), "3");
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(p.dataBitsFrame(i)->isVisible(), i == 0) << i;
    for (const QRadioButton* selected :
         {p.cmdBitsOption(0), p.addressBitsOption(0), p.ResetOption(0), p.refOption(0),
          p.powerDownOption(0), p.clearCodeOption(0)})
        EXPECT_TRUE(selected->isChecked()) << selected->text().toStdString();
    EXPECT_FALSE(p.noAddressBitsFrame()->isVisible());
    for (const int shown : {0, 1, 2, 3, 8})  // within the panel
        EXPECT_TRUE(p.addressBitsFrame()->rect().contains(p.addressBitsOption(shown)->geometry()));
    // Every field is what a click at its place reaches, labelled for a screen reader.
    QWidget& main = rig.main();
    for (QLineEdit* field : main.findChildren<QLineEdit*>())
        EXPECT_EQ(main.childAt(field->mapTo(&main, field->rect().center())), field);
    const auto labels = rig.main().findChildren<QLabel*>();
    for (QLineEdit* field : rig.main().findChildren<QLineEdit*>()) {
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
            return label->buddy() == field;
        })) << field->objectName().toStdString();
    }
    // Every caption shows whole: labels within their place, wrapped where they may wrap.
    for (const QLabel* label : rig.dac().findChildren<QLabel*>()) {
        const QRect room = label->contentsRect();
        const QRect needed = label->fontMetrics().boundingRect(
            room, (label->wordWrap() ? Qt::TextWordWrap : 0) | label->alignment(), label->text());
        EXPECT_TRUE(room.contains(needed)) << label->text().toStdString();
    }
    for (const QCheckBox* box : rig.main().findChildren<QCheckBox*>())
        EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
    // The reference panel's long first caption wraps within its panel.
    QRadioButton* off = p.refOption(0);
    const QRect wrapped = off->fontMetrics().boundingRect(QRect(0, 0, off->width() - 24, 1000),
                                                          Qt::TextWordWrap, off->text());
    EXPECT_LE(wrapped.height(), off->height());
    const QRect reference = p.dataBitsFrame(7)->geometry();
    EXPECT_TRUE(QRect(QPoint(), reference.size()).contains(off->geometry()));
    EXPECT_GT(p.refOption(1)->y(), off->geometry().bottom());
    // DAC A and B in sight in their panels, C and D just below the edge.
    const int edge = p.dataBitsFrame(4)->height();
    EXPECT_LT(p.powerDownCheck(0)->y(), p.powerDownCheck(1)->y());
    EXPECT_LT(p.powerDownCheck(1)->geometry().bottom(), edge);
    EXPECT_GE(p.powerDownCheck(2)->y(), edge);
    const int row[] = {29, 28, 26, 25, 24, 22, 21, 20, 19, 18, 17, 16,
                       15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4};
    for (size_t i = 1; i < std::size(row); ++i) {
        EXPECT_LT(display.digit(row[i - 1])->x(), display.digit(row[i])->x()) << row[i];
        EXPECT_EQ(display.digit(row[i])->y(), display.digit(row[0])->y());
    }
    const bool version2 = GetParam() == &kXT4830Version2;
    for (const int pos : {31, 30, 27, 23, 3, 2, 1, 0})
        EXPECT_EQ(display.digit(pos)->isVisible(), version2) << pos;
    EXPECT_EQ(reference.top() > p.addressBitsFrame()->geometry().bottom(), version2);
}

INSTANTIATE_TEST_SUITE_P(Deliverables, ComposeCommand, kBothDeliverables, deliverableName);

TEST(OptionsAndBoxes, ActOnEveryChangeOfStateAndOnlyThen) {
    MainWindowRig rig(kXT4830);
    CommandPanels& p = rig.panels();
    toggleByAccessibility(p.cmdBitsOption(3));
    toggleByAccessibility(p.addressBitsOption(2));
    type(rig.entry().hexText(), "8000");
    click(p.cmdBitsOption(3));  // already checked: nothing is reset
    click(p.addressBitsOption(2));
    EXPECT_EQ(rig.entry().hexText()->text(), "8000");
    click(rig.dac().writeToPartCommand());
    EXPECT_THAT(rig.lastRequest(), testing::HasSubstr(dacWriteLine(0x1A8000)));
    toggleByAccessibility(p.cmdBitsOption(6));
    toggleByAccessibility(p.LDACOverwriteCheck(3));
    EXPECT_EQ(data(rig), 0b1000);
    // A box below the panel's edge is reached by Tab and toggled by the space bar.
    click(p.LDACOverwriteCheck(1));
    QTest::keyClick(p.LDACOverwriteCheck(1), Qt::Key_Tab);
    ASSERT_EQ(rig.main().focusWidget(), p.LDACOverwriteCheck(2));
    QTest::keyClick(p.LDACOverwriteCheck(2), Qt::Key_Space);
    EXPECT_EQ(data(rig), 0b1110);
}
