#pragma once

#include <memory>

#include "command/CommandComposer.h"
#include "ui/shared/CaptionFrame.h"

class BitsDisplay;
class CommandPanels;
class DataEntry;
class HardwarePins;
class Declare;
class QPushButton;

// The "DAC" frame of the main window, where a command for the converter is composed on the
// bit image and written to the part.
class DacFrame : public CaptionFrame {
    Q_OBJECT
public:
    // geometry: the frame's place in the window, known before its contents are laid out.
    DacFrame(QWidget* parent, const QRect& geometry, bool secondRow, Declare& requests);
    ~DacFrame() override;

    // Sends the composed command: reads the bit image and nothing else.
    void writeToPartCommand_Click();

    CommandComposer& composer() { return composer_; }
    BitsDisplay& bits() { return *bits_; }
    CommandPanels& panels() { return *panels_; }
    DataEntry& entry() { return *entry_; }
    HardwarePins& pins() { return *pins_; }
    QPushButton* writeToPartCommand() const { return writeToPartCommand_; }

private:
    Declare& requests_;
    CommandComposer composer_;
    std::unique_ptr<BitsDisplay> bits_;
    DataEntry* entry_;
    CommandPanels* panels_;
    QPushButton* writeToPartCommand_;
    HardwarePins* pins_;
};
