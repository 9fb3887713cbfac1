#pragma once
// What the main window needs from the world around it, beyond the engine's own
// platform. Each piece is an interface so tests can script it: ending the
// process, the tray and listening requests, the microphone's auto gain switch
// and the machine's memory figures.

#include "engine/CaptureDevice.h"
#include "engine/EnginePlatform.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace larkspur {

class MessageBoxes;
class ProcessLauncher;

// Ends the process. The real one leaves the event loop; tests record the call.
class ApplicationExit {
public:
    virtual ~ApplicationExit() = default;
    // A failure ends the program (too little memory, no microphone).
    virtual void terminate() = 0;
    // The user closed the main window: the program ends normally.
    virtual void finish() = 0;
    virtual bool terminated() const = 0;
};

// Going to the notification area and toggling listening mode, as the start-up
// sequence asks for them. When the platform gives one, the requests go to it
// instead of the window's own handlers (tests record them this way).
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
    // Keystrokes and pointer moves of voice commands are recorded, not
    // performed, so recognitions reach no other window.
    bool recordingDesktop = false;
    // The bundled demo recording stands in for the microphone: its table is
    // opened (with tray and listening) even in quick start mode.
    bool demo = false;
    // Null: the real launcher and the default sound device for actions.
    ProcessLauncher* launcher = nullptr;
    SoundPlayer* actionSound = nullptr;
    // The mixer's microphone auto gain switch; true when it could be set.
    // With report, a failure is shown to the user; without, it only returns false.
    std::function<bool(bool on, bool report)> setMicrophoneAutoGain;
    // Empty: read from the running system.
    std::function<MemoryStatus()> memoryStatus;
    // The microphone Re-Calibrate measures. microphoneInUse names the device
    // the engine records from; chosenMicrophone names the one the user wants
    // now (chosen in the set-up program, or given with --device). When the
    // two differ, Re-Calibrate makes the chosen one with makeMicrophone and
    // calibrates on it. Unset for a WAV file and the demo, which stay.
    std::string microphoneInUse;
    std::function<std::string()> chosenMicrophone;
    std::function<std::unique_ptr<CaptureDevice>(const std::string& name)> makeMicrophone;
    // Directory of the executable, with a trailing separator.
    std::string programDirectory;
    // Arguments after the program name that are not options; the first names a table.
    std::vector<std::string> arguments;
};

} // namespace larkspur
