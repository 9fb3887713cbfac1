#pragma once
// The named components a window lets the settings component reach, each with
// its persistent properties, and the named handlers event properties may refer
// to. Components are looked up by the names the property lists use.

#include "settings/PropertyAccessor.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace larkspur {

class PropertyRegistry {
public:
    // Replaces a property registered before under the same names.
    PropertyAccessor& addProperty(const QString& component, const QString& property,
                                  std::unique_ptr<PropertyAccessor> accessor);
    PropertyAccessor* findProperty(const QString& component, const QString& property) const;
    bool hasComponent(const QString& component) const;
    // For a control that goes away before the settings are saved.
    void removeComponent(const QString& component);

    // ownerPath is the dotted path of the object holding the handler ("MainFrm").
    void addHandler(const QString& ownerPath, const QString& name, std::function<void()> handler);
    // reference is ownerPath + "." + name; an unknown one gives an empty function.
    std::function<void()> findHandler(const QString& reference) const;
    // Assigns a registered handler to an event property by its reference.
    // Throws EINIPropSav when the property is no event or the handler is unknown.
    void assignHandler(const QString& component, const QString& property, const QString& reference);

private:
    std::map<QString, std::map<QString, std::unique_ptr<PropertyAccessor>>> m_components;
    std::map<QString, std::map<QString, std::function<void()>>> m_handlers;
};

} // namespace larkspur
