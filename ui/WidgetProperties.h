#pragma once
// Makes Qt controls reachable by the settings component under their names, with
// the properties and events the main window persists. An event property fires
// the handler assigned to it (by reference, see PropertyRegistry::assignHandler).
// A control destroyed before a save reports an error for its properties instead
// of crashing.

#include <QString>

class QAbstractButton;
class QAbstractSlider;
class QAction;
class QLabel;

namespace larkspur {

class PropertyRegistry;

// A checkable menu item: "Checked"; clickEvent (e.g. "OnClick") fires when the
// user chooses the item, not when Checked is set.
void registerCheckableAction(PropertyRegistry& registry, const QString& name, QAction* action,
                             const QString& clickEvent = QStringLiteral("OnClick"));
// A check box: "Checked"; clickEvent fires whenever the check mark changes,
// also when a loaded setting changes it, so handlers apply restored options.
void registerCheckBox(PropertyRegistry& registry, const QString& name, QAbstractButton* box,
                      const QString& clickEvent = QStringLiteral("OnClick"));
// A slider or scroll bar: "Position"; changeEvent fires whenever the position changes.
void registerSlider(PropertyRegistry& registry, const QString& name, QAbstractSlider* slider,
                    const QString& changeEvent = QStringLiteral("OnChange"));
// A label: "Caption".
void registerLabel(PropertyRegistry& registry, const QString& name, QLabel* label);

} // namespace larkspur
