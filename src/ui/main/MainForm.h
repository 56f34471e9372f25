#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>

#include "board/Deliverable.h"
#include "board/Package.h"

class QAction;
class QLabel;

class AdcMonitor;
class Board;
class CaptionFrame;
class DacFrame;
class ReadbackPlot;
class Dialogs;
class SysInfoPlatform;
class TestForm;
class frmAbout;

// The main window: the title band, the ADC monitor frame and the DAC frame.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    // package: the one chosen in the package window, which results are saved with.
    MainForm(const Deliverable& deliverable, Package package, Board& board, Dialogs& dialogs);
    ~MainForm() override;

    // Runs before the window first becomes visible: the title, then the board opened
    // (returns only with the board open; Cancel in the retry box ends the program), then the
    // window's preparation.
    void Form_Load();

    // The self-test window and the About box: one of each, created when first asked for and
    // brought forward when asked for again.
    void Image1_DblClick();
    void MnuAbout_Click();
    void MnuPlot_Click();
    TestForm* testForm() const;
    frmAbout* aboutBox() const;
    ReadbackPlot* plotWindow() const;

    QAction* MnuAbout() const { return mnuAbout_; }
    QAction* MnuExit() const { return mnuExit_; }
    QAction* MnuPlot() const { return mnuPlot_; }
    AdcMonitor& monitor() const { return *monitor_; }
    DacFrame* Frame1() const { return frame1_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildMenu();
    void buildTopBand(QWidget* client);
    void prepare();

    const Deliverable& deliverable_;
    Package package_;
    Board& board_;
    Dialogs& dialogs_;
    QAction* mnuAbout_ = nullptr;
    QAction* mnuExit_ = nullptr;
    QAction* mnuPlot_ = nullptr;
    DacFrame* frame1_ = nullptr;
    AdcMonitor* monitor_ = nullptr;
    QWidget* image1_ = nullptr;
    std::unique_ptr<SysInfoPlatform> sysInfo_;
    QPointer<TestForm> testForm_;
    QPointer<frmAbout> aboutBox_;
    QPointer<ReadbackPlot> plot_;
};
