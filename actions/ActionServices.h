#pragma once
// The one place the action services are put together for the desktop
// program, larkspur-cli and the tests: the desktop session (or recording
// stand-ins for a dry run, the demo, or no desktop at all), the keystroke
// sender, the program starter, the address opener, the browser finder and
// the recognition dispatch on top of them.

#include "actions/DeferredDesktop.h"
#include "actions/DesktopSessionFactory.h"
#include "actions/RecordingDesktop.h"
#include "actions/RecordingKeyInjector.h"
#include "actions/UsKeyboardLayout.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace larkspur {

class ApplicationFinder;
class DispatchShell;
class ProcessLauncher;
class RecognitionDispatch;
class SoundPlayer;
class TAppExec;
class TGoToWeb;
class TSendKey;
class TURL;
class TVREngine32;
struct DispatchReport;

class ActionServices {
public:
    struct Options {
        // Keys and the pointer are recorded, and no window is seen: nothing
        // reaches the desktop, which is then not even looked for.
        bool recordingDesktop = false;
        // Null: programs and documents are really started.
        ProcessLauncher* launcher = nullptr;
        // The screen the recording pointer moves on.
        ScreenPoint recordedScreen{1024, 768};
        // Null: openDesktopSession(host) on this machine's desktop.
        std::function<OpenedDesktop(const DesktopHost& host)> openDesktop;
        // What the program offers the desktop back ends: values kept across
        // starts (the portal's consent), the status window, the screen size.
        DesktopHost desktopHost;
        // The desktop is opened by openDesktop() or openDesktopInBackground(),
        // or at its first use, instead of at once.
        bool openDesktopLater = false;
        // Called on the opening thread when a desktop opened in the
        // background is ready, or none could be.
        std::function<void()> onDesktopOpened;
    };

    explicit ActionServices(Options options);
    ~ActionServices();
    ActionServices(const ActionServices&) = delete;
    ActionServices& operator=(const ActionServices&) = delete;

    // Opens the desktop now unless it is open already; waits for one being
    // opened in the background.
    void openDesktop() const;
    // Opens the desktop on a thread of its own, so the program goes on while
    // a desktop asks the user for consent (the portal). The first use of the
    // desktop, or the end of these services, waits for it; the end tells a
    // back end still waiting for the user to give up.
    void openDesktopInBackground();
    // Null when keys and pointer are recorded (asked for, or no desktop).
    DesktopSession* desktop() const;
    bool recording() const { return !desktop(); }
    // Why there is no desktop: empty when there is one or recording was asked for.
    const std::string& desktopFailure() const;
    // Why each back end not in use was not used.
    const std::vector<std::string>& desktopNotes() const;

    KeyboardLayout& keyboardLayout();
    KeyInjector& keyInjector();
    WindowSystem& windows();
    PointerDevice& pointer();
    ProcessLauncher& launcher() { return *m_launcher; }
    RecordingKeyInjector& recordedKeys() { return m_recordedKeys; }
    RecordingPointer& recordedPointer() { return m_recordedPointer; }

    TSendKey& sendKeys() { return *m_sendKeys; }
    TAppExec& appExe() { return *m_appExe; }
    TURL& urlStuff() { return *m_urlStuff; }
    TGoToWeb& goToWeb() { return *m_goToWeb; }

    // The recognition dispatch on these services.
    std::unique_ptr<RecognitionDispatch> makeDispatch(TVREngine32& engine, DispatchShell& shell, SoundPlayer& sound,
                                                      ApplicationFinder& finder);

    // The missing desktop is reported once: at the first accepted keystroke
    // or mouse action this returns the message, every other time nullopt.
    std::optional<std::string> missingDesktopReport(const DispatchReport& report);

private:
    std::function<OpenedDesktop(const DesktopHost&)> m_openDesktop;  // null: keys and pointer are recorded
    DesktopHost m_host;
    std::function<void()> m_onDesktopOpened;
    std::atomic<bool> m_closing{false};
    mutable bool m_desktopAsked = false;  // also while one is opened in the background
    mutable std::thread m_opening;
    mutable OpenedDesktop m_openedInBackground;  // written by m_opening until it is joined
    mutable OpenedDesktop m_opened;
    DeferredDesktop m_deferred;
    UsKeyboardLayout m_usLayout;
    RecordingKeyInjector m_recordedKeys;
    NoWindows m_noWindows;
    RecordingPointer m_recordedPointer;
    std::unique_ptr<ProcessLauncher> m_ownLauncher;
    ProcessLauncher* m_launcher = nullptr;
    std::unique_ptr<TSendKey> m_sendKeys;
    std::unique_ptr<TAppExec> m_appExe;
    std::unique_ptr<TURL> m_urlStuff;
    std::unique_ptr<TGoToWeb> m_goToWeb;
    bool m_missingReported = false;
};

} // namespace larkspur
