#include "settings/MainFormProperties.h"

#include "settings/PropertyListEntry.h"
#include "settings/TINIPropSav.h"

#include <array>
#include <utility>

namespace larkspur {

namespace {

// ViewTips1 lists OnClick before Checked; the order is the stored order.
constexpr std::array<std::pair<const char*, const char*>, 21> kMainFormProperties{{
    {"AutoClick", "Checked"},
    {"AutoClick", "OnClick"},
    {"Plotting", "Checked"},
    {"Plotting", "OnClick"},
    {"ViewTips1", "OnClick"},
    {"ViewTips1", "Checked"},
    {"PlayBack1", "Checked"},
    {"PlayBack1", "OnClick"},
    {"AccuracyScBr", "Position"},
    {"AccuracyScBr", "OnChange"},
    {"VoiceButtons", "Checked"},
    {"AlwaysTop", "Checked"},
    {"QuickStart", "Checked"},
    {"Confidence", "Position"},
    {"AutoIconTray1", "Checked"},
    {"AutoListenafterload1", "Checked"},
    {"ShowRecognitionStatusWindow1", "Checked"},
    {"LastTable", "Caption"},
    {"AutoLoadLastTable1", "Checked"},
    {"EnhancedMatching", "Checked"},
    {"PushToTalkKey1", "Caption"},
}};

template <typename Format>
QStringList listOf(Format format)
{
    QStringList list;
    for (const auto& [component, property] : kMainFormProperties) {
        PropertyListEntry entry;
        entry.component = QString::fromLatin1(component);
        entry.property = QString::fromLatin1(property);
        list.append(format(entry));
    }
    return list;
}

} // namespace

QStringList mainFormProperties()
{
    return listOf([](const PropertyListEntry& e) { return e.propertiesText(); });
}

QStringList mainFormSections()
{
    return listOf([](const PropertyListEntry& e) { return e.sectionsText(); });
}

void configureMainFormSettings(TINIPropSav& settings)
{
    settings.setFileName(QStringLiteral("larkspur98.ini"));
    settings.setUseRegistry(true);
    settings.setCompanyName(QStringLiteral("Halcyon Works"));
    settings.setProductName(QStringLiteral("Larkspur QTX 98"));
    settings.setProperties(mainFormProperties());
    settings.setSections(mainFormSections());
}

} // namespace larkspur
