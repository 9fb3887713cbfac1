#pragma once
// The settings component's store: sections of named values in either an INI
// file or a registry key. Integers and floating-point numbers are text unless
// written raw (a DWORD, or the 8 bytes of the double).

#include "settings/RegistryKey.h"

#include <QSettings>
#include <QString>

#include <cstdint>
#include <memory>

namespace larkspur {

class TExtIniFile {
public:
    static std::unique_ptr<TExtIniFile> openIniFile(const QString& path);
    static std::unique_ptr<TExtIniFile> openRegistryKey(RegistryRoot root, const QString& keyPath);

    QString ReadString(const QString& section, const QString& ident, const QString& defaultValue) const;
    void WriteString(const QString& section, const QString& ident, const QString& value);
    // Text that is no decimal integer reads as the default.
    int32_t ReadInteger(const QString& section, const QString& ident, int32_t defaultValue) const;
    void WriteInteger(const QString& section, const QString& ident, int32_t value, bool raw);
    double ReadFloat(const QString& section, const QString& ident, double defaultValue) const;
    void WriteFloat(const QString& section, const QString& ident, double value, bool raw);
    bool ValueExists(const QString& section, const QString& ident) const;

    // Without lazy writing every write reaches the disk at once.
    bool LazyWrite() const { return m_lazyWrite; }
    void setLazyWrite(bool lazy) { m_lazyWrite = lazy; }
    // Values written as scrambled bytes instead of text.
    bool Encrypted() const { return m_encrypted; }
    void setEncrypted(bool encrypted) { m_encrypted = encrypted; }

    // False when the store cannot be read or written.
    bool usable() const;
    // Writes what is pending; throws EINIPropSav when it cannot be written.
    void UpdateFile();

private:
    TExtIniFile(std::unique_ptr<QSettings> owned, std::unique_ptr<RegistryKey> key);
    QSettings& settings() const { return *m_settings; }
    void written();

    std::unique_ptr<QSettings> m_ownedSettings;
    std::unique_ptr<RegistryKey> m_key;
    QSettings* m_settings = nullptr;
    bool m_lazyWrite = true;
    bool m_encrypted = false;
};

} // namespace larkspur
