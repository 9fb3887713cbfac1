// Listening mode and how the window shows it, the periodic screen update, the
// notification-area icon, and the recognition dispatch's timer.

#include "app/TMainFrm.h"

#include "actions/ApplicationFinder.h"
#include "actions/RecognitionDispatch.h"
#include "app/Artwork.h"
#include "app/MainDispatch.h"
#include "app/PushToTalkControl.h"
#include "app/TPushToTalkFrm.h"
#include "app/TPlotFrm.h"
#include "app/TRecFrm.h"
#include "engine/TVREngine32.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

namespace larkspur {

void TMainFrm::buildListening()
{
    m_recFrm = new TRecFrm(*m_engine, this);

    m_trayIcon = new QSystemTrayIcon(Artwork::applicationIcon(), this);
    m_trayIcon->setObjectName(QStringLiteral("TrayIcon1"));
    m_trayIcon->setToolTip(QStringLiteral("Right Mouse Click For Options"));
    m_trayIcon->setContextMenu(m_toolbarPop1);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            TrayIcon1DblClick();
    });

    m_pushToTalk = new PushToTalkControl(*m_engine, *m_recFrm, *m_trayIcon,
                                         [this] { return m_showRecognitionStatusWindow1->isChecked(); }, this);
    m_pushToTalk->listening = [this] { return m_engine->status() != EngineStatus::Idle; };

    MainDispatch::Options options;
    options.recordingDesktop = m_platform.recordingDesktop || m_platform.demo;
    options.launcher = m_platform.launcher;
    options.sound = m_platform.actionSound;
    options.openDesktopLater = true;
    m_dispatch = std::make_unique<MainDispatch>(*this, options);
    m_dispatch->dispatch().OnMouseTimerChanged = [this] { followMouseTimer(); };
    connect(m_mouseTimer, &QTimer::timeout, this, [this] { m_dispatch->dispatch().MouseTimerTimer(); });
    m_engine->OnRecognition = [this](TVREngine32& sender) { m_dispatch->dispatch().VREngine321Recognition(sender); };
    ForgetLaunchedPrograms();
}

RecognitionDispatch& TMainFrm::dispatch()
{
    return m_dispatch->dispatch();
}

void TMainFrm::openDesktop()
{
    m_dispatch->openDesktopInBackground();
}

void TMainFrm::ForgetLaunchedPrograms()
{
    m_dispatch->dispatch().ClearLaunchTable();
}

// The dispatch decides when its timer runs and how fast; this window's timer
// only carries that out. A running timer keeps its phase unless the interval
// really changes.
void TMainFrm::followMouseTimer()
{
    const RecognitionDispatch& d = m_dispatch->dispatch();
    if (m_mouseTimer->interval() != d.MouseTimerInterval())
        m_mouseTimer->setInterval(d.MouseTimerInterval());
    if (d.MouseTimerEnabled() && !m_mouseTimer->isActive())
        m_mouseTimer->start();
    else if (!d.MouseTimerEnabled())
        m_mouseTimer->stop();
}

void TMainFrm::showListeningLook(bool listening)
{
    m_listeningMode1->setChecked(listening);
    m_listeningMode->setChecked(listening);
    m_listenBtn->setIcon(Artwork::toolbarIcon(listening ? ToolbarImage::Listening : ToolbarImage::NotListening));
    m_listenBtn->setProperty("ImageIndex", static_cast<int>(listening ? ToolbarImage::Listening
                                                                      : ToolbarImage::NotListening));
    for (QPushButton* button : {m_train, m_setupMicBtn, m_edUpdateBtn, m_edDeleteBtn})
        button->setEnabled(!listening);
}

void TMainFrm::ListeningModeClick()
{
    if (m_state.voiceOperationsEnabled)
        ToggleListening();
}

void TMainFrm::ToggleListening()
{
    if (m_engine->status() != EngineStatus::Idle) {
        showListeningLook(false);
        m_dispatch->dispatch().disableMouseTimer();
        m_engine->StopListening();
        return;
    }
    showListeningLook(true);
    m_engine->CheckTableTrained();
    m_dispatch->dispatch().resetMissedCommands();
    m_pushToTalk->listeningStarted();
    // Runs the listening loop; menus, timers and recognitions are handled
    // inside it until listening is stopped.
    m_engine->Recognize();
    // The engine may have stopped by itself; the look follows at once rather
    // than at the next screen update.
    if (m_engine->status() == EngineStatus::Idle && !m_closing)
        showListeningLook(false);
}

void TMainFrm::PushToTalkKey1Click()
{
    TPushToTalkFrm dialog(m_pushToTalk->keyName(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_pushToTalk->setKeyName(dialog.keyName());
    // Said once, when the user sets the key; afterwards the icon's hint says it.
    if (!m_pushToTalk->problem().isEmpty())
        showMessage(m_pushToTalk->problem().toStdString());
}

void TMainFrm::UpdateScrTimer()
{
    setWindowTitle(QString::fromLatin1(kTitle) + QStringLiteral(" - ") +
                   QString::fromStdString(m_engine->TableName()).toUpper());
    showListeningLook(m_engine->status() != EngineStatus::Idle);
    setFixedSize(windowSizeRule());
    if (m_gStopFindApp->isChecked())
        m_dispatch->finder().CancelFindClick();
    if (m_recFrm->isVisible())
        m_recFrm->Label1()->update();
}

void TMainFrm::File1Click()
{
    m_engine->StopListening();
    showListeningLook(false);
    update();
}

void TMainFrm::setTrayIconActive(bool on)
{
    m_trayActive = on;
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_trayIcon->setVisible(on);
}

void TMainFrm::SystemTrayClick()
{
    setTrayIconActive(true);
    if (m_plotWindow)
        m_plotWindow->hide();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
    } else {
        // Without a notification area a hidden window could never come back:
        // it stays minimised on the task bar instead, where restoring it,
        // its menus (listening, close) and closing stay reachable.
        showMinimized();
    }
}

void TMainFrm::ShowLarkspurQTX981Click()
{
    setTrayIconActive(false);
    if (m_plotWindow && m_plotting->isChecked())
        m_plotWindow->show();
    showNormal();
}

void TMainFrm::TrayIcon1DblClick()
{
    ShowLarkspurQTX981Click();
}

} // namespace larkspur
