// The quick start guide walked through by a scripted user who does each step
// when the guide has spoken its instruction, on the virtual clock, with
// speech from the bundled demo recording as the microphone.

#include "FlowsRig.h"
#include "SpeechLine.h"

#include "app/TTabControl.h"
#include "app/TTrainFrm.h"
#include "engine/TVREngine32.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <map>
#include <set>

using namespace larkspur;
using namespace larkspur::test;

namespace {

const QString kQ0 = QStringLiteral("Quick Start Mode is enabled. Do you wish to continue with Quick Start Mode?");
const QString kQ1 = QStringLiteral(
    "You are in Quick Start Mode and have not selected anything for the last twenty seconds.  Do you wish to exit "
    "Quick Start Mode?");
const QString kM1 = QStringLiteral(
    "You can disable the Quick Start Mode by unchecking the Quick Start Mode menu option under the System menu "
    "option.");
const QString kM2 = QStringLiteral(
    "Please Note: While this Quick Start Mode is enabled, the Auto features will not work. To disable the Quick "
    "Start Mode feature please uncheck the Quick Start Mode menu option under the System menu option.");

// Four times "go back": three to train from and one that verifies.
std::vector<uint8_t> fourUtterances()
{
    const Recording demo = Recording::load(QStringLiteral(LARKSPUR_RESOURCES_DIR "/demo/demo.wav"));
    SpeechLine line;
    line.addCalibration(demo);
    for (int n : {5, 37, 41, 46})
        line.addUtterance(demo, n);
    return line.samples();
}

// Plays nothing; after each sound it lets the user react, on the next pass
// of the event loop, as a person does once the instruction has ended.
class ListeningUser : public SoundPlayer {
public:
    bool playWave(std::span<const uint8_t>) override { return true; }
    bool playResource(const std::string& name) override
    {
        played.push_back(name);
        auto it = reactions.find(name);
        if (it != reactions.end() && !ignoring.count(name))
            QTimer::singleShot(0, it->second);
        return true;
    }
    std::vector<std::string> quickSounds() const
    {
        std::vector<std::string> quick;
        for (const std::string& name : played)
            if (name.rfind("QUICK", 0) == 0)
                quick.push_back(name);
        return quick;
    }
    std::vector<std::string> played;
    std::map<std::string, std::function<void()>> reactions;
    std::set<std::string> ignoring;
};

const std::vector<std::string> kUpToTraining = {"QUICK1", "QUICK2", "QUICK3", "QUICK5", "QUICK6", "QUICK7",
                                                "QUICK8", "QUICK9", "QUICK10", "QUICK11"};

std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class QuickStartTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FlowsRig> r;
    ListeningUser user;
    std::unique_ptr<TMainFrm> window;

    void create(std::vector<uint8_t> line)
    {
        r = std::make_unique<FlowsRig>(std::move(line));
        user = ListeningUser();
        ShellPlatform platform = r->rig.platform();
        platform.engine.dialogs = &r->dialogs;
        platform.engine.sound = &user;
        platform.recordingDesktop = true;
        platform.actionSound = &r->rig.sound;
        window = std::make_unique<TMainFrm>(std::move(platform));
        QVERIFY(window->FormCreate());
        window->engine().CreateSampleStore();
        r->w = window.get();
        wireUser();
    }

    void pickInTree(const QString& group, const QString& text)
    {
        auto* tree = r->child<QTreeWidget>("BuildListBox");
        QTreeWidgetItem* found = nullptr;
        for (int i = 0; i < tree->topLevelItemCount() && !found; ++i) {
            QTreeWidgetItem* top = tree->topLevelItem(i);
            if (top->text(0) != group)
                continue;
            found = top;
            for (int k = 0; text.size() && k < top->childCount(); ++k)
                if (top->child(k)->text(0) == text)
                    found = top->child(k);
        }
        QVERIFY(found);
        tree->setCurrentItem(found);
        window->BuildListBoxDblClick();
    }

    void wireUser()
    {
        user.reactions["QUICK3"] = [this] { r->click("VoiceCommandsBtn"); };
        user.reactions["QUICK5"] = [this] { pickInTree(QStringLiteral("Default Applications"), QString()); };
        user.reactions["QUICK6"] = [this] {
            pickInTree(QStringLiteral("Default Applications"), QStringLiteral("Calculator"));
        };
        user.reactions["QUICK7"] = [this] {
            // A desktop without a calculator leaves the action empty; the user types one.
            if (r->child<QLineEdit>("BuiltVCAct")->text().isEmpty())
                r->child<QLineEdit>("BuiltVCAct")->setText(QStringLiteral("!/usr/bin/xcalc"));
            r->click("AcceptBtn");
        };
        user.reactions["QUICK9"] = [this] {
            r->child<TTabControl>("TabControl1")->setTabIndex(1);
            window->TabControl1Change();
        };
        user.reactions["QUICK10"] = [this] { r->pick("CreatedList", QStringLiteral("Calculator")); };
        user.reactions["QUICK11"] = [this] { r->click("Train"); };
    }

    // Shows the window and lets the start-up run, then the guide.
    void runGuide()
    {
        r->rig.start(*window);
        QVERIFY(!window->state().voiceOperationsEnabled);
        window->QuickStartTimerTimer();
    }

private slots:
    void cleanup()
    {
        window.reset();
        r.reset();
    }

    void walkedThrough_trainedCommandEndsWithTheCongratulations()
    {
        create(fourUtterances());
        r->rig.boxes.answer(MessageAnswer::Yes);
        runGuide();
        QCOMPARE(user.quickSounds(), plus(kUpToTraining, {"QUICK12", "QUICK13", "QUICK14"}));
        // The training flow's own messages come between; the guide adds only its last.
        const QStringList texts = r->rig.boxes.texts();
        QCOMPARE(texts.first(), kQ0);
        QCOMPARE(texts.last(), kM2);
        QCOMPARE(texts.count(kM2), 1);
        QVERIFY(!texts.contains(kQ1) && !texts.contains(kM1));
        QVERIFY(window->engine().TableTrained());
        QVERIFY(window->state().voiceOperationsEnabled);
        QVERIFY(r->child<QPushButton>("Train")->isEnabled());
        // The instructions were spoken although "Voice Buttons" decides only the confirmations.
        QCOMPARE(r->entries("TrainedList"), QStringList({QStringLiteral("Calculator")}));
    }

    void walkedThrough_untrainedCommandEndsWithTheRetryAdvice()
    {
        // Quiet after calibration: the training hears nothing and is cancelled.
        create(std::vector<uint8_t>(4 * kCalibrationLength, 128));
        user.reactions["QUICK11"] = [this] {
            QTimer::singleShot(0, [this] { window->trainWindow().TrnCancelBtn()->click(); });
            r->click("Train");
        };
        r->rig.boxes.answer(MessageAnswer::Yes);
        runGuide();
        QCOMPARE(user.quickSounds(), plus(kUpToTraining, {"QUICK15"}));
        QVERIFY(!window->engine().TableTrained());
        QCOMPARE(r->rig.boxes.texts().last(), kM2);
        QVERIFY(window->state().voiceOperationsEnabled);
    }

    void noToTheFirstQuestion_leavesAtOnce()
    {
        create(fourUtterances());
        r->rig.boxes.answer(MessageAnswer::No);
        runGuide();
        QVERIFY(user.quickSounds().empty());
        QCOMPARE(r->rig.boxes.texts(), QStringList({kQ0, kM1, kM2}));
        QVERIFY(window->state().voiceOperationsEnabled);
        QVERIFY(r->child<QPushButton>("Train")->isEnabled());
        // Only once per start.
        window->QuickStartTimerTimer();
        QCOMPARE(r->rig.boxes.shown.size(), 3);
    }

    void idleStep_asksEveryTwentySecondsRepeatsTheStepOrLeaves()
    {
        create(fourUtterances());
        user.ignoring.insert("QUICK5");  // the user does not find "Default Applications"
        r->rig.boxes.answer(MessageAnswer::Yes);  // Q0
        r->rig.boxes.answer(MessageAnswer::No);   // first Q1: hear the step again
        r->rig.boxes.answer(MessageAnswer::Yes);  // second Q1: leave
        const uint32_t before = r->rig.clock.tickCount();
        runGuide();
        QCOMPARE(user.quickSounds(),
                 (std::vector<std::string>{"QUICK1", "QUICK2", "QUICK3", "QUICK5", "QUICK5"}));
        QCOMPARE(r->rig.boxes.texts(), QStringList({kQ0, kQ1, kQ1, kM1, kM2}));
        // Two waits of a little over 20 s each, in virtual time.
        const uint32_t waited = r->rig.clock.tickCount() - before;
        QVERIFY2(waited > 40000 && waited < 50000, qPrintable(QString::number(waited)));
        QVERIFY(window->state().voiceOperationsEnabled);
        QVERIFY(r->child<QPushButton>("Train")->isEnabled());
    }

    void stepDoneBeforeItsWait_doesNotCount()
    {
        create(fourUtterances());
        // A click on Voice Commands before the question does not finish step 1.
        window->state().setQuickStartStep(1);
        user.ignoring.insert("QUICK3");
        r->rig.boxes.answer(MessageAnswer::Yes);
        r->rig.boxes.answer(MessageAnswer::Yes);
        runGuide();
        QCOMPARE(user.quickSounds(), (std::vector<std::string>{"QUICK1", "QUICK2", "QUICK3"}));
        QCOMPARE(r->rig.boxes.texts(), QStringList({kQ0, kQ1, kM1, kM2}));
    }

    void closingTheWindowMidGuide_endsItSilently()
    {
        create(fourUtterances());
        user.reactions["QUICK6"] = [this] { window->close(); };
        r->rig.boxes.answer(MessageAnswer::Yes);
        runGuide();
        QCOMPARE(user.quickSounds(), (std::vector<std::string>{"QUICK1", "QUICK2", "QUICK3", "QUICK5", "QUICK6"}));
        QCOMPARE(r->rig.boxes.texts(), QStringList({kQ0}));
        QVERIFY(!window->isVisible());
        QCOMPARE(r->rig.boxes.unscriptedQuestions, 0);
    }

    void uncheckedMode_takesEffectAtTheNextStart()
    {
        create(fourUtterances());
        r->rig.start(*window);
        r->trigger("QuickStart");
        // This start is still guided.
        r->rig.boxes.answer(MessageAnswer::No);
        window->QuickStartTimerTimer();
        QCOMPARE(r->rig.boxes.texts(), QStringList({kQ0, kM1, kM2}));
        window.reset();  // saves the options

        ListeningUser next;
        ShellPlatform platform = r->rig.platform();
        platform.engine.sound = &next;
        TMainFrm second(std::move(platform));
        QVERIFY(second.FormCreate());
        r->rig.start(second);
        QVERIFY(second.state().voiceOperationsEnabled);
        QVERIFY(!second.findChild<QTimer*>(QStringLiteral("QuickStartTimer"))->isActive());
        QCOMPARE(r->rig.boxes.shown.size(), 3);
    }
};

QTEST_MAIN(QuickStartTest)
#include "QuickStartTest.moc"
