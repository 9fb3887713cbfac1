// The Create panel's catalogue tree, "Find App's && URL's", and the finder's
// windows during a recognition, on the real main window with scripted
// message boxes, a recording launcher and temporary folders to search.

#include "ShellRig.h"

#include "actions/ApplicationFinder.h"
#include "actions/ProcessLauncher.h"
#include "actions/RecognitionDispatch.h"
#include "app/MainDispatch.h"
#include "app/QtFinderUi.h"
#include "app/TInfoFrm.h"
#include "app/TMoreFrm.h"
#include "engine/TVREngine32.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace larkspur {

// Sets what the engine reports for a recognition, as Recognize would.
class EngineTestAccess {
public:
    static void recognised(TVREngine32& engine, int slot, int confidence)
    {
        engine.m_lastVC = slot;
        engine.m_lastConfidence = confidence;
        engine.m_lastVoiceCommand = engine.table().record(slot) ? engine.table().record(slot)->phrase : "";
    }
};

} // namespace larkspur

using namespace larkspur;
using namespace larkspur::test;

namespace {

class RecordingLauncher : public ProcessLauncher {
public:
    SpawnResult spawn(const std::vector<std::string>& argv) override
    {
        spawned.push_back(argv);
        return {4242, 0};
    }
    std::optional<int> waitExit(pid_t, std::optional<std::chrono::milliseconds>) override { return 0; }
    std::optional<std::string> captureOutput(const std::vector<std::string>&) override { return std::nullopt; }
    std::vector<std::vector<std::string>> spawned;
};

// Runs check at every turn of the event loop while the code under test
// keeps the interface alive; check returns true once it is done.
class Driver : public QObject {
public:
    explicit Driver(std::function<bool()> check) : m_check(std::move(check))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            ++turns;
            if (m_check())
                m_timer.stop();
        });
        m_timer.start(0);
    }
    int turns = 0;

private:
    std::function<bool()> m_check;
    QTimer m_timer;
};

QStringList childTexts(const QTreeWidgetItem* item)
{
    QStringList out;
    for (int i = 0; i < item->childCount(); ++i)
        out << item->child(i)->text(0);
    return out;
}

} // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ShellRig> m_rig;
    RecordingLauncher m_launcher;
    std::unique_ptr<TMainFrm> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;

    QTreeWidget* tree() { return m_window->findChild<QTreeWidget*>(QStringLiteral("BuildListBox")); }
    QLineEdit* edit(const char* name) { return m_window->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QtFinderUi& finderUi() { return m_window->dispatchShell().finderUi(); }
    ApplicationFinder& finder() { return m_window->dispatchShell().finder(); }

    QTreeWidgetItem* topLevel(const QString& text)
    {
        for (int i = 0; i < tree()->topLevelItemCount(); ++i)
            if (tree()->topLevelItem(i)->text(0) == text)
                return tree()->topLevelItem(i);
        return nullptr;
    }
    QTreeWidgetItem* item(const QString& group, const QString& text)
    {
        QTreeWidgetItem* parent = topLevel(group);
        if (!parent || text.isEmpty())
            return parent;
        for (int i = 0; i < parent->childCount(); ++i)
            if (parent->child(i)->text(0) == text)
                return parent->child(i);
        return nullptr;
    }

    // Shows the item, then clicks it as a user would.
    QPoint reveal(QTreeWidgetItem* it)
    {
        if (it->parent())
            it->parent()->setExpanded(true);
        tree()->scrollToItem(it);
        // Near the start of the text: a long path runs past the visible part.
        const QRect rect = tree()->visualItemRect(it);
        return QPoint(std::max(rect.left(), 0) + 8, rect.center().y());
    }
    void doubleClick(QTreeWidgetItem* it)
    {
        const QPoint at = reveal(it);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
    }
    void pressEnterOn(QTreeWidgetItem* it)
    {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, reveal(it));
        QTest::keyClick(tree(), Qt::Key_Return);
    }

    QString path(const QString& relative) const { return m_dir->filePath(relative); }
    QString write(const QString& relative, const QByteArray& text, bool executable = false)
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return {};
        out.write(text);
        out.close();
        if (executable)
            out.setPermissions(out.permissions() | QFileDevice::ExeOwner);
        return file;
    }
    void searchIn(const QStringList& shortcuts, const QStringList& entries, const QStringList& programs)
    {
        FinderRoots roots;
        for (const QString& p : shortcuts)
            roots.shortcutRoots.push_back(path(p).toStdString());
        for (const QString& p : entries)
            roots.desktopEntryRoots.push_back(path(p).toStdString());
        for (const QString& p : programs)
            roots.programRoots.push_back(path(p).toStdString());
        finder().setRoots(roots);
    }

    // Slot 1 holds "Tool" with a program action that names no folder.
    void storeToolCommand()
    {
        TVREngine32& engine = m_window->engine();
        engine.setVCRecord(1);
        engine.setVoiceCommand("Tool");
        engine.setCommandString("!tool.exe");
        engine.UpdateVCRecord();
    }
    std::string storedAction()
    {
        m_window->engine().setVCRecord(1);
        return m_window->engine().CommandString();
    }
    void recogniseTool()
    {
        EngineTestAccess::recognised(m_window->engine(), 1, 90);
        m_window->dispatch().VREngine321Recognition(m_window->engine());
    }
    QStringList informationTexts() const
    {
        QStringList out;
        for (const ScriptedMessageBoxes::Shown& s : m_rig->boxes.shown)
            if (s.kind == ScriptedMessageBoxes::Kind::Information)
                out << s.text;
        return out;
    }
    QStringList questionTexts() const
    {
        QStringList out;
        for (const ScriptedMessageBoxes::Shown& s : m_rig->boxes.shown)
            if (s.kind == ScriptedMessageBoxes::Kind::YesNo)
                out << s.text;
        return out;
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<ShellRig>();
        m_launcher.spawned.clear();
        ShellPlatform platform = m_rig->platform();
        platform.launcher = &m_launcher;
        platform.recordingDesktop = true;
        m_window = std::make_unique<TMainFrm>(platform);
        QVERIFY(m_window->FormCreate());
        // The start-up sequence runs to its end first, not inside a search.
        m_rig->start(*m_window);
        QTRY_VERIFY(m_window->isEnabled());
        QVERIFY(!m_rig->exit.terminated());
        m_rig->boxes.shown.clear();
        m_window->VoiceCommandsBtnClick();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        m_window.reset();
        m_rig.reset();
        m_dir.reset();
    }

    void treeIsFilledSortedAndReadOnly()
    {
        QStringList top;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i)
            top << tree()->topLevelItem(i)->text(0);
        QCOMPARE(top, (QStringList{"Default Applications", "Enter your own text", "Found Applications",
                                   "Found URL Favorites", "General File Options", "General Keyboard Commands",
                                   "General Mouse Commands", "General Window Commands"}));

        // The groups that hold ready-made items are bold; the others are not.
        for (const char* bold : {"Default Applications", "General File Options", "General Keyboard Commands",
                                 "General Mouse Commands", "General Window Commands"})
            QVERIFY2(topLevel(bold)->font(0).bold(), bold);
        for (const char* plain : {"Enter your own text", "Found Applications", "Found URL Favorites"})
            QVERIFY2(!topLevel(plain)->font(0).bold(), plain);
        QVERIFY(!item("General Keyboard Commands", "Ctrl")->font(0).bold());

        QStringList functionKeys;
        for (const QString& key : childTexts(topLevel("General Keyboard Commands")))
            if (key.size() >= 2 && key[0] == QLatin1Char('F') && key[1].isDigit())
                functionKeys << key;
        QCOMPARE(functionKeys, (QStringList{"F1", "F10", "F11", "F12", "F13", "F14", "F15", "F16", "F2", "F3",
                                            "F4", "F5", "F6", "F7", "F8", "F9"}));
        QCOMPARE(childTexts(topLevel("General Window Commands")),
                 (QStringList{"Close Window", "Maximize", "Minimize", "Move", "Restore", "Size"}));
        QVERIFY(item("General Keyboard Commands", "Shift ") != nullptr);
        QCOMPARE(topLevel("Found Applications")->childCount(), 0);

        // Read-only: no way into an editor.
        QCOMPARE(tree()->editTriggers(), QAbstractItemView::NoEditTriggers);
        QTreeWidgetItem* ctrl = item("General Keyboard Commands", "Ctrl");
        reveal(ctrl);
        tree()->setCurrentItem(ctrl);
        QTest::keyClick(tree(), Qt::Key_F2);
        QVERIFY(tree()->findChildren<QLineEdit*>().isEmpty() || !tree()->findChild<QLineEdit*>()->isVisible());
        QCOMPARE(ctrl->text(0), QStringLiteral("Ctrl"));
    }

    void pickingAnItemFillsTheFields_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("step2");
        QTest::addColumn<bool>("step3");
        QTest::newRow("Ctrl, double-click") << "General Keyboard Commands" << "Ctrl" << false << "Control" << "^"
                                            << false << false;
        QTest::newRow("Ctrl, Enter") << "General Keyboard Commands" << "Ctrl" << true << "Control" << "^" << false
                                     << false;
        QTest::newRow("Help") << "General Keyboard Commands" << "Help" << false << "Help" << "{F1}" << false
                              << false;
        QTest::newRow("Shift") << "General Keyboard Commands" << "Shift " << true << "Shift" << "~" << false
                               << false;
        QTest::newRow("Mouse Click") << "General Mouse Commands" << "Mouse Click" << false << "Mouse Click"
                                     << "{MOUSE DBCLICK}" << false << false;
        QTest::newRow("own text") << "Enter your own text" << "" << true << "Just type over this!"
                                  << "Just type over this!" << false << false;
        QTest::newRow("Default Applications") << "Default Applications" << "" << false << "old phrase"
                                              << "old action" << true << false;
        QTest::newRow("General File Options") << "General File Options" << "" << false << "" << "" << false
                                              << false;
        QTest::newRow("mouse group") << "General Mouse Commands" << "" << true << "old phrase" << "old action"
                                     << false << false;
        QTest::newRow("Found Applications") << "Found Applications" << "" << false << "old phrase"
                                            << "old action" << false << false;
    }
    void pickingAnItemFillsTheFields()
    {
        QFETCH(QString, group);
        QFETCH(QString, text);
        QFETCH(bool, enter);
        QFETCH(QString, phrase);
        QFETCH(QString, action);
        QFETCH(bool, step2);
        QFETCH(bool, step3);
        edit("BuiltVCText")->setText(QStringLiteral("old phrase"));
        edit("BuiltVCAct")->setText(QStringLiteral("old action"));
        QTreeWidgetItem* it = item(group, text);
        QVERIFY(it);
        enter ? pressEnterOn(it) : doubleClick(it);
        QCOMPARE(edit("BuiltVCText")->text(), phrase);
        QCOMPARE(edit("BuiltVCAct")->text(), action);
        QCOMPARE(m_window->state().quickStartStep(2), step2);
        QCOMPARE(m_window->state().quickStartStep(3), step3);
    }

    void calculatorSetsStepThreeWithThisDesktopsProgram()
    {
        QTreeWidgetItem* calculator = item("Default Applications", "Calculator");
        QVERIFY(calculator);
        QCOMPARE(calculator->data(0, Qt::UserRole).toInt(), kCodeCalculator);
        pressEnterOn(calculator);
        QCOMPARE(edit("BuiltVCText")->text(), QStringLiteral("Calculator"));
        const std::optional<std::string> action = m_window->catalogue().actionOf(kCodeCalculator);
        QVERIFY(action && action->rfind("!", 0) == 0);
        QCOMPARE(edit("BuiltVCAct")->text().toStdString(), *action);
        QVERIFY(m_window->state().quickStartStep(3));
        QVERIFY(!m_window->state().quickStartStep(2));
    }

    void rightClickSelects()
    {
        QTreeWidgetItem* esc = item("General Keyboard Commands", "Esc");
        tree()->setCurrentItem(item("General Keyboard Commands", "Ctrl"));
        QTest::mouseClick(tree()->viewport(), Qt::RightButton, {}, reveal(esc));
        QCOMPARE(tree()->currentItem(), esc);
        QVERIFY(esc->isSelected());
        QTest::keyClick(tree(), Qt::Key_Enter);
        QCOMPARE(edit("BuiltVCAct")->text(), QStringLiteral("{ESCAPE}"));
    }

    void findAppsFillsTheFoundGroupsOnEveryRun()
    {
        write("home/fav/Weather Report.url", "[InternetShortcut]\r\nURL=http://weather.example/\r\n");
        const QString link = write("apps/docs.desktop", "[Desktop Entry]\nName=Docs\nType=Link\nURL=https://docs.example/\n");
        const QString editor = write("bin/editor", "#!/bin/sh\n", true);
        write("apps/editor.desktop", "[Desktop Entry]\nType=Application\nIcon=editor\nExec=" + editor.toUtf8() + "\n");
        write("apps/plain.desktop", "[Desktop Entry]\nType=Application\nExec=" + editor.toUtf8() + "\n");
        searchIn({"home"}, {"apps", "missing"}, {});
        const QString shortcut = path("home/fav/Weather Report.url");

        bool progressSeen = false;
        Driver watch([&] {
            if (finderUi().infoFrm().isVisible()) {
                progressSeen = !m_window->isEnabled() &&
                               finderUi().infoFrm().Label1()->text() == QStringLiteral("Please wait, processing command...");
                return true;
            }
            return false;
        });
        auto* findApp = m_window->findChild<QPushButton*>(QStringLiteral("FindAppBtn"));
        QTest::mouseClick(findApp, Qt::LeftButton);
        QVERIFY(progressSeen);
        QVERIFY(!finderUi().infoFrm().isVisible());
        QVERIFY(m_window->isEnabled());
        QCOMPARE(childTexts(topLevel("Found URL Favorites")), (QStringList{link, shortcut}));
        QCOMPARE(childTexts(topLevel("Found Applications")), QStringList{editor});
        QCOMPARE(item("Found Applications", editor)->data(0, Qt::UserRole).toInt(), kCodeFoundFile);

        // Found nodes insert like any other item.
        doubleClick(item("Found URL Favorites", shortcut));
        QCOMPARE(edit("BuiltVCText")->text(), QStringLiteral("Weather Report"));
        QCOMPARE(edit("BuiltVCAct")->text(), QStringLiteral("http://weather.example/"));
        pressEnterOn(item("Found Applications", editor));
        QCOMPARE(edit("BuiltVCText")->text(), QStringLiteral("editor"));
        QCOMPARE(edit("BuiltVCAct")->text(), QStringLiteral("!") + editor);

        // A second run adds everything again; open groups stay open.
        QVERIFY(topLevel("Found Applications")->isExpanded());
        m_window->FindAppBtnClick();
        QCOMPARE(childTexts(topLevel("Found URL Favorites")), (QStringList{link, link, shortcut, shortcut}));
        QCOMPARE(childTexts(topLevel("Found Applications")), (QStringList{editor, editor}));
        QVERIFY(topLevel("Found Applications")->isExpanded());
        QVERIFY(!topLevel("General Mouse Commands")->isExpanded());
        QVERIFY(m_rig->boxes.shown.isEmpty());
    }

    void cancelStopsTheCatalogueSearchBetweenEntries_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelStopsTheCatalogueSearchBetweenEntries()
    {
        QFETCH(bool, escape);
        for (const char* folder : {"a", "b", "c"})
            for (const char* name : {"one.desktop", "two.desktop"})
                write(QString::fromLatin1(folder) + "/" + name, "[Desktop Entry]\nType=Link\nURL=http://x.example/\n");
        searchIn({}, {"a", "b", "c"}, {});
        const CatalogueNode* favourites = m_window->catalogue().group(kCodeFoundUrlFavorites);

        // Cancel as soon as the first entry has been added.
        Driver cancel([&] {
            if (favourites->children.empty())
                return false;
            if (escape)
                QTest::keyClick(&finderUi().infoFrm(), Qt::Key_Escape);
            else
                QTest::mouseClick(finderUi().infoFrm().CancelFind(), Qt::LeftButton);
            return true;
        });
        m_window->FindAppBtnClick();
        QCOMPARE(topLevel("Found URL Favorites")->childCount(), 1);
        QVERIFY(!finderUi().infoFrm().isVisible());
        QVERIFY(m_window->isEnabled());
        QVERIFY(!finder().gStopFindApp());
        QVERIFY(!m_window->findChild<QCheckBox*>(QStringLiteral("gStopFindApp"))->isChecked());

        // The next run is not stopped by the old Cancel.
        m_window->FindAppBtnClick();
        QCOMPARE(topLevel("Found URL Favorites")->childCount(), 7);
    }

    void chooserTakesTheSecondLocation_data()
    {
        QTest::addColumn<bool>("doubleClickIt");
        QTest::newRow("OK") << false;
        QTest::newRow("double-click") << true;
    }
    void chooserTakesTheSecondLocation()
    {
        QFETCH(bool, doubleClickIt);
        const QString first = write("a/tool.exe", "x");
        const QString second = write("b/sub/tool.exe", "x");
        searchIn({}, {}, {"a", "b", "c"});
        storeToolCommand();
        QVERIFY(!m_window->state().unsavedChanges);

        bool progressSeen = false;
        QStringList offered;
        bool firstSelected = false;
        bool okEnabled = false;
        Driver chooser([&] {
            TInfoFrm& info = finderUi().infoFrm();
            if (info.isVisible() && !progressSeen)
                progressSeen = !m_window->isEnabled() &&
                               info.Label1()->text() == QStringLiteral("Please wait, finding voice command for the first time....");
            TMoreFrm& more = finderUi().moreFrm();
            if (!more.isVisible())
                return false;
            QListWidget* list = more.ListMoreLocations();
            for (int i = 0; i < list->count(); ++i)
                offered << list->item(i)->text();
            firstSelected = list->currentRow() == 0 && list->item(0)->isSelected();
            okEnabled = more.BtnOK()->isEnabled() && more.BtnOK()->isDefault();
            const QPoint at = list->visualItemRect(list->item(1)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            if (doubleClickIt)
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            else
                QTest::mouseClick(more.BtnOK(), Qt::LeftButton);
            return true;
        });
        recogniseTool();

        QVERIFY(progressSeen);
        QCOMPARE(offered, (QStringList{first, second}));
        QVERIFY(firstSelected);
        QVERIFY(okEnabled);
        QVERIFY(!finderUi().moreFrm().isVisible());
        QVERIFY(m_window->isEnabled());
        // Answered No at each folder with results, so both were searched.
        QCOMPARE(questionTexts(), (QStringList{"Found location(s) on drive " + path("a") +
                                                   ":. Do you want to see the location(s) and stop the search?",
                                               "Found location(s) on drive " + path("b") +
                                                   ":. Do you want to see the location(s) and stop the search?"}));
        QVERIFY(informationTexts().isEmpty());
        QCOMPARE(QString::fromStdString(storedAction()), QStringLiteral("!") + second);
        QVERIFY(m_window->state().unsavedChanges);
        QCOMPARE(m_launcher.spawned.size(), size_t(1));
    }

    void cancelInTheChooserLeavesTheAction_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelInTheChooserLeavesTheAction()
    {
        QFETCH(bool, escape);
        write("a/tool.exe", "x");
        searchIn({}, {}, {"a"});
        storeToolCommand();
        Driver chooser([&] {
            TMoreFrm& more = finderUi().moreFrm();
            if (!more.isVisible())
                return false;
            if (escape)
                QTest::keyClick(more.ListMoreLocations(), Qt::Key_Escape);
            else
                QTest::mouseClick(more.Button1(), Qt::LeftButton);
            return true;
        });
        recogniseTool();
        QVERIFY(!finderUi().moreFrm().isVisible());
        QCOMPARE(m_window->findChild<QLineEdit*>(QStringLiteral("FromMoreFrm"))->text(), QStringLiteral("NOTFOUND"));
        QVERIFY(informationTexts().isEmpty());
        QCOMPARE(storedAction(), std::string("!tool.exe"));
        QVERIFY(!m_window->state().unsavedChanges);
        QVERIFY(m_launcher.spawned.empty());
        QVERIFY(m_window->isEnabled());
    }

    void nothingFoundSaysSorry()
    {
        write("a/other.exe", "x");
        searchIn({}, {}, {"a", "missing"});
        storeToolCommand();
        bool chooserShown = false;
        Driver watch([&] {
            chooserShown = chooserShown || finderUi().moreFrm().isVisible();
            return false;
        });
        recogniseTool();
        QVERIFY(!chooserShown);
        QCOMPARE(informationTexts(),
                 QStringList{"I'm sorry, but we can not find tool.exe on your system. Please edit voice command!"});
        QVERIFY(questionTexts().isEmpty());
        QCOMPARE(storedAction(), std::string("!tool.exe"));
        QVERIFY(!m_window->state().unsavedChanges);
        QVERIFY(m_launcher.spawned.empty());
        QVERIFY(m_window->isEnabled());
        QVERIFY(!finderUi().infoFrm().isVisible());
    }

    void cancelDuringTheSearchStopsBeforeTheNextFolder()
    {
        const QString first = write("a/tool.exe", "x");
        write("b/tool.exe", "x");
        searchIn({}, {}, {"a", "b"});
        storeToolCommand();
        bool cancelled = false;
        QStringList offered;
        Driver driver([&] {
            if (!cancelled && finderUi().infoFrm().isVisible()) {
                QTest::mouseClick(finderUi().infoFrm().CancelFind(), Qt::LeftButton);
                cancelled = true;
            }
            TMoreFrm& more = finderUi().moreFrm();
            if (!more.isVisible())
                return false;
            for (int i = 0; i < more.ListMoreLocations()->count(); ++i)
                offered << more.ListMoreLocations()->item(i)->text();
            QTest::keyClick(more.ListMoreLocations(), Qt::Key_Return);
            return true;
        });
        recogniseTool();
        QVERIFY(cancelled);
        // The folder being searched is finished and offered; the next is not searched.
        QCOMPARE(offered, QStringList{first});
        QCOMPARE(questionTexts().size(), 1);
        QCOMPARE(QString::fromStdString(storedAction()), QStringLiteral("!") + first);
    }

    void finderWindowsLookAndNames()
    {
        for (QDialog* window : {static_cast<QDialog*>(&finderUi().infoFrm()), static_cast<QDialog*>(&finderUi().moreFrm())}) {
            QCOMPARE(window->windowTitle(), QStringLiteral("Larkspur QTX 98"));
            const Qt::WindowFlags flags = window->windowFlags();
            QVERIFY(flags & Qt::WindowStaysOnTopHint);
            QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint)));
            // Top-level windows of their own, so disabling the main window leaves them usable.
            QVERIFY(window->parentWidget() == nullptr);
            for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
                QVERIFY2(!control->accessibleDescription().isEmpty(), qPrintable(control->objectName()));
            }
        }
        TMoreFrm& more = finderUi().moreFrm();
        QCOMPARE(more.Label1()->text(),
                 QStringLiteral("Have found one or more file locations for the voice command.  Please select one of "
                                "the file locations for the voice command by double-clicking on it, or highlight and "
                                "click on 'OK'."));
        QCOMPARE(more.BtnOK()->text(), QStringLiteral("OK"));
        QCOMPARE(more.Button1()->text(), QStringLiteral("Cancel"));
        QCOMPARE(finderUi().infoFrm().CancelFind()->text(), QStringLiteral("Cancel"));
        // OK waits for a selection.
        QVERIFY(!more.BtnOK()->isEnabled());
        more.ListMoreLocations()->addItem(QStringLiteral("/x/tool.exe"));
        more.ListMoreLocations()->clearSelection();
        QVERIFY(!more.BtnOK()->isEnabled());
        more.ListMoreLocations()->item(0)->setSelected(true);
        QVERIFY(more.BtnOK()->isEnabled());
        more.ListMoreLocations()->clear();
        QVERIFY(!more.BtnOK()->isEnabled());
        // Centred on the screen, not over the main window.
        m_window->move(0, 0);
        finderUi().infoFrm().showProgress(QStringLiteral("Please wait, processing command..."));
        more.show();
        for (QWidget* window : {static_cast<QWidget*>(&finderUi().infoFrm()), static_cast<QWidget*>(&more)}) {
            const QRect screen = window->screen()->geometry();
            const QRect frame = window->frameGeometry();
            QVERIFY2((frame.center() - screen.center()).manhattanLength() <= 2,
                     qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
            window->hide();
        }
    }
};

QTEST_MAIN(CatalogueTest)
#include "CatalogueTest.moc"
