#include "app/ResourcePaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace larkspur {

std::string programDirectory()
{
    return QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString() + "/";
}

std::string resourceDirectory()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/resources");
    if (QFileInfo(beside).isDir())
        return beside.toStdString();
    return LARKSPUR_RESOURCES_DIR;
}

} // namespace larkspur
