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
    // Installed: the programs live in <prefix>/libexec/larkspur, the data in <prefix>/share/larkspur.
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../../share/larkspur");
    if (QFileInfo(installed + QStringLiteral("/sounds")).isDir())
        return QDir(installed).absolutePath().toStdString();
    return LARKSPUR_RESOURCES_DIR;
}

} // namespace larkspur
