#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "meter/Meter.h"

class Dialogs;
class QLineEdit;
class QPushButton;

// The field of an external meter's VISA resource with a "Test" button beside it that shows the
// meter's identity, as the sweep and linearity pages both offer it: a meter named there reads
// the output instead of the board's ADC.
class MeterField : public QWidget {
    Q_OBJECT
public:
    // busy: true while the page runs, when Test does nothing. Vertical: the button below the
    // field, for a narrow form.
    MeterField(Dialogs& dialogs, std::function<bool()> busy, Qt::Orientation orientation,
               QWidget* parent = nullptr);

    QLineEdit* text() const { return text_; }
    QPushButton* testButton() const { return test_; }
    // The resource typed; empty: no meter.
    std::string resource() const;
    // The meter of the field, identified and set up; nothing after telling why it cannot be.
    std::optional<Meter> open();

private:
    void Test_Click();

    Dialogs& dialogs_;
    std::function<bool()> busy_;
    QLineEdit* text_;
    QPushButton* test_;
};
