// New, Open, Save, Save As and the recent tables, driven through the menu
// items, the toolbar buttons and the recent entries, with scripted file
// dialogs and answers.

#include "FlowsRig.h"

#include "settings/HistoryStore.h"
#include "ui/THistMenu.h"

#include <QFile>
#include <QMenu>

using namespace larkspur;
using namespace larkspur::test;

namespace {

QByteArray readAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kLoseChanges = QStringLiteral(
    "You have created voice commands. You will lose the voice commands if you do not save them. Do you wish to "
    "continue?");
const QString kHistoryKey = QStringLiteral("Software\\Halcyon Works\\Larkspur QTX 98\\FileHistory");

QStringList captions(const std::vector<HistoryEntry>& entries)
{
    QStringList result;
    for (const HistoryEntry& e : entries)
        result << e.caption;
    return result;
}

QStringList menuCaptions(TMainFrm& window)
{
    QStringList result;
    for (int i = 0; i < window.fileHistory().ItemCount(); ++i)
        result << window.fileHistory().entryAction(i)->text();
    return result;
}

} // namespace

class TableCommandsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FlowsRig> r;
    std::unique_ptr<TMainFrm> window;
    QString dir;

    QString path(const QString& name) { return dir + QLatin1Char('/') + name + QStringLiteral(".EAR"); }

    // Writes a table holding one voice command to each named file.
    void makeTables(const QStringList& names)
    {
        for (const QString& name : names) {
            r->trigger("NewTable");
            r->accept(name, QStringLiteral("{F5}"));
            r->saveAs(path(name));
        }
        r->trigger("NewTable");
    }

    // Writes a table file holding one voice command, outside the window.
    void writeTable(const QString& name)
    {
        EnginePlatform platform;
        platform.sampleStorePath = (dir + QStringLiteral("/writer.tmp")).toStdString();
        TVREngine32 writer(platform);
        writer.CreateSampleStore();
        writer.setVCRecord(1);
        writer.setVoiceCommand(name.toStdString());
        writer.setCommandString("{F5}");
        writer.UpdateVCRecord();
        writer.setFileName(path(name).toStdString());
        writer.setTableName(name.toStdString());
        writer.SaveTable();
        QVERIFY(QFile::exists(path(name)));
    }

    void openThroughDialog(const QString& file)
    {
        r->dialogs.openAnswers.push_back(file.toStdString());
        r->click("OpenBtn");
    }

private slots:
    void init()
    {
        r = std::make_unique<FlowsRig>();
        window = r->create();
        QVERIFY(r->rig.created);
        dir = r->rig.programDir.path();
    }

    void cleanup()
    {
        window.reset();
        r.reset();
    }

    void sixthTableDropsTheOldestAndKnownTablesStayWhereTheyAre()
    {
        for (const char* name : {"t1", "t2", "t3", "t4", "t5", "t6"})
            writeTable(QString::fromLatin1(name));
        QCOMPARE(window->fileHistory().ItemCount(), 0);

        for (const char* name : {"t1", "t2", "t3", "t4", "t5"})
            openThroughDialog(path(name));
        QCOMPARE(captions(loadHistory(kHistoryKey)),
                 QStringList({path("t1"), path("t2"), path("t3"), path("t4"), path("t5")}));

        // Opening a listed table again does not move it.
        openThroughDialog(path("t3"));
        QCOMPARE(menuCaptions(*window), QStringList({path("t1"), path("t2"), path("t3"), path("t4"), path("t5")}));

        openThroughDialog(path("t6"));
        const QStringList expected = {path("t2"), path("t3"), path("t4"), path("t5"), path("t6")};
        QCOMPARE(menuCaptions(*window), expected);
        const std::vector<HistoryEntry> stored = loadHistory(kHistoryKey);
        QCOMPARE(captions(stored), expected);
        for (const HistoryEntry& e : stored)
            QCOMPARE(e.tag, 1);
        QCOMPARE(window->engine().TableName(), std::string("t6.EAR"));
        QCOMPARE(r->entries("CreatedList"), QStringList({"t6"}));
    }

    void cancelledOpenAfterYesKeepsTheTableClearsTheFlagAndListsNothing()
    {
        r->accept(QStringLiteral("zoom in"), QStringLiteral("^+"));
        QVERIFY(window->state().unsavedChanges);
        r->rig.boxes.answer(MessageAnswer::Yes);
        r->trigger("OpenTable1");

        QCOMPARE(r->rig.boxes.texts(), QStringList({kLoseChanges}));
        QCOMPARE(r->dialogs.openRequests, 1);
        QCOMPARE(r->phraseIn(1), std::string("zoom in"));
        QVERIFY(!window->state().unsavedChanges);
        QCOMPARE(window->fileHistory().ItemCount(), 0);
        QVERIFY(loadHistory(kHistoryKey).empty());
        // The views show the table that stayed.
        QCOMPARE(r->entries("EditList"), QStringList({"zoom in"}));
    }

    void answeringNoLeavesTableListsAndFlag()
    {
        r->accept(QStringLiteral("zoom in"), QStringLiteral("^+"));
        window->RefreshEditList();
        for (const char* command : {"NewTable", "OpenTable1"}) {
            r->trigger(command);
            QCOMPARE(r->rig.boxes.shown.size(), 1);
            QCOMPARE(r->rig.boxes.shown.front().text, kLoseChanges);
            QCOMPARE(r->rig.boxes.shown.front().kind, ScriptedMessageBoxes::Kind::YesNo);
            r->rig.boxes.shown.clear();
        }
        r->click("NewBtn");
        r->click("OpenBtn");
        QCOMPARE(r->rig.boxes.shown.size(), 2);
        QCOMPARE(r->dialogs.openRequests, 0);
        QCOMPARE(r->phraseIn(1), std::string("zoom in"));
        QCOMPARE(r->entries("EditList"), QStringList({"zoom in"}));
        QVERIFY(window->state().unsavedChanges);
    }

    void newEmptiesTheTableAndTheLists()
    {
        r->accept(QStringLiteral("zoom in"), QStringLiteral("^+"));
        r->markTrained(1);
        window->RefreshTrainedList();
        window->RefreshCreatedList();
        QCOMPARE(r->entries("TrainedList"), QStringList({"zoom in"}));
        r->rig.boxes.answer(MessageAnswer::Yes);
        r->click("NewBtn");
        QCOMPARE(r->phraseIn(1), std::string());
        QVERIFY(r->entries("TrainedList").isEmpty());
        QVERIFY(r->entries("CreatedList").isEmpty());
        QVERIFY(!window->state().unsavedChanges);
        QCOMPARE(window->engine().TableName(), std::string("Untitled"));
    }

    void recentEntryOpensWithoutDialogAfterTheQuestion()
    {
        makeTables({"kept"});
        QCOMPARE(menuCaptions(*window), QStringList({path("kept")}));
        r->accept(QStringLiteral("other"), QStringLiteral("x"));
        r->rig.boxes.answer(MessageAnswer::Yes);
        r->rig.modes.requests.clear();
        window->fileHistory().entryAction(0)->trigger();

        QCOMPARE(r->rig.boxes.texts(), QStringList({kLoseChanges}));
        QCOMPARE(r->dialogs.openRequests, 0);
        QCOMPARE(r->phraseIn(1), std::string("kept"));
        QCOMPARE(window->engine().TableName(), std::string("kept.EAR"));
        QVERIFY(!window->state().pendingRecentTable);
        QVERIFY(window->state().pendingRecentPath.empty());
        QCOMPARE(menuCaptions(*window), QStringList({path("kept")}));
    }

    void recentEntryAnsweredNoIsNotOpenedByTheNextOpen()
    {
        makeTables({"kept"});
        r->accept(QStringLiteral("other"), QStringLiteral("x"));
        r->rig.boxes.answer(MessageAnswer::No);
        window->fileHistory().entryAction(0)->trigger();
        QVERIFY(!window->state().pendingRecentTable);
        QCOMPARE(r->phraseIn(1), std::string("other"));

        // The toolbar's Open asks for a file; it does not open the entry.
        r->rig.boxes.answer(MessageAnswer::Yes);
        r->click("OpenBtn");
        QCOMPARE(r->dialogs.openRequests, 1);
        QCOMPARE(r->phraseIn(1), std::string("other"));
    }

    void recentEntryWhoseFileIsGoneDoesNothing()
    {
        makeTables({"gone"});
        QVERIFY(QFile::remove(path("gone")));
        r->accept(QStringLiteral("other"), QStringLiteral("x"));
        window->fileHistory().entryAction(0)->trigger();
        QVERIFY(r->rig.boxes.shown.isEmpty());
        QCOMPARE(r->dialogs.openRequests, 0);
        QCOMPARE(r->phraseIn(1), std::string("other"));
        QVERIFY(window->state().unsavedChanges);
        QVERIFY(!window->state().pendingRecentTable);
        QCOMPARE(menuCaptions(*window), QStringList({path("gone")}));
    }

    void openRunsTheTrayOptionThenTheListeningOption()
    {
        makeTables({"t"});
        window->state().voiceOperationsEnabled = true;
        r->action("AutoIconTray1")->setChecked(true);
        r->action("AutoListenafterload1")->setChecked(true);
        r->rig.modes.requests.clear();
        openThroughDialog(path("t"));
        QCOMPARE(r->rig.modes.requests, QStringList({"tray", "listen"}));

        // Also after a cancelled dialog; with the options off, neither.
        r->rig.modes.requests.clear();
        r->click("OpenBtn");
        QCOMPARE(r->rig.modes.requests, QStringList({"tray", "listen"}));
        r->action("AutoIconTray1")->setChecked(false);
        r->action("AutoListenafterload1")->setChecked(false);
        r->rig.modes.requests.clear();
        openThroughDialog(path("t"));
        QVERIFY(r->rig.modes.requests.isEmpty());
    }

    void damagedTableIsReportedAndStillListed()
    {
        QFile damaged(path("damaged"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a table");
        damaged.close();
        r->accept(QStringLiteral("other"), QStringLiteral("x"));
        r->rig.boxes.answer(MessageAnswer::Yes);
        openThroughDialog(path("damaged"));
        QCOMPARE(r->rig.boxes.shown.size(), 2);
        QVERIFY(!window->state().unsavedChanges);
        QCOMPARE(menuCaptions(*window), QStringList({path("damaged")}));
    }

    void saveListsTheFileAndAFailedSaveKeepsTheChanges()
    {
        // Nothing to save: the message, and the flag is cleared all the same.
        r->click("SaveBtn");
        QCOMPARE(r->rig.boxes.texts(),
                 QStringList({"The table does not contain voice commands. Nothing to save!"}));
        r->rig.boxes.shown.clear();

        r->accept(QStringLiteral("zoom in"), QStringLiteral("^+"));
        r->dialogs.saveAnswers.push_back((dir + "/missing-folder/t.EAR").toStdString());
        r->trigger("SaveTable1");
        QCOMPARE(r->rig.boxes.shown.size(), 1);
        QVERIFY(window->state().unsavedChanges);
        QCOMPARE(window->fileHistory().ItemCount(), 0);

        r->saveAs(path("saved"));
        QVERIFY(QFile::exists(path("saved")));
        QVERIFY(!window->state().unsavedChanges);
        QCOMPARE(captions(loadHistory(kHistoryKey)), QStringList({path("saved")}));

        // Save under the same name again: still one entry.
        r->accept(QStringLiteral("zoom out"), QStringLiteral("^-"));
        r->click("SaveBtn");
        QCOMPARE(r->dialogs.saveRequests, 2);
        QVERIFY(!window->state().unsavedChanges);
        QCOMPARE(captions(loadHistory(kHistoryKey)), QStringList({path("saved")}));
    }

    // Turning down the save over a table another program changed writes
    // nothing, so the changes must stay marked as unsaved.
    void declinedSaveOverAChangedTableKeepsTheChanges()
    {
        r->accept(QStringLiteral("zoom in"), QStringLiteral("^+"));
        r->saveAs(path("shared"));
        QVERIFY(!window->state().unsavedChanges);
        const QByteArray before = readAll(path("shared"));
        {
            QFile other(path("shared"));
            QVERIFY(other.open(QIODevice::Append));
            other.write(QByteArray(10047, '\0'));
        }
        const QByteArray changed = readAll(path("shared"));
        r->accept(QStringLiteral("zoom out"), QStringLiteral("^-"));
        r->rig.boxes.shown.clear();
        r->rig.boxes.answer(MessageAnswer::No);
        r->click("SaveBtn");
        QCOMPARE(r->rig.boxes.shown.size(), 1);
        QVERIFY(r->rig.boxes.texts().front().contains(QStringLiteral("was changed by another program")));
        QVERIFY(window->state().unsavedChanges);
        QCOMPARE(readAll(path("shared")), changed);
        QVERIFY(before != changed);

        r->rig.boxes.answer(MessageAnswer::Yes);
        r->click("SaveBtn");
        QVERIFY(!window->state().unsavedChanges);
        QVERIFY(readAll(path("shared")) != changed);
    }

    void closingWithUnsavedChangesSavesAndListsTheTable()
    {
        r->accept(QStringLiteral("zoom in"), QStringLiteral("^+"));
        r->rig.boxes.answer(MessageAnswer::Yes);
        r->dialogs.saveAnswers.push_back(path("closed").toStdString());
        window->close();
        QVERIFY(QFile::exists(path("closed")));
        QCOMPARE(captions(loadHistory(kHistoryKey)), QStringList({path("closed")}));
    }
};

QTEST_MAIN(TableCommandsTest)
#include "TableCommandsTest.moc"
