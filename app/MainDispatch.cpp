#include "app/MainDispatch.h"

#include "actions/ApplicationFinder.h"
#include "actions/PosixProcessLauncher.h"
#include "actions/ProgramSearchPath.h"
#include "actions/RecognitionDispatch.h"
#include "actions/TAppExec.h"
#include "actions/TGoToWeb.h"
#include "actions/TSendKey.h"
#include "actions/TURL.h"
#include "actions/X11Session.h"
#include "app/MessageBoxes.h"
#include "app/QtFinderUi.h"
#include "app/TMainFrm.h"
#include "app/TPlotFrm.h"
#include "app/TRecFrm.h"
#include "app/TTrackBar.h"
#include "engine/AlsaSoundPlayer.h"
#include "engine/TVREngine32.h"

#include <QAction>
#include <QApplication>
#include <QScreen>

#include <cstdlib>

namespace larkspur {

namespace {

ScreenPoint screenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {1024, 768};
    return {screen->geometry().width(), screen->geometry().height()};
}

} // namespace

MainDispatch::MainDispatch(TMainFrm& window, Options options) : m_window(window)
{
    if (!options.recordingDesktop) {
        try {
            m_session = X11Session::open();
        } catch (const EDisplayUnavailable&) {
            // Reported once, at the first keystroke or mouse command.
        }
    }
    m_recordedPointer = std::make_unique<RecordingPointer>(screenSize());
    ProcessLauncher* launcher = options.launcher;
    if (!launcher) {
        m_ownLauncher = std::make_unique<PosixProcessLauncher>();
        launcher = m_ownLauncher.get();
    }
    SoundPlayer* sound = options.sound;
    if (!sound) {
        // Only the sound files of actions are played here, never the program's own sounds.
        m_ownSound = std::make_unique<AlsaSoundPlayer>(std::string());
        sound = m_ownSound.get();
    }

    KeyboardLayout& layout = m_session ? m_session->keyboardLayout() : m_usLayout;
    KeyInjector& injector = m_session ? m_session->keyInjector() : m_recordedKeys;
    WindowSystem& windows = m_session ? m_session->windows() : m_noWindows;
    PointerDevice& pointer = m_session ? m_session->pointer() : *m_recordedPointer;

    m_sendKeys = std::make_unique<TSendKey>(layout, injector, &windows);
    m_appExe = std::make_unique<TAppExec>(*launcher);
    m_appExe->setChangeDir(false);
    m_urlStuff = std::make_unique<TURL>(*launcher);
    m_goToWeb = std::make_unique<TGoToWeb>(*launcher, XdgRoots::fromEnvironment(*launcher));
    m_goToWeb->setBrowserState(TBrowserState::gwMaximized);
    const char* home = std::getenv("HOME");
    m_finderUi = std::make_unique<QtFinderUi>(window, *window.m_platform.boxes, *window.m_gStopFindApp,
                                              *window.m_fromMoreFrm);
    m_finder = std::make_unique<ApplicationFinder>(*m_finderUi, FinderRoots::standard(home ? home : ""),
                                                   pathLookup(environmentSearchPath()));
    m_finderUi->OnCancel = [this] { m_finder->CancelFindClick(); };
    m_dispatch = std::make_unique<RecognitionDispatch>(DispatchParts{
        window.engine(), *this, *m_sendKeys, *m_appExe, *m_urlStuff, *m_goToWeb, windows, pointer, *sound,
        *launcher, *m_finder});

    const bool noDisplay = !m_session && !options.recordingDesktop;
    m_dispatch->OnDispatched = [this, noDisplay](const DispatchReport& r) {
        if (noDisplay && !m_noDisplayReported && r.accepted &&
            (r.kind == ActionKind::Keystroke || r.kind == ActionKind::Mouse)) {
            m_noDisplayReported = true;
            showMessage(kNoDisplayMessage);
        }
    };
}

MainDispatch::~MainDispatch() = default;

int MainDispatch::confidencePointer()
{
    return m_window.m_confidence->Position();
}

void MainDispatch::showMessage(const std::string& text)
{
    m_window.showMessage(text);
}

bool MainDispatch::statusWindowChecked()
{
    return m_window.m_showRecognitionStatusWindow1->isChecked();
}

void MainDispatch::reshowStatusWindow()
{
    m_window.m_recFrm->hide();
    m_window.m_recFrm->show();
}

// In the notification area the window is hidden (or, without one, minimised)
// but not minimised in the sense of the dispatch: the plot keeps following the
// recognitions, so it is up to date when the window comes back.
bool MainDispatch::mainWindowMinimised()
{
    return m_window.isMinimized() && !m_window.TrayIconActive();
}

bool MainDispatch::plottingChecked()
{
    return m_window.m_plotting->isChecked();
}

void MainDispatch::plotLastUtterance()
{
    if (!m_window.m_plotWindow)
        return;
    m_window.m_plotWindow->TakePlotData(m_window.engine());
    m_window.m_plotWindow->DrawPlot(m_window.m_state.plotZoom);
}

void MainDispatch::setTableChanged()
{
    m_window.m_state.unsavedChanges = true;
}

bool MainDispatch::trayIconActive()
{
    return m_window.TrayIconActive();
}

void MainDispatch::setTrayIconActive(bool on)
{
    m_window.setTrayIconActive(on);
}

void MainDispatch::showPlotWindow()
{
    if (m_window.m_plotWindow && m_window.m_plotting->isChecked())
        m_window.m_plotWindow->show();
}

void MainDispatch::showMainWindow()
{
    m_window.showNormal();
}

void MainDispatch::restoreApplication()
{
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

void MainDispatch::pauseListeningForSound()
{
    m_window.showListeningLook(false);
}

void MainDispatch::resumeListeningAfterSound()
{
    // The microphone heard the sound: it is not speech to recognise.
    TVREngine32& engine = m_window.engine();
    engine.discardHeardAudio();
    // A stop asked for meanwhile (closing, the File menu) is kept.
    if (engine.stopRequested() || m_window.m_closing)
        return;
    m_window.showListeningLook(true);
    engine.CheckTableTrained();
}

} // namespace larkspur
