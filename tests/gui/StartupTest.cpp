// Start-up and shutdown of the main window on scripted platform pieces: the
// creation steps, calibration, the command-line and last-table rules, quick
// start mode, and closing with unsaved changes.

#include "ShellRig.h"

#include "engine/TVREngine32.h"
#include "settings/TINIPropSav.h"

#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <optional>

using namespace larkspur;
using namespace larkspur::test;

namespace {

const QString kNoisy = QStringLiteral("To much microphone line noise! Can not run voice recognition engine!");
const QString kMissingTable =
    QStringLiteral("Command line table does not exist. Please make sure the specified file exists!");
const QString kSaveQuestion =
    QStringLiteral("You have created voice commands that are not saved. Do you wish to save the table?");

// Puts a copy of the demo table (and its samples) at dir/relative.
QString placeTable(const QString& dir, const QString& relative)
{
    const QString target = dir + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(target).path());
    const QString source = QStringLiteral(LARKSPUR_RESOURCES_DIR "/demo/demo");
    QFile::copy(source + QStringLiteral(".EAR"), target);
    QFile::copy(source + QStringLiteral(".LK+"), QFileInfo(target).path() + QLatin1Char('/') +
                                                    QFileInfo(target).completeBaseName() + QStringLiteral(".LK+"));
    return target;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void memoryCheck_data()
    {
        QTest::addColumn<qulonglong>("memory");
        QTest::addColumn<bool>("ends");
        QTest::newRow("one byte short") << 15999999ull << true;
        QTest::newRow("just enough") << 16000000ull << false;
    }
    void memoryCheck()
    {
        QFETCH(qulonglong, memory);
        QFETCH(bool, ends);
        ShellRig rig;
        rig.totalPhysicalMemory = memory;
        auto window = rig.create();
        QCOMPARE(rig.created, !ends);
        QCOMPARE(rig.exit.calls, ends ? 1 : 0);
        const QStringList expected = ends ? QStringList{QStringLiteral(
                                                "You computer system does not have enough memory! You must have "
                                                "at least 16MB of memory!")}
                                          : QStringList{};
        QCOMPARE(rig.boxes.texts(), expected);
    }

    void creationSteps_data()
    {
        QTest::addColumn<bool>("autoGainWorks");
        QTest::addColumn<bool>("wizardPresent");
        QTest::newRow("mixer and wizard") << true << true;
        QTest::newRow("neither") << false << false;
    }
    void creationSteps()
    {
        QFETCH(bool, autoGainWorks);
        QFETCH(bool, wizardPresent);
        ShellRig rig;
        rig.autoGainWorks = autoGainWorks;
        if (wizardPresent) {
            QFile wizard(rig.programDir.path() + QStringLiteral("/larkspur-micsetup"));
            QVERIFY(wizard.open(QIODevice::WriteOnly));
        }
        auto window = rig.create();
        QVERIFY(rig.created);

        // Auto gain is switched off once; the box is usable only if that worked.
        QCOMPARE(rig.autoGainRequests, std::vector<bool>{false});
        QCOMPARE(window->findChild<QCheckBox*>(QStringLiteral("AutoGain"))->isEnabled(), autoGainWorks);
        // A mixer without the switch is no error worth a box at every start.
        QVERIFY(rig.boxes.shown.isEmpty());
        QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("SetMixer"))->isEnabled(), wizardPresent);

        QCOMPARE(window->state().tableCapacity, 512);
        QCOMPARE(window->state().plotZoom, 25);
        QCOMPARE(window->state().mouseMotionMode, -1);
        QVERIFY(!window->state().voiceOperationsEnabled);
        // The creation waits 2.5 s with the event loop running.
        QCOMPARE(rig.clock.tickCount(), 2500u);

        QVERIFY(!window->findChild<QFrame*>(QStringLiteral("SplashPanel"))->isHidden());
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("BuildTxt"))->text(),
                 QStringLiteral("Version Information: " LARKSPUR_VERSION));
        QVERIFY(!window->findChild<QLabel*>(QStringLiteral("AboutImage"))->pixmap().isNull());
        QCOMPARE(window->size(), window->windowSizeRule());
        QCOMPARE(window->windowSizeRule().width(), 73 + 396 + 8);
    }

    void autoGainClickSwitchesTheMixerAndReportsAFailedWrite()
    {
        ShellRig rig;
        rig.autoGainWorks = true;
        auto window = rig.create();
        auto* autoGain = window->findChild<QCheckBox*>(QStringLiteral("AutoGain"));
        QVERIFY(autoGain->isEnabled());
        autoGain->click();
        QCOMPARE(rig.autoGainRequests, (std::vector<bool>{false, true}));
        QVERIFY(autoGain->isChecked());
        QVERIFY(rig.boxes.shown.isEmpty());

        // The switch refuses the value: the user hears of it and the box
        // shows what the microphone still has.
        rig.autoGainWorks = false;
        autoGain->click();
        QCOMPARE(rig.autoGainRequests, (std::vector<bool>{false, true, false}));
        QCOMPARE(rig.boxes.texts(), QStringList{QStringLiteral("mixer: write failed")});
        QVERIFY(autoGain->isChecked());
    }

    void calibrationFailureEndsProcess()
    {
        ShellRig rig(noisyLine());
        auto window = rig.create();
        const QString store = QString::fromStdString(window->engine().sampleStorePath());
        QVERIFY(QFileInfo::exists(store));
        rig.start(*window);

        QCOMPARE(rig.exit.calls, 1);
        QCOMPARE(rig.boxes.texts().last(), kNoisy);
        QVERIFY(!window->isEnabled());
        QVERIFY(rig.modes.requests.isEmpty());
        // The table was cleared, which removes the sample store.
        QVERIFY(!QFileInfo::exists(store));
    }

    void commandLineTable_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<QString>("tableName");
        QTest::newRow("relative to the program") << QStringLiteral("tables/office.ear") << false
                                                 << QStringLiteral("office.ear");
        QTest::newRow("absolute path") << QStringLiteral("elsewhere/home.EAR") << true << QStringLiteral("home.EAR");
    }
    void commandLineTable()
    {
        QFETCH(QString, argument);
        QFETCH(bool, absolute);
        QFETCH(QString, tableName);
        ShellRig rig;
        QTemporaryDir elsewhere;
        const QString base = absolute ? elsewhere.path() : rig.programDir.path();
        const QString path = placeTable(base, argument);
        rig.arguments = {absolute ? path.toStdString() : argument.toStdString()};
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
        auto window = rig.create();
        rig.start(*window);

        QVERIFY(window->isEnabled());
        QVERIFY(rig.boxes.shown.isEmpty());
        QCOMPARE(QString::fromStdString(window->engine().TableName()), tableName);
        QCOMPARE(QString::fromStdString(window->engine().FileName()), path);
        QVERIFY(window->engine().TableTrained());
        // Tray and listening follow a command-line table whatever the options say.
        QCOMPARE(rig.modes.requests, (QStringList{QStringLiteral("tray"), QStringLiteral("listen")}));
        QVERIFY(!window->state().unsavedChanges);
    }

    void missingCommandLineTableSkipsLastTable()
    {
        ShellRig rig;
        const QString last = placeTable(rig.programDir.path(), QStringLiteral("last.EAR"));
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
        ShellRig::storeOption(QStringLiteral("LastTable/Caption"), last);
        rig.arguments = {"nothing-here.ear"};
        auto window = rig.create();
        rig.start(*window);

        // The message names the path that was tried.
        QCOMPARE(rig.boxes.texts(),
                 QStringList{kMissingTable + QLatin1Char('\n') + rig.programDir.path() + QStringLiteral("/nothing-here.ear")});
        QCOMPARE(window->engine().TableName(), std::string("Untitled"));
        QVERIFY(rig.modes.requests.isEmpty());
        QVERIFY(window->state().voiceOperationsEnabled);
    }

    void lastTable_data()
    {
        QTest::addColumn<bool>("storedTable");
        QTest::addColumn<QString>("autoOpen");
        QTest::addColumn<QString>("autoTray");
        QTest::addColumn<QString>("autoListen");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QStringList>("requests");
        const QString t = QStringLiteral("True");
        const QString f = QStringLiteral("False");
        const QString tray = QStringLiteral("tray");
        const QString listen = QStringLiteral("listen");
        QTest::newRow("first start: caption LastTable") << false << t << f << f << false << QStringList{};
        QTest::newRow("opened, no automatic modes") << true << t << f << f << true << QStringList{};
        QTest::newRow("opened, tray and listening") << true << t << t << t << true << QStringList{tray, listen};
        QTest::newRow("opened, listening only") << true << t << f << t << true << QStringList{listen};
        QTest::newRow("auto open off") << true << f << t << t << false << QStringList{};
    }
    void lastTable()
    {
        QFETCH(bool, storedTable);
        QFETCH(QString, autoOpen);
        QFETCH(QString, autoTray);
        QFETCH(QString, autoListen);
        QFETCH(bool, opened);
        QFETCH(QStringList, requests);
        ShellRig rig;
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
        ShellRig::storeOption(QStringLiteral("AutoLoadLastTable1/Checked"), autoOpen);
        ShellRig::storeOption(QStringLiteral("AutoIconTray1/Checked"), autoTray);
        ShellRig::storeOption(QStringLiteral("AutoListenafterload1/Checked"), autoListen);
        if (storedTable)
            ShellRig::storeOption(QStringLiteral("LastTable/Caption"),
                                  placeTable(rig.programDir.path(), QStringLiteral("kept/work.EAR")));
        auto window = rig.create();
        rig.start(*window);

        QCOMPARE(window->engine().TableName(), std::string(opened ? "work.EAR" : "Untitled"));
        QCOMPARE(rig.modes.requests, requests);
        QVERIFY(rig.boxes.shown.isEmpty());
    }

    void quickStartModeSkipsTables()
    {
        ShellRig rig;
        placeTable(rig.programDir.path(), QStringLiteral("office.ear"));
        rig.arguments = {"office.ear"};
        auto window = rig.create();  // quick start mode is on at the first start
        rig.start(*window);

        QVERIFY(window->isEnabled());
        QCOMPARE(window->engine().TableName(), std::string("Untitled"));
        // Not opened, and the user is told so, with the path.
        QCOMPARE(rig.boxes.texts(),
                 QStringList{QStringLiteral("The table ") + rig.programDir.path()
                             + QStringLiteral("/office.ear named on the command line was not opened because Quick "
                                              "Start Mode is on.")});
        QVERIFY(rig.modes.requests.isEmpty());
        QVERIFY(!window->state().voiceOperationsEnabled);
        auto* timer = window->findChild<QTimer*>(QStringLiteral("QuickStartTimer"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 2000);
        timer->stop();
        window->QuickStartTimerTimer();
        QVERIFY(window->state().voiceOperationsEnabled);
    }

    void laterShowsDoNotRecalibrate()
    {
        ShellRig rig;
        auto window = rig.create();
        rig.start(*window);
        const uint32_t ticks = rig.clock.tickCount();
        window->hide();
        window->engine().setPlayBack(false);
        window->show();
        QTest::qWait(20);
        QCOMPARE(rig.clock.tickCount(), ticks);
        QVERIFY(!window->findChild<QTimer*>(QStringLiteral("RegistrySetting"))->isActive());
        // Every show copies the PlayBack box to the engine.
        QVERIFY(window->engine().PlayBack());
    }

    void closeAsksAboutUnsavedTable_data()
    {
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("saveDialogs");
        QTest::newRow("nothing to save") << false << true << 0 << 0;
        QTest::newRow("No discards") << true << false << 1 << 0;
        QTest::newRow("Yes on an untitled table, dialog cancelled") << true << true << 1 << 1;
    }
    void closeAsksAboutUnsavedTable()
    {
        QFETCH(bool, unsaved);
        QFETCH(bool, answer);
        QFETCH(int, questions);
        QFETCH(int, saveDialogs);
        ShellRig rig;
        auto window = rig.create();
        rig.start(*window);
        // One voice command, so saving has something to write.
        TVREngine32& engine = window->engine();
        engine.setVCRecord(1);
        engine.setVoiceCommand("Calculator");
        engine.setCommandString("!gnome-calculator");
        engine.UpdateVCRecord();
        window->state().unsavedChanges = unsaved;
        rig.boxes.answer(answer ? MessageAnswer::Yes : MessageAnswer::No);
        const QString store = QString::fromStdString(engine.sampleStorePath());

        QVERIFY(window->close());
        const QStringList asked = questions ? QStringList{kSaveQuestion} : QStringList{};
        QCOMPARE(rig.boxes.texts(), asked);
        QCOMPARE(rig.boxes.unscriptedQuestions, 0);
        QCOMPARE(rig.dialogs.saveRequests, saveDialogs);
        // Closing goes on in every case: the table is gone with its sample store.
        QVERIFY(!QFileInfo::exists(store));
        engine.setVCRecord(1);
        QCOMPARE(engine.VoiceCommand(), std::string());
        QVERIFY(!window->findChild<QTimer*>(QStringLiteral("QuickStartTimer"))->isActive());
    }

    void onlyTheWindowsCloseEndsTheProgram()
    {
        ShellRig rig;
        auto window = rig.create();
        rig.start(*window);
        // As in the notification area: the icon shows, the window is hidden.
        window->setTrayIconActive(true);
        window->hide();

        // A message box closed while the window is hidden is the last visible
        // window to close; the program must go on.
        // Qt's own rule only works in the application's main loop, so this runs in it.
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Larkspur QTX 98"), QStringLiteral("end of input"));
        QTimer::singleShot(0, &box, [&box] { box.show(); });
        QTimer::singleShot(50, &box, [&box] { box.close(); });
        QTimer::singleShot(300, window.get(), [] { QCoreApplication::exit(7); });
        QCOMPARE(QApplication::exec(), 7);
        QCOMPARE(rig.exit.finishes, 0);

        window->ShowLarkspurQTX981Click();
        QVERIFY(window->close());
        QCOMPARE(rig.exit.finishes, 1);
        QCOMPARE(rig.exit.calls, 0);
    }

    void firstShowCentresTheWindowAndCaptionIsTheTableName()
    {
        ShellRig rig;
        auto window = rig.create();
        const QRect area = window->screen()->availableGeometry();
        rig.start(*window);
        // Within the width of the window frame.
        QVERIFY(qAbs(window->frameGeometry().center().x() - area.center().x()) <= 4);
        QVERIFY(qAbs(window->frameGeometry().center().y() - area.center().y()) <= 4);
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Larkspur QTX 98 - UNTITLED"));
        // Moved by the user, the window stays where it was put at later shows.
        window->move(area.topLeft() + QPoint(10, 10));
        window->hide();
        window->show();
        QCOMPARE(window->pos(), area.topLeft() + QPoint(10, 10));
    }

    void optionsLoadAndSaveShowTheBusyCursor()
    {
        ShellRig rig;
        ShellRig::storeOption(QStringLiteral("AutoClick/Checked"), QStringLiteral("True"));
        std::optional<Qt::CursorShape> whileLoading;
        std::optional<Qt::CursorShape> whileSaving;
        auto cursorShape = [] {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            return cursor ? std::optional<Qt::CursorShape>(cursor->shape()) : std::nullopt;
        };
        {
            TMainFrm window(rig.platform());
            // Loading the stored check runs the box's handler.
            connect(window.findChild<QCheckBox*>(QStringLiteral("AutoClick")), &QCheckBox::toggled, &window,
                    [&] { whileLoading = cursorShape(); });
            QVERIFY(window.FormCreate());
            QCOMPARE(cursorShape(), std::nullopt);
            auto startSaving = window.propertySaver().OnStartSavingProperties;
            window.propertySaver().OnStartSavingProperties = [&](TINIPropSav& sender) {
                startSaving(sender);
                whileSaving = cursorShape();
            };
        }
        QCOMPARE(whileLoading, std::optional<Qt::CursorShape>(Qt::WaitCursor));
        QCOMPARE(whileSaving, std::optional<Qt::CursorShape>(Qt::WaitCursor));
        QCOMPARE(cursorShape(), std::nullopt);
    }

    void closeRemembersTable()
    {
        ShellRig rig;
        const QString path = placeTable(rig.programDir.path(), QStringLiteral("office.ear"));
        rig.arguments = {"office.ear"};
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
        {
            auto window = rig.create();
            rig.start(*window);
            QVERIFY(window->close());
            QCOMPARE(window->findChild<QLabel*>(QStringLiteral("LastTable"))->text(), path);
        }
        QSettings stored(QStringLiteral("Halcyon Works"), QStringLiteral("Larkspur QTX 98"));
        QCOMPARE(stored.value(QStringLiteral("LastTable/Caption")).toString(), path);
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
