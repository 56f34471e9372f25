#include "ui/main/DataEntry.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "command/CodeVoltage.h"
#include "command/CommandComposer.h"
#include "ui/shared/TypedLengthLimit.h"

namespace {

QLabel* label(QWidget* parent, const QString& text, const QRect& rect) {
    auto* item = new QLabel(text, parent);
    item->setGeometry(rect);
    return item;
}

QLineEdit* field(QWidget* parent, const char* name, const QString& text, const QRect& rect,
                 QLabel* buddy) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(rect);
    buddy->setBuddy(edit);
    return edit;
}

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

}  // namespace

DataEntry::DataEntry(QWidget* dataFrame, CommandComposer& composer)
    : QObject(dataFrame), composer_(composer) {
    hexText_ = field(dataFrame, "hexText", QStringLiteral("0"), {86, 4, 60, 22},
                     label(dataFrame, QStringLiteral("Hex Value:"), {4, 6, 80, 20}));
    voltageText_ = field(dataFrame, "voltageText", QStringLiteral("0"), {86, 34, 140, 22},
                         label(dataFrame, QStringLiteral("Voltage:"), {4, 36, 80, 20}));
    label(dataFrame, QStringLiteral("Above voltage value calculated"), {4, 70, 240, 18});
    vrefText_ = field(dataFrame, "VrefText", QStringLiteral("3"), {118, 90, 60, 22},
                      label(dataFrame, QStringLiteral("based on Vref of"), {4, 92, 112, 20}));
    label(dataFrame, QStringLiteral("V"), {182, 92, 20, 20});
    hexLimit_ = new TypedLengthLimit(4, hexText_);
    voltageLimit_ = new TypedLengthLimit(8, voltageText_);
    hexText_->installEventFilter(this);
    voltageText_->installEventFilter(this);
    connect(vrefText_, &QLineEdit::textChanged, this, &DataEntry::VrefText_Change);
}

// Every key released in a field converts it, navigation keys and Tab included, so a change
// made with the mouse is taken up at the next key release there.
bool DataEntry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        if (watched == hexText_) hexText_KeyUp();
        if (watched == voltageText_) voltageText_KeyUp();
    }
    return false;
}

void DataEntry::hexText_KeyUp() {
    const HexEntry entry = hexToVoltage(text(hexText_), text(vrefText_));
    composer_.setCode(static_cast<int32_t>(entry.code));
    voltageLimit_->setFieldText(QString::fromStdString(entry.voltageText));
}

void DataEntry::voltageText_KeyUp() {
    // A reference that is no number leaves the hex text and the data bits as they are.
    const auto entry = voltageToHex(text(voltageText_), text(vrefText_));
    if (!entry) return;
    composer_.setCode(static_cast<int32_t>(entry->code));
    hexLimit_->setFieldText(QString::fromStdString(entry->hexText));
}

void DataEntry::VrefText_Change() {
    hexText_KeyUp();
}
