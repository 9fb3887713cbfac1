#include "settings/TExtIniFile.h"

#include "settings/EINIPropSav.h"
#include "settings/Scrambler.h"

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace larkspur {

namespace {

QString keyOf(const QString& section, const QString& ident)
{
    return section + QLatin1Char('/') + ident;
}

} // namespace

std::unique_ptr<TExtIniFile> TExtIniFile::openIniFile(const QString& path)
{
    return std::unique_ptr<TExtIniFile>(
        new TExtIniFile(std::make_unique<QSettings>(path, QSettings::IniFormat), nullptr));
}

std::unique_ptr<TExtIniFile> TExtIniFile::openRegistryKey(RegistryRoot root, const QString& keyPath)
{
    return std::unique_ptr<TExtIniFile>(new TExtIniFile(nullptr, std::make_unique<RegistryKey>(root, keyPath)));
}

TExtIniFile::TExtIniFile(std::unique_ptr<QSettings> owned, std::unique_ptr<RegistryKey> key)
    : m_ownedSettings(std::move(owned))
    , m_key(std::move(key))
    , m_settings(m_key ? &m_key->settings() : m_ownedSettings.get())
{
}

QString TExtIniFile::ReadString(const QString& section, const QString& ident, const QString& defaultValue) const
{
    const QVariant value = settings().value(keyOf(section, ident));
    if (!value.isValid())
        return defaultValue;
    if (m_encrypted && value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(unscramble(value.toByteArray()));
    return value.toString();
}

void TExtIniFile::WriteString(const QString& section, const QString& ident, const QString& value)
{
    if (m_encrypted)
        settings().setValue(keyOf(section, ident), scramble(value.toUtf8()));
    else
        settings().setValue(keyOf(section, ident), value);
    written();
}

int32_t TExtIniFile::ReadInteger(const QString& section, const QString& ident, int32_t defaultValue) const
{
    const QVariant value = settings().value(keyOf(section, ident));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const int result = value.typeId() == QMetaType::Int ? value.toInt(&ok)
                                                         : ReadString(section, ident, {}).trimmed().toInt(&ok);
    return ok ? result : defaultValue;
}

void TExtIniFile::WriteInteger(const QString& section, const QString& ident, int32_t value, bool raw)
{
    if (raw) {
        settings().setValue(keyOf(section, ident), static_cast<int>(value));
        written();
    } else {
        WriteString(section, ident, QString::number(value));
    }
}

double TExtIniFile::ReadFloat(const QString& section, const QString& ident, double defaultValue) const
{
    const QVariant value = settings().value(keyOf(section, ident));
    if (!value.isValid())
        return defaultValue;
    if (value.typeId() == QMetaType::QByteArray && value.toByteArray().size() == sizeof(double)) {
        const quint64 bits = qFromLittleEndian<quint64>(value.toByteArray().constData());
        double result = 0;
        std::memcpy(&result, &bits, sizeof result);
        return result;
    }
    bool ok = false;
    const double result = ReadString(section, ident, {}).trimmed().toDouble(&ok);
    return ok ? result : defaultValue;
}

void TExtIniFile::WriteFloat(const QString& section, const QString& ident, double value, bool raw)
{
    if (!raw) {
        WriteString(section, ident, QString::number(value, 'g', 15));
        return;
    }
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(sizeof bits, '\0');
    qToLittleEndian(bits, bytes.data());
    settings().setValue(keyOf(section, ident), bytes);
    written();
}

bool TExtIniFile::ValueExists(const QString& section, const QString& ident) const
{
    return settings().contains(keyOf(section, ident));
}

bool TExtIniFile::usable() const
{
    return settings().status() == QSettings::NoError;
}

void TExtIniFile::UpdateFile()
{
    settings().sync();
    if (!usable())
        throw EINIPropSav(QString::fromLatin1(kStoreProblemMessage));
}

void TExtIniFile::written()
{
    if (!m_lazyWrite)
        UpdateFile();
}

} // namespace larkspur
