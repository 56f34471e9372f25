#pragma once

#include <QValidator>

class QLineEdit;

// The longest entry the user may type or paste into a text field. Unlike a line edit's own
// maximum length, it leaves alone longer texts that the program writes (a voltage with 14
// decimals in an 8-character field): those can be shortened, not lengthened.
class TypedLengthLimit : public QValidator {
    Q_OBJECT
public:
    TypedLengthLimit(int limit, QLineEdit* field);
    State validate(QString& input, int& position) const override;

    // Writes the program's own text into a field, whatever its length. A line edit checks a
    // new text before it reports the change, so the limit learns the length first; a long
    // text judged unacceptable would leave the field taking any typing from then on.
    void setFieldText(const QString& text);

private:
    QLineEdit* field_;
    int limit_;
    qsizetype current_;  // the length of the text the field holds now
};
