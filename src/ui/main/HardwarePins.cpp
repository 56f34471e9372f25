#include "ui/main/HardwarePins.h"

#include <QCheckBox>
#include <QLabel>

#include "board/Declare.h"
#include "ui/shared/CaptionFrame.h"
#include "ui/shared/Twips.h"

namespace {

QCheckBox* pinBox(QWidget* frame, const char* caption, int top) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), frame);
    box->setObjectName(QString::fromLatin1(caption) + QStringLiteral("Check"));
    box->setGeometry(10, top, 64, 20);
    return box;
}

QLabel* stateLabel(QWidget* frame, const char* name, int top) {
    auto* label = new QLabel(QStringLiteral("HI"), frame);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(80, top, 40, 20);
    return label;
}

}  // namespace

HardwarePins::HardwarePins(QWidget* dacFrame, Declare& requests)
    : QObject(dacFrame),
      requests_(requests),
      frame_(new CaptionFrame(QStringLiteral("Hardware Pins"), dacFrame)) {
    frame_->setObjectName(QStringLiteral("hardwarePinsFrame"));
    frame_->setGeometry(twipsRect(17640, 10440, 1935, 1095));
    // LDAC comes before CLR in the keyboard order.
    ldacCheck_ = pinBox(frame_, "LDAC", 22);
    ldacStateLabel_ = stateLabel(frame_, "LDACStateLabel", 22);
    clrCheck_ = pinBox(frame_, "CLR", 46);
    clrStateLabel_ = stateLabel(frame_, "CLRStateLabel", 46);
    // Every change of a box drives its pin, whatever changed it.
    connect(ldacCheck_, &QCheckBox::toggled, this, &HardwarePins::LDACCheck_Click);
    connect(clrCheck_, &QCheckBox::toggled, this, &HardwarePins::CLRCheck_Click);
}

bool HardwarePins::showLevel(const QCheckBox* box, QLabel* label) {
    const bool high = !box->isChecked();
    label->setText(high ? QStringLiteral("HI") : QStringLiteral("LOW"));
    return high;
}

void HardwarePins::LDACCheck_Click() {
    requests_.SetLdacPin(showLevel(ldacCheck_, ldacStateLabel_));
}

void HardwarePins::CLRCheck_Click() {
    requests_.SetClrPin(showLevel(clrCheck_, clrStateLabel_));
}
