#pragma once
// The main window's side of the recognition dispatch: it answers the
// dispatch's questions from the window's controls (confidence pointer, status
// and plot windows, tray icon, message boxes) and owns the desktop the
// dispatch acts on. With an X display that is the real keyboard, pointer and
// windows; without one, or for the demo, keystrokes and pointer moves are
// recorded and nothing reaches other windows.

#include "actions/DispatchShell.h"
#include "actions/RecordingDesktop.h"
#include "actions/RecordingKeyInjector.h"
#include "actions/UsKeyboardLayout.h"

#include <memory>

namespace larkspur {

class ApplicationFinder;
class ProcessLauncher;
class QtFinderUi;
class RecognitionDispatch;
class SoundPlayer;
class TAppExec;
class TGoToWeb;
class TMainFrm;
class TSendKey;
class TURL;
class X11Session;

class MainDispatch : public DispatchShell {
public:
    struct Options {
        // Keys and pointer are recorded instead of performed.
        bool recordingDesktop = false;
        // Null: programs and documents are really started.
        ProcessLauncher* launcher = nullptr;
        // Null: sound files of actions play on the default ALSA device.
        SoundPlayer* sound = nullptr;
    };

    MainDispatch(TMainFrm& window, Options options);
    ~MainDispatch() override;

    RecognitionDispatch& dispatch() { return *m_dispatch; }
    ApplicationFinder& finder() { return *m_finder; }
    // The finder's windows and questions.
    QtFinderUi& finderUi() { return *m_finderUi; }
    TGoToWeb& goToWeb() { return *m_goToWeb; }
    // The window's program starter and address opener (Run Mic Wizard, Help menu).
    TAppExec& appExe() { return *m_appExe; }
    TURL& urlStuff() { return *m_urlStuff; }
    // True when keys and pointer go nowhere (no display, or asked for).
    bool recording() const { return !m_session; }
    const RecordingKeyInjector& recordedKeys() const { return m_recordedKeys; }

    // DispatchShell
    int confidencePointer() override;
    void showMessage(const std::string& text) override;
    bool statusWindowChecked() override;
    void reshowStatusWindow() override;
    bool mainWindowMinimised() override;
    bool plottingChecked() override;
    void plotLastUtterance() override;
    void setTableChanged() override;
    bool trayIconActive() override;
    void setTrayIconActive(bool on) override;
    void showPlotWindow() override;
    void showMainWindow() override;
    void restoreApplication() override;
    void pauseListeningForSound() override;
    void resumeListeningAfterSound() override;

private:
    TMainFrm& m_window;
    std::unique_ptr<X11Session> m_session;
    UsKeyboardLayout m_usLayout;
    RecordingKeyInjector m_recordedKeys;
    NoWindows m_noWindows;
    std::unique_ptr<RecordingPointer> m_recordedPointer;
    std::unique_ptr<ProcessLauncher> m_ownLauncher;
    std::unique_ptr<SoundPlayer> m_ownSound;
    std::unique_ptr<TSendKey> m_sendKeys;
    std::unique_ptr<TAppExec> m_appExe;
    std::unique_ptr<TURL> m_urlStuff;
    std::unique_ptr<TGoToWeb> m_goToWeb;
    std::unique_ptr<QtFinderUi> m_finderUi;
    std::unique_ptr<ApplicationFinder> m_finder;
    std::unique_ptr<RecognitionDispatch> m_dispatch;
    bool m_noDisplayReported = false;
};

} // namespace larkspur
