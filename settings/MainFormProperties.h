#pragma once
// What the main window persists and where: the registry key
// "Software\Halcyon Works\Larkspur QTX 98", one section per control.

#include <QStringList>

namespace larkspur {

class TINIPropSav;

// The main window's "Properties" list, in its order.
QStringList mainFormProperties();
// The matching "Sections" list: every property saved and loaded.
QStringList mainFormSections();
// FileName, UseRegistry, CompanyName, ProductName and both lists, as the main
// window's component has them; everything else stays at its default.
void configureMainFormSettings(TINIPropSav& settings);

} // namespace larkspur
