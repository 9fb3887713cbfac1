#include "settings/PropertyRegistry.h"

#include "settings/EINIPropSav.h"
#include "settings/PropertyAccessors.h"

namespace larkspur {

PropertyAccessor& PropertyRegistry::addProperty(const QString& component, const QString& property,
                                                std::unique_ptr<PropertyAccessor> accessor)
{
    auto& slot = m_components[component][property];
    slot = std::move(accessor);
    return *slot;
}

PropertyAccessor* PropertyRegistry::findProperty(const QString& component, const QString& property) const
{
    const auto c = m_components.find(component);
    if (c == m_components.end())
        return nullptr;
    const auto p = c->second.find(property);
    return p == c->second.end() ? nullptr : p->second.get();
}

bool PropertyRegistry::hasComponent(const QString& component) const
{
    return m_components.count(component) != 0;
}

void PropertyRegistry::removeComponent(const QString& component)
{
    m_components.erase(component);
}

void PropertyRegistry::addHandler(const QString& ownerPath, const QString& name, std::function<void()> handler)
{
    m_handlers[ownerPath][name] = std::move(handler);
}

std::function<void()> PropertyRegistry::findHandler(const QString& reference) const
{
    const qsizetype dot = reference.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {};
    const auto owner = m_handlers.find(reference.left(dot));
    if (owner == m_handlers.end())
        return {};
    const auto handler = owner->second.find(reference.mid(dot + 1));
    return handler == owner->second.end() ? std::function<void()>() : handler->second;
}

void PropertyRegistry::assignHandler(const QString& component, const QString& property, const QString& reference)
{
    auto* method = dynamic_cast<MethodProperty*>(findProperty(component, property));
    if (!method)
        throw EINIPropSav(QStringLiteral("%1.%2 is not an event property").arg(component, property));
    if (reference.isEmpty()) {
        method->slot().clear();
        return;
    }
    std::function<void()> handler = findHandler(reference);
    if (!handler)
        throw EINIPropSav(QStringLiteral("Handler %1 not found").arg(reference));
    method->slot().assign(reference, std::move(handler));
}

} // namespace larkspur
