#include "ui/main/Program.h"

#include <QApplication>

#include "ui/main/Form1.h"
#include "ui/main/MainForm.h"
#include "ui/shared/Artwork.h"

Program::Program(const Deliverable& deliverable, const std::string& programDir, Dialogs& dialogs)
    : deliverable_(deliverable),
      dialogs_(dialogs),
      errorBoxes_(dialogs),
      board_(deliverable, programDir, dialogs, errorBoxes_) {}

Program::~Program() = default;

void Program::start() {
    const QString name = QString::fromUtf8(deliverable_.name.data(),
                                           static_cast<qsizetype>(deliverable_.name.size()));
    QApplication::setApplicationName(name);
    // Qt's X11 and Wayland back ends append the display name to every window title (and show
    // it for an empty one): an empty display name keeps each title exactly as the window sets
    // it. Message boxes take the application name as their default title.
    QApplication::setApplicationDisplayName(QStringLiteral(""));
    QApplication::setApplicationVersion(QString::fromStdString(versionText(deliverable_)));
    QApplication::setWindowIcon(programIcon());
    // Every way out goes through Dialogs::endProgram, never through the last window closing
    // (the package window closes before the main window exists).
    QApplication::setQuitOnLastWindowClosed(false);
    form1_ = std::make_unique<Form1>(dialogs_, board_.choice().kind());
    connect(form1_.get(), &Form1::packageChosen, this, &Program::openMainWindow);
    form1_->show();
}

void Program::openMainWindow(Package package) {
    board_.requests().setDeviceAddress(busAddress(package));
    form1_.release()->deleteLater();
    mainForm_ = std::make_unique<MainForm>(deliverable_, package, board_, dialogs_);
    mainForm_->Form_Load();
    mainForm_->show();
}
