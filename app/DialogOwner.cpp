#include "app/DialogOwner.h"

#include <QApplication>
#include <QWidget>

namespace larkspur {

QWidget* dialogOwner(QWidget* fallback)
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return fallback ? fallback->window() : nullptr;
}

void keepAboveOwner(QWidget* dialog, QWidget* owner)
{
    if (!dialog || !owner)
        return;
    QWidget* ownerWindow = owner->window();
    if (dialog->parentWidget() != ownerWindow) {
        const Qt::WindowFlags flags = dialog->windowFlags();
        dialog->setParent(ownerWindow, flags);
    }
    if (ownerWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace larkspur
