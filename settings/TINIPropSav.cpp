#include "settings/TINIPropSav.h"

#include "settings/BusyCursor.h"
#include "settings/EINIPropSav.h"
#include "settings/PropertyAccessors.h"
#include "settings/PropertyListEntry.h"
#include "settings/PropertyRegistry.h"
#include "settings/TExtIniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace larkspur {

namespace {

class BusyScope {
public:
    explicit BusyScope(BusyCursor* cursor)
        : m_cursor(cursor)
    {
        if (m_cursor)
            m_cursor->begin();
    }
    ~BusyScope()
    {
        if (m_cursor)
            m_cursor->end();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyCursor* m_cursor;
};

QString executablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QStringLiteral("larkspur");
}

QString executableDir()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

// Runs a notification even when the operation it closes threw.
template <typename Body>
void bracketed(TINIPropSav& sender, const TINIPropSav::NotifyEvent& start, const TINIPropSav::NotifyEvent& end,
               Body body)
{
    if (start)
        start(sender);
    try {
        body();
    } catch (...) {
        if (end)
            end(sender);
        throw;
    }
    if (end)
        end(sender);
}

const QString kUnknownError = QStringLiteral("Unknown error");

QString errorText(const std::exception& e)
{
    return QString::fromStdString(e.what());
}

} // namespace

TINIPropSav::TINIPropSav(PropertyRegistry& components)
    : m_components(components)
{
}

TINIPropSav::~TINIPropSav() = default;

void TINIPropSav::setEncrypted(bool on)
{
    if (on && !m_useRegistry)
        return;
    m_encrypted = on;
}

void TINIPropSav::setUseRegistry(bool on)
{
    m_useRegistry = on;
    if (!on)
        m_encrypted = false;
}

QString TINIPropSav::storeLocation() const
{
    QString name = m_fileName.trimmed();
    if (name.isEmpty()) {
        const QFileInfo exe(executablePath());
        name = exe.dir().filePath(exe.completeBaseName() + QStringLiteral(".INI"));
    }
    if (!m_useRegistry)
        return m_useAppDir ? QDir(executableDir()).filePath(name) : name;
    if (!m_useSoftwareKey)
        return name;
    QString company = m_companyName;
    QString product = m_productName;
    if (company.isEmpty() || product.isEmpty()) {
        const QString bare = QFileInfo(name).completeBaseName();
        company = bare;
        product = bare;
    }
    return QStringLiteral("\\Software\\%1\\%2").arg(company, product);
}

std::unique_ptr<TExtIniFile> TINIPropSav::openStore() const
{
    std::unique_ptr<TExtIniFile> store = m_useRegistry ? TExtIniFile::openRegistryKey(m_rootKey, storeLocation())
                                                       : TExtIniFile::openIniFile(storeLocation());
    if (!store->usable())
        throw EINIPropSav(QString::fromLatin1(kStoreProblemMessage));
    store->setLazyWrite(m_lazyWrite);
    store->setEncrypted(m_useRegistry && m_encrypted);
    return store;
}

std::vector<PropertyListEntry> TINIPropSav::entries() const
{
    std::vector<PropertyListEntry> result;
    for (qsizetype i = 0; i < m_properties.size(); ++i) {
        std::optional<PropertyListEntry> entry = PropertyListEntry::fromProperties(m_properties.at(i));
        if (!entry)
            continue;
        auto sameProperty = [&entry](const std::optional<PropertyListEntry>& flags) {
            return flags && flags->component == entry->component && flags->property == entry->property;
        };
        // The lists correspond by index; search only when they have drifted apart.
        std::optional<PropertyListEntry> flags;
        if (i < m_sections.size())
            flags = PropertyListEntry::fromSections(m_sections.at(i));
        for (qsizetype j = 0; !sameProperty(flags) && j < m_sections.size(); ++j)
            flags = PropertyListEntry::fromSections(m_sections.at(j));
        if (sameProperty(flags)) {
            entry->section = flags->section;
            entry->save = flags->save;
            entry->load = flags->load;
        }
        result.push_back(*entry);
    }
    return result;
}

bool TINIPropSav::rawFor(const PropertyAccessor& accessor) const
{
    switch (accessor.kind()) {
    case PropertyKind::pkInteger:
        return m_storeAsRawData.testFlag(npInteger);
    case PropertyKind::pkEnumeration:
        return m_storeAsRawData.testFlag(npEnumeration);
    case PropertyKind::pkFloat:
        return m_storeAsRawData.testFlag(npFloat);
    default:
        return false;
    }
}

void TINIPropSav::loadOne(TExtIniFile& store, const PropertyListEntry& entry, PropertyAccessor& accessor)
{
    // The current value is the default, so a missing value leaves the property as it is.
    const QString& section = entry.component;
    const QString& ident = entry.property;
    if (rawFor(accessor)) {
        if (accessor.kind() == PropertyKind::pkFloat)
            accessor.setFloatValue(store.ReadFloat(section, ident, accessor.floatValue()));
        else
            accessor.setOrdinal(store.ReadInteger(section, ident, accessor.ordinal()));
        return;
    }
    accessor.setDisplayText(store.ReadString(section, ident, accessor.displayText()));
}

void TINIPropSav::saveOne(TExtIniFile& store, const PropertyListEntry& entry, const PropertyAccessor& accessor)
{
    const QString& section = entry.component;
    const QString& ident = entry.property;
    if (rawFor(accessor)) {
        if (accessor.kind() == PropertyKind::pkFloat)
            store.WriteFloat(section, ident, accessor.floatValue(), true);
        else
            store.WriteInteger(section, ident, accessor.ordinal(), true);
        return;
    }
    store.WriteString(section, ident, accessor.displayText());
}

void TINIPropSav::LoadProperties()
{
    BusyScope busy(m_busyCursor);
    bracketed(*this, OnStartLoadingProperties, OnEndLoadingProperties, [this] {
        std::unique_ptr<TExtIniFile> store = openStore();
        struct Deferred {
            PropertyListEntry entry;
            QString reference;
        };
        std::vector<Deferred> deferred;
        for (const PropertyListEntry& entry : entries()) {
            PropertyAccessor* accessor = m_components.findProperty(entry.component, entry.property);
            if (!entry.load || !accessor)
                continue;
            try {
                if (accessor->kind() == PropertyKind::pkMethod) {
                    deferred.push_back(
                        {entry, store->ReadString(entry.component, entry.property, accessor->displayText())});
                    continue;
                }
                loadOne(*store, entry, *accessor);
                if (OnLoadProperty)
                    OnLoadProperty(*this, entry.component, entry.property);
            } catch (const std::exception& e) {
                if (OnLoadPropertyError)
                    OnLoadPropertyError(*this, entry.component, entry.property, errorText(e));
            } catch (...) {
                if (OnLoadPropertyError)
                    OnLoadPropertyError(*this, entry.component, entry.property, kUnknownError);
            }
        }
        // Handlers are looked up by name only now, when every property is in place.
        for (const Deferred& d : deferred) {
            try {
                m_components.assignHandler(d.entry.component, d.entry.property, d.reference);
                if (OnLoadProperty)
                    OnLoadProperty(*this, d.entry.component, d.entry.property);
            } catch (const std::exception& e) {
                if (OnLoadPropertyError)
                    OnLoadPropertyError(*this, d.entry.component, d.entry.property, errorText(e));
            } catch (...) {
                if (OnLoadPropertyError)
                    OnLoadPropertyError(*this, d.entry.component, d.entry.property, kUnknownError);
            }
        }
    });
}

void TINIPropSav::SaveProperties()
{
    BusyScope busy(m_busyCursor);
    bracketed(*this, OnStartSavingProperties, OnEndSavingProperties, [this] {
        std::unique_ptr<TExtIniFile> store = openStore();
        for (const PropertyListEntry& entry : entries()) {
            const PropertyAccessor* accessor = m_components.findProperty(entry.component, entry.property);
            if (!entry.save || !accessor)
                continue;
            try {
                saveOne(*store, entry, *accessor);
                if (OnSaveProperty)
                    OnSaveProperty(*this, entry.component, entry.property);
            } catch (const std::exception& e) {
                if (OnSavePropertyError)
                    OnSavePropertyError(*this, entry.component, entry.property, errorText(e));
            } catch (...) {
                if (OnSavePropertyError)
                    OnSavePropertyError(*this, entry.component, entry.property, kUnknownError);
            }
        }
        store->UpdateFile();
    });
}

namespace {

template <typename Operation>
void aroundHandler(bool before, bool after, const std::function<void()>& formHandler, Operation operation)
{
    if (before) {
        try {
            operation();
        } catch (...) {
            if (formHandler)
                formHandler();
            throw;
        }
    }
    if (formHandler)
        formHandler();
    if (after)
        operation();
}

} // namespace

void TINIPropSav::runFormCreate(const std::function<void()>& formHandler)
{
    aroundHandler(m_autoLoad == TAutoLoad::aldBeforeOnCreateForm, m_autoLoad == TAutoLoad::aldAfterOnCreateForm,
                  formHandler, [this] { LoadProperties(); });
}

void TINIPropSav::runFormShow(const std::function<void()>& formHandler)
{
    aroundHandler(m_autoLoad == TAutoLoad::aldBeforeOnShowForm, m_autoLoad == TAutoLoad::aldAfterOnShowForm,
                  formHandler, [this] { LoadProperties(); });
}

void TINIPropSav::runFormHide(const std::function<void()>& formHandler)
{
    aroundHandler(m_autoSave == TAutoSave::asvBeforeOnHideForm, m_autoSave == TAutoSave::asvAfterOnHideForm,
                  formHandler, [this] { SaveProperties(); });
}

void TINIPropSav::runFormDestroy(const std::function<void()>& formHandler)
{
    aroundHandler(m_autoSave == TAutoSave::asvBeforeOnDestroyForm, m_autoSave == TAutoSave::asvAfterOnDestroyForm,
                  formHandler, [this] { SaveProperties(); });
}

} // namespace larkspur
