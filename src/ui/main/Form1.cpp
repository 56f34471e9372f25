#include "ui/main/Form1.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QRadioButton>

#include "board/BoardMarking.h"
#include "board/Dialogs.h"
#include "board/Package.h"
#include "ui/shared/CaptionFrame.h"
#include "ui/shared/LayoutFont.h"

Form1::Form1(Dialogs& dialogs, BoardKind kind)
    : dialogs_(dialogs),
      frame1_(new CaptionFrame(QStringLiteral("Select Device Package Type"), this)),
      option1_(new QRadioButton(QStringLiteral("XT4830RTS (14 Lead TSSOP Package)"), frame1_)),
      option2_(new QRadioButton(QStringLiteral("XT4830RLF (10 Lead LFCSP package)"), frame1_)),
      command1_(new QPushButton(QStringLiteral("OK"), this)) {
    keepLayoutFont(*this);
    setWindowTitle(QString::fromStdString(markedTitle("XT4830R", kind)));
    setFixedSize(292, 134);
    frame1_->setGeometry(8, 8, 276, 80);
    option1_->setGeometry(14, 24, 256, 22);
    option2_->setGeometry(14, 50, 256, 22);
    command1_->setGeometry(106, 98, 80, 28);
    command1_->setAutoDefault(false);
    command1_->setDefault(false);
    option1_->setObjectName(QStringLiteral("Option1"));
    option2_->setObjectName(QStringLiteral("Option2"));
    command1_->setObjectName(QStringLiteral("Command1"));
    setTabOrder(option1_, option2_);
    setTabOrder(option2_, command1_);
    // The focus starts on the upper option, and an option that takes the focus is chosen:
    // TSSOP is the package unless the user picks the other one.
    option1_->setChecked(true);
    option1_->setFocus();
    connect(command1_, &QPushButton::clicked, this, &Form1::Command1_Click);
}

void Form1::Command1_Click() {
    hide();
    emit packageChosen(option1_->isChecked() ? Package::Tssop : Package::Lfcsp);
}

void Form1::closeEvent(QCloseEvent* event) {
    // No other window exists yet: closing this one ends the program without opening a board.
    event->accept();
    dialogs_.endProgram(0);
}
