#pragma once
// A key of the per-user (or machine) settings tree, named the way the program
// names registry keys ("Software\Halcyon Works\Larkspur QTX 98\FileHistory").
// On Windows it is that registry key; elsewhere "Software" is dropped, the next
// two names choose the settings file (~/.config/<company>/<product>.conf) and
// the rest is the group inside it.

#include <QSettings>
#include <QString>

#include <memory>

namespace larkspur {

enum class RegistryRoot { CurrentUser, LocalMachine };

class RegistryKey {
public:
    RegistryKey(RegistryRoot root, const QString& keyPath);

    // Positioned inside the key: value names are plain idents, sections are subgroups.
    QSettings& settings() { return *m_settings; }
    const QSettings& settings() const { return *m_settings; }
    // Whether the key holds any value or subkey; reading never creates it.
    bool exists() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace larkspur
