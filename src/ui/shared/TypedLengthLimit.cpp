#include "ui/shared/TypedLengthLimit.h"

#include <QLineEdit>

#include <algorithm>

TypedLengthLimit::TypedLengthLimit(int limit, QLineEdit* field)
    : QValidator(field), field_(field), limit_(limit), current_(field->text().size()) {
    field->setValidator(this);
    // The field already holds the edited text while it asks; keep the last accepted length.
    connect(field, &QLineEdit::textChanged, this,
            [this](const QString& text) { current_ = text.size(); });
}

// An edit that would make the text longer than the limit keeps as much of what it put in as
// fits: a paste is cut to the limit, a key typed into a full field goes nowhere. The text just
// inserted stands right before the cursor. A longer text of the program's own may be shortened
// but not lengthened.
QValidator::State TypedLengthLimit::validate(QString& input, int& position) const {
    const qsizetype longest = std::max<qsizetype>(limit_, current_);
    const qsizetype excess = input.size() - longest;
    if (excess <= 0) return Acceptable;
    if (excess > position) return Invalid;
    input.remove(position - excess, excess);
    position -= static_cast<int>(excess);
    return Acceptable;
}

void TypedLengthLimit::setFieldText(const QString& text) {
    current_ = text.size();
    field_->setText(text);
}
