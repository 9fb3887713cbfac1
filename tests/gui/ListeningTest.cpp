// Listening mode in the main window: the demo recording plays into the
// engine in virtual time with the demo table, keys are recorded, and the
// recognition dispatch, the status window and the listening indicators are
// watched from inside the recognitions.

#include "ShellRig.h"

#include "actions/ProcessLauncher.h"
#include "actions/RecognitionDispatch.h"
#include "app/AudioSetup.h"
#include "app/MainDispatch.h"
#include "app/TPlotFrm.h"
#include "app/TRecFrm.h"
#include "app/TTrackBar.h"
#include "engine/TVREngine32.h"
#include "engine/WavFile.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace larkspur;
using namespace larkspur::test;

namespace {

// Starts nothing; each start is counted and gets a fresh process id.
class CountingLauncher : public ProcessLauncher {
public:
    SpawnResult spawn(const std::vector<std::string>& argv) override
    {
        spawned.push_back(argv);
        return {static_cast<pid_t>(40000 + spawned.size()), 0};
    }
    std::optional<int> waitExit(pid_t, std::optional<std::chrono::milliseconds>) override { return 0; }
    std::optional<std::string> captureOutput(const std::vector<std::string>&) override { return std::nullopt; }
    std::vector<std::vector<std::string>> spawned;
};

std::vector<uint8_t> demoLine()
{
    std::string error;
    auto samples = loadCaptureSamples(LARKSPUR_RESOURCES_DIR "/demo/demo.wav", error);
    return samples ? *samples : std::vector<uint8_t>{};
}

const QString kDemoTable = QStringLiteral(LARKSPUR_RESOURCES_DIR "/demo/demo");

// Puts the demo table and its samples beside the program as "demo.EAR".
void placeDemoTable(const QString& dir)
{
    QFile::copy(kDemoTable + QStringLiteral(".EAR"), dir + QStringLiteral("/demo.EAR"));
    QFile::copy(kDemoTable + QStringLiteral(".LK+"), dir + QStringLiteral("/demo.LK+"));
}

// A rig whose window performs tray and listening itself, on the demo
// recording, with recorded keys and a launcher that starts nothing.
struct ListeningRig {
    ListeningRig() : rig(demoLine())
    {
        placeDemoTable(rig.programDir.path());
        rig.arguments = {"demo.EAR"};
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
    }

    // The window, with each recognition passed to inspect before and after
    // the dispatch has handled it.
    std::unique_ptr<TMainFrm> create()
    {
        ShellPlatform platform = rig.platform();
        platform.modes = nullptr;
        platform.recordingDesktop = true;
        platform.launcher = &launcher;
        platform.actionSound = &rig.sound;
        auto window = std::make_unique<TMainFrm>(std::move(platform));
        rig.created = window->FormCreate();
        auto dispatchIt = window->engine().OnRecognition;
        TMainFrm* w = window.get();
        window->engine().OnRecognition = [this, w, dispatchIt](TVREngine32& sender) {
            ++recognitions;
            if (before)
                before(*w);
            dispatchIt(sender);
            if (after)
                after(*w);
        };
        return window;
    }

    ShellRig rig;
    CountingLauncher launcher;
    int recognitions = 0;
    std::function<void(TMainFrm&)> before;
    std::function<void(TMainFrm&)> after;
};

int listenImage(TMainFrm& window)
{
    return window.findChild<QToolButton*>(QStringLiteral("ListenBtn"))->property("ImageIndex").toInt();
}

bool listeningChecked(TMainFrm& window)
{
    return window.findChild<QAction*>(QStringLiteral("ListeningMode1"))->isChecked();
}

bool trainEnabled(TMainFrm& window)
{
    return window.findChild<QPushButton*>(QStringLiteral("Train"))->isEnabled();
}

} // namespace

class ListeningTest : public QObject {
    Q_OBJECT

private slots:
    void commandLineTableListensAndRecognitionReachesStatusWindow()
    {
        ListeningRig r;
        QVERIFY(!r.rig.device.isOpen());
        auto window = r.create();
        QVERIFY(r.rig.created);
        QString label;
        bool statusVisible = false;
        int imageWhileListening = 0;
        bool checkedWhileListening = false;
        bool trainWhileListening = true;
        int imageAfterStop = 0;
        bool checkedAfterStop = true;
        r.after = [&](TMainFrm& w) {
            label = w.statusWindow().Label1()->text();
            statusVisible = w.statusWindow().isVisible();
            imageWhileListening = listenImage(w);
            checkedWhileListening = listeningChecked(w);
            trainWhileListening = trainEnabled(w);
            // Stopping from inside a recognition: the look changes at once.
            w.ListeningModeClick();
            imageAfterStop = listenImage(w);
            checkedAfterStop = listeningChecked(w);
        };
        r.rig.start(*window);

        QCOMPARE(r.recognitions, 1);
        const TVREngine32& engine = window->engine();
        QVERIFY(!engine.LastVoiceCommand().empty());
        QCOMPARE(label, QStringLiteral(" Recognized -> ") + QString::fromStdString(engine.LastVoiceCommand()) +
                            QStringLiteral("     | Confidence->") + QString::number(engine.LastConfidence()) +
                            QStringLiteral("% "));
        QVERIFY(statusVisible);
        QCOMPARE(imageWhileListening, 3);
        QVERIFY(checkedWhileListening);
        QVERIFY(!trainWhileListening);
        QCOMPARE(imageAfterStop, 4);
        QVERIFY(!checkedAfterStop);
        // Listening has ended and the window is usable again.
        QCOMPARE(engine.Status(), std::string("Idle"));
        QVERIFY(trainEnabled(*window));
        QVERIFY(window->TrayIconActive());
        QVERIFY(window->dispatchShell().recording());
        QVERIFY(!window->dispatchShell().recordedKeys().events().empty() || engine.CommandString().empty());
        QVERIFY(r.rig.boxes.shown.isEmpty());
    }

    void statusWindowSitsInCornerAndHidesAfterTimer1()
    {
        ListeningRig r;
        auto window = r.create();
        TRecFrm& status = window->statusWindow();
        status.WorkArea = [] { return QRect(0, 0, 1000, 700); };
        status.ScreenArea = [] { return QRect(0, 0, 1000, 740); };
        r.after = [](TMainFrm& w) { w.ListeningModeClick(); };
        r.rig.start(*window);

        QVERIFY(status.isVisible());
        QCOMPARE(status.Timer1()->interval(), 3500);
        QVERIFY(status.Timer1()->isActive());
        QCOMPARE(status.TopMostTimer()->interval(), 250);
        QVERIFY(status.TopMostTimer()->isActive());
        QCOMPARE(status.height(), 15);
        QCOMPARE(status.width(), status.Label1()->width());
        QCOMPARE(status.x() + status.width(), 1000 - 5);
        QCOMPARE(status.y() + status.height(), 700);
        QTRY_VERIFY_WITH_TIMEOUT(!status.isVisible(), 5000);
        QVERIFY(!status.Timer1()->isActive());
        QVERIFY(!status.TopMostTimer()->isActive());
    }

    void confidencePointerBoundaryThroughSlider()
    {
        ListeningRig r;
        auto window = r.create();
        auto* slider = window->findChild<TTrackBar*>(QStringLiteral("Confidence"));
        QVERIFY(slider);
        // Once a recognition below 100 has come: it meets a pointer one above
        // it, and the next recognition a pointer exactly at its confidence.
        int phase = 0;
        std::vector<int> missedAfter;
        std::vector<bool> shown;
        r.before = [&](TMainFrm& w) {
            const int confidence = w.engine().LastConfidence();
            if (phase == 0 && confidence < 100) {
                slider->setPosition(confidence + 1);
                phase = 1;
            } else if (phase == 2) {
                slider->setPosition(confidence);
            }
            w.statusWindow().hide();
        };
        r.after = [&](TMainFrm& w) {
            if (phase == 0)
                return;
            missedAfter.push_back(w.dispatch().missedCommands());
            shown.push_back(w.statusWindow().isVisible());
            if (++phase == 3)
                w.ListeningModeClick();
        };
        r.rig.start(*window);

        QCOMPARE(phase, 3);
        QCOMPARE(missedAfter, (std::vector<int>{1, 0}));
        QCOMPARE(shown, (std::vector<bool>{false, true}));
    }

    void startingListeningResetsMissedCommands()
    {
        ListeningRig r;
        auto window = r.create();
        auto* slider = window->findChild<TTrackBar*>(QStringLiteral("Confidence"));
        // Every recognition below 100 is missed; listening stops at the first miss.
        r.before = [&](TMainFrm& w) {
            const int confidence = w.engine().LastConfidence();
            slider->setPosition(confidence < 100 ? confidence + 1 : 75);
        };
        r.after = [&](TMainFrm& w) {
            if (w.dispatch().missedCommands() == 1)
                w.ListeningModeClick();
        };
        r.rig.start(*window);
        QCOMPARE(window->dispatch().missedCommands(), 1);

        int missedBeforeFirst = -1;
        r.before = [&](TMainFrm& w) { missedBeforeFirst = w.dispatch().missedCommands(); };
        r.after = [&](TMainFrm& w) { w.ListeningModeClick(); };
        window->ListeningModeClick();
        QCOMPARE(missedBeforeFirst, 0);
    }

    void openingTheFileMenuStopsListening()
    {
        ListeningRig r;
        auto window = r.create();
        r.after = [](TMainFrm& w) { w.findChild<QMenu*>(QStringLiteral("File1"))->aboutToShow(); };
        r.rig.start(*window);
        QCOMPARE(r.recognitions, 1);
        QCOMPARE(window->engine().Status(), std::string("Idle"));
        QCOMPARE(listenImage(*window), 4);
    }

    void launchTableStartsEmptyAndIsForgotten()
    {
        ListeningRig r;
        QTemporaryDir programs;
        QFile tool(programs.path() + QStringLiteral("/TOOL.EXE"));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.close();
        int slot = 0;
        r.before = [&](TMainFrm& w) {
            slot = w.engine().LastVC();
            w.engine().setVCRecord(slot);
            w.engine().setCommandString("!" + programs.path().toStdString() + "/TOOL.EXE");
            w.engine().UpdateVCRecord();
        };
        r.after = [](TMainFrm& w) { w.ListeningModeClick(); };
        auto window = r.create();
        for (int n = 1; n <= kLaunchTableSize; ++n)
            QCOMPARE(window->dispatch().launchRecord(n), LaunchRecord{});
        r.rig.start(*window);

        QCOMPARE(r.launcher.spawned.size(), std::size_t(1));
        QCOMPARE(window->dispatch().launchRecord(slot).fileName, std::string("TOOL.EXE"));
        QVERIFY(window->dispatch().launchRecord(slot).processId != 0);
        window->ForgetLaunchedPrograms();
        QCOMPARE(window->dispatch().launchRecord(slot), LaunchRecord{});
    }

    void mouseTimerFollowsTheDispatchAndStopsWithListening()
    {
        ListeningRig r;
        auto window = r.create();
        auto* mouseTimer = window->findChild<QTimer*>(QStringLiteral("MouseTimer"));
        bool activeAfterCommand = false;
        int intervalAfterCommand = 0;
        // "Slower" sets the interval, then a direction starts the timer at it.
        r.after = [&](TMainFrm& w) {
            if (r.recognitions == 1)
                return;
            activeAfterCommand = mouseTimer->isActive();
            intervalAfterCommand = mouseTimer->interval();
            w.ListeningModeClick();
        };
        r.before = [&](TMainFrm& w) {
            w.engine().setVCRecord(w.engine().LastVC());
            w.engine().setCommandString(r.recognitions == 1 ? "{MOUSE SLOWER}" : "{MOUSE RIGHT}");
            w.engine().UpdateVCRecord();
        };
        r.rig.start(*window);

        QCOMPARE(r.recognitions, 2);
        QVERIFY(activeAfterCommand);
        QCOMPARE(intervalAfterCommand, 26);
        QVERIFY(!window->dispatch().MouseTimerEnabled());
        QVERIFY(!mouseTimer->isActive());
    }

    void demoOpensItsTableInQuickStartModeAndTypesNowhere()
    {
        ShellRig rig(demoLine());
        const int64_t recordingLength = static_cast<int64_t>(demoLine().size());
        rig.device.setLooping(true);
        placeDemoTable(rig.programDir.path());
        rig.arguments = {"demo.EAR"};
        ShellPlatform platform = rig.platform();
        platform.modes = nullptr;
        platform.demo = true;
        CountingLauncher launcher;
        platform.launcher = &launcher;
        platform.actionSound = &rig.sound;
        TMainFrm window(std::move(platform));  // quick start mode is on at the first start
        QVERIFY(window.FormCreate());
        int recognitions = 0;
        bool visibleWhileListening = false;
        auto dispatchIt = window.engine().OnRecognition;
        // Listens on past the end of the recording, which starts over.
        window.engine().OnRecognition = [&](TVREngine32& sender) {
            ++recognitions;
            dispatchIt(sender);
            visibleWhileListening = window.isVisible() && !window.isMinimized();
            if (rig.device.position() > recordingLength + 5 * kBlockLength)
                window.ListeningModeClick();
        };
        rig.start(window);

        QVERIFY(recognitions > 1);
        QVERIFY(rig.device.position() > recordingLength);
        QVERIFY(rig.boxes.shown.isEmpty());
        QCOMPARE(window.engine().TableName(), std::string("demo.EAR"));
        QVERIFY(window.dispatchShell().recording());
        QVERIFY(window.statusWindow().isVisible());
        // The window stays on screen and says where the sound comes from.
        QVERIFY(visibleWhileListening);
        QVERIFY(!window.TrayIconActive());
        auto* note = window.findChild<QLabel*>(QStringLiteral("DemoNote"));
        QVERIFY(note && note->isVisible());
        QVERIFY(note->text().contains(QStringLiteral("demo recording")));
        QCOMPARE(window.size(), window.windowSizeRule());
    }

    void demoTableIsTheUsersOwnCopy()
    {
        QTemporaryDir dataHome;
        const std::string bundled = (kDemoTable + QStringLiteral(".EAR")).toStdString();
        const std::string copy = AudioSetup::demoTableCopy(bundled, dataHome.path().toStdString());
        QCOMPARE(QString::fromStdString(copy), dataHome.path() + QStringLiteral("/larkspur/demo.EAR"));
        QFile table(QString::fromStdString(copy));
        QVERIFY(table.open(QIODevice::ReadWrite));
        QCOMPARE(table.size(), QFileInfo(kDemoTable + QStringLiteral(".EAR")).size());
        QVERIFY(QFileInfo::exists(dataHome.path() + QStringLiteral("/larkspur/demo.LK+")));
        // What the user saved there is kept at the next start.
        table.resize(10);
        table.close();
        QCOMPARE(AudioSetup::demoTableCopy(bundled, dataHome.path().toStdString()), copy);
        QCOMPARE(QFileInfo(QString::fromStdString(copy)).size(), 10);
    }

    void soundActionPausesListeningAndTheLoopGoesOn()
    {
        ListeningRig r;
        QTemporaryDir sounds;
        const QString ding = sounds.path() + QStringLiteral("/DING.WAV");
        QFile file(ding);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("RIFF-bytes");
        file.close();
        // First a mouse command, then the sound, then one more recognition.
        r.before = [&](TMainFrm& w) {
            w.engine().setVCRecord(w.engine().LastVC());
            w.engine().setCommandString(r.recognitions == 1   ? "{MOUSE RIGHT}"
                                        : r.recognitions == 2 ? "!" + ding.toStdString()
                                                              : "{MOUSE STOP}");
            w.engine().UpdateVCRecord();
        };
        QTimer* mouseTimer = nullptr;
        int imageWhilePlaying = 0;
        bool checkedWhilePlaying = true;
        bool mouseWhilePlaying = true;
        int imageAfterSound = 0;
        r.after = [&](TMainFrm& w) {
            if (r.recognitions == 2)
                imageAfterSound = listenImage(w);
            if (r.recognitions == 3)
                w.ListeningModeClick();
        };
        auto window = r.create();
        mouseTimer = window->findChild<QTimer*>(QStringLiteral("MouseTimer"));
        // Without playback of utterances the only sound played is the file.
        window->findChild<QCheckBox*>(QStringLiteral("PlayBack1"))->setChecked(false);
        r.rig.sound.whilePlaying = [&] {
            imageWhilePlaying = listenImage(*window);
            checkedWhilePlaying = listeningChecked(*window);
            mouseWhilePlaying = mouseTimer->isActive();
        };
        r.rig.start(*window);

        QCOMPARE(r.recognitions, 3);
        QCOMPARE(r.rig.sound.waves.size(), std::size_t(1));
        QCOMPARE(imageWhilePlaying, 4);
        QVERIFY(!checkedWhilePlaying);
        QVERIFY(!mouseWhilePlaying);
        QCOMPARE(imageAfterSound, 3);
        // What the microphone heard of the sound is not listened to.
        QCOMPARE(r.rig.device.discardsWhileOpen, 1);
        QVERIFY(r.rig.boxes.shown.isEmpty());
        QCOMPARE(window->engine().Status(), std::string("Idle"));
    }

    void recognitionsInTheTrayStillReachThePlot()
    {
        ListeningRig r;
        TPlotFrm plot;
        r.after = [](TMainFrm& w) { w.ListeningModeClick(); };
        auto window = r.create();
        window->setPlotWindow(&plot);
        QVERIFY(window->findChild<QAction*>(QStringLiteral("Plotting"))->isChecked());
        // The command-line table sends the window to the notification area.
        r.rig.start(*window);
        QCOMPARE(r.recognitions, 1);
        QVERIFY(window->TrayIconActive());
        QVERIFY(plot.SampleCount() > 0);
        QCOMPARE(plot.SampleCount(), window->engine().PlotDataLength());
        window->setPlotWindow(nullptr);
    }

    void listeningControlsDoNothingBeforeStartup()
    {
        ListeningRig r;
        auto window = r.create();
        int lookChanges = 0;
        connect(window->findChild<QAction*>(QStringLiteral("ListeningMode1")), &QAction::toggled, window.get(),
                [&lookChanges] { ++lookChanges; });
        window->ListeningModeClick();
        QCOMPARE(r.recognitions, 0);
        QVERIFY(!r.rig.device.isOpen());
        // Not even a flicker of the listening look; the button shows "not listening".
        QCOMPARE(lookChanges, 0);
        QCOMPARE(listenImage(*window), 4);
    }

    void trayAndRestore()
    {
        ListeningRig r;
        auto window = r.create();
        window->show();
        window->SystemTrayClick();
        QVERIFY(window->TrayIconActive());
        QVERIFY(window->isMinimized() || !window->isVisible());
        window->ShowLarkspurQTX981Click();
        QVERIFY(!window->TrayIconActive());
        QVERIFY(window->isVisible());
        QVERIFY(!window->isMinimized());
    }
};

QTEST_MAIN(ListeningTest)
#include "ListeningTest.moc"
