// SPDX-License-Identifier: MIT
#include "platform/AppPaths.h"

#include "store/VxIni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

std::string ExecutablePath() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath().toStdString();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().toStdString();
}

std::string ChooseIniPath(const std::string& exePath, const std::string& configDir) {
    const QFileInfo exe(QString::fromStdString(exePath));
    const QString beside = exe.absolutePath() + '/' + exe.completeBaseName() + ".ini";
    if (QFileInfo::exists(beside) ||
        ::access(QFile::encodeName(exe.absolutePath()).constData(), W_OK) == 0)
        return beside.toStdString();
    QDir().mkpath(QString::fromStdString(configDir));
    return (QString::fromStdString(configDir) + "/tabbit.ini").toStdString();
}

std::string UserConfigDir() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/tabbit")
        .toStdString();
}

void InstallDefaultIniPath() {
    const QFileInfo self(QString::fromStdString(ExecutablePath()));
    const std::string windowProgram = (self.absolutePath() + "/tabbit").toStdString();
    SetDefaultIniPath(ChooseIniPath(windowProgram, UserConfigDir()));
}
