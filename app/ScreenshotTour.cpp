#include "app/ScreenshotTour.h"

#include "app/MainDispatch.h"
#include "app/QtFinderUi.h"
#include "app/TCreditsFrm.h"
#include "app/THelpViewer.h"
#include "app/TInfoFrm.h"
#include "app/TMainFrm.h"
#include "app/TMoreFrm.h"
#include "app/TPushToTalkFrm.h"
#include "app/TRecFrm.h"
#include "app/TTabControl.h"
#include "app/TTrainFrm.h"
#include "engine/TVREngine32.h"

#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QTabBar>
#include <QTreeWidget>

#include <cstdio>

namespace larkspur {

namespace {
constexpr int kPollMs = 100;
}

ScreenshotTour::ScreenshotTour(TMainFrm& window, QWidget* plotWindow, QString directory)
    : m_window(window), m_plotWindow(plotWindow), m_directory(std::move(directory))
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &ScreenshotTour::takeWhenReady);
}

void ScreenshotTour::start()
{
    QDir().mkpath(m_directory);
    m_poll.start();
}

void ScreenshotTour::takeWhenReady()
{
    if (!m_window.state().voiceOperationsEnabled || !m_window.isEnabled())
        return;
    m_poll.stop();
    tour();
}

void ScreenshotTour::save(QWidget* widget, const QString& name)
{
    const QString path = m_directory + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!widget->grab().save(path))
        std::fprintf(stderr, "larkspur: could not write %s\n", qPrintable(path));
}

void ScreenshotTour::tour()
{
    save(&m_window, QStringLiteral("main-splash"));
    auto* tabs = m_window.findChild<TTabControl*>(QStringLiteral("TabControl1"));
    using Click = void (TMainFrm::*)();
    for (Click click : {&TMainFrm::VoiceCommandsBtnClick, &TMainFrm::SystemSettingsBtnClick,
                        &TMainFrm::UserSettingsBtnClick}) {
        (m_window.*click)();
        for (int i = 0; i < tabs->tabBar()->count(); ++i) {
            // As if the user chose the tab.
            tabs->tabBar()->setCurrentIndex(i);
            save(&m_window, QStringLiteral("main-") + m_window.currentPanel()->objectName());
        }
    }
    if (m_plotWindow)
        save(m_plotWindow, QStringLiteral("plot"));
    catalogueAndFinder();
    tourVoiceCommands();
    helpAndCredits();
    pushToTalk();
    m_window.close();
}

// The catalogue after "Find App's && URL's" with its groups open, and the
// finder's two windows.
void ScreenshotTour::catalogueAndFinder()
{
    m_window.VoiceCommandsBtnClick();
    m_window.FindAppBtnClick();
    auto* tree = m_window.findChild<QTreeWidget*>(QStringLiteral("BuildListBox"));
    for (const char* group : {"Found Applications", "Found URL Favorites", "General Keyboard Commands"})
        for (QTreeWidgetItem* item : tree->findItems(QString::fromLatin1(group), Qt::MatchExactly))
            item->setExpanded(true);
    save(&m_window, QStringLiteral("main-CreatePanel-catalogue"));
    tree->collapseAll();
    for (const char* group : {"Default Applications", "General Window Commands"})
        for (QTreeWidgetItem* item : tree->findItems(QString::fromLatin1(group), Qt::MatchExactly))
            item->setExpanded(true);
    save(&m_window, QStringLiteral("main-CreatePanel-catalogue-2"));

    QtFinderUi& finder = m_window.dispatchShell().finderUi();
    finder.infoFrm().showProgress(QStringLiteral("Please wait, finding voice command for the first time...."));
    save(&finder.infoFrm(), QStringLiteral("finder-progress"));
    finder.infoFrm().hide();
    QListWidget* list = finder.moreFrm().ListMoreLocations();
    list->clear();
    list->addItems({QStringLiteral("/usr/bin/gnome-calculator"), QStringLiteral("/usr/local/bin/gnome-calculator")});
    finder.moreFrm().show();
    save(&finder.moreFrm(), QStringLiteral("finder-locations"));
    finder.moreFrm().hide();
}

// The help viewer on its contents, the action syntax and the topic of
// Re-Calibrate, and the credits window.
void ScreenshotTour::helpAndCredits()
{
    THelpViewer& help = m_window.helpViewer();
    m_window.Topics1Click();
    save(&help, QStringLiteral("help-contents"));
    help.showPage(QStringLiteral("actions.html"));
    save(&help, QStringLiteral("help-actions"));
    m_window.ShowContextHelp(m_window.findChild<QWidget*>(QStringLiteral("SetupMicBtn")));
    save(&help, QStringLiteral("help-microphone"));
    help.hide();
    m_window.AboutDevelopmentTeam1Click();
    save(&m_window.creditsWindow(), QStringLiteral("credits"));
    m_window.creditsWindow().hide();
}

// The push-to-talk key's dialog, and the status window saying which key to hold.
void ScreenshotTour::pushToTalk()
{
    TPushToTalkFrm dialog(QStringLiteral("F9"), &m_window);
    dialog.show();
    QCoreApplication::processEvents();
    save(&dialog, QStringLiteral("push-to-talk-key"));
    dialog.hide();
    TRecFrm& status = m_window.statusWindow();
    status.showNote(QStringLiteral("Push-to-talk: hold F9"), true);
    QCoreApplication::processEvents();
    save(&status, QStringLiteral("status-push-to-talk"));
    status.hide();
}

// The Create, Train and Edit panels with a few voice commands, and the
// training window as it asks for a phrase. The commands are forgotten again.
void ScreenshotTour::tourVoiceCommands()
{
    auto* tabs = m_window.findChild<TTabControl*>(QStringLiteral("TabControl1"));
    auto edit = [this](const char* name) { return m_window.findChild<QLineEdit*>(QString::fromLatin1(name)); };
    auto list = [this](const char* name) { return m_window.findChild<QListWidget*>(QString::fromLatin1(name)); };
    auto pick = [](QListWidget* l, const QString& text) {
        const QList<QListWidgetItem*> found = l->findItems(text, Qt::MatchExactly);
        if (!found.isEmpty())
            l->setCurrentItem(found.front());
        return !found.isEmpty();
    };

    m_window.VoiceCommandsBtnClick();
    const std::pair<const char*, const char*> commands[] = {{"File Save", "@FS"}, {"F5", "{F5}"}};
    for (const auto& [phrase, action] : commands) {
        edit("BuiltVCText")->setText(QString::fromLatin1(phrase));
        edit("BuiltVCAct")->setText(QString::fromLatin1(action));
        m_window.AcceptBtnClick();
    }
    edit("BuiltVCText")->setText(QStringLiteral("Calculator"));
    edit("BuiltVCAct")->setText(QStringLiteral("!CALC.EXE"));
    save(&m_window, QStringLiteral("main-CreatePanel-filled"));
    m_window.AcceptBtnClick();

    tabs->tabBar()->setCurrentIndex(1);
    if (pick(list("CreatedList"), QStringLiteral("Calculator")))
        m_window.CreatedListDblClick();
    save(&m_window, QStringLiteral("main-TrainPanel-filled"));

    TTrainFrm& train = m_window.trainWindow();
    train.PleaseTxt()->setVisible(true);
    train.DisplayTxt()->setText(QStringLiteral("Calculator"));
    train.DisplayTxt()->setVisible(true);
    train.show();
    train.TrainingPass()->setText(QStringLiteral("2 of 3"));
    QCoreApplication::processEvents();
    save(&train, QStringLiteral("train-window"));
    train.hide();

    tabs->tabBar()->setCurrentIndex(2);
    if (pick(list("EditList"), QStringLiteral("File Save")))
        m_window.EditListDblClick();
    save(&m_window, QStringLiteral("main-EditPanel-filled"));

    m_window.engine().NewTable();
    m_window.state().unsavedChanges = false;
}

} // namespace larkspur
