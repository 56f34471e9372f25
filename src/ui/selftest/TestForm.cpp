#include "ui/selftest/TestForm.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "board/Board.h"
#include "measure/SelfTestSequence.h"
#include "ui/selftest/HoldClock.h"
#include "ui/selftest/InputDiscard.h"
#include "ui/shared/BusyCursor.h"
#include "ui/shared/Twips.h"

namespace {

constexpr std::chrono::milliseconds kHold{2000};

QFont boldFont(qreal points) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

TestForm::TestForm(Board& board, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      board_(board),
      dialogs_(dialogs),
      clock_(std::make_unique<SteadyHoldClock>()),
      command1_(new QPushButton(QStringLiteral("Test"), this)),
      label1_(new QLabel(QStringLiteral("PASS"), this)) {
    setObjectName(QStringLiteral("TestForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    resize(twipsToPixels(1725), twipsToPixels(1890));
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twipsRect(240, 240, 1095, 495));
    command1_->setFont(boldFont(12));
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(twipsRect(240, 1080, 1095, 495));
    label1_->setFont(boldFont(18));
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextColour(label1_, QColor(0, 255, 0));
    setTabOrder(command1_, label1_);
    connect(command1_, &QPushButton::clicked, this, &TestForm::Command1_Click);
    label1_->setText(QString());  // the window's load
}

TestForm::~TestForm() = default;

void TestForm::setHoldClock(std::unique_ptr<HoldClock> clock) {
    clock_ = std::move(clock);
}

void TestForm::Command1_Click() {
    // Opens the board afresh, firmware included; Cancel there ends the whole program.
    {
        const BusyCursor busy;
        board_.link().OpenBoardWithRetry();
    }
    label1_->setText(QString());
    showVerdict(measure());
    // The verdict stays for two seconds while the window takes no input, then goes; what was
    // typed or clicked meanwhile is dropped, not replayed.
    holdFor(*clock_, kHold);
    discardPendingInput();
    label1_->setText(QString());
}

// A board lost during the run gives one "error" box, not one for each of its requests.
bool TestForm::measure() {
    ErrorBoxForFirst oneBox(dialogs_);
    const Declare::PolicyScope scope(board_.requests(), oneBox);
    return runSelfTest(board_.requests()).pass;
}

void TestForm::showVerdict(bool pass) {
    label1_->setText(pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
    setTextColour(label1_, pass ? QColor(0, 255, 0) : QColor(255, 0, 0));
    label1_->repaint();
    QCoreApplication::processEvents();  // once, so the verdict is on the screen
}
