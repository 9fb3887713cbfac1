#pragma once
// The main window: toolbar, three side buttons choosing a section, a tab
// control choosing one of seven work panels, the splash panel, the menus, the
// start-up sequence and the close sequence. It owns the engine for the life of
// the process.

#include "actions/ActionCatalogue.h"
#include "app/MainWindowState.h"
#include "app/ShellPlatform.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;

namespace larkspur {

class HandlerSlot;
class MainDispatch;
class RecognitionDispatch;
class TRecFrm;
class PushToTalkControl;
class PropertyRegistry;
class THistMenu;
class TINIPropSav;
class TPlotFrm;
class TSoftButt;
class TTabControl;
class TTrackBar;
class TTrainFrm;
class TSysInfoComp;
class TCreditsFrm;
class THelpViewer;
class TVREngine32;
enum class TURLType;

class TMainFrm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Larkspur QTX 98";
    static constexpr uint64_t kMinimumPhysicalMemory = 16000000;
    static constexpr int kFormCreateDelayMs = 2500;
    static constexpr int kStartupDelayMs = 2000;
    static constexpr int kHintHidePauseMs = 4500;
    static constexpr int kInitialAccuracy = 15;

    // Builds every control; nothing is started until FormCreate.
    explicit TMainFrm(ShellPlatform platform, QWidget* parent = nullptr);
    ~TMainFrm() override;

    // --- Start-up and shutdown ----------------------------------------------
    // Runs the creation steps, then loads the persisted options. False when
    // the process is to end (too little memory).
    bool FormCreate();
    void FormShow();
    void RegistrySettingTimer();
    void FormClose();
    void QuickStartTimerTimer();
    void UpdateScrTimer();

    // --- Navigation ----------------------------------------------------------
    void VoiceCommandsBtnClick();
    void SystemSettingsBtnClick();
    void UserSettingsBtnClick();
    void VoiceCommandsBtnMouseMove();
    void SystemSettingsBtnMouseMove();
    void UserSettingsBtnMouseMove();
    void TabControl1Change();
    void ShowPanel(QFrame* panel);
    void ShowSplash();
    void HideSplash();
    void AboutLarkspurQTX981Click();

    // --- Operations other parts of the window share ---------------------------
    void RefreshCreatedList();
    void RefreshTrainedList();
    void RefreshEditList();
    // The lowest slot whose phrase is exactly text; 0 if none.
    int FindVoiceCommand(const std::string& text);
    // The lowest never-used slot; 0 when every slot is in use.
    int FreeVoiceCommandSlot();

    // --- Table commands and recent tables (TMainFrmTable.cpp) ------------------
    void NewTableClick();
    void OpenTable1Click();
    void SaveTable1Click();
    void SaveAsTable1Click();
    void FileHistoryClick(const QString& caption, int tag);

    // --- Editing and training (TMainFrmEditing.cpp) ----------------------------
    void AcceptBtnClick();
    void ClearBtnClick();
    void CreatedListDblClick();
    void TrainedListDblClick();
    void TrainClick();
    void VREngine321Trained();
    void TrnCancelBtnClick();
    void PlayVCClick();
    void EditListDblClick();
    void EdCleatBtnClick();
    void EdUpdateBtnClick();
    void EdDeleteBtnClick();
    TTrainFrm& trainWindow() { return *m_trainFrm; }

    // --- Listening mode, status window and notification area --------------------
    void SystemTrayClick();
    void ListeningModeClick();
    // Starts listening (returning only when it has stopped) or stops it.
    void ToggleListening();
    void File1Click();
    void ShowLarkspurQTX981Click();
    void TrayIcon1DblClick();
    bool TrayIconActive() const { return m_trayActive; }
    void setTrayIconActive(bool on);
    // Opening or making a table forgets which programs voice commands started.
    void ForgetLaunchedPrograms();
    void ApplyAlwaysOnTop();
    void ApplyPlotting();
    void ZoomIn1Click();
    void ZoomOut1Click();

    // --- Option handlers the persisted settings refer to by name ---------------
    void AutoGainClick();
    void AutoClickClick();
    void PlottingClick();
    void ViewTips1Click();
    void PlayBack1Click();
    void EnhancedMatchingClick();
    void PushToTalkKey1Click();
    void AccuracyScBrChange();

    // --- Settings, help and credits (TMainFrmSettings.cpp) ------------------------
    void SetupMicBtnClick();
    void SetMixerClick();
    void Topics1Click();
    void Index1Click();
    void ContactInformation1Click();
    void WebSite1Click();
    void EMailSupport1Click();
    void EMailBugReport1Click();
    void WebSiteUpdateArea1Click();
    void AboutDevelopmentTeam1Click();
    // F1: the topic of the nearest of widget and its parents carrying a help
    // context number; the contents when none does.
    void ShowContextHelp(QWidget* widget);
    THelpViewer& helpViewer() { return *m_helpViewer; }
    // The step the quick start guide is waiting for; 0 while it waits for none.
    int guideStep() const { return m_guideStep; }
    TCreditsFrm& creditsWindow() { return *m_creditsFrm; }

    // --- Catalogue of ready-made voice commands and the application finder ------
    void BuildListBoxDblClick();
    void BuildListBoxKeyPress(char key);
    void FindAppBtnClick();
    // Fills BuildListBox from the catalogue, keeping open the groups that were open.
    void RefreshCatalogueTree();
    ActionCatalogue& catalogue() { return *m_catalogue; }

    // The size the window must have; applied at creation and every screen update.
    QSize windowSizeRule() const;
    // Sizes the panels, the tab control, the side window and the toolbar to
    // the panels' content at the window's font; runs again when the font changes.
    void fitToContent();

    // The secondary window that draws utterances; it follows this window, and
    // its clicks zoom through this window's zoom commands.
    void setPlotWindow(TPlotFrm* plotWindow);

    TVREngine32& engine() { return *m_engine; }
    TRecFrm& statusWindow() { return *m_recFrm; }
    PushToTalkControl& pushToTalk() { return *m_pushToTalk; }
    RecognitionDispatch& dispatch();
    // Starts opening the desktop the actions reach, once the window is on
    // screen (a desktop that asks for consent says so in the status window
    // meanwhile); the first action waits for it.
    void openDesktop();
    MainDispatch& dispatchShell() { return *m_dispatch; }
    MainWindowState& state() { return m_state; }
    const MainWindowState& state() const { return m_state; }
    TINIPropSav& propertySaver() { return *m_iniPropSav; }
    THistMenu& fileHistory() { return *m_fileHistory; }

    // The panel shown last, raised above the others; null while none was shown.
    QFrame* currentPanel() const { return m_currentPanel; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class MainDispatch;
    enum class Section { VoiceCommands, SystemSettings, UserSettings };

    // Construction, one job each.
    void buildToolBar(QWidget* client);
    void buildSideWindow(QWidget* client);
    void buildTabArea(QWidget* client);
    void buildSplashPanel(QWidget* client);
    void buildStateHolders(QWidget* client);
    void buildMenus();
    void buildPopupMenus();
    void buildTimers();
    void buildCatalogue();
    void buildDemoNote();
    void configurePropertySaver();
    void registerHandler(const char* name, void (TMainFrm::*handler)());
    std::shared_ptr<HandlerSlot> eventSlot(const char* component, const char* property, const char* handler);
    bool formCreateSteps();
    QFrame* makePanel(QWidget* client, const char* name);
    void buildCreatePanel(QFrame* panel);
    void buildTrainPanel(QFrame* panel);
    void buildEditPanel(QFrame* panel);
    void buildMicrophonePanel(QFrame* panel);
    void buildMousePanel(QFrame* panel);
    void buildPlayBackPanel(QFrame* panel);
    void buildAccuracyPanel(QFrame* panel);

    void chooseSection(Section section);
    void setSectionLabelColours(int whiteIndex);
    void openPanel(QFrame* panel);
    void openCommandLineTable(const std::string& argument);
    void openLastTable();
    void openTableWithoutDialog(const std::string& path);
    // The start-up sequence's tray and listening requests.
    void requestTray();
    void requestListening();

    void centreOnScreen();
    void showListeningLook(bool listening);
    void buildListening();
    void followMouseTimer();

    void showMessage(const std::string& text);
    bool askYesNo(const std::string& text);

    // Table commands and editing flows, wired from the constructor.
    void wireTableCommands();
    void wireEditing();
    void wireSettingsAndHelp();
    // Opens an address with the desktop's handler; says so when nothing opened it.
    void openAddress(const char* address, TURLType urlType);
    void closeHelpWindows();

    // The quick start guide (TMainFrmQuickStart.cpp). Each step returns false
    // once the guide has ended: left through its question, or the window is
    // closing.
    bool guidePlay(const char* sound);
    bool guideDelay(int milliseconds);
    bool guideWaitForStep(int step, const char* sound);
    void leaveQuickStart();
    // Save or Save As, then the recent list and the flag unless the save failed or was turned down.
    void saveTableWith(void (TVREngine32::*save)());
    bool mayLoseChanges();
    void updateRecentList();
    void resetTableViews();
    void playConfirmation(const char* sound);
    void finishEdit(const char* confirmation);
    bool pickSelectedCommand(QListWidget* list);
    void pickForTraining(QListWidget* list);
    void closeTrainWindow();

    ShellPlatform m_platform;
    MainWindowState m_state;
    std::unique_ptr<TVREngine32> m_engine;
    std::unique_ptr<TSysInfoComp> m_sysInfo;
    std::unique_ptr<PropertyRegistry> m_components;
    std::unique_ptr<TINIPropSav> m_iniPropSav;
    bool m_loadingOptions = false;
    bool m_showHints = true;
    TPlotFrm* m_plotWindow = nullptr;
    QFrame* m_currentPanel = nullptr;
    bool m_closing = false;
    // Re-Calibrate is running; a second click meanwhile is ignored.
    bool m_recalibrating = false;
    // Centred on the screen at the first show only.
    bool m_placed = false;
    // The guide runs at most once per start.
    bool m_guideRan = false;
    int m_guideStep = 0;
    TRecFrm* m_recFrm = nullptr;
    PushToTalkControl* m_pushToTalk = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    bool m_trayActive = false;
    std::unique_ptr<MainDispatch> m_dispatch;
    std::unique_ptr<ActionCatalogue> m_catalogue;
    // A window of its own: it stays usable while this window is disabled.
    std::unique_ptr<TTrainFrm> m_trainFrm;
    std::unique_ptr<THelpViewer> m_helpViewer;
    std::unique_ptr<TCreditsFrm> m_creditsFrm;

    // Toolbar.
    QToolBar* m_toolBar = nullptr;
    QToolButton* m_newBtn = nullptr;
    QToolButton* m_openBtn = nullptr;
    QToolButton* m_saveBtn = nullptr;
    QToolButton* m_listenBtn = nullptr;
    QToolButton* m_systemTray = nullptr;

    // Side window.
    QFrame* m_rightSideWindow = nullptr;
    TSoftButt* m_voiceCommandsBtn = nullptr;
    TSoftButt* m_systemSettingsBtn = nullptr;
    TSoftButt* m_userSettingsBtn = nullptr;
    QLabel* m_sectionLabels[3] = {};

    // Tabs and panels.
    TTabControl* m_tabControl = nullptr;
    QFrame* m_createPanel = nullptr;
    QFrame* m_trainPanel = nullptr;
    QFrame* m_editPanel = nullptr;
    QFrame* m_microphonePanel = nullptr;
    QFrame* m_mousePanel = nullptr;
    QFrame* m_playBackPanel = nullptr;
    QFrame* m_accuracyPanel = nullptr;
    QFrame* m_splashPanel = nullptr;
    QLabel* m_aboutImage = nullptr;
    QLabel* m_buildTxt = nullptr;
    // Shown under the panels while the demo recording stands in for the microphone.
    QLabel* m_demoNote = nullptr;

    // Controls the start-up and navigation steps touch.
    QTreeWidget* m_buildListBox = nullptr;
    QLineEdit* m_builtVCText = nullptr;
    QLineEdit* m_builtVCAct = nullptr;
    QListWidget* m_createdList = nullptr;
    QListWidget* m_trainedList = nullptr;
    QLineEdit* m_trnVCTxt = nullptr;
    QPushButton* m_train = nullptr;
    QListWidget* m_editList = nullptr;
    QLineEdit* m_edVCTxt = nullptr;
    QLineEdit* m_edVCAct = nullptr;
    QPushButton* m_edUpdateBtn = nullptr;
    QPushButton* m_edDeleteBtn = nullptr;
    QPushButton* m_setupMicBtn = nullptr;
    QCheckBox* m_autoGain = nullptr;
    QPushButton* m_setMixer = nullptr;
    QCheckBox* m_autoClick = nullptr;
    QCheckBox* m_playBack1 = nullptr;
    QCheckBox* m_enhancedMatching = nullptr;
    TTrackBar* m_accuracyScBr = nullptr;
    TTrackBar* m_confidence = nullptr;

    // Hidden state holders.
    QLabel* m_lastTable = nullptr;
    QCheckBox* m_gStopFindApp = nullptr;
    QLineEdit* m_fromMoreFrm = nullptr;

    // Menus.
    QMenu* m_lastOpenedTables1 = nullptr;
    THistMenu* m_fileHistory = nullptr;
    QAction* m_plotting = nullptr;
    QAction* m_viewTips1 = nullptr;
    QAction* m_alwaysTop = nullptr;
    QAction* m_listeningMode1 = nullptr;
    QAction* m_voiceButtons = nullptr;
    QAction* m_quickStart = nullptr;
    QAction* m_showRecognitionStatusWindow1 = nullptr;
    QAction* m_autoLoadLastTable1 = nullptr;
    QAction* m_autoListenafterload1 = nullptr;
    QAction* m_autoIconTray1 = nullptr;
    QAction* m_pushToTalkKey1 = nullptr;
    QMenu* m_toolbarPop1 = nullptr;
    QAction* m_listeningMode = nullptr;
    QMenu* m_activePopMenu = nullptr;

    // Timers.
    QTimer* m_registrySetting = nullptr;
    QTimer* m_updateScr = nullptr;
    QTimer* m_quickStartTimer = nullptr;
    QTimer* m_mouseTimer = nullptr;

    // Event properties of the persisted controls.
    std::shared_ptr<HandlerSlot> m_autoClickOnClick;
    std::shared_ptr<HandlerSlot> m_plottingOnClick;
    std::shared_ptr<HandlerSlot> m_viewTips1OnClick;
    std::shared_ptr<HandlerSlot> m_playBack1OnClick;
    std::shared_ptr<HandlerSlot> m_accuracyScBrOnChange;
};

} // namespace larkspur
