#include "QtDialogs.h"

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

Answer QtDialogs::ask(const MessageBoxSpec& spec) {
    const QString title = spec.title.empty() ? QGuiApplication::applicationDisplayName()
                                             : QString::fromStdString(spec.title);
    // The texts keep their Windows line ends; a label breaks the line at the line feed alone.
    const QString text = QString::fromStdString(spec.text).replace(QStringLiteral("\r\n"), "\n");
    const bool retry = spec.buttons == MessageButtons::RetryCancel;
    QMessageBox box(qtIcon(spec.icon), title, text,
                    retry ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(retry ? QMessageBox::Retry : QMessageBox::Ok);
    const int pressed = box.exec();
    if (pressed == QMessageBox::Retry) return Answer::Retry;
    if (pressed == QMessageBox::Cancel) return Answer::Cancel;
    return retry ? Answer::Cancel : Answer::Ok;
}

void QtDialogs::quit(int status) {
    // At once: no further events run and nothing is torn down, as the board link expects.
    std::fflush(nullptr);
    std::_Exit(status);
}
