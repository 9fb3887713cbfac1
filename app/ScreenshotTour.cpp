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

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
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
// Step 1 is left alone this long, so the question after twenty idle seconds comes up once.
constexpr qint64 kIdleBeforeFirstStepMs = 23000;

const char* const kAskToStart = "Quick Start Mode is enabled.";
const char* const kAskToLeave = "You are in Quick Start Mode and have not selected anything";
const char* const kHowToDisable = "You can disable the Quick Start Mode";
const char* const kAutoFeaturesOff = "Please Note: While this Quick Start Mode is enabled";

QTreeWidgetItem* catalogueItem(QTreeWidget* tree, const QString& group, const QString& text)
{
    for (QTreeWidgetItem* top : tree->findItems(group, Qt::MatchExactly)) {
        if (text.isEmpty())
            return top;
        for (int k = 0; k < top->childCount(); ++k)
            if (top->child(k)->text(0) == text)
                return top->child(k);
    }
    return nullptr;
}
} // namespace

ScreenshotTour::ScreenshotTour(TMainFrm& window, QWidget* plotWindow, QString directory)
    : m_window(window), m_plotWindow(plotWindow), m_directory(std::move(directory))
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &ScreenshotTour::takeWhenReady);
}

void ScreenshotTour::start()
{
    QDir().mkpath(m_directory);
    const auto* quickStart = m_window.findChild<QAction*>(QStringLiteral("QuickStart"));
    m_guide = quickStart && quickStart->isChecked();
    m_poll.start();
}

void ScreenshotTour::takeWhenReady()
{
    // Ready for work without a guide (the demo is not guided): the usual tour.
    if (m_guide && !m_guideSeen && m_window.state().voiceOperationsEnabled && m_window.isEnabled())
        m_guide = false;
    if (m_guide) {
        followGuide();
        return;
    }
    if (!m_window.state().voiceOperationsEnabled || !m_window.isEnabled())
        return;
    m_poll.stop();
    tour();
}

// Runs on the poll timer, also inside the guide's waits and its message
// boxes, which keep events running.
void ScreenshotTour::followGuide()
{
    if (QWidget* box = QApplication::activeModalWidget(); qobject_cast<QMessageBox*>(box)) {
        answerBox(box);
        return;
    }
    const int step = m_window.guideStep();
    if (step == 0 || step <= m_stepsDone)
        return;
    m_guideSeen = true;
    if (step == 1 && !m_askedToLeave) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (m_firstStepSeen < 0) {
            m_firstStepSeen = now;
            saveScreen(QStringLiteral("guide-1-voice-commands"));
        }
        if (now - m_firstStepSeen < kIdleBeforeFirstStepMs)
            return;
    }
    m_stepsDone = step;
    doGuideStep(step);
}

void ScreenshotTour::answerBox(QWidget* widget)
{
    auto* box = static_cast<QMessageBox*>(widget);
    m_guideSeen = true;
    const QString text = box->text();
    QString name;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    if (text.startsWith(QLatin1String(kAskToStart))) {
        name = QStringLiteral("guide-0-question");
        answer = QMessageBox::Yes;
    } else if (text.startsWith(QLatin1String(kAskToLeave))) {
        name = QStringLiteral("guide-idle-question");
        // Stay: hear the step again and go on.
        answer = QMessageBox::No;
        m_askedToLeave = true;
    } else if (text.startsWith(QLatin1String(kHowToDisable))) {
        name = QStringLiteral("guide-leave-note");
    } else if (text.startsWith(QLatin1String(kAutoFeaturesOff))) {
        name = QStringLiteral("guide-8-end-note");
    } else {
        // The training flow's own messages, during step 7.
        name = QStringLiteral("guide-%1-message-%2").arg(m_stepsDone).arg(++m_boxes);
    }
    saveScreen(name);
    if (QAbstractButton* button = box->button(answer))
        button->click();
    else
        box->reject();
    if (name == QLatin1String("guide-8-end-note")) {
        // The guide is over; the command it made is forgotten, so closing asks nothing.
        m_poll.stop();
        QTimer::singleShot(0, &m_window, [this] {
            m_window.engine().NewTable();
            m_window.state().unsavedChanges = false;
            m_window.close();
        });
    }
}

// The window as the step's instruction leaves it, then what the user does.
void ScreenshotTour::doGuideStep(int step)
{
    auto* tree = m_window.findChild<QTreeWidget*>(QStringLiteral("BuildListBox"));
    auto* tabs = m_window.findChild<TTabControl*>(QStringLiteral("TabControl1"));
    auto* created = m_window.findChild<QListWidget*>(QStringLiteral("CreatedList"));
    auto* action = m_window.findChild<QLineEdit*>(QStringLiteral("BuiltVCAct"));
    const QString defaults = QStringLiteral("Default Applications");
    switch (step) {
    case 1:
        m_window.findChild<QAbstractButton*>(QStringLiteral("VoiceCommandsBtn"))->click();
        break;
    case 2:
        saveScreen(QStringLiteral("guide-2-default-applications"));
        if (QTreeWidgetItem* item = catalogueItem(tree, defaults, QString())) {
            tree->setCurrentItem(item);
            // A double-click opens the branch as well.
            item->setExpanded(true);
            m_window.BuildListBoxDblClick();
        }
        break;
    case 3:
        saveScreen(QStringLiteral("guide-3-calculator"));
        if (QTreeWidgetItem* item = catalogueItem(tree, defaults, QStringLiteral("Calculator"))) {
            tree->setCurrentItem(item);
            m_window.BuildListBoxDblClick();
        }
        break;
    case 4:
        // A desktop without a calculator leaves the action empty; the user types one.
        if (action->text().isEmpty())
            action->setText(QStringLiteral("!/usr/bin/xcalc"));
        saveScreen(QStringLiteral("guide-4-accept"));
        m_window.findChild<QPushButton*>(QStringLiteral("AcceptBtn"))->click();
        break;
    case 5:
        saveScreen(QStringLiteral("guide-5-train-tab"));
        tabs->tabBar()->setCurrentIndex(1);
        break;
    case 6:
        saveScreen(QStringLiteral("guide-6-created-list"));
        if (const QList<QListWidgetItem*> found = created->findItems(QStringLiteral("Calculator"), Qt::MatchExactly);
            !found.isEmpty()) {
            created->setCurrentItem(found.front());
            m_window.CreatedListDblClick();
        }
        break;
    case 7:
        saveScreen(QStringLiteral("guide-7-train"));
        // Training runs in its own loop: the click gets an event of its own
        // so this timer goes on meanwhile; the training is then cancelled,
        // which ends the guide with its advice to train again.
        QTimer::singleShot(0, &m_window, [this] { m_window.findChild<QPushButton*>(QStringLiteral("Train"))->click(); });
        QTimer::singleShot(1500, &m_window, [this] {
            TTrainFrm& train = m_window.trainWindow();
            if (!train.isVisible())
                return;
            saveScreen(QStringLiteral("guide-7-training"));
            train.TrnCancelBtn()->click();
        });
        break;
    default:
        break;
    }
}

void ScreenshotTour::saveScreen(const QString& name)
{
    QCoreApplication::processEvents();
    QRect area = m_window.frameGeometry();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top != m_plotWindow && !top->inherits("QMenu"))
            area = area.united(top->frameGeometry());
    QScreen* screen = m_window.screen();
    QPixmap shot;
    if (screen)
        shot = screen->grabWindow(0, area.x() - 8, area.y() - 8, area.width() + 16, area.height() + 16);
    const QString path = m_directory + QLatin1Char('/') + name + QStringLiteral(".png");
    // Without a screen to grab (offscreen) the main window alone.
    if (shot.isNull() || !shot.save(path))
        save(&m_window, name);
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
