// The main menu and the two pop-up menus. Check marks start as the window
// description has them; the persisted options may change them at start.

#include "app/TMainFrm.h"

#include "ui/THistMenu.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

namespace larkspur {

namespace {

QMenu* addMenu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* menu = bar->addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* addItem(QMenu* menu, const char* name, const char* caption)
{
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* addCheckItem(QMenu* menu, const char* name, const char* caption, bool checked)
{
    QAction* action = addItem(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

} // namespace

void TMainFrm::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = addMenu(bar, "File1", "&File");
    connect(file, &QMenu::aboutToShow, this, &TMainFrm::File1Click);
    addItem(file, "NewTable", "&New Table");
    addItem(file, "OpenTable1", "&Open Table");
    connect(addItem(file, "SaveTable1", "&Save Table"), &QAction::triggered, this, &TMainFrm::SaveTable1Click);
    addItem(file, "SaveAsTable1", "Save &As Table");
    file->addSeparator();
    m_lastOpenedTables1 = file->addMenu(QStringLiteral("Last Opened Tables"));
    m_lastOpenedTables1->setObjectName(QStringLiteral("LastOpenedTables1"));
    m_lastOpenedTables1->menuAction()->setObjectName(QStringLiteral("LastOpenedTables1Item"));
    m_fileHistory = new THistMenu(QStringLiteral("FileHistory"), this);
    m_fileHistory->setMenuItem(m_lastOpenedTables1);
    m_fileHistory->setBaseKey(QStringLiteral("Software\\Halcyon Works\\Larkspur QTX 98"));
    file->addSeparator();
    connect(addItem(file, "Exit1", "&Exit"), &QAction::triggered, this, &QWidget::close);

    QMenu* view = addMenu(bar, "Tips1", "&View");
    m_plotting = addCheckItem(view, "Plotting", "Plotting", true);
    QAction* zoomIn = addItem(view, "ZoomIn1", "Zoom In +");
    zoomIn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(zoomIn, &QAction::triggered, this, &TMainFrm::ZoomIn1Click);
    QAction* zoomOut = addItem(view, "ZoomOut1", "Zoom Out -");
    zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(zoomOut, &QAction::triggered, this, &TMainFrm::ZoomOut1Click);
    view->addSeparator();
    m_viewTips1 = addCheckItem(view, "ViewTips1", "View Tips", true);
    m_alwaysTop = addCheckItem(view, "AlwaysTop", "Always on top", false);
    connect(m_alwaysTop, &QAction::triggered, this, &TMainFrm::ApplyAlwaysOnTop);

    QMenu* modes = addMenu(bar, "Modes", "System");
    m_listeningMode1 = addCheckItem(modes, "ListeningMode1", "Listening Mode", false);
    connect(m_listeningMode1, &QAction::triggered, this, [this] {
        // The mark follows the engine, not the click.
        m_listeningMode1->setChecked(!m_listeningMode1->isChecked());
        ListeningModeClick();
    });
    modes->addSeparator();
    m_voiceButtons = addCheckItem(modes, "VoiceButtons", "Voice Buttons", true);
    m_quickStart = addCheckItem(modes, "QuickStart", "Quick Start Mode", true);
    m_showRecognitionStatusWindow1 = addCheckItem(modes, "ShowRecognitionStatusWindow1", "Show Status Window", true);
    modes->addSeparator();
    m_autoLoadLastTable1 = addCheckItem(modes, "AutoLoadLastTable1", "Auto Open Last Table", true);
    m_autoListenafterload1 = addCheckItem(modes, "AutoListenafterload1", "Auto Listen After Open Table", false);
    m_autoIconTray1 = addCheckItem(modes, "AutoIconTray1", "Auto System Icon Tray After Open Table", false);
    modes->addSeparator();
    m_pushToTalkKey1 = addItem(modes, "PushToTalkKey1", "Push-to-talk Key...");
    connect(m_pushToTalkKey1, &QAction::triggered, this, &TMainFrm::PushToTalkKey1Click);

    QMenu* updates = addMenu(bar, "Update1", "Updates");
    addItem(updates, "WebSiteUpdateArea1", "Web Site Updates Area");

    QMenu* help = addMenu(bar, "About1", "&Help");
    addItem(help, "Topics1", "Topics");
    addItem(help, "Index1", "Indexes");
    addItem(help, "ContactInformation1", "Contact Information");
    help->addSeparator();
    addItem(help, "WebSite1", "Web Site");
    addItem(help, "EMailSupport1", "E-Mail Support");
    addItem(help, "EMailBugReport1", "E-Mail Bug Report");
    help->addSeparator();
    addItem(help, "AboutDevelopmentTeam1", "Special Thanks To");
    connect(addItem(help, "AboutLarkspurQTX981", "About Larkspur QTX 98"), &QAction::triggered, this,
            &TMainFrm::AboutLarkspurQTX981Click);
}

void TMainFrm::buildPopupMenus()
{
    // The notification-area icon's menu.
    m_toolbarPop1 = new QMenu(this);
    m_toolbarPop1->setObjectName(QStringLiteral("ToolbarPop1"));
    connect(addItem(m_toolbarPop1, "ShowLarkspurQTX981", "Restore Larkspur QTX 98"), &QAction::triggered, this,
            &TMainFrm::ShowLarkspurQTX981Click);
    m_toolbarPop1->addSeparator();
    m_listeningMode = addCheckItem(m_toolbarPop1, "ListeningMode", "Listening Mode", false);
    connect(m_listeningMode, &QAction::triggered, this, [this] {
        m_listeningMode->setChecked(!m_listeningMode->isChecked());
        ListeningModeClick();
    });
    m_toolbarPop1->addSeparator();
    connect(addItem(m_toolbarPop1, "Close1", "Close"), &QAction::triggered, this, &QWidget::close);

    // The Active Voice Commands list's right-click menu.
    m_activePopMenu = new QMenu(this);
    m_activePopMenu->setObjectName(QStringLiteral("ActivePopMenu"));
    QAction* play = addItem(m_activePopMenu, "PlayVC", "&Play Recorded Voice Command");
    m_activePopMenu->setDefaultAction(play);
    connect(m_trainedList, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_activePopMenu->popup(m_trainedList->viewport()->mapToGlobal(at));
    });
}

} // namespace larkspur
