#include "ui/plot/MeterField.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/plot/FormFields.h"

MeterField::MeterField(Dialogs& dialogs, std::function<bool()> busy, Qt::Orientation orientation,
                       QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      busy_(std::move(busy)),
      text_(new QLineEdit),
      test_(new QPushButton(QStringLiteral("Test"))) {
    auto* row = new QBoxLayout(
        orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(text_, 1);
    row->addWidget(test_, 0, orientation == Qt::Horizontal ? Qt::Alignment() : Qt::AlignLeft);
    text_->setAccessibleName(QStringLiteral("Meter"));
    test_->setAccessibleDescription(QStringLiteral("Shows the meter's identity"));
    connect(test_, &QPushButton::clicked, this, &MeterField::Test_Click);
}

std::string MeterField::resource() const {
    return text_->text().trimmed().toStdString();
}

std::optional<Meter> MeterField::open() {
    MeterSettings settings;
    settings.resource = resource();
    std::optional<Meter> meter;
    try {
        meter.emplace(settings, WaitCheck{});
    } catch (const MeterError& e) {
        warn(dialogs_, asSentence(e.what()));
    }
    return meter;
}

void MeterField::Test_Click() {
    if (busy_()) return;
    const std::optional<Meter> meter = open();
    if (meter) warn(dialogs_, "The meter answers: " + meter->identity() + ".");
}
