// The main window's frame: toolbar, side window, tab control, splash panel,
// hidden state holders and timers. Positions are client-area pixels.

#include "app/Artwork.h"
#include "app/TMainFrm.h"
#include "app/TTabControl.h"
#include "ui/TSoftButt.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTabBar>
#include <QToolButton>

#include <algorithm>

namespace larkspur {

namespace {

constexpr int kToolBarHeight = 27;
constexpr int kToolButtonWidth = 24;
constexpr QRect kRightSideWindow(2, 27, 73, 268);
constexpr QRect kTabControl(76, 27, 396, 267);
constexpr QSize kSplashSize(396, 267);
// The work panels' size at the usual text size; larger text makes them larger.
constexpr QSize kPanelSize(392, 239);
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
    // A picture only: the hint is what a screen reader announces.
    button->setAccessibleName(QString::fromLatin1(hint));
    button->setAccessibleDescription(QString::fromLatin1(hint));
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
    m_listenBtn->setProperty("ImageIndex", static_cast<int>(ToolbarImage::NotListening));

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
        // Announced by the caption under it, with the hint on request.
        button->setAccessibleName(QString::fromLatin1(entries[i].caption));
        button->setAccessibleDescription(QString::fromLatin1(entries[i].hint));
        button->setGlyph(Artwork::sideGlyph(entries[i].glyph));
        button->setGeometry((kRightSideWindow.width() - kSideButtonSize.width()) / 2, kSideButtonTops[i],
                            kSideButtonSize.width(), kSideButtonSize.height());
        buttons[i] = button;

        auto* label = new QLabel(QString::fromLatin1(entries[i].caption), m_rightSideWindow);
        label->setObjectName(QString::fromLatin1(entries[i].label));
        label->setFont(labelFont);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setGeometry(0, kSideLabelTops[i], kRightSideWindow.width(),
                           std::max(2 * kSideLabelPixels + 4, label->heightForWidth(kRightSideWindow.width())));
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
    m_tabControl->setAccessibleName(QStringLiteral("Sections"));
    m_tabControl->tabBar()->setAccessibleName(QStringLiteral("Sections"));
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

void TMainFrm::fitToContent()
{
    if (!m_tabControl || !m_splashPanel)
        return;
    const QFrame* panels[] = {m_createPanel, m_trainPanel, m_editPanel, m_microphonePanel,
                              m_mousePanel, m_playBackPanel, m_accuracyPanel};
    // Measured afresh: a new font changes every size the layouts remember.
    for (const QFrame* panel : panels)
        panel->layout()->invalidate();
    // Widths grow with the text size, so paragraphs wrap as they do at the
    // usual size; heights follow what the paragraphs then need.
    // 8-point text is 11 pixels high on a usual screen.
    const double scale = std::max(1.0, QFontInfo(font()).pixelSize() / 11.0);
    int width = static_cast<int>(kPanelSize.width() * scale + 0.5);
    for (const QFrame* panel : panels)
        width = std::max(width, panel->layout()->totalMinimumSize().width());
    int height = kPanelSize.height();
    for (const QFrame* panel : panels) {
        const QLayout* layout = panel->layout();
        height = std::max(height, layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                              : layout->totalSizeHint().height());
        height = std::max(height, layout->totalMinimumSize().height());
    }
    for (QFrame* panel : {m_createPanel, m_trainPanel, m_editPanel, m_microphonePanel, m_mousePanel,
                          m_playBackPanel, m_accuracyPanel})
        panel->resize(width, height);

    // The tab control frames the panels: 3 pixels either side and below, the
    // tabs above.
    const QSize tabSize(width + kTabControl.width() - kPanelSize.width(),
                        height + TTabControl::kTabHeight + 6 + 3);
    m_tabControl->setGeometry(QRect(kTabControl.topLeft(), tabSize));
    m_rightSideWindow->resize(kRightSideWindow.width(),
                              std::max(kRightSideWindow.height(), tabSize.height() + 1));
    m_toolBar->resize(m_rightSideWindow->width() + tabSize.width() + 8, kToolBarHeight);

    m_splashPanel->resize(tabSize);
    m_aboutImage->move((tabSize.width() - Artwork::kAboutWidth) / 2, 60);
    const int buildHeight = std::max(20, m_buildTxt->sizeHint().height());
    m_buildTxt->setGeometry(0, 60 + Artwork::kAboutHeight + 16, tabSize.width(), buildHeight);

    // Shown panels keep their place under the tabs.
    for (QFrame* panel : {m_createPanel, m_trainPanel, m_editPanel, m_microphonePanel, m_mousePanel,
                          m_playBackPanel, m_accuracyPanel})
        if (panel->layout())
            panel->layout()->activate();
}

QFrame* TMainFrm::makePanel(QWidget* client, const char* name)
{
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

void TMainFrm::buildDemoNote()
{
    if (!m_platform.demo)
        return;
    // Says where the sound comes from, so nobody waits for the microphone.
    m_demoNote = new QLabel(QStringLiteral("Demo: listening to the bundled demo recording, not to a microphone."));
    m_demoNote->setObjectName(QStringLiteral("DemoNote"));
    m_demoNote->setWordWrap(true);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(m_demoNote, 1);
}

QSize TMainFrm::windowSizeRule() const
{
    // The caption belongs to the window frame here, so only the menu bar is
    // added to the client parts.
    const int menuHeight = menuBar() ? menuBar()->sizeHint().height() : 0;
    const int noteHeight = m_demoNote ? m_demoNote->parentWidget()->sizeHint().height() : 0;
    return QSize(m_rightSideWindow->width() + m_tabControl->width() + 8,
                 m_toolBar->height() + m_rightSideWindow->height() + menuHeight + noteHeight + 4);
}

} // namespace larkspur
