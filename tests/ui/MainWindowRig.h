#pragma once

#include <gmock/gmock.h>

#include <QChartView>
#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <string>

#include "FakeDialogs.h"
#include "VirtualLibrary.h"
#include "command/BitImage.h"
#include "ui/main/CommandPanels.h"
#include "ui/main/DacFrame.h"
#include "ui/main/DataEntry.h"
#include "ui/main/MainForm.h"
#include "ui/main/Program.h"
#include "ui/monitor/AdcMonitor.h"

// The real program started on the virtual board of the build's program directory, with OK
// pressed in the package window unless the test presses it, so a test can drive the windows
// and read the board's trace of what went out.
class MainWindowRig {
public:
    // endingExits: ending the program really ends the process (for death tests).
    explicit MainWindowRig(const Deliverable& deliverable, const char* boardSettings = "",
                           bool endingExits = false, bool pressOk = true);
    ~MainWindowRig();

    Program& program() const { return *program_; }
    MainForm& main() const { return *program_->mainWindow(); }
    DacFrame& dac() const { return *main().Frame1(); }
    CommandPanels& panels() const { return dac().panels(); }
    DataEntry& entry() const { return dac().entry(); }
    Board& board() const { return program_->board(); }
    void pressOk() const;

    // The last line of the trace, and how many lines it has.
    std::string lastRequest() const {
        const auto lines = fileLines(trace_);
        return lines.empty() ? "" : lines.back();
    }
    size_t requestCount() const { return fileLines(trace_).size(); }
    const std::string& tracePath() const { return trace_; }

    VirtualLibrary lib;
    FakeDialogs dialogs;

private:
    std::string trace_;
    std::unique_ptr<Program> program_;
};

// Both deliverables as test parameters, named for the test's output.
inline const auto kBothDeliverables = testing::Values(&kXT4830, &kXT4830Version2);
std::string deliverableName(const testing::TestParamInfo<const Deliverable*>& info);

// The board's trace file of the running test: its own, as CTest runs tests side by side, and
// the same in a death test's child.
std::string testTracePath();

// What a screen reader or a test robot does: the control's own Toggle action.
void toggleByAccessibility(QWidget* control);

// A click as a person makes it: on a control that is on show.
void click(QWidget* control);

// Types over a field's text as a person does, each key pressed and released.
void type(QLineEdit* field, const QString& text);

// The texts a chart shows on the screen once its window is shown: its axes' labels and
// titles, its legend, its title.
QStringList drawnTexts(QChartView* view);

// What the trace shows for a DAC write of word to bus address 62, whatever the variant.
std::string dacWriteLine(int32_t word);
