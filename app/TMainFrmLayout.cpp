// The main window's frame: toolbar, side window, tab control, splash panel,
// hidden state holders and timers. Positions are client-area pixels.

#include "app/Artwork.h"
#include "app/TMainFrm.h"
#include "app/TTabControl.h"
#include "ui/TSoftButt.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace larkspur {

namespace {

constexpr int kToolBarHeight = 27;
constexpr int kToolButtonWidth = 24;
constexpr QRect kRightSideWindow(2, 27, 73, 268);
constexpr QRect kTabControl(76, 27, 396, 267);
constexpr QSize kSplashSize(396, 267);
constexpr QSize kSideButtonSize(45, 50);
constexpr int kSideButtonTops[3] = {10, 93, 178};
constexpr int kSideLabelTops[3] = {62, 147, 230};
constexpr int kSideLabelPixels = 12;

QToolButton* addToolButton(QToolBar* bar, const char* name, ToolbarImage image, const char* hint)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(Artwork::toolbarIcon(image));
    button->setToolTip(QString::fromLatin1(hint));
    button->setAutoRaise(true);
    button->setFixedSize(kToolButtonWidth, kToolBarHeight - 5);
    bar->addWidget(button);
    return button;
}

} // namespace

void TMainFrm::buildToolBar(QWidget* client)
{
    m_toolBar = new QToolBar(client);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(Artwork::kToolbarImageSize, Artwork::kToolbarImageSize));
    m_toolBar->setGeometry(0, 0, kRightSideWindow.width() + kTabControl.width() + 8, kToolBarHeight);

    m_newBtn = addToolButton(m_toolBar, "NewBtn", ToolbarImage::New, "Create New Table");
    m_openBtn = addToolButton(m_toolBar, "OpenBtn", ToolbarImage::Open, "Open Existing Table");
    m_saveBtn = addToolButton(m_toolBar, "SaveBtn", ToolbarImage::Save, "Save Current Table");
    m_toolBar->addSeparator();
    m_listenBtn = addToolButton(m_toolBar, "ListenBtn", ToolbarImage::NotListening, "Start/Stop Listening mode");
    m_systemTray = addToolButton(m_toolBar, "SystemTray", ToolbarImage::Tray, "Minimize to the System Icon Tray");

    connect(m_saveBtn, &QToolButton::clicked, this, &TMainFrm::SaveTable1Click);
    connect(m_listenBtn, &QToolButton::clicked, this, &TMainFrm::ListeningModeClick);
    connect(m_systemTray, &QToolButton::clicked, this, &TMainFrm::SystemTrayClick);
}

void TMainFrm::buildSideWindow(QWidget* client)
{
    m_rightSideWindow = new QFrame(client);
    m_rightSideWindow->setObjectName(QStringLiteral("RightSideWindow"));
    m_rightSideWindow->setGeometry(kRightSideWindow);
    m_rightSideWindow->setFrameShape(QFrame::Panel);
    m_rightSideWindow->setFrameShadow(QFrame::Sunken);
    m_rightSideWindow->setAutoFillBackground(true);
    QPalette sidePalette = m_rightSideWindow->palette();
    // The colour of an inactive caption bar.
    sidePalette.setColor(QPalette::Window, QColor(122, 150, 168));
    m_rightSideWindow->setPalette(sidePalette);

    struct SideEntry {
        const char* button;
        const char* hint;
        SideGlyph glyph;
        const char* label;
        const char* caption;
    };
    const SideEntry entries[3] = {
        {"VoiceCommandsBtn", "Create,Train, and Edit Voice Comamnds", SideGlyph::VoiceCommands, "VoiceCommands",
         "Voice Commands"},
        {"SystemSettingsBtn", "Change Microphone or Auto Mouse Settings", SideGlyph::SystemSettings,
         "SystemSettings", "System Settings"},
        {"UserSettingsBtn", "Change Playback or Fine Tune Settings", SideGlyph::UserSettings, "UserSettings",
         "User Settings"},
    };
    TSoftButt* buttons[3] = {};
    QFont labelFont = font();
    labelFont.setPixelSize(kSideLabelPixels);
    for (int i = 0; i < 3; ++i) {
        auto* button = new TSoftButt(m_rightSideWindow);
        button->setObjectName(QString::fromLatin1(entries[i].button));
        button->setToolTip(QString::fromLatin1(entries[i].hint));
        button->setGlyph(Artwork::sideGlyph(entries[i].glyph));
        button->setGeometry((kRightSideWindow.width() - kSideButtonSize.width()) / 2, kSideButtonTops[i],
                            kSideButtonSize.width(), kSideButtonSize.height());
        buttons[i] = button;

        auto* label = new QLabel(QString::fromLatin1(entries[i].caption), m_rightSideWindow);
        label->setObjectName(QString::fromLatin1(entries[i].label));
        label->setFont(labelFont);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setGeometry(0, kSideLabelTops[i], kRightSideWindow.width(), 2 * kSideLabelPixels + 4);
        m_sectionLabels[i] = label;
    }
    m_voiceCommandsBtn = buttons[0];
    m_systemSettingsBtn = buttons[1];
    m_userSettingsBtn = buttons[2];
    setSectionLabelColours(-1);

    connect(m_voiceCommandsBtn, &TSoftButt::clicked, this, &TMainFrm::VoiceCommandsBtnClick);
    connect(m_systemSettingsBtn, &TSoftButt::clicked, this, &TMainFrm::SystemSettingsBtnClick);
    connect(m_userSettingsBtn, &TSoftButt::clicked, this, &TMainFrm::UserSettingsBtnClick);
    m_voiceCommandsBtn->OnMouseMove = [this](TSoftButt&, Qt::KeyboardModifiers, int, int) {
        VoiceCommandsBtnMouseMove();
    };
    m_systemSettingsBtn->OnMouseMove = [this](TSoftButt&, Qt::KeyboardModifiers, int, int) {
        SystemSettingsBtnMouseMove();
    };
    m_userSettingsBtn->OnMouseMove = [this](TSoftButt&, Qt::KeyboardModifiers, int, int) {
        UserSettingsBtnMouseMove();
    };
}

void TMainFrm::buildTabArea(QWidget* client)
{
    m_tabControl = new TTabControl(client);
    m_tabControl->setObjectName(QStringLiteral("TabControl1"));
    m_tabControl->setGeometry(kTabControl);
    connect(m_tabControl, &TTabControl::OnChange, this, &TMainFrm::TabControl1Change);

    m_createPanel = makePanel(client, "CreatePanel");
    m_trainPanel = makePanel(client, "TrainPanel");
    m_editPanel = makePanel(client, "EditPanel");
    m_microphonePanel = makePanel(client, "MicrophonePanel");
    m_mousePanel = makePanel(client, "MousePanel");
    m_playBackPanel = makePanel(client, "PlayBackPanel");
    m_accuracyPanel = makePanel(client, "AccuracyPanel");
    buildCreatePanel(m_createPanel);
    buildTrainPanel(m_trainPanel);
    buildEditPanel(m_editPanel);
    buildMicrophonePanel(m_microphonePanel);
    buildMousePanel(m_mousePanel);
    buildPlayBackPanel(m_playBackPanel);
    buildAccuracyPanel(m_accuracyPanel);
}

QFrame* TMainFrm::makePanel(QWidget* client, const char* name)
{
    constexpr QSize kPanelSize(392, 239);
    auto* panel = new QFrame(client);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setAutoFillBackground(true);
    panel->resize(kPanelSize);
    // Placed when shown; until then out of sight.
    panel->hide();
    return panel;
}

void TMainFrm::buildSplashPanel(QWidget* client)
{
    m_splashPanel = new QFrame(client);
    m_splashPanel->setObjectName(QStringLiteral("SplashPanel"));
    m_splashPanel->setFrameShape(QFrame::Panel);
    m_splashPanel->setFrameShadow(QFrame::Raised);
    m_splashPanel->setAutoFillBackground(true);
    m_splashPanel->resize(kSplashSize);
    m_splashPanel->hide();

    m_aboutImage = new QLabel(m_splashPanel);
    m_aboutImage->setObjectName(QStringLiteral("AboutImage"));
    m_aboutImage->setGeometry((kSplashSize.width() - Artwork::kAboutWidth) / 2, 60, Artwork::kAboutWidth,
                              Artwork::kAboutHeight);

    m_buildTxt = new QLabel(m_splashPanel);
    m_buildTxt->setObjectName(QStringLiteral("BuildTxt"));
    m_buildTxt->setAlignment(Qt::AlignCenter);
    m_buildTxt->setGeometry(0, 60 + Artwork::kAboutHeight + 16, kSplashSize.width(), 20);
}

void TMainFrm::buildStateHolders(QWidget* client)
{
    // Values other parts keep between runs or pass between windows; the user
    // never sees them.
    m_lastTable = new QLabel(QStringLiteral("LastTable"), client);
    m_lastTable->setObjectName(QStringLiteral("LastTable"));
    m_gStopFindApp = new QCheckBox(client);
    m_gStopFindApp->setObjectName(QStringLiteral("gStopFindApp"));
    m_fromMoreFrm = new QLineEdit(client);
    m_fromMoreFrm->setObjectName(QStringLiteral("FromMoreFrm"));
    for (QWidget* holder : {static_cast<QWidget*>(m_lastTable), static_cast<QWidget*>(m_gStopFindApp),
                            static_cast<QWidget*>(m_fromMoreFrm)})
        holder->hide();
}

void TMainFrm::buildTimers()
{
    auto makeTimer = [this](const char* name, int interval) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(name));
        timer->setInterval(interval);
        return timer;
    };
    m_registrySetting = makeTimer("RegistrySetting", 1);
    m_updateScr = makeTimer("UpdateScr", 1500);
    m_quickStartTimer = makeTimer("QuickStartTimer", 2000);
    m_mouseTimer = makeTimer("MouseTimer", 1);
    connect(m_registrySetting, &QTimer::timeout, this, &TMainFrm::RegistrySettingTimer);
    connect(m_updateScr, &QTimer::timeout, this, &TMainFrm::UpdateScrTimer);
    connect(m_quickStartTimer, &QTimer::timeout, this, &TMainFrm::QuickStartTimerTimer);
}

QSize TMainFrm::windowSizeRule() const
{
    // The caption belongs to the window frame here, so only the menu bar is
    // added to the client parts.
    const int menuHeight = menuBar() ? menuBar()->sizeHint().height() : 0;
    return QSize(m_rightSideWindow->width() + m_tabControl->width() + 8,
                 m_toolBar->height() + m_rightSideWindow->height() + menuHeight + 4);
}

} // namespace larkspur
