// One session as a user works through it: pick commands, Accept, train each
// by voice, Save As, New, reopen from "Last Opened Tables", listen, and see
// the actions happen. The microphone is a recording of the development
// speech corpus (skipped without it); a shorter session on the bundled demo
// recording always runs.

#include "FlowsRig.h"
#include "SpeechLine.h"

#include "actions/RecognitionDispatch.h"
#include "app/MainDispatch.h"
#include "app/TRecFrm.h"
#include "app/TTabControl.h"
#include "ui/THistMenu.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QTabBar>
#include <QTreeWidget>

using namespace larkspur;
using namespace larkspur::test;

namespace {

constexpr uint8_t kVkBack = 0x08;
constexpr uint8_t kVkShiftKey = 0x10;
constexpr uint8_t kVkAlt = 0x12;
constexpr uint8_t kVkF5 = 0x74;

// Starts nothing; every start is recorded.
class CountingLauncher : public ProcessLauncher {
public:
    SpawnResult spawn(const std::vector<std::string>& argv) override
    {
        spawned.push_back(argv);
        return {static_cast<pid_t>(50000 + spawned.size()), 0};
    }
    std::optional<int> waitExit(pid_t, std::optional<std::chrono::milliseconds>) override { return 0; }
    std::optional<std::string> captureOutput(const std::vector<std::string>&) override { return std::nullopt; }
    std::vector<std::vector<std::string>> spawned;
};

// A catalogue item and what picking it must put into the Create panel. An
// empty action stands for the program the catalogue found for this desktop.
struct Command {
    QString node;
    QString phrase;
    QString action;
};

QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& text)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

QString recognisedText(const std::string& phrase, int confidence)
{
    return QStringLiteral(" Recognized -> ") + QString::fromStdString(phrase) + QStringLiteral("     | Confidence->") +
           QString::number(confidence) + QStringLiteral("% ");
}

// The virtual keys pressed (not released), in order.
std::vector<uint8_t> keysDown(const MainDispatch& shell)
{
    std::vector<uint8_t> keys;
    for (const SyntheticKeyEvent& e : shell.recordedKeys().events())
        if (!e.up())
            keys.push_back(e.virtualKey);
    return keys;
}

class Session {
public:
    explicit Session(std::vector<uint8_t> line)
    {
        r = std::make_unique<FlowsRig>(std::move(line));
        // Options live in the rig's own folder.
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
        r->ownModes = true;
        r->launcher = &launcher;
        window = r->create();
        auto dispatchIt = window->engine().OnRecognition;
        window->engine().OnRecognition = [this, dispatchIt](TVREngine32& sender) {
            heard.push_back(sender.LastVoiceCommand());
            dispatchIt(sender);
            statusTexts << window->statusWindow().Label1()->text();
            confidences.push_back(sender.LastConfidence());
        };
    }

    void chooseTab(const QString& caption)
    {
        auto* tabs = window->findChild<TTabControl*>(QStringLiteral("TabControl1"));
        tabs->tabBar()->setCurrentIndex(tabs->Tabs().indexOf(caption));
    }

    void acceptAll(const std::vector<Command>& commands)
    {
        window->VoiceCommandsBtnClick();
        chooseTab(QStringLiteral("Create"));
        auto* tree = r->child<QTreeWidget>("BuildListBox");
        for (const Command& c : commands) {
            QTreeWidgetItem* node = findNode(tree, c.node);
            QVERIFY(node);
            tree->setCurrentItem(node);
            window->BuildListBoxDblClick();
            QCOMPARE(r->child<QLineEdit>("BuiltVCText")->text(), c.phrase);
            const QString action = r->child<QLineEdit>("BuiltVCAct")->text();
            if (c.action.isEmpty())
                QVERIFY(action.startsWith(QLatin1Char('!')));
            else
                QCOMPARE(action, c.action);
            pickedActions[c.phrase] = action;
            r->click("AcceptBtn");
        }
    }

    // Trains each command in turn from the line; true when every training
    // was verified.
    bool trainAll(const std::vector<Command>& commands)
    {
        chooseTab(QStringLiteral("Train"));
        bool allWell = true;
        for (const Command& c : commands) {
            if (!r->pick("CreatedList", c.phrase))
                return false;
            r->click("Train");
            allWell = allWell && r->rig.boxes.texts().contains(QStringLiteral("You trained ") + c.phrase +
                                                                 QStringLiteral(" well!"));
        }
        return allWell;
    }

    QString caption()
    {
        window->UpdateScrTimer();
        return window->windowTitle();
    }

    CountingLauncher launcher;
    QMap<QString, QString> pickedActions;
    std::unique_ptr<FlowsRig> r;
    std::unique_ptr<TMainFrm> window;
    std::vector<std::string> heard;
    std::vector<int> confidences;
    QStringList statusTexts;
};

} // namespace

class SessionTest : public QObject {
    Q_OBJECT

private:
    // Save As, New, reopen from the recent tables: the trained commands are back.
    void saveNewAndReopen(Session& s, const QStringList& phrases)
    {
        const QString table = s.r->rig.programDir.path() + QStringLiteral("/session.EAR");
        s.r->saveAs(table);
        QVERIFY(QFile::exists(table));
        QVERIFY(QFile::exists(s.r->rig.programDir.path() + QStringLiteral("/session.LK+")));
        QCOMPARE(s.caption(), QStringLiteral("Larkspur QTX 98 - SESSION.EAR"));
        QVERIFY(!s.window->state().unsavedChanges);

        s.r->click("NewBtn");
        QVERIFY(s.r->entries("TrainedList").isEmpty());
        QCOMPARE(s.caption(), QStringLiteral("Larkspur QTX 98 - UNTITLED"));

        THistMenu& recent = s.window->fileHistory();
        QCOMPARE(recent.ItemCount(), 1);
        QCOMPARE(recent.entryAction(0)->text(), table);
        const int shownBefore = static_cast<int>(s.r->rig.boxes.shown.size());
        recent.entryAction(0)->trigger();
        QCOMPARE(static_cast<int>(s.r->rig.boxes.shown.size()), shownBefore);
        QCOMPARE(s.caption(), QStringLiteral("Larkspur QTX 98 - SESSION.EAR"));
        QStringList sorted = phrases;
        sorted.sort(Qt::CaseInsensitive);
        QCOMPARE(s.r->entries("TrainedList"), sorted);
        QCOMPARE(s.r->entries("CreatedList"), sorted);
    }

private slots:
    void corpusSessionFromCatalogueToRecognisedActions()
    {
        const QString corpus = QStringLiteral(LARKSPUR_CORPUS_DIR "/dev1");
        if (!QDir(corpus).exists())
            QSKIP("the development speech corpus is not here");
        const Recording zoomIn = Recording::load(corpus + QStringLiteral("/train/01_zoom_in.wav"));
        const Recording save = Recording::load(corpus + QStringLiteral("/train/07_save.wav"));
        const Recording refresh = Recording::load(corpus + QStringLiteral("/train/09_refresh.wav"));
        const Recording test = Recording::load(corpus + QStringLiteral("/test/test_1.wav"));
        QVERIFY(zoomIn.valid() && save.valid() && refresh.valid() && test.valid());

        // The catalogue's "Calculator", "File Save" and "F5", said as "zoom
        // in", "save" and "refresh"; then the test recording's clean
        // "save", "refresh" and "zoom in".
        SpeechLine line;
        line.addCalibration(zoomIn);
        for (const Recording* r : {&zoomIn, &save, &refresh})
            line.addAll(*r);
        for (int n : {7, 12, 31})
            line.addUtterance(test, n);
        Session s(line.samples());
        s.r->rig.start(*s.window);
        QVERIFY(s.window->state().voiceOperationsEnabled);

        const std::vector<Command> commands = {
            {"Calculator", "Calculator", ""}, {"File Save", "File Save", "@FS"}, {"F5", "F5", "{F5}"}};
        s.acceptAll(commands);
        QVERIFY(s.trainAll(commands));
        saveNewAndReopen(s, {"Calculator", "File Save", "F5"});

        s.r->click("ListenBtn");
        QCOMPARE(s.heard, (std::vector<std::string>{"File Save", "F5", "Calculator"}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(s.statusTexts[i], recognisedText(s.heard[i], s.confidences[i]));
        // Alt+F, S for "File Save" (capitals are typed with Shift), then F5.
        const std::vector<uint8_t> keys = keysDown(s.window->dispatchShell());
        const std::vector<uint8_t> expected = {kVkAlt, kVkShiftKey, uint8_t('F'), kVkShiftKey, uint8_t('S'), kVkF5};
        QCOMPARE(keys, expected);
        // "Calculator" is the desktop's calculator when one is installed;
        // otherwise it names no folder, the disks are searched for it, and
        // the user hears that it is not on this system.
        const QString program = s.pickedActions.value(QStringLiteral("Calculator")).mid(1);
        if (program.contains(QLatin1Char('/'))) {
            QCOMPARE(s.launcher.spawned.size(), std::size_t(1));
            QCOMPARE(QString::fromStdString(s.launcher.spawned.front().front()), program);
        } else {
            QVERIFY(s.r->rig.boxes.texts().contains(QStringLiteral("I'm sorry, but we can not find ") + program +
                                                     QStringLiteral(" on your system. Please edit voice command!")));
            QVERIFY(s.launcher.spawned.empty());
        }
        // The recording has ended; listening has stopped.
        QCOMPARE(s.window->engine().Status(), std::string("Idle"));
    }

    void demoSessionTrainsSavesReopensAndRecognises()
    {
        const Recording demo = Recording::load(QStringLiteral(LARKSPUR_RESOURCES_DIR "/demo/demo.wav"));
        QVERIFY(demo.valid());
        // "Backspace" from the catalogue, trained as "go back" and heard again.
        SpeechLine line;
        line.addCalibration(demo);
        for (int n : {5, 37, 41, 46, 62})
            line.addUtterance(demo, n);
        Session s(line.samples());
        s.r->rig.start(*s.window);

        const std::vector<Command> commands = {{"Backspace", "BackSpace", "{BKSP}"}};
        s.acceptAll(commands);
        QVERIFY(s.trainAll(commands));
        saveNewAndReopen(s, {"BackSpace"});

        s.r->click("ListenBtn");
        QCOMPARE(s.heard, std::vector<std::string>{"BackSpace"});
        QCOMPARE(s.statusTexts.front(), recognisedText("BackSpace", s.confidences.front()));
        QCOMPARE(keysDown(s.window->dispatchShell()), std::vector<uint8_t>{kVkBack});
    }
};

QTEST_MAIN(SessionTest)
#include "SessionTest.moc"
