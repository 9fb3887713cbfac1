#pragma once
// The hourglass while settings are read or written.

#include "settings/BusyCursor.h"

namespace larkspur {

class QtBusyCursor : public BusyCursor {
public:
    void begin() override;
    void end() override;
};

} // namespace larkspur
