#include "micsetup/SavedMicrophone.h"

#include <QSettings>

namespace larkspur {

namespace {
const char* const kKey = "Audio/Device";

QSettings programOptions()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halcyon Works"),
                     QStringLiteral("Larkspur QTX 98"));
}
} // namespace

std::optional<std::string> savedMicrophone()
{
    const QString name = programOptions().value(QLatin1String(kKey)).toString().trimmed();
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

bool saveMicrophone(const std::string& pcmName)
{
    QSettings settings = programOptions();
    settings.setValue(QLatin1String(kKey), QString::fromStdString(pcmName));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace larkspur
