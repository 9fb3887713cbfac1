#pragma once
// Stands in for the notification area and listening mode until they exist:
// a request is noted on the program's log channel and otherwise has no effect.

#include "app/ShellPlatform.h"

namespace larkspur {

class PendingTrayAndListening : public TrayAndListening {
public:
    void SystemTrayClick() override;
    void ListeningModeClick() override;
};

} // namespace larkspur
