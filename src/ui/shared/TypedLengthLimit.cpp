#include "ui/shared/TypedLengthLimit.h"

#include <QLineEdit>

TypedLengthLimit::TypedLengthLimit(int limit, QLineEdit* field)
    : QValidator(field), field_(field), limit_(limit), current_(field->text().size()) {
    field->setValidator(this);
    // The field already holds the edited text while it asks; keep the last accepted length.
    connect(field, &QLineEdit::textChanged, this,
            [this](const QString& text) { current_ = text.size(); });
}

QValidator::State TypedLengthLimit::validate(QString& input, int&) const {
    return input.size() <= limit_ || input.size() <= current_ ? Acceptable : Invalid;
}

void TypedLengthLimit::setFieldText(const QString& text) {
    current_ = text.size();
    field_->setText(text);
}
