#pragma once
// The main window's side of the recognition dispatch: it answers the
// dispatch's questions from the window's controls (confidence pointer, status
// and plot windows, tray icon, message boxes) and owns the action services the
// dispatch acts on (ActionServices). With a desktop session that is the real
// keyboard, pointer and windows; without one, or for the demo, keystrokes and
// pointer moves are recorded and nothing reaches other windows.

#include "actions/ActionServices.h"
#include "actions/DispatchShell.h"

#include <QString>

#include <memory>

namespace larkspur {

class ApplicationFinder;
class ProcessLauncher;
class QtFinderUi;
class RecognitionDispatch;
class SoundPlayer;
class TMainFrm;

class MainDispatch : public DispatchShell {
public:
    struct Options {
        // Keys and pointer are recorded instead of performed.
        bool recordingDesktop = false;
        // Null: programs and documents are really started.
        ProcessLauncher* launcher = nullptr;
        // Null: sound files of actions play on the default ALSA device.
        SoundPlayer* sound = nullptr;
        // The desktop is opened by openDesktopInBackground() (once the
        // window shows) or at the first action, not while the window is
        // being built.
        bool openDesktopLater = false;
    };

    MainDispatch(TMainFrm& window, Options options);
    ~MainDispatch() override;

    // What the program offers the desktop back ends: values kept with the
    // program's options under "Desktop/", the status window's line (also
    // kept in shownLine, when given, on the window's thread), the primary
    // screen's size.
    static DesktopHost desktopHost(TMainFrm& window, std::shared_ptr<QString> shownLine = {});

    RecognitionDispatch& dispatch() { return *m_dispatch; }
    ApplicationFinder& finder() { return *m_finder; }
    // The finder's windows and questions.
    QtFinderUi& finderUi() { return *m_finderUi; }
    TGoToWeb& goToWeb() { return m_services->goToWeb(); }
    // The window's program starter and address opener (Run Mic Wizard, Help menu).
    TAppExec& appExe() { return m_services->appExe(); }
    TURL& urlStuff() { return m_services->urlStuff(); }
    // True when keys and pointer go nowhere (no desktop, or asked for).
    bool recording() const { return m_services->recording(); }
    const RecordingKeyInjector& recordedKeys() const { return m_services->recordedKeys(); }
    // The desktop session in use, null when recording.
    DesktopSession* desktop() const { return m_services->desktop(); }
    // Opens the desktop on a thread of its own unless that was done already:
    // a desktop that asks the user for consent shows its line in the status
    // window meanwhile, and the first action waits for the answer.
    void openDesktopInBackground() { m_services->openDesktopInBackground(); }

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
    std::unique_ptr<ActionServices> m_services;
    std::unique_ptr<SoundPlayer> m_ownSound;
    std::unique_ptr<QtFinderUi> m_finderUi;
    std::unique_ptr<ApplicationFinder> m_finder;
    std::unique_ptr<RecognitionDispatch> m_dispatch;
};

} // namespace larkspur
