#pragma once

#include <QObject>

#include <array>

#include "command/CommandTable.h"

class CaptionFrame;
class CommandComposer;
class DataEntry;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;
class QWidget;

// The Command Bits, Address Bits and register panels of the DAC frame. Each control writes
// its own field into the bit image; choosing a command shows its panel and marks its fields.
// Nothing here talks to the board.
class CommandPanels : public QObject {
    Q_OBJECT
public:
    CommandPanels(QWidget* dacFrame, bool secondRow, CommandComposer& composer, DataEntry& entry,
                  QWidget* dataFrame);

    void cmdBitsOption_Click(int index);
    void addressBitsOption_Click(int index);
    void ResetDataControls();

    QRadioButton* cmdBitsOption(int i) const { return cmdBitsOption_[i]; }
    QRadioButton* addressBitsOption(int i) const { return addressBitsOption_[i]; }
    QRadioButton* powerDownOption(int i) const { return powerDownOption_[i]; }
    QCheckBox* powerDownCheck(int i) const { return powerDownCheck_[i]; }
    QRadioButton* ResetOption(int i) const { return resetOption_[i]; }
    QCheckBox* LDACOverwriteCheck(int i) const { return ldacOverwriteCheck_[i]; }
    QRadioButton* refOption(int i) const { return refOption_[i]; }
    QRadioButton* clearCodeOption(int i) const { return clearCodeOption_[i]; }
    CaptionFrame* dataBitsFrame(int i) const { return dataBitsFrame_[i]; }
    CaptionFrame* addressBitsFrame() const { return addressBitsFrame_; }
    CaptionFrame* noAddressBitsFrame() const { return noAddressBitsFrame_; }
    QWidget* dataFrame() const { return dataFrame_; }

private:
    void buildCommandPanel(QWidget* dacFrame);
    void buildAddressPanels(QWidget* dacFrame);
    void buildDataPanels(QWidget* dacFrame, bool secondRow);
    void buildPowerDownPanel(CaptionFrame* panel);
    void buildResetPanel(CaptionFrame* panel);
    void buildLdacPanel(CaptionFrame* panel);
    void buildReferencePanel(CaptionFrame* panel);
    // The panel's option group writes the chosen index into the command's option field.
    void optionField(QButtonGroup* group, Command command);
    // Checking or clearing a box writes its value into the command's channel bit.
    template <size_t N>
    void channelBitBoxes(const std::array<QCheckBox*, N>& boxes, Command command);
    CaptionFrame* dataPanel(Command command) const { return dataBitsFrame_[index(command)]; }

    CommandComposer& composer_;
    DataEntry& entry_;
    QWidget* dataFrame_;
    std::array<QRadioButton*, 9> cmdBitsOption_{};
    std::array<QRadioButton*, 9> addressBitsOption_{};
    std::array<QRadioButton*, 4> powerDownOption_{};
    std::array<QCheckBox*, 8> powerDownCheck_{};
    std::array<QRadioButton*, 2> resetOption_{};
    std::array<QCheckBox*, 8> ldacOverwriteCheck_{};
    std::array<QRadioButton*, 2> refOption_{};
    std::array<QRadioButton*, 4> clearCodeOption_{};
    std::array<CaptionFrame*, 9> dataBitsFrame_{};
    CaptionFrame* addressBitsFrame_ = nullptr;
    CaptionFrame* noAddressBitsFrame_ = nullptr;
};
