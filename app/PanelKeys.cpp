#include "app/PanelKeys.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>

namespace larkspur {

namespace {

// A click only where the user could click: shown and enabled.
bool press(QPushButton* button)
{
    if (!button || !button->isVisible() || !button->isEnabled())
        return false;
    button->click();
    return true;
}

} // namespace

PanelKeys::PanelKeys(QWidget* panel, QPushButton* defaultButton, QPushButton* cancelButton)
    : QObject(panel), m_default(defaultButton), m_cancel(cancelButton)
{
    for (QWidget* control : panel->findChildren<QWidget*>()) {
        if (qobject_cast<QTreeView*>(control) || qobject_cast<QTreeView*>(control->parentWidget()))
            continue;
        control->installEventFilter(this);
    }
}

bool PanelKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* focused = qobject_cast<QPushButton*>(watched))
            return press(focused);
        return press(m_default);
    case Qt::Key_Escape:
        return press(m_cancel);
    default:
        return false;
    }
}

} // namespace larkspur
