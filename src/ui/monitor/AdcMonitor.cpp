#include "ui/monitor/AdcMonitor.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "board/Declare.h"
#include "board/Dialogs.h"
#include "command/NumberReading.h"
#include "measure/AdcRules.h"
#include "ui/monitor/QtPeriodicTimer.h"
#include "ui/shared/CaptionFrame.h"
#include "ui/shared/CheckedTabStop.h"
#include "ui/shared/LedDisplay.h"
#include "ui/shared/TypedLengthLimit.h"

AdcMonitor::AdcMonitor(QWidget* frame, Declare& requests, Dialogs& dialogs)
    : QObject(frame),
      requests_(requests),
      dialogs_(dialogs),
      adcDisplay_(new QLCDNumber(8, frame)),
      sampleCommand_(new QPushButton(QStringLiteral("Sample"), frame)),
      autoSampleCheck_(new QCheckBox(QStringLiteral("Auto Sample"), frame)),
      adcVddText_(new QLineEdit(QStringLiteral("3.0"), frame)),
      frame3_(new CaptionFrame(QStringLiteral("DAC Output"), frame)) {
    adcDisplay_->setObjectName(QStringLiteral("ADCDisplay"));
    adcDisplay_->setGeometry(10, 20, 118, 32);
    styleAsLed(*adcDisplay_, Qt::red);
    adcDisplay_->setAccessibleName(QStringLiteral("ADC reading in volts"));
    auto* vLabel = new QLabel(QStringLiteral("V"), frame);
    vLabel->setObjectName(QStringLiteral("vLabel"));
    vLabel->setGeometry(132, 30, 14, 18);

    sampleCommand_->setObjectName(QStringLiteral("sampleCommand"));
    sampleCommand_->setGeometry(10, 56, 72, 22);
    sampleCommand_->setAutoDefault(true);  // Enter on it samples, not writes
    auto* adcVddLabel = new QLabel(QStringLiteral("Vref:"), frame);
    adcVddLabel->setObjectName(QStringLiteral("adcVddLabel"));
    adcVddLabel->setGeometry(10, 83, 34, 18);
    adcVddLabel->setBuddy(adcVddText_);
    adcVddText_->setObjectName(QStringLiteral("adcVddText"));
    adcVddText_->setGeometry(46, 81, 44, 20);
    new TypedLengthLimit(5, adcVddText_);
    adcVddText_->installEventFilter(this);
    autoSampleCheck_->setObjectName(QStringLiteral("autoSampleCheck"));
    autoSampleCheck_->setGeometry(96, 82, 112, 20);

    // The "DAC Output" frame: A and B in the first row, C and D in the second; E to H lie
    // below its lower edge.
    frame3_->setObjectName(QStringLiteral("Frame3"));
    frame3_->setGeometry(178, 10, 82, 70);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < kMuxInputs; ++i) {
        optionMux_[i] = new QRadioButton(QString(QChar('A' + i)), frame3_);
        const int row = i / 2;
        const int top = row < 2 ? 20 + row * 22 : frame3_->height() + (row - 2) * 22;
        optionMux_[i]->setGeometry(6 + (i % 2) * 32, top, 30, 20);
        group->addButton(optionMux_[i], i);
    }
    optionMux_[0]->setChecked(true);

    setSampleTimer(std::make_unique<QtPeriodicTimer>(kSampleIntervalMs));
    // After a message box the next automatic sample is a whole period away, so a lost board
    // gives the user time to untick Auto Sample or leave before the next box.
    dialogs_.addBoxClosedListener(this, [this] { sampleTimer_->restart(); });
    keepTabStopOnCheckedOption(*group);
    // The handlers run on every change of state, whatever caused it.
    connect(group, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked) Option_MUX_Click(index);
    });
    connect(sampleCommand_, &QPushButton::clicked, this, &AdcMonitor::sampleCommand_Click);
    connect(autoSampleCheck_, &QCheckBox::toggled, this, &AdcMonitor::autoSampleCheck_Click);
}

AdcMonitor::~AdcMonitor() {
    dialogs_.removeBoxClosedListeners(this);
}

void AdcMonitor::setSampleTimer(std::unique_ptr<PeriodicTimer> timer) {
    sampleTimer_ = std::move(timer);
    sampleTimer_->setTickHandler([this] { sampleTimer_Timer(); });
}

void AdcMonitor::Option_MUX_Click(int index) {
    requests_.SelectMuxChannel(muxMask(index));
    sampleCommand_Click();
}

// One sample of whatever input the multiplexer was last set to, by whoever set it.
void AdcMonitor::sampleCommand_Click() {
    const double reference = readLenientDecimal(adcVddText_->text().toStdString());
    const int32_t count = requests_.ReadAdc();
    const double volts = adcVolts(count, reference);
    adcDisplay_->display(volts);
    // The reading as a screen reader speaks it: the digits the display shows, and the unit.
    adcDisplay_->setAccessibleDescription(
        QString::fromStdString(ledDigits(volts, adcDisplay_->digitCount())) + QStringLiteral(" V"));
    emit sampled(requests_.measuredInput(), count, volts);
}

void AdcMonitor::sampleTimer_Timer() {
    // While a message box is open (an unplugged board's "error", say) no new sample starts;
    // ticks take up again once it is closed. Nor while a menu is open: a failing sample's box
    // would close it under the user's pointer, and File > Exit could never be reached.
    if (dialogs_.boxOpen() || QApplication::activePopupWidget() != nullptr) return;
    sampleCommand_Click();
}

void AdcMonitor::autoSampleCheck_Click() {
    sampleTimer_->setEnabled(autoSampleCheck_->isChecked() && !held_);
}

void AdcMonitor::holdAutoSampling(bool held) {
    held_ = held;
    autoSampleCheck_Click();
}

void AdcMonitor::adcVddText_LostFocus() {
    sampleCommand_Click();
}

void AdcMonitor::sampleAfterTheClick() {
    waitingForRelease_ = true;
    QCoreApplication::instance()->installEventFilter(this);
}

// Leaving the reference field for another control takes a new sample; the window losing the
// focus to another window (a message box included) does not.
bool AdcMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (waitingForRelease_ && event->type() == QEvent::MouseButtonRelease) {
        // The release goes on to the control that was clicked; the sample comes after it.
        waitingForRelease_ = false;
        QCoreApplication::instance()->removeEventFilter(this);
        QTimer::singleShot(0, this, &AdcMonitor::adcVddText_LostFocus);
        return false;
    }
    if (watched != adcVddText_ || event->type() != QEvent::FocusOut) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    if (reason == Qt::MouseFocusReason) {
        sampleAfterTheClick();
    } else {
        adcVddText_LostFocus();
    }
    return false;
}
