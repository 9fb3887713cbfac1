#pragma once
// Persists a window's chosen component properties: each listed property is one
// value in a section named after its component, in a registry key or an INI
// file. The window only names what persists and calls the form hooks at its
// creation, show, hide and destruction.

#include "settings/RegistryKey.h"

#include <QFlags>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace larkspur {

class BusyCursor;
class PropertyAccessor;
class PropertyRegistry;
class TExtIniFile;
struct PropertyListEntry;

enum class TAutoLoad { aldNone, aldBeforeOnCreateForm, aldBeforeOnShowForm, aldAfterOnCreateForm, aldAfterOnShowForm };
enum class TAutoSave { asvNone, asvBeforeOnDestroyForm, asvBeforeOnHideForm, asvAfterOnDestroyForm, asvAfterOnHideForm };

enum TNumericKind { npInteger = 0x1, npEnumeration = 0x2, npFloat = 0x4 };
Q_DECLARE_FLAGS(TNumericKinds, TNumericKind)

class TINIPropSav {
public:
    using NotifyEvent = std::function<void(TINIPropSav& sender)>;
    using PropertyEvent = std::function<void(TINIPropSav& sender, const QString& component, const QString& property)>;
    using PropertyErrorEvent = std::function<void(TINIPropSav& sender, const QString& component,
                                                  const QString& property, const QString& error)>;

    explicit TINIPropSav(PropertyRegistry& components);
    ~TINIPropSav();
    TINIPropSav(const TINIPropSav&) = delete;
    TINIPropSav& operator=(const TINIPropSav&) = delete;

    // --- Published properties ---------------------------------------------
    const QString& FileName() const { return m_fileName; }
    void setFileName(QString name) { m_fileName = std::move(name); }
    bool UseAppDir() const { return m_useAppDir; }
    void setUseAppDir(bool on) { m_useAppDir = on; }
    TAutoLoad AutoLoadProperties() const { return m_autoLoad; }
    void setAutoLoadProperties(TAutoLoad when) { m_autoLoad = when; }
    TAutoSave AutoSaveProperties() const { return m_autoSave; }
    void setAutoSaveProperties(TAutoSave when) { m_autoSave = when; }
    TNumericKinds StoreAsRawData() const { return m_storeAsRawData; }
    void setStoreAsRawData(TNumericKinds kinds) { m_storeAsRawData = kinds; }
    bool Encrypted() const { return m_encrypted; }
    // Scrambling only applies to the registry, so it is ignored while UseRegistry is false.
    void setEncrypted(bool on);
    bool UseRegistry() const { return m_useRegistry; }
    void setUseRegistry(bool on);
    const QString& CompanyName() const { return m_companyName; }
    void setCompanyName(QString name) { m_companyName = std::move(name); }
    const QString& ProductName() const { return m_productName; }
    void setProductName(QString name) { m_productName = std::move(name); }
    RegistryRoot RootKey() const { return m_rootKey; }
    void setRootKey(RegistryRoot root) { m_rootKey = root; }
    bool UseSoftwareKey() const { return m_useSoftwareKey; }
    void setUseSoftwareKey(bool on) { m_useSoftwareKey = on; }
    bool LazyWrite() const { return m_lazyWrite; }
    void setLazyWrite(bool on) { m_lazyWrite = on; }

    // "Component+Property" entries, and the matching "Component+Property=section.S#L".
    const QStringList& Properties() const { return m_properties; }
    void setProperties(QStringList entries) { m_properties = std::move(entries); }
    const QStringList& Sections() const { return m_sections; }
    void setSections(QStringList entries) { m_sections = std::move(entries); }

    PropertyEvent OnLoadProperty;
    PropertyEvent OnSaveProperty;
    PropertyErrorEvent OnLoadPropertyError;
    PropertyErrorEvent OnSavePropertyError;
    NotifyEvent OnStartLoadingProperties;
    NotifyEvent OnEndLoadingProperties;
    NotifyEvent OnStartSavingProperties;
    NotifyEvent OnEndSavingProperties;

    // --- Operations ---------------------------------------------------------
    // Both throw EINIPropSav("There are problems with the INI/Registry file")
    // when the store cannot be opened or written. A property that fails is
    // reported through its error event and the others still go through.
    void LoadProperties();
    void SaveProperties();

    // Form hooks: the form calls these at the moment named, passing its own
    // handler; they load or save before or after it as AutoLoadProperties and
    // AutoSaveProperties say. A "before" handler runs even if loading or saving fails.
    void runFormCreate(const std::function<void()>& formHandler = {});
    void runFormShow(const std::function<void()>& formHandler = {});
    void runFormHide(const std::function<void()>& formHandler = {});
    void runFormDestroy(const std::function<void()>& formHandler = {});

    void setBusyCursor(BusyCursor* cursor) { m_busyCursor = cursor; }
    // Where the store lives: the INI file's path, or the registry key path.
    QString storeLocation() const;

private:
    std::unique_ptr<TExtIniFile> openStore() const;
    std::vector<PropertyListEntry> entries() const;
    bool rawFor(const PropertyAccessor& accessor) const;
    void loadOne(TExtIniFile& store, const PropertyListEntry& entry, PropertyAccessor& accessor);
    void saveOne(TExtIniFile& store, const PropertyListEntry& entry, const PropertyAccessor& accessor);

    PropertyRegistry& m_components;
    BusyCursor* m_busyCursor = nullptr;

    QString m_fileName;
    bool m_useAppDir = true;
    TAutoLoad m_autoLoad = TAutoLoad::aldAfterOnCreateForm;
    TAutoSave m_autoSave = TAutoSave::asvBeforeOnDestroyForm;
    TNumericKinds m_storeAsRawData;
    bool m_encrypted = false;
    bool m_useRegistry = false;
    QString m_companyName;
    QString m_productName;
    RegistryRoot m_rootKey = RegistryRoot::CurrentUser;
    bool m_useSoftwareKey = true;
    bool m_lazyWrite = true;
    QStringList m_properties;
    QStringList m_sections;
};

} // namespace larkspur

Q_DECLARE_OPERATORS_FOR_FLAGS(larkspur::TNumericKinds)
