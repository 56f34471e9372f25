#include "ui/main/QtDialogs.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Answer QtDialogs::ask(const MessageBoxSpec& box) {
    const QString title =
        box.title.empty() ? QCoreApplication::applicationName() : QString::fromStdString(box.title);
    // The texts keep their Windows line ends; a label breaks the line at the line feed alone.
    const QString text = QString::fromStdString(box.text).replace(QStringLiteral("\r\n"), "\n");
    const bool retry = box.buttons == MessageButtons::RetryCancel;
    QMessageBox messageBox(qtIcon(box.icon), title, text,
                           retry ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok);
    messageBox.setDefaultButton(retry ? QMessageBox::Retry : QMessageBox::Ok);
    // A box asks for the user: the ordinary pointer, even while the program is busy.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed = messageBox.exec();
    QGuiApplication::restoreOverrideCursor();
    if (pressed == QMessageBox::Retry) return Answer::Retry;
    if (pressed == QMessageBox::Cancel) return Answer::Cancel;
    return retry ? Answer::Cancel : Answer::Ok;
}

void QtDialogs::quit(int status) {
    // At once: no further events run and nothing is torn down, as the board link expects.
    std::fflush(nullptr);
    std::_Exit(status);
}
