#pragma once
// Ends the process by leaving the Qt event loop; before the loop runs, the
// caller sees terminated() and does not enter it.

#include "app/ShellPlatform.h"

namespace larkspur {

class QtApplicationExit : public ApplicationExit {
public:
    static constexpr int kExitCode = 1;
    void terminate() override;
    void finish() override;
    bool terminated() const override { return m_terminated; }

private:
    bool m_terminated = false;
};

} // namespace larkspur
