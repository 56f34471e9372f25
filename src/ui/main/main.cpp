#include <QApplication>

#include "board/Deliverable.h"
#include "board/ProgramDirectory.h"
#include "ui/main/Program.h"
#include "ui/main/QtDialogs.h"

// XT4830_DELIVERABLE names the deliverable this executable is: kXT4830 or kXT4830Version2.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QtDialogs dialogs;
    Program program(XT4830_DELIVERABLE, programDirectory(), dialogs);
    program.start();
    return QApplication::exec();
}
