#include "ui/main/MainForm.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include "board/Board.h"
#include "board/BoardMarking.h"
#include "board/Dialogs.h"
#include "board/Package.h"
#include "command/CommandTable.h"
#include "measure/AdcRules.h"
#include "ui/about/QtSysInfoPlatform.h"
#include "ui/about/frmAbout.h"
#include "ui/main/BitsDisplay.h"
#include "ui/main/CommandPanels.h"
#include "ui/main/DacFrame.h"
#include "ui/monitor/AdcMonitor.h"
#include "ui/plot/ReadbackPlot.h"
#include "ui/selftest/TestForm.h"
#include "ui/shared/Artwork.h"
#include "ui/shared/BusyCursor.h"
#include "ui/shared/CaptionFrame.h"
#include "ui/shared/LayoutFont.h"
#include "ui/shared/Twips.h"
#include "ui/shared/WindowColours.h"

namespace {

// The client area in twips; its height follows the deliverable's DAC frame.
constexpr int kClientWidth = 10335;
constexpr int kDacFrameTop = 1800;

QLabel* label(QWidget* parent, const QString& text, const QRect& rect, const char* name) {
    auto* item = new QLabel(text, parent);
    item->setGeometry(rect);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

CaptionFrame* frame(QWidget* parent, const QString& caption, const QRect& rect, const char* name) {
    auto* item = new CaptionFrame(caption, parent);
    item->setGeometry(rect);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

}  // namespace

MainForm::MainForm(const Deliverable& deliverable, Package package, Board& board, Dialogs& dialogs)
    : deliverable_(deliverable),
      package_(package),
      board_(board),
      dialogs_(dialogs),
      sysInfo_(std::make_unique<QtSysInfoPlatform>()) {
    keepLayoutFont(*this);
    setObjectName(QStringLiteral("MainForm"));
    // The layout's title, replaced at load; the window icon is the application's.
    setWindowTitle(QStringLiteral("XT4830R Evaluation Software"));
    buildMenu();
    auto* client = new QWidget(this);
    applyWindowColours(*client);
    const int clientHeight = kDacFrameTop + deliverable.dacFrameHeight + 120;
    client->setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(clientHeight));
    setCentralWidget(client);
    buildTopBand(client);
    setFixedSize(sizeHint());
}

MainForm::~MainForm() = default;

void MainForm::buildMenu() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("MnuFile"));
    mnuAbout_ = mnuFile->addAction(QStringLiteral("&About"));
    mnuExit_ = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuAbout_->setObjectName(QStringLiteral("MnuAbout"));
    mnuExit_->setObjectName(QStringLiteral("MnuExit"));
    connect(mnuExit_, &QAction::triggered, this, [this] { dialogs_.endProgram(0); });
    connect(mnuAbout_, &QAction::triggered, this, &MainForm::MnuAbout_Click);
    // After File: the read-back plots, which are not part of the original window.
    QMenu* mnuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuTools->setObjectName(QStringLiteral("MnuTools"));
    mnuPlot_ = mnuTools->addAction(QStringLiteral("&Read-back Plot..."));
    mnuPlot_->setObjectName(QStringLiteral("MnuPlot"));
    connect(mnuPlot_, &QAction::triggered, this, &MainForm::MnuPlot_Click);
}

void MainForm::buildTopBand(QWidget* client) {
    QLabel* title =
        label(client, QStringLiteral("XT4830R"), twipsRect(240, 180, 2055, 615), "titleLabel");
    QFont titleFont(QStringLiteral("Arial Narrow"));
    titleFont.setPointSizeF(27.75);
    titleFont.setStretch(QFont::Condensed);
    title->setFont(titleFont);
    label(client, QStringLiteral("Quad, 16 Bit Orvex with 5ppm/°C On-Chip Reference"),
          twipsRect(240, 840, 5055, 255), "Label5");
    QLabel* logo = label(client, QString(), twipsRect(4275, 240, 1620, 525), "Image1");
    logo->setPixmap(makerLogo());
    logo->installEventFilter(this);  // a double click opens the self-test
    image1_ = logo;
    QLabel* banner = label(client, QString(), twipsRect(180, 1200, 5715, 450), "Image2");
    banner->setPixmap(waveBanner());
    auto* frameAdc =
        frame(client, QStringLiteral("ADC"), twipsRect(6240, 120, 3975, 1575), "Frame_ADC");
    monitor_ = new AdcMonitor(frameAdc, board_.requests(), dialogs_);
    frame1_ = new DacFrame(client, twipsRect(120, kDacFrameTop, 10095, deliverable_.dacFrameHeight),
                           deliverable_.secondRow, board_.requests());
    frame1_->setObjectName(QStringLiteral("Frame1"));
}

void MainForm::Form_Load() {
    setWindowTitle(
        QString::fromStdString(markedTitle(mainWindowTitle(deliverable_), board_.choice().kind())));
    {
        const BusyCursor busy;
        board_.link().OpenBoardWithRetry();
    }
    prepare();
}

// Once the board is open, before the window is first shown: the data controls and the bit
// image in their start state, output A selected and sampled, then the board's ADC set up.
// The first sample comes before the set-up, as the board has always been driven.
void MainForm::prepare() {
    frame1_->panels().ResetDataControls();
    SetActiveBits(frame1_->composer().image(), commandEntry(kStartCommand).activeMask);
    monitor_->Option_MUX_Click(0);
    configureAdc(board_.requests());
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == image1_ && event->type() == QEvent::MouseButtonDblClick) Image1_DblClick();
    return false;
}

// Write to Part is the window's default button: Enter pressed anywhere in the window presses it,
// unless another push button has the focus (that one takes its own Enter). Each press writes at
// once, exactly once: an animated click would fold a second press within its 100 ms into the
// first. A key held down repeats nothing.
void MainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat()) frame1_->writeToPartCommand()->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

template <typename Window>
static void bringForward(Window* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

TestForm* MainForm::testForm() const {
    return testForm_.data();
}
frmAbout* MainForm::aboutBox() const {
    return aboutBox_.data();
}
ReadbackPlot* MainForm::plotWindow() const {
    return plot_.data();
}

void MainForm::Image1_DblClick() {
    if (testForm_.isNull()) testForm_ = new TestForm(board_, dialogs_, this);
    bringForward(testForm_.data());
}

void MainForm::MnuPlot_Click() {
    if (plot_.isNull()) {
        plot_ = new ReadbackPlot(
            board_.requests(), *monitor_, dialogs_,
            provenanceOf(deliverable_, package_, boardDescription(board_.choice())), this);
    }
    bringForward(plot_.data());
}

void MainForm::MnuAbout_Click() {
    if (aboutBox_.isNull())
        aboutBox_ = new frmAbout(deliverable_, board_.choice().kind(), *sysInfo_, dialogs_, this);
    bringForward(aboutBox_.data());
}

void MainForm::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program at once; nothing is sent to the board.
    event->accept();
    dialogs_.endProgram(0);
}
