#pragma once
// One entry of the "Properties" and "Sections" lists that name what a window
// persists: "AutoClick+Checked" and "AutoClick+Checked=.1#1".

#include <QString>

#include <optional>

namespace larkspur {

struct PropertyListEntry {
    QString component;
    QString property;
    QString section;  // free text between "=" and the last "."; unused by this program
    bool save = true;
    bool load = true;

    // "Component+Property"
    QString propertiesText() const;
    // "Component+Property=section.S#L"
    QString sectionsText() const;

    static std::optional<PropertyListEntry> fromProperties(const QString& text);
    static std::optional<PropertyListEntry> fromSections(const QString& text);
};

} // namespace larkspur
