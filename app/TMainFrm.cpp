// Construction of the main window and its navigation between sections, tabs,
// panels and the splash panel.

#include "app/TMainFrm.h"

#include "app/TCreditsFrm.h"
#include "app/THelpViewer.h"

#include "app/CaselessListItem.h"
#include "app/MainDispatch.h"
#include "app/MessageBoxes.h"
#include "app/TPlotFrm.h"
#include "app/TSysInfoComp.h"
#include "app/TTabControl.h"
#include "app/TTrackBar.h"
#include "app/TTrainFrm.h"
#include "engine/FileError.h"
#include "engine/TVREngine32.h"
#include "engine/TextEncoding.h"
#include "settings/EINIPropSav.h"
#include "settings/PropertyRegistry.h"
#include "settings/TINIPropSav.h"
#include "ui/TSoftButt.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QTreeWidget>

namespace larkspur {

namespace {

const QStringList kVoiceCommandTabs = {QStringLiteral("Create"), QStringLiteral("Train"), QStringLiteral("Edit")};
const QStringList kSystemSettingsTabs = {QStringLiteral("Microphone"), QStringLiteral("Auto Mouse")};
const QStringList kUserSettingsTabs = {QStringLiteral("PlayBack"), QStringLiteral("Fine Tune")};

void setLabelColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// A phrase counts as created unless it is empty or the name a deleted record
// gets in its own slot.
bool isCreated(const std::string& phrase, int slot)
{
    return !phrase.empty() && phrase != "VoiceCommand" + std::to_string(slot);
}

} // namespace

TMainFrm::TMainFrm(ShellPlatform platform, QWidget* parent)
    : QMainWindow(parent), m_platform(std::move(platform))
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QString::fromLatin1(kTitle));
    // The program ends through this window's close only: a message box closed
    // while the window sits in the notification area must not end it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // Fixed single border with system menu and minimise box only.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QFont windowFont(QStringLiteral("Sans Serif"));
    windowFont.setPointSize(8);
    setFont(windowFont);

    m_engine = std::make_unique<TVREngine32>(m_platform.engine);
    // The accuracy the window gives the engine; only a move of the fine tune
    // slider changes it.
    m_engine->setAccuracy(kInitialAccuracy);
    m_sysInfo = m_platform.memoryStatus ? std::make_unique<TSysInfoComp>(m_platform.memoryStatus())
                                        : std::make_unique<TSysInfoComp>();

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    buildToolBar(client);
    buildSideWindow(client);
    buildTabArea(client);
    buildSplashPanel(client);
    buildStateHolders(client);
    buildMenus();
    buildPopupMenus();
    buildTimers();
    buildListening();
    buildCatalogue();
    configurePropertySaver();
    wireTableCommands();
    wireEditing();
    wireSettingsAndHelp();
    buildDemoNote();
    fitToContent();
}

void TMainFrm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_tabControl) {
        fitToContent();
        setFixedSize(windowSizeRule());
        // Once every control has taken the new font, measure again.
        QTimer::singleShot(0, this, [this] {
            fitToContent();
            setFixedSize(windowSizeRule());
        });
    }
}

TMainFrm::~TMainFrm()
{
    // Options are saved before the window goes away.
    try {
        m_iniPropSav->runFormDestroy();
    } catch (const EINIPropSav& error) {
        showMessage(error.what());
    }
}

// ---------------------------------------------------------------------------
// Sections and panels

void TMainFrm::setSectionLabelColours(int whiteIndex)
{
    for (int i = 0; i < 3; ++i)
        setLabelColour(m_sectionLabels[i], i == whiteIndex ? Qt::white : Qt::black);
}

void TMainFrm::chooseSection(Section section)
{
    HideSplash();
    const int index = static_cast<int>(section);
    setSectionLabelColours(index);
    const QStringList* tabs[] = {&kVoiceCommandTabs, &kSystemSettingsTabs, &kUserSettingsTabs};
    m_state.currentTabSet = *tabs[index];
    m_tabControl->setTabs(m_state.currentTabSet);
    QFrame* firstPanels[] = {m_createPanel, m_microphonePanel, m_playBackPanel};
    ShowPanel(firstPanels[index]);
}

void TMainFrm::VoiceCommandsBtnClick()
{
    chooseSection(Section::VoiceCommands);
    m_state.setQuickStartStep(1);
}

void TMainFrm::SystemSettingsBtnClick()
{
    chooseSection(Section::SystemSettings);
}

void TMainFrm::UserSettingsBtnClick()
{
    chooseSection(Section::UserSettings);
}

// With auto mouse click on, passing over a side button chooses its section;
// that is no click, so the quick start guide's first step is not done by it.
void TMainFrm::VoiceCommandsBtnMouseMove()
{
    if (m_state.autoMouseClick)
        chooseSection(Section::VoiceCommands);
}

void TMainFrm::SystemSettingsBtnMouseMove()
{
    if (m_state.autoMouseClick)
        chooseSection(Section::SystemSettings);
}

void TMainFrm::UserSettingsBtnMouseMove()
{
    if (m_state.autoMouseClick)
        chooseSection(Section::UserSettings);
}

void TMainFrm::TabControl1Change()
{
    const int index = m_tabControl->TabIndex();
    if (index < 0 || index >= m_state.currentTabSet.size())
        return;
    const QString caption = m_state.currentTabSet.at(index);
    if (caption == QLatin1String("Edit"))
        ShowPanel(m_editPanel);
    else if (caption == QLatin1String("Create"))
        ShowPanel(m_createPanel);
    else if (caption == QLatin1String("Train")) {
        ShowPanel(m_trainPanel);
        m_state.setQuickStartStep(5);
    } else if (caption == QLatin1String("Microphone"))
        ShowPanel(m_microphonePanel);
    else if (caption == QLatin1String("Auto Mouse"))
        ShowPanel(m_mousePanel);
    else if (caption == QLatin1String("PlayBack"))
        ShowPanel(m_playBackPanel);
    else if (caption == QLatin1String("Fine Tune"))
        ShowPanel(m_accuracyPanel);
}

void TMainFrm::ShowPanel(QFrame* panel)
{
    panel->move(m_rightSideWindow->width() + 6, m_rightSideWindow->y() + m_tabControl->TabHeight() + 6);
    panel->raise();
    panel->show();
    m_currentPanel = panel;
    openPanel(panel);
}

void TMainFrm::openPanel(QFrame* panel)
{
    if (panel == m_createPanel) {
        m_builtVCText->clear();
        m_builtVCAct->clear();
        m_state.selectedVoiceCommand = 0;
        m_buildListBox->setFocus();
    } else if (panel == m_trainPanel) {
        m_state.setQuickStartStep(5);
        RefreshTrainedList();
        RefreshCreatedList();
        m_state.selectedVoiceCommand = 0;
        m_trnVCTxt->clear();
        m_createdList->setFocus();
    } else if (panel == m_editPanel) {
        RefreshEditList();
        m_state.selectedVoiceCommand = 0;
        m_edVCTxt->clear();
        m_edVCAct->clear();
        m_editList->setFocus();
    } else if (panel == m_microphonePanel) {
        m_microphonePanel->setFocus();
    } else if (panel == m_mousePanel) {
        m_autoClick->setFocus();
    } else if (panel == m_playBackPanel) {
        m_playBack1->setFocus();
    } else if (panel == m_accuracyPanel) {
        m_accuracyScBr->setFocus();
    }
}

void TMainFrm::ShowSplash()
{
    setSectionLabelColours(-1);
    m_splashPanel->move(m_rightSideWindow->width() + 4, m_rightSideWindow->y());
    m_splashPanel->raise();
    m_splashPanel->show();
}

void TMainFrm::HideSplash()
{
    m_splashPanel->hide();
}

void TMainFrm::AboutLarkspurQTX981Click()
{
    m_state.currentTabSet.clear();
    m_tabControl->setTabs(m_state.currentTabSet);
    ShowSplash();
}

bool TMainFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !m_showHints)
        return true;
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Lists and options shared with the other parts of the window

void TMainFrm::RefreshCreatedList()
{
    m_createdList->clear();
    for (int n = 1; n <= m_state.tableCapacity; ++n) {
        m_engine->setVCRecord(n);
        if (isCreated(m_engine->VoiceCommand(), n))
            addCaseless(m_createdList, QString::fromStdString(tableTextToUtf8(m_engine->VoiceCommand())));
    }
}

void TMainFrm::RefreshTrainedList()
{
    m_trainedList->clear();
    for (int n = 1; n <= m_state.tableCapacity; ++n) {
        m_engine->setVCRecord(n);
        if (m_engine->VCTrained())
            addCaseless(m_trainedList, QString::fromStdString(tableTextToUtf8(m_engine->VoiceCommand())));
    }
}

void TMainFrm::RefreshEditList()
{
    m_editList->clear();
    for (int n = 1; n <= m_state.tableCapacity; ++n) {
        m_engine->setVCRecord(n);
        if (isCreated(m_engine->VoiceCommand(), n))
            addCaseless(m_editList, QString::fromStdString(tableTextToUtf8(m_engine->VoiceCommand())));
    }
}


void TMainFrm::ApplyAlwaysOnTop()
{
    const bool onTop = m_alwaysTop->isChecked();
    for (QWidget* window : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_plotWindow)}) {
        if (!window || window->testAttribute(Qt::WA_DontShowOnScreen))
            continue;
        if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
            continue;
        // Changing the flag hides the window; show it again as it was.
        const bool visible = window->isVisible();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (visible)
            window->show();
    }
}

void TMainFrm::setPlotWindow(TPlotFrm* plotWindow)
{
    m_plotWindow = plotWindow;
    if (!m_plotWindow)
        return;
    // A click in the plot zooms like the View menu, then brings this window back.
    auto zoomThenRaise = [this](void (TMainFrm::*zoom)()) {
        return [this, zoom] {
            (this->*zoom)();
            raise();
            activateWindow();
        };
    };
    m_plotWindow->OnZoomIn = zoomThenRaise(&TMainFrm::ZoomIn1Click);
    m_plotWindow->OnZoomOut = zoomThenRaise(&TMainFrm::ZoomOut1Click);
}

// The level counts samples per pixel, so zooming in lowers it; the user sees
// 26 minus the level.
void TMainFrm::ZoomIn1Click()
{
    if (m_state.plotZoom <= MainWindowState::kPlotZoomMin) {
        showMessage("A Zoom value of 25 is the highest Zoom In Value Allowed.");
        return;
    }
    --m_state.plotZoom;
    if (m_plotWindow)
        m_plotWindow->DrawPlot(m_state.plotZoom);
}

void TMainFrm::ZoomOut1Click()
{
    if (m_state.plotZoom >= MainWindowState::kPlotZoomMax) {
        showMessage("A Zoom value of 1 is the lowest Zoom Out Value Allowed.");
        return;
    }
    ++m_state.plotZoom;
    if (m_plotWindow)
        m_plotWindow->DrawPlot(m_state.plotZoom);
}

void TMainFrm::ApplyPlotting()
{
    if (!m_plotWindow)
        return;
    if (m_plotting->isChecked()) {
        m_plotWindow->show();
        raise();
        activateWindow();
    } else {
        m_plotWindow->hide();
    }
}

// ---------------------------------------------------------------------------
// Messages

void TMainFrm::showMessage(const std::string& text)
{
    m_platform.boxes->information(QString::fromStdString(text));
}

bool TMainFrm::askYesNo(const std::string& text)
{
    return m_platform.boxes->askYesNo(QString::fromStdString(text));
}

} // namespace larkspur
