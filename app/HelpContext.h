#pragma once
// Help context numbers of controls: F1 on a control opens that topic of the
// help file. Qt widgets have no such field, so the number rides on a property.

#include <QWidget>

namespace larkspur {

inline constexpr const char* kHelpContextProperty = "HelpContext";

inline void setHelpContext(QWidget* widget, int context)
{
    widget->setProperty(kHelpContextProperty, context);
}

inline int HelpContext(const QWidget* widget)
{
    return widget->property(kHelpContextProperty).toInt();
}

} // namespace larkspur
