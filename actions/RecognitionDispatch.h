#pragma once
// What happens when the engine recognises a voice command: the confidence
// check and the missed-command warning, then the voice command's action
// (keystrokes, mouse, web address, program, sound or document). Owns the
// launch table, so a repeated program command switches to the program it
// started, and the mouse motion mode carried out by the mouse timer.

#include "actions/ActionString.h"
#include "actions/WindowSystem.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace larkspur {

class ApplicationFinder;
class DispatchShell;
class ProcessLauncher;
class SoundPlayer;
class TAppExec;
class TGoToWeb;
class TSendKey;
class TURL;
class TVREngine32;

inline constexpr int kLaunchTableSize = 512;
inline constexpr int kMissedCommandLimit = 7;
inline constexpr int kMouseTimerStartInterval = 1;  // milliseconds
inline constexpr int kMouseTimerStep = 25;
inline constexpr int kMouseTimerSlowest = 500;      // never reached: the interval stays below it

inline constexpr const char* kMissedCommandsMessage =
    "Larkspur QTX 98 has detected seven or more possible missed voice commands.  Please look at the Fine Tune "
    "options in the User Settings option and adjust the Confidence Pointer if needed.";
inline constexpr const char* kIncorrectFormatMessage =
    "Incorrect format of Voice Command Action. Please edit voice command action.";
inline constexpr const char* kNoBrowserMessage =
    "Problems finding location of your web browser. Please start your web browser manually. Then try again.";
inline constexpr const char* kBrowserStartMessage =
    "Problems starting your web browser. Please start your web browser manually. Then try again.";
inline constexpr const char* kActionErrorMessage = "Error with voice command action. Please edit voice command action.";
inline constexpr const char* kFirstSearchText = "Please wait, finding voice command for the first time....";

// What the program that a voice command started is known by.
struct LaunchRecord {
    int64_t threadId = 0;
    int64_t threadHandle = 0;
    int64_t processId = 0;
    int64_t processHandle = 0;
    std::string fileName;
    bool operator==(const LaunchRecord&) const = default;
};

enum class MouseMotionMode { None = -1, Up = 0, Down = 1, Right = 2, Left = 3, DoubleClick = 4, SingleClick = 5, RightClick = 6 };

// What one recognition came to, for tools that report it.
struct DispatchReport {
    int slot = 0;
    std::string phrase;
    int confidence = 0;
    bool accepted = false;
    ActionKind kind = ActionKind::Keystroke;
    std::string action;  // as read from the table (before any rewrite)
};

struct DispatchParts {
    TVREngine32& engine;
    DispatchShell& shell;
    TSendKey& sendKeys;
    TAppExec& appExe;
    TURL& urlStuff;
    TGoToWeb& goToWeb;
    WindowSystem& windows;
    PointerDevice& pointer;
    SoundPlayer& sound;
    ProcessLauncher& launcher;  // opens documents
    ApplicationFinder& finder;
};

class RecognitionDispatch {
public:
    explicit RecognitionDispatch(DispatchParts parts);

    // The engine's OnRecognition handler.
    void VREngine321Recognition(TVREngine32& sender);
    // One tick of the mouse timer; the owner calls it every MouseTimerInterval()
    // milliseconds while MouseTimerEnabled().
    void MouseTimerTimer();

    bool MouseTimerEnabled() const { return m_mouseTimerEnabled; }
    int MouseTimerInterval() const { return m_mouseTimerInterval; }
    // Listening mode turned off stops the mouse.
    void disableMouseTimer();
    MouseMotionMode mouseMotionMode() const { return m_mouseMode; }
    // Called when the timer is enabled or disabled or its interval changes, so
    // the owner can reschedule it.
    std::function<void()> OnMouseTimerChanged;
    // Called once per recognition, after its action (if any) has run.
    std::function<void(const DispatchReport&)> OnDispatched;

    int missedCommands() const { return m_missedCommands; }
    // Listening mode starting resets the count.
    void resetMissedCommands() { m_missedCommands = 0; }

    // Opening or making a table forgets which programs were started.
    void ClearLaunchTable();
    // Launch record of voice command slot (1..512); an empty record outside.
    LaunchRecord launchRecord(int slot) const;

    // The window of the program that voice command slot last started, or 0;
    // minimised says whether it is minimised. Empties the record when the
    // program has no window left.
    WindowId FindLaunchedWindow(int slot, bool& minimised);

private:
    void performKeystrokes(const std::string& action);
    void performMouse(const std::string& action);
    void performWebAddress(const std::string& action);
    void performProgram(int slot, const std::string& action);
    void startProgram(int slot, const std::string& folder, const std::string& fileName);
    void playSound(const std::string& path);
    void openDocument(const std::string& path);
    WindowId findBrowserWindow();
    void setMouseTimer(bool enabled, int interval);

    DispatchParts m_parts;
    int m_missedCommands = 0;
    std::array<LaunchRecord, kLaunchTableSize> m_launchTable{};
    MouseMotionMode m_mouseMode = MouseMotionMode::None;
    bool m_mouseTimerEnabled = false;
    int m_mouseTimerInterval = kMouseTimerStartInterval;
};

} // namespace larkspur
