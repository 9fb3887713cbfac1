#include "app/QtApplicationExit.h"

#include <QCoreApplication>

namespace larkspur {

void QtApplicationExit::terminate()
{
    m_terminated = true;
    QCoreApplication::exit(kExitCode);
}

void QtApplicationExit::finish()
{
    QCoreApplication::exit(0);
}

} // namespace larkspur
