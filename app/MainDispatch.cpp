#include "app/MainDispatch.h"

#include "actions/ActionServices.h"
#include "actions/ApplicationFinder.h"
#include "actions/ProgramSearchPath.h"
#include "actions/RecognitionDispatch.h"
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
#include <QDebug>
#include <QLabel>
#include <QScreen>
#include <QSettings>

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

// What the desktop back ends keep across starts (the portal's consent token,
// "Desktop/PortalRestoreToken") lives with the other options.
QString desktopKey(const std::string& key)
{
    return QStringLiteral("Desktop/") + QString::fromStdString(key);
}

QSettings programOptions()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halcyon Works"),
                     QStringLiteral("Larkspur QTX 98"));
}

} // namespace

MainDispatch::MainDispatch(TMainFrm& window, Options options) : m_window(window)
{
    ActionServices::Options serviceOptions;
    serviceOptions.recordingDesktop = options.recordingDesktop;
    serviceOptions.launcher = options.launcher;
    serviceOptions.recordedScreen = screenSize();
    // Read and written on the window's thread only.
    auto desktopLine = std::make_shared<QString>();
    serviceOptions.desktopHost = desktopHost(window, desktopLine);
    serviceOptions.openDesktopLater = options.openDesktopLater;
    serviceOptions.onDesktopOpened = [&window, desktopLine] {
        // A line the desktop left in the strip goes the usual way now.
        QMetaObject::invokeMethod(&window, [&window, desktopLine] {
            TRecFrm& strip = window.statusWindow();
            if (strip.isVisible() && !desktopLine->isEmpty() && strip.Label1()->text().trimmed() == *desktopLine)
                strip.showNote(*desktopLine, false);
        }, Qt::QueuedConnection);
    };
    m_services = std::make_unique<ActionServices>(serviceOptions);
    SoundPlayer* sound = options.sound;
    if (!sound) {
        // Only the sound files of actions are played here, never the program's own sounds.
        m_ownSound = std::make_unique<AlsaSoundPlayer>(std::string());
        sound = m_ownSound.get();
    }

    const char* home = std::getenv("HOME");
    m_finderUi = std::make_unique<QtFinderUi>(window, *window.m_platform.boxes, *window.m_gStopFindApp,
                                              *window.m_fromMoreFrm);
    m_finder = std::make_unique<ApplicationFinder>(*m_finderUi, FinderRoots::standard(home ? home : ""),
                                                   pathLookup(environmentSearchPath()));
    m_finderUi->OnCancel = [this] { m_finder->CancelFindClick(); };
    m_dispatch = m_services->makeDispatch(window.engine(), *this, *sound, *m_finder);
    m_dispatch->OnDispatched = [this](const DispatchReport& r) {
        if (const std::optional<std::string> missing = m_services->missingDesktopReport(r))
            showMessage(*missing);
    };
}

MainDispatch::~MainDispatch() = default;

DesktopHost MainDispatch::desktopHost(TMainFrm& window, std::shared_ptr<QString> shownLine)
{
    DesktopHost host;
    host.screenSize = screenSize();
    host.load = [](const std::string& key) {
        return programOptions().value(desktopKey(key)).toString().toStdString();
    };
    host.store = [](const std::string& key, const std::string& value) {
        QSettings settings = programOptions();
        settings.setValue(desktopKey(key), QString::fromStdString(value));
    };
    // Back ends speak from the thread that opens the desktop: the line is
    // shown on the window's thread, and stays until the desktop is open.
    host.showStatus = [&window, shownLine](const std::string& line) {
        qInfo().noquote() << QString::fromStdString(line);
        QMetaObject::invokeMethod(&window, [&window, shownLine, text = QString::fromStdString(line)] {
            if (shownLine)
                *shownLine = text;
            window.statusWindow().showNote(text, true);
        }, Qt::QueuedConnection);
    };
    return host;
}

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
