// SPDX-License-Identifier: MIT
#include "widgets/ApplicationTitle.h"

#include "platform/Latin1.h"

#include <QCoreApplication>

std::string ProgramVersion;

std::string ExeBaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.substr(0, name.find('.'));
}

QString ApplicationTitleText() {
    const QString path = QCoreApplication::applicationFilePath();
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    return name.left(name.indexOf('.'));
}

std::string ApplicationTitle() {
    return FromQString(ApplicationTitleText());
}
