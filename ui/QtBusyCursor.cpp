#include "ui/QtBusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace larkspur {

void QtBusyCursor::begin()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtBusyCursor::end()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace larkspur
