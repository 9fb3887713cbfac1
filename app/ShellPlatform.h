#pragma once
// What the main window needs from the world around it, beyond the engine's own
// platform. Each piece is an interface so tests can script it: ending the
// process, the tray and listening requests, the microphone's auto gain switch
// and the machine's memory figures.

#include "engine/EnginePlatform.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace larkspur {

class MessageBoxes;

// Ends the process. The real one leaves the event loop; tests record the call.
class ApplicationExit {
public:
    virtual ~ApplicationExit() = default;
    virtual void terminate() = 0;
    virtual bool terminated() const = 0;
};

// Going to the notification area and toggling listening mode. The start-up
// sequence asks for them; the modes themselves live elsewhere.
class TrayAndListening {
public:
    virtual ~TrayAndListening() = default;
    virtual void SystemTrayClick() = 0;
    virtual void ListeningModeClick() = 0;
};

// Physical memory figures in bytes, as the system reports them.
struct MemoryStatus {
    uint32_t msMemoryLoad = 0;  // percent in use
    uint64_t msTotalPhys = 0;
    uint64_t msAvailPhys = 0;
};

struct ShellPlatform {
    // Used by the engine as well; the shell's pumping delays read the same clock.
    EnginePlatform engine;
    MessageBoxes* boxes = nullptr;
    ApplicationExit* exit = nullptr;
    TrayAndListening* modes = nullptr;
    // The mixer's microphone auto gain switch; true when it could be set.
    std::function<bool(bool on)> setMicrophoneAutoGain;
    // Empty: read from the running system.
    std::function<MemoryStatus()> memoryStatus;
    // Directory of the executable, with a trailing separator.
    std::string programDirectory;
    // Arguments after the program name that are not options; the first names a table.
    std::vector<std::string> arguments;
};

} // namespace larkspur
