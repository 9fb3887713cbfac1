// Start-up and shutdown of the main window: the creation steps, every show,
// the one-time start-up sequence after the first show, and the close sequence.

#include "app/TMainFrm.h"

#include "app/Artwork.h"
#include "app/CommandLineTable.h"
#include "app/MessageBoxes.h"
#include "app/PumpingDelay.h"
#include "app/TSysInfoComp.h"
#include "app/TTabControl.h"
#include "engine/FileError.h"
#include "engine/TVREngine32.h"
#include "settings/EINIPropSav.h"
#include "settings/TINIPropSav.h"
#include "ui/THistMenu.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace larkspur {

namespace {

const char* const kTooLittleMemory =
    "You computer system does not have enough memory! You must have at least 16MB of memory!";
const char* const kCommandLineTableMissing =
    "Command line table does not exist. Please make sure the specified file exists!";
const char* const kSaveAtClose =
    "You have created voice commands that are not saved. Do you wish to save the table?";
const char* const kCommandLineTableName = "COMMAND LINE";
const char* const kMicSetup = "larkspur-micsetup";

} // namespace

bool TMainFrm::FormCreate()
{
    bool created = false;
    try {
        m_iniPropSav->runFormCreate([this, &created] { created = formCreateSteps(); });
    } catch (const EINIPropSav& error) {
        showMessage(error.what());
    }
    return created && !m_platform.exit->terminated();
}

bool TMainFrm::formCreateSteps()
{
    if (m_sysInfo->msTotalPhys() < kMinimumPhysicalMemory) {
        showMessage(kTooLittleMemory);
        m_platform.exit->terminate();
        return false;
    }

    m_state.programDirectory = m_platform.programDirectory;

    // A mixer without the switch is common: the box just stays disabled, with
    // no message at every start.
    const bool autoGainSwitched =
        m_platform.setMicrophoneAutoGain && m_platform.setMicrophoneAutoGain(false, false);
    m_autoGain->setEnabled(autoGainSwitched);
    m_setMixer->setEnabled(QFileInfo(QString::fromStdString(m_state.programDirectory + kMicSetup)).isFile());

    m_state.quickStartSteps.fill(false);
    m_state.voiceOperationsEnabled = false;
    m_state.startupDone = false;
    m_state.tableCapacity = TVREngine32::MaxVoiceCommands();
    m_state.pendingRecentTable = false;
    m_state.pendingRecentPath.clear();
    m_state.autoMouseClick = false;
    m_state.plotZoom = MainWindowState::kPlotZoomMax;
    m_state.selectedVoiceCommand = 0;
    m_state.unsavedChanges = false;
    m_viewTips1->setChecked(true);
    m_state.mouseMotionMode = MainWindowState::kMouseStop;

    ShowSplash();

    RefreshTrainedList();
    RefreshCreatedList();
    RefreshEditList();
    m_buildListBox->collapseAll();

    m_fileHistory->LoadHistory();

    pumpingDelay(*m_platform.engine.clock, *m_platform.engine.pump, kFormCreateDelayMs);

    // Hints stay up 4.5 s; the filter lets "View Tips" switch them off.
    for (QWidget* widget : findChildren<QWidget*>())
        if (!widget->toolTip().isEmpty()) {
            widget->setToolTipDuration(kHintHidePauseMs);
            widget->installEventFilter(this);
        }

    setFixedSize(windowSizeRule());

    m_aboutImage->setPixmap(Artwork::aboutImage());
    m_buildTxt->setText(QStringLiteral("Version Information: ") + QStringLiteral(LARKSPUR_VERSION).trimmed());
    return true;
}

void TMainFrm::showEvent(QShowEvent* event)
{
    if (!m_placed) {
        m_placed = true;
        centreOnScreen();
    }
    QMainWindow::showEvent(event);
    // Restoring a minimised window is no new show.
    if (!event->spontaneous())
        FormShow();
}

void TMainFrm::centreOnScreen()
{
    const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!where)
        return;
    const QRect area = where->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void TMainFrm::FormShow()
{
    if (!m_state.startupDone)
        m_registrySetting->start();
    m_updateScr->start();
    m_engine->setPlayBack(m_playBack1->isChecked());
}

void TMainFrm::RegistrySettingTimer()
{
    m_state.startupDone = true;
    setEnabled(false);
    m_registrySetting->stop();

    ApplyAlwaysOnTop();
    ApplyPlotting();

    Clock& clock = *m_platform.engine.clock;
    EventPump& pump = *m_platform.engine.pump;
    pumpingDelay(clock, pump, kStartupDelayMs);

    m_engine->setShowMessages(true);
    m_engine->Initialize();
    if (!m_engine->Ready()) {
        m_engine->ClearTable();
        pumpingDelay(clock, pump, kStartupDelayMs);
        m_platform.exit->terminate();
        return;
    }

    setEnabled(true);
    raise();
    activateWindow();

    const bool quickStart = m_quickStart->isChecked();
    // The demo has no microphone to train with: it is not guided.
    if (!m_state.voiceOperationsEnabled && quickStart && !m_platform.demo)
        m_quickStartTimer->start();
    // The demo shows listening and recognition at once, guide or not.
    if (quickStart && !m_platform.demo) {
        // The table stays closed in quick start mode; the user must not be
        // left wondering where it went.
        if (!m_platform.arguments.empty())
            showMessage("The table " + commandLineTablePath(m_state.programDirectory, m_platform.arguments.front())
                        + " named on the command line was not opened because Quick Start Mode is on.");
        return;
    }

    m_state.voiceOperationsEnabled = true;
    if (!m_platform.arguments.empty())
        openCommandLineTable(m_platform.arguments.front());
    else if (m_autoLoadLastTable1->isChecked())
        openLastTable();
}

void TMainFrm::openTableWithoutDialog(const std::string& path)
{
    m_engine->setFileName(path);
    m_engine->setTableName(kCommandLineTableName);
    try {
        m_engine->OpenTable();
    } catch (const EInOutError& error) {
        showMessage(error.what());
    }
    m_engine->setTableName(TVREngine32::FileNamePart(m_engine->FileName()));
    ForgetLaunchedPrograms();
}

void TMainFrm::openCommandLineTable(const std::string& argument)
{
    const std::string path = commandLineTablePath(m_state.programDirectory, argument);
    if (!TVREngine32::FileExists(path)) {
        showMessage(std::string(kCommandLineTableMissing) + "\n" + path);
        return;
    }
    m_engine->setFileName(path);
    if (!looksLikeTable(path))
        return;
    openTableWithoutDialog(path);
    // A newcomer trying the demo watches the window; it stays on screen.
    if (!m_platform.demo)
        requestTray();
    requestListening();
}

void TMainFrm::openLastTable()
{
    const std::string path = m_lastTable->text().toStdString();
    m_engine->setFileName(path);
    if (looksLikeTable(path))
        openTableWithoutDialog(path);
    if (m_autoIconTray1->isChecked())
        requestTray();
    if (m_autoListenafterload1->isChecked())
        requestListening();
}

void TMainFrm::requestTray()
{
    if (m_platform.modes)
        m_platform.modes->SystemTrayClick();
    else
        SystemTrayClick();
}

void TMainFrm::requestListening()
{
    if (!m_platform.modes)
        ListeningModeClick();
    else if (m_state.voiceOperationsEnabled)
        m_platform.modes->ListeningModeClick();
}

void TMainFrm::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        FormClose();
    }
    event->accept();
    // Only this window's close ends the program (Exit and the tray menu's
    // Close come here too); message boxes and other windows never do.
    m_platform.exit->finish();
}

void TMainFrm::FormClose()
{
    if (m_state.unsavedChanges && askYesNo(kSaveAtClose))
        SaveTable1Click();
    m_engine->StopListening();
    m_lastTable->setText(QString::fromStdString(m_engine->FileName()));
    m_engine->ClearTable();
    closeHelpWindows();
    m_quickStartTimer->stop();
    m_updateScr->stop();
}

} // namespace larkspur
