#include "ui/about/QtSysInfoPlatform.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

bool QtSysInfoPlatform::isFile(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    return info.isFile() && !info.isHidden();
}

std::string QtSysInfoPlatform::findOnPath(const std::string& program) {
    return QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString();
}

bool QtSysInfoPlatform::startDetached(const std::string& path) {
    return QProcess::startDetached(QString::fromStdString(path), {});
}
