#pragma once

#include <QObject>

class CommandComposer;
class QLabel;
class QLineEdit;
class QWidget;
class TypedLengthLimit;

// The data code of the write commands, entered as a hexadecimal code or as a voltage against
// a reference. Whichever field the user types in, the other is recomputed at once, and the
// code goes into the data positions (4-19) of the bit image.
class DataEntry : public QObject {
    Q_OBJECT
public:
    // dataFrame: the borderless group the fields are laid out in.
    DataEntry(QWidget* dataFrame, CommandComposer& composer);

    QLineEdit* hexText() const { return hexText_; }
    QLineEdit* voltageText() const { return voltageText_; }
    QLineEdit* VrefText() const { return vrefText_; }

    void hexText_KeyUp();
    void voltageText_KeyUp();
    void VrefText_Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CommandComposer& composer_;
    QLineEdit* hexText_;
    QLineEdit* voltageText_;
    QLineEdit* vrefText_;
    TypedLengthLimit* hexLimit_;
    TypedLengthLimit* voltageLimit_;
};
