#pragma once

#include <QWidget>

#include "board/BoardChoice.h"
#include "board/Package.h"

class QPushButton;
class QRadioButton;

class CaptionFrame;
class Dialogs;

// The first window: which package of the chip is fitted, which fixes its bus address.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // kind: on the virtual board the title says so.
    explicit Form1(Dialogs& dialogs, BoardKind kind = BoardKind::Unknown);

    QRadioButton* Option1() const { return option1_; }
    QRadioButton* Option2() const { return option2_; }
    QPushButton* Command1() const { return command1_; }

signals:
    // OK was pressed; the window is already hidden and should be discarded.
    void packageChosen(Package package);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();

    Dialogs& dialogs_;
    CaptionFrame* frame1_;
    QRadioButton* option1_;
    QRadioButton* option2_;
    QPushButton* command1_;
};
