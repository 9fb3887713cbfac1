#include "app/QtApplicationExit.h"

#include <QCoreApplication>

namespace larkspur {

void QtApplicationExit::terminate()
{
    m_terminated = true;
    QCoreApplication::exit(kExitCode);
}

} // namespace larkspur
