#include "ui/main/CommandPanels.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

#include "command/CommandComposer.h"
#include "command/CommandTable.h"
#include "ui/main/DataEntry.h"
#include "ui/shared/CaptionFrame.h"
#include "ui/shared/CheckedTabStop.h"
#include "ui/shared/WrappedOption.h"

namespace {

// Panels' places in the DAC frame, in pixels.
const QRect kCommandPanel{8, 70, 262, 198};
const QRect kAddressPanel{278, 70, 110, 140};
const QRect kDataPanel{396, 70, 269, 198};
const QRect kLowerReferencePanel{278, 216, 258, 84};  // in the second row
constexpr int kLine = 22;                             // one option per line
constexpr int kFirstLine = 20;
constexpr int kIndent = 8;  // a control's distance from its panel's left and right edges
constexpr int kGap = 4;     // between a label and the controls above and below it

// An option group: exclusive by its group, whatever else shares the panel.
template <typename Option = QRadioButton, size_t N>
void optionGroup(std::array<QRadioButton*, N>& options, QWidget* panel,
                 const std::array<const char*, N>& captions, int top, QObject* owner) {
    auto* group = new QButtonGroup(owner);
    for (int i = 0; auto& option : options) {
        option = new Option(QString::fromUtf8(captions[i]), panel);
        option->setGeometry(kIndent, top + i * kLine, panel->width() - 2 * kIndent, kLine - 2);
        group->addButton(option, i++);
    }
    keepTabStopOnCheckedOption(*group);
}

// Runs handler with the index of the option that becomes checked, however it became checked
// (mouse, keyboard, accessibility, the program); a click on the checked one changes nothing.
template <typename Handler>
void onOptionChecked(QButtonGroup* group, QObject* owner, Handler handler) {
    QObject::connect(group, &QButtonGroup::idToggled, owner, [handler](int index, bool checked) {
        if (checked) handler(index);
    });
}

// A label across its panel at top, as tall as its wrapped text; returns where the next
// control may start.
int wrappedLabel(QWidget* panel, const QString& text, int top, const QString& name) {
    auto* label = new QLabel(text, panel);
    label->setObjectName(name);
    label->setWordWrap(true);
    const int width = panel->width() - 2 * kIndent;
    label->setGeometry(kIndent, top, width, label->heightForWidth(width));
    return label->geometry().bottom() + kGap;
}

// Where the next control may start below the last option of a group.
template <size_t N>
int below(const std::array<QRadioButton*, N>& options) {
    return options.back()->geometry().bottom() + kGap;
}

// The captions of a table's rows, in its order.
template <typename Table>
auto captionsOf(const Table& table) {
    std::array<const char*, std::tuple_size_v<Table>> captions{};
    std::transform(table.begin(), table.end(), captions.begin(),
                   [](const auto& row) { return row.caption; });
    return captions;
}

template <size_t N>
QButtonGroup* groupOf(const std::array<QRadioButton*, N>& options) {
    return options[0]->group();
}

}  // namespace

CommandPanels::CommandPanels(QWidget* dacFrame, bool secondRow, CommandComposer& composer,
                             DataEntry& entry, QWidget* dataFrame)
    : QObject(dacFrame), composer_(composer), entry_(entry), dataFrame_(dataFrame) {
    buildCommandPanel(dacFrame);
    buildAddressPanels(dacFrame);
    buildDataPanels(dacFrame, secondRow);
    // The data-entry group lies over the data panel.
    dataFrame_->setGeometry(kDataPanel.adjusted(6, 20, -6, -6));
    dataFrame_->raise();
}

void CommandPanels::buildCommandPanel(QWidget* dacFrame) {
    auto* panel = new CaptionFrame(QStringLiteral("Command Bits"), dacFrame);
    panel->setObjectName(QStringLiteral("cmdBitsFrame"));
    panel->setGeometry(kCommandPanel);
    // Index 8 falls below the panel's edge: out of sight, yet the arrow keys still reach it.
    optionGroup(cmdBitsOption_, panel, captionsOf(kCommands), kFirstLine, this);
    cmdBitsOption_[index(kStartCommand)]->setChecked(true);
    onOptionChecked(groupOf(cmdBitsOption_), this, [this](int i) { cmdBitsOption_Click(i); });
}

void CommandPanels::buildAddressPanels(QWidget* dacFrame) {
    noAddressBitsFrame_ = new CaptionFrame(QStringLiteral("Address Bits"), dacFrame);
    noAddressBitsFrame_->setObjectName(QStringLiteral("noAddressBitsFrame"));
    noAddressBitsFrame_->setGeometry(kAddressPanel);
    wrappedLabel(noAddressBitsFrame_, QStringLiteral("Address bits not used for this command"),
                 kFirstLine, QStringLiteral("noAddressBitsLabel"));
    noAddressBitsFrame_->hide();

    addressBitsFrame_ = new CaptionFrame(QStringLiteral("Address Bits"), dacFrame);
    addressBitsFrame_->setObjectName(QStringLiteral("addressBitsFrame"));
    addressBitsFrame_->setGeometry(kAddressPanel);
    optionGroup(addressBitsOption_, addressBitsFrame_, captionsOf(kAddresses), kFirstLine, this);
    // DAC E to H are hidden; "All DACs" moves up under DAC D.
    int line = 0;
    for (int i = 0; const AddressEntry& address : kAddresses) {
        QRadioButton* option = addressBitsOption_[i++];
        option->setVisible(address.offered);
        if (address.offered) option->move(kIndent, kFirstLine + line++ * kLine);
    }
    addressBitsOption_[index(Channel::DacA)]->setChecked(true);
    onOptionChecked(groupOf(addressBitsOption_), this,
                    [this](int i) { addressBitsOption_Click(i); });
}

void CommandPanels::buildDataPanels(QWidget* dacFrame, bool secondRow) {
    // The second row shows the reference panel lower down, beside the other panels.
    const int lowered = secondRow ? index(Command::InternalReference) : -1;
    for (int i = 0; auto& panel : dataBitsFrame_) {
        panel = new CaptionFrame(QString::fromLatin1(kCommands[i].panel), dacFrame);
        panel->setObjectName(QStringLiteral("dataBitsFrame_%1").arg(i));
        panel->setGeometry(i == lowered ? kLowerReferencePanel : kDataPanel);
        panel->setVisible(i++ == index(kStartCommand));
    }
    wrappedLabel(dataPanel(Command::Update), QStringLiteral("Software LDAC for DAC registor n"),
                 kFirstLine, QStringLiteral("updateDACRegLabel"));
    buildPowerDownPanel(dataPanel(Command::PowerDown));
    buildResetPanel(dataPanel(Command::Reset));
    buildLdacPanel(dataPanel(Command::LdacRegister));
    buildReferencePanel(dataPanel(Command::InternalReference));
}

void CommandPanels::optionField(QButtonGroup* group, Command command) {
    onOptionChecked(group, this,
                    [this, command](int index) { composer_.chooseOption(command, index); });
}

template <size_t N>
void CommandPanels::channelBitBoxes(const std::array<QCheckBox*, N>& boxes, Command command) {
    for (int channel = 0; QCheckBox * box : boxes) {
        connect(box, &QCheckBox::toggled, this, [this, command, channel](bool checked) {
            composer_.setChannelBox(command, static_cast<Channel>(channel), checked);
        });
        ++channel;
    }
}

// The channel boxes for DAC C onwards lie just below the panel's edge: out of sight, but the
// Tab key still reaches them and the space bar toggles them.
template <size_t N>
static void channelBoxes(std::array<QCheckBox*, N>& boxes, QWidget* panel, int top) {
    for (int i = 0; auto& box : boxes) {
        const int y = i < 2 ? top + i * kLine : panel->height() + kGap + (i - 2) * kLine;
        box = new QCheckBox(QString::fromLatin1(kAddresses[i++].caption), panel);
        box->setGeometry(kIndent, y, panel->width() - 2 * kIndent, kLine - 2);
    }
}

void CommandPanels::buildPowerDownPanel(CaptionFrame* panel) {
    optionGroup(powerDownOption_, panel, captionsOf(kPowerDownModes), kFirstLine, this);
    optionField(groupOf(powerDownOption_), Command::PowerDown);
    const int boxesTop =
        wrappedLabel(panel, QStringLiteral("Check box(s) of DAC(s) to power down."),
                     below(powerDownOption_), QStringLiteral("powerDownLabel"));
    channelBoxes(powerDownCheck_, panel, boxesTop);
    channelBitBoxes(powerDownCheck_, Command::PowerDown);
}

void CommandPanels::buildResetPanel(CaptionFrame* panel) {
    optionGroup(resetOption_, panel, captionsOf(kResetChoices), kFirstLine, this);
    resetOption_[index(ResetChoice::DacAndInputOnly)]->setChecked(true);
    optionField(groupOf(resetOption_), Command::Reset);
    wrappedLabel(panel, QStringLiteral("Click Write to Part to reset"), below(resetOption_),
                 QStringLiteral("Label3"));
    // The clear-code options lie below the panel's edge.
    optionGroup(clearCodeOption_, panel, captionsOf(kClearCodes), panel->height() + kGap, this);
    optionField(groupOf(clearCodeOption_), Command::ClearCodeRegister);
}

void CommandPanels::buildLdacPanel(CaptionFrame* panel) {
    const int boxesTop =
        wrappedLabel(panel,
                     QStringLiteral("Checking a box below causes that DAC channel to be updated "
                                    "regardless of the LDAC pin"),
                     kFirstLine, QStringLiteral("Label2"));
    channelBoxes(ldacOverwriteCheck_, panel, boxesTop);
    channelBitBoxes(ldacOverwriteCheck_, Command::LdacRegister);
}

void CommandPanels::buildReferencePanel(CaptionFrame* panel) {
    optionGroup<WrappedOption>(refOption_, panel, captionsOf(kReferenceChoices), kFirstLine, this);
    // The first caption is longer than the panel is wide: it takes a second line.
    QRadioButton* off = refOption_[index(ReferenceChoice::Off)];
    QRadioButton* on = refOption_[index(ReferenceChoice::On)];
    off->resize(off->width(), off->heightForWidth(off->width()));
    on->move(on->x(), off->geometry().bottom() + kGap);
    optionField(groupOf(refOption_), Command::InternalReference);
}

void CommandPanels::cmdBitsOption_Click(int index) {
    ResetDataControls();
    resetOption_[::index(ResetChoice::DacAndInputOnly)]->setChecked(true);
    composer_.chooseCommand(static_cast<Command>(index));
    for (CaptionFrame* panel : dataBitsFrame_)
        panel->hide();
    dataBitsFrame_[index]->show();
    const CommandEntry& command = kCommands[index];
    dataFrame_->setVisible(command.dataEntry);
    // Without the options, "Address bits not used for this command" shows in their place.
    addressBitsFrame_->setVisible(command.addressOptions);
    noAddressBitsFrame_->setVisible(!command.addressOptions);
}

void CommandPanels::addressBitsOption_Click(int index) {
    ResetDataControls();
    composer_.chooseChannel(static_cast<Channel>(index));
}

void CommandPanels::ResetDataControls() {
    entry_.hexText()->setText(QStringLiteral("0"));
    entry_.voltageText()->setText(QStringLiteral("0"));
    powerDownOption_[index(PowerDownMode::Normal)]->setChecked(true);
    for (QCheckBox* box : powerDownCheck_)
        box->setChecked(false);
    clearCodeOption_[index(ClearCode::ZeroScale)]->setChecked(true);
    for (QCheckBox* box : ldacOverwriteCheck_)
        box->setChecked(false);
    refOption_[index(ReferenceChoice::Off)]->setChecked(true);
    composer_.clearData();
}
