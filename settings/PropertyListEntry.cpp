#include "settings/PropertyListEntry.h"

namespace larkspur {

QString PropertyListEntry::propertiesText() const
{
    return component + QLatin1Char('+') + property;
}

QString PropertyListEntry::sectionsText() const
{
    return QStringLiteral("%1+%2=%3.%4#%5")
        .arg(component, property, section)
        .arg(save ? 1 : 0)
        .arg(load ? 1 : 0);
}

std::optional<PropertyListEntry> PropertyListEntry::fromProperties(const QString& text)
{
    const qsizetype plus = text.indexOf(QLatin1Char('+'));
    if (plus <= 0 || plus == text.size() - 1)
        return std::nullopt;
    PropertyListEntry entry;
    entry.component = text.left(plus).trimmed();
    entry.property = text.mid(plus + 1).trimmed();
    return entry;
}

std::optional<PropertyListEntry> PropertyListEntry::fromSections(const QString& text)
{
    const qsizetype plus = text.indexOf(QLatin1Char('+'));
    const qsizetype equals = text.indexOf(QLatin1Char('='), plus + 1);
    const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
    const qsizetype hash = text.indexOf(QLatin1Char('#'), dot + 1);
    if (plus <= 0 || equals <= plus + 1 || dot < equals || hash < dot)
        return std::nullopt;
    bool saveOk = false;
    bool loadOk = false;
    const int save = text.mid(dot + 1, hash - dot - 1).toInt(&saveOk);
    const int load = text.mid(hash + 1).toInt(&loadOk);
    if (!saveOk || !loadOk)
        return std::nullopt;
    PropertyListEntry entry;
    entry.component = text.left(plus);
    entry.property = text.mid(plus + 1, equals - plus - 1);
    entry.section = text.mid(equals + 1, dot - equals - 1);
    entry.save = save == 1;
    entry.load = load == 1;
    return entry;
}

} // namespace larkspur
