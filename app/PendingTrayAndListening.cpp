#include "app/PendingTrayAndListening.h"

#include <QLoggingCategory>

namespace larkspur {

namespace {
Q_LOGGING_CATEGORY(lcModes, "larkspur.modes", QtWarningMsg)
}

void PendingTrayAndListening::SystemTrayClick()
{
    qCInfo(lcModes) << "notification area requested";
}

void PendingTrayAndListening::ListeningModeClick()
{
    qCInfo(lcModes) << "listening mode requested";
}

} // namespace larkspur
