#include "settings/PropertyAccessors.h"

#include "settings/EINIPropSav.h"

#include <limits>

namespace larkspur {

int32_t PropertyAccessor::ordinal() const
{
    throw EINIPropSav(QStringLiteral("The property has no raw integer form"));
}

void PropertyAccessor::setOrdinal(int32_t)
{
    throw EINIPropSav(QStringLiteral("The property has no raw integer form"));
}

double PropertyAccessor::floatValue() const
{
    throw EINIPropSav(QStringLiteral("The property has no raw floating-point form"));
}

void PropertyAccessor::setFloatValue(double)
{
    throw EINIPropSav(QStringLiteral("The property has no raw floating-point form"));
}

IntegerProperty::IntegerProperty(std::function<int32_t()> get, std::function<void(int32_t)> set)
    : m_get(std::move(get))
    , m_set(std::move(set))
{
}

QString IntegerProperty::displayText() const
{
    return QString::number(m_get());
}

void IntegerProperty::setDisplayText(const QString& text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw EINIPropSav(QStringLiteral("'%1' is not a valid integer value").arg(text));
    m_set(static_cast<int32_t>(value));
}

EnumProperty::EnumProperty(QStringList names, std::function<int32_t()> get, std::function<void(int32_t)> set)
    : m_names(std::move(names))
    , m_get(std::move(get))
    , m_set(std::move(set))
{
}

QString EnumProperty::displayText() const
{
    const int32_t value = m_get();
    return value >= 0 && value < m_names.size() ? m_names.at(value) : QString::number(value);
}

void EnumProperty::setDisplayText(const QString& text)
{
    // Value names are matched without regard to case, as a property inspector does.
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(text.trimmed(), Qt::CaseInsensitive) == 0) {
            m_set(static_cast<int32_t>(i));
            return;
        }
    }
    throw EINIPropSav(QStringLiteral("'%1' is not a valid value").arg(text));
}

void EnumProperty::setOrdinal(int32_t value)
{
    if (value < 0 || value >= m_names.size())
        throw EINIPropSav(QStringLiteral("%1 is not a valid ordinal").arg(value));
    m_set(value);
}

std::unique_ptr<EnumProperty> makeBooleanProperty(std::function<bool()> get, std::function<void(bool)> set)
{
    return std::make_unique<EnumProperty>(
        QStringList{QStringLiteral("False"), QStringLiteral("True")},
        [get = std::move(get)] { return get() ? 1 : 0; },
        [set = std::move(set)](int32_t value) { set(value != 0); });
}

FloatProperty::FloatProperty(std::function<double()> get, std::function<void(double)> set)
    : m_get(std::move(get))
    , m_set(std::move(set))
{
}

QString FloatProperty::displayText() const
{
    return QString::number(m_get(), 'g', 15);
}

void FloatProperty::setDisplayText(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        throw EINIPropSav(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    m_set(value);
}

StringProperty::StringProperty(std::function<QString()> get, std::function<void(const QString&)> set)
    : m_get(std::move(get))
    , m_set(std::move(set))
{
}

MethodProperty::MethodProperty(std::shared_ptr<HandlerSlot> slot)
    : m_slot(std::move(slot))
{
}

void MethodProperty::setDisplayText(const QString&)
{
    throw EINIPropSav(QStringLiteral("Event handlers are assigned by name, not by text"));
}

} // namespace larkspur
