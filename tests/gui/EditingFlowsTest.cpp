// The Create, Train and Edit panels: accepting, picking, updating, deleting,
// the sorted lists, Enter and Escape, the spoken confirmations, and training
// with its window on speech from the bundled demo recording.

#include "FlowsRig.h"
#include "SpeechLine.h"

#include "app/TPlotFrm.h"
#include "app/TTrainFrm.h"
#include "engine/TVREngine32.h"
#include "engine/WavFile.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>

using namespace larkspur;
using namespace larkspur::test;

namespace {

const QString kRetrain = QStringLiteral("You changed the Voice Command Text. You must re-train this voice command.");
const QString kBeepFirst = QStringLiteral(
    "Please remember to say the Voice Command after the \"Beep\".  If you do not wait for the beep you will "
    "experience problems!");

int count(const std::vector<std::string>& sounds, const std::string& name)
{
    return static_cast<int>(std::count(sounds.begin(), sounds.end(), name));
}

// The demo speaker saying "go back": three clean takes and a fourth with
// noise and reverberation to test the training.
std::vector<uint8_t> goBackFourTimes()
{
    const Recording demo = Recording::load(QStringLiteral(LARKSPUR_RESOURCES_DIR "/demo/demo.wav"));
    SpeechLine line;
    line.addCalibration(demo);
    for (int n : {5, 37, 41, 46})
        line.addUtterance(demo, n);
    return line.samples();
}

} // namespace

class EditingFlowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FlowsRig> r;
    std::unique_ptr<TMainFrm> window;

    void open(const char* panel) { window->ShowPanel(r->child<QFrame>(panel)); }
    std::vector<std::string>& sounds() { return r->rig.sound.resources; }
    QLineEdit* edit(const char* name) { return r->child<QLineEdit>(name); }

private slots:
    void init()
    {
        r = std::make_unique<FlowsRig>();
        window = r->create();
        QVERIFY(r->rig.created);
    }

    void cleanup()
    {
        window.reset();
        r.reset();
    }

    void listsSortWithoutRegardToCaseAndPickByText()
    {
        for (const char* phrase : {"Zebra", "apple", "Mango", "banana"})
            r->accept(QString::fromLatin1(phrase), QStringLiteral("x"));
        r->markTrained(3);
        r->markTrained(1);
        open("TrainPanel");
        const QStringList sorted = {"apple", "banana", "Mango", "Zebra"};
        QCOMPARE(r->entries("CreatedList"), sorted);
        QCOMPARE(r->entries("TrainedList"), QStringList({"Mango", "Zebra"}));
        QVERIFY(!window->state().quickStartStep(6));
        QVERIFY(r->pick("CreatedList", "Mango"));
        QCOMPARE(window->state().selectedVoiceCommand, 3);
        QCOMPARE(edit("TrnVCTxt")->text(), QStringLiteral("Mango"));
        QVERIFY(window->state().quickStartStep(6));
        QVERIFY(r->pick("TrainedList", "Zebra"));
        QCOMPARE(window->state().selectedVoiceCommand, 1);
        QCOMPARE(edit("TrnVCTxt")->text(), QStringLiteral("Zebra"));

        open("EditPanel");
        QCOMPARE(r->entries("EditList"), sorted);
        QVERIFY(r->pick("EditList", "banana"));
        QCOMPARE(window->state().selectedVoiceCommand, 4);

        // A double-click with nothing selected picks nothing.
        r->click("EdCleatBtn");
        r->child<QListWidget>("EditList")->clearSelection();
        window->EditListDblClick();
        QCOMPARE(window->state().selectedVoiceCommand, 0);
        QVERIFY(edit("EdVCTxt")->isReadOnly());
        QVERIFY(edit("EdVCTxt")->text().isEmpty());
    }

    void acceptRefusesSilentlyAndNeverReusesASlot()
    {
        r->accept(QString(), QStringLiteral("x"));
        r->accept(QStringLiteral("one"), QString());
        QVERIFY(window->state().quickStartStep(4));
        QCOMPARE(r->phraseIn(1), std::string());
        QVERIFY(!window->state().unsavedChanges);

        r->accept(QStringLiteral("one"), QStringLiteral("^+"));
        QCOMPARE(r->phraseIn(1), std::string("one"));
        QCOMPARE(window->engine().table().record(1)->action, std::string("^+"));
        QVERIFY(edit("BuiltVCText")->text().isEmpty());
        QVERIFY(edit("BuiltVCAct")->text().isEmpty());
        QVERIFY(window->state().unsavedChanges);
        QCOMPARE(count(sounds(), "ACCEPT"), 1);

        // Exact duplicate: refused, the fields stay; other letter case is another phrase.
        r->accept(QStringLiteral("one"), QStringLiteral("^-"));
        QCOMPARE(edit("BuiltVCText")->text(), QStringLiteral("one"));
        r->accept(QStringLiteral("One"), QStringLiteral("^-"));
        QCOMPARE(r->phraseIn(2), std::string("One"));
        r->accept(QStringLiteral("three"), QStringLiteral("^c"));

        // Delete slot 2 through the Edit panel: no question.
        open("EditPanel");
        QVERIFY(r->pick("EditList", "One"));
        r->click("EdDeleteBtn");
        QCOMPARE(r->phraseIn(2), std::string("VoiceCommand2"));
        QCOMPARE(count(sounds(), "DELETED"), 1);
        QVERIFY(r->rig.boxes.shown.isEmpty());
        QCOMPARE(r->entries("EditList"), QStringList({"one", "three"}));
        QVERIFY(edit("EdVCTxt")->isReadOnly());

        // The deleted record's phrase is taken, and its slot is not reused.
        r->accept(QStringLiteral("VoiceCommand2"), QStringLiteral("x"));
        QCOMPARE(r->phraseIn(4), std::string());
        r->accept(QStringLiteral("four"), QStringLiteral("x"));
        QCOMPARE(r->phraseIn(2), std::string("VoiceCommand2"));
        QCOMPARE(r->phraseIn(4), std::string("four"));

        // "VoiceCommand7" in slot 7 counts as deleted; in slot 8 it is listed.
        r->accept(QStringLiteral("five"), QStringLiteral("x"));
        r->accept(QStringLiteral("six"), QStringLiteral("x"));
        r->accept(QStringLiteral("VoiceCommand7"), QStringLiteral("x"));
        r->accept(QStringLiteral("VoiceCommand9"), QStringLiteral("x"));
        QCOMPARE(r->phraseIn(7), std::string("VoiceCommand7"));
        QCOMPARE(r->phraseIn(8), std::string("VoiceCommand9"));
        open("TrainPanel");
        QVERIFY(!r->entries("CreatedList").contains("VoiceCommand7"));
        QVERIFY(r->entries("CreatedList").contains("VoiceCommand9"));
        open("EditPanel");
        QVERIFY(!r->entries("EditList").contains("VoiceCommand7"));

        // Without "Voice Buttons" nothing is said.
        r->action("VoiceButtons")->setChecked(false);
        const auto said = sounds().size();
        r->accept(QStringLiteral("quiet"), QStringLiteral("x"));
        QCOMPARE(r->phraseIn(9), std::string("quiet"));
        QCOMPARE(sounds().size(), said);
        QVERIFY(r->rig.boxes.shown.isEmpty());
    }

    void updateRetrainsOnlyWhenThePhraseChanges()
    {
        r->accept(QStringLiteral("zoom in"), QStringLiteral("^+"));
        r->accept(QStringLiteral("zoom out"), QStringLiteral("^-"));
        r->markTrained(1);
        open("EditPanel");

        // Nothing picked: Update and Delete do nothing.
        r->click("EdUpdateBtn");
        r->click("EdDeleteBtn");
        QCOMPARE(count(sounds(), "UPDATED") + count(sounds(), "DELETED"), 0);
        QCOMPARE(r->phraseIn(1), std::string("zoom in"));

        QVERIFY(r->pick("EditList", "zoom in"));
        QVERIFY(!edit("EdVCTxt")->isReadOnly());
        QCOMPARE(edit("EdVCAct")->text(), QStringLiteral("^+"));
        edit("EdVCAct")->setText(QStringLiteral("^{ADD}"));
        window->state().unsavedChanges = false;
        r->click("EdUpdateBtn");
        QVERIFY(r->rig.boxes.shown.isEmpty());
        QCOMPARE(window->engine().table().record(1)->action, std::string("^{ADD}"));
        QVERIFY(window->engine().table().record(1)->trained != 0);
        QCOMPARE(r->entries("TrainedList"), QStringList({"zoom in"}));
        QCOMPARE(count(sounds(), "UPDATED"), 1);
        QVERIFY(window->state().unsavedChanges);
        QVERIFY(edit("EdVCTxt")->text().isEmpty() && edit("EdVCTxt")->isReadOnly());
        QCOMPARE(window->state().selectedVoiceCommand, 1);

        // A new phrase, even one another command has: re-train, and look-ups
        // by that phrase find the lower slot.
        QVERIFY(r->pick("EditList", "zoom in"));
        edit("EdVCTxt")->setText(QStringLiteral("zoom out"));
        r->click("EdUpdateBtn");
        QCOMPARE(r->rig.boxes.texts(), QStringList({kRetrain}));
        QCOMPARE(window->engine().table().record(1)->trained, 0);
        QVERIFY(r->entries("TrainedList").isEmpty());
        QCOMPARE(r->entries("EditList"), QStringList({"zoom out", "zoom out"}));
        QVERIFY(r->pick("EditList", "zoom out"));
        QCOMPARE(window->state().selectedVoiceCommand, 1);
        QCOMPARE(edit("EdVCAct")->text(), QStringLiteral("^{ADD}"));

        // Clear forgets the pick.
        r->click("EdCleatBtn");
        QCOMPARE(window->state().selectedVoiceCommand, 0);
        QVERIFY(edit("EdVCTxt")->isReadOnly() && edit("EdVCAct")->isReadOnly());
        QVERIFY(edit("EdVCAct")->text().isEmpty());
    }

    // Older tables hold Windows-1252 text, new ones UTF-8: the lists show
    // both alike, look-ups find them by what is shown, and texts longer
    // than a record holds are cut between characters.
    void olderSingleByteTextIsListedFoundAndKept()
    {
        TVREngine32& engine = window->engine();
        engine.setVCRecord(1);
        engine.setVoiceCommand("caf\xe9");
        engine.setCommandString("^c");
        engine.UpdateVCRecord();
        r->markTrained(1);
        open("EditPanel");
        const QString cafe = QString::fromUtf8("caf\xc3\xa9");
        QCOMPARE(r->entries("EditList"), QStringList({cafe}));

        QVERIFY(r->pick("EditList", cafe));
        QCOMPARE(window->state().selectedVoiceCommand, 1);
        QCOMPARE(edit("EdVCTxt")->text(), cafe);
        edit("EdVCAct")->setText(QStringLiteral("^v"));
        r->click("EdUpdateBtn");
        // Only the action changed: no re-training, the phrase keeps its bytes.
        QVERIFY(r->rig.boxes.shown.isEmpty());
        QCOMPARE(r->phraseIn(1), std::string("caf\xe9"));
        QVERIFY(engine.table().record(1)->trained != 0);

        // The same phrase typed again is already in the table.
        open("CreatePanel");
        r->accept(cafe, QStringLiteral("^x"));
        QVERIFY(r->phraseIn(2).empty());

        const QString longPhrase(200, QChar(0xe9));
        r->accept(longPhrase, QStringLiteral("^y"));
        QCOMPARE(r->phraseIn(2).size(), std::size_t(254));
        QCOMPARE(QString::fromStdString(r->phraseIn(2)), QString(127, QChar(0xe9)));
    }

    void enterAndEscapeWorkTheButtonsOfThePanelShown()
    {
        r->rig.start(*window);
        window->VoiceCommandsBtnClick();
        edit("BuiltVCText")->setText(QStringLiteral("zoom in"));
        edit("BuiltVCAct")->setText(QStringLiteral("^+"));
        QTest::keyClick(edit("BuiltVCAct"), Qt::Key_Return);
        QCOMPARE(r->phraseIn(1), std::string("zoom in"));

        edit("BuiltVCText")->setText(QStringLiteral("left over"));
        QTest::keyClick(edit("BuiltVCText"), Qt::Key_Escape);
        QVERIFY(edit("BuiltVCText")->text().isEmpty());

        // Enter on a focused button is that button's.
        edit("BuiltVCText")->setText(QStringLiteral("left over"));
        edit("BuiltVCAct")->setText(QStringLiteral("x"));
        QTest::keyClick(r->child<QPushButton>("ClearBtn"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(r->phraseIn(2), std::string());
        QVERIFY(edit("BuiltVCText")->text().isEmpty());

        open("EditPanel");
        QVERIFY(r->pick("EditList", "zoom in"));
        QTest::keyClick(edit("EdVCAct"), Qt::Key_Escape);
        QVERIFY(edit("EdVCAct")->isReadOnly());
        QCOMPARE(window->state().selectedVoiceCommand, 0);
        QVERIFY(r->pick("EditList", "zoom in"));
        edit("EdVCAct")->setText(QStringLiteral("^{ADD}"));
        QTest::keyClick(r->child<QListWidget>("EditList"), Qt::Key_Return);
        QCOMPARE(window->engine().table().record(1)->action, std::string("^{ADD}"));

        // On the Train panel Enter trains the picked command.
        open("TrainPanel");
        window->state().voiceOperationsEnabled = true;
        QVERIFY(r->pick("CreatedList", "zoom in"));
        QTest::keyClick(r->child<QListWidget>("CreatedList"), Qt::Key_Return);
        QVERIFY(window->state().quickStartStep(7));
        QVERIFY(r->rig.boxes.texts().contains(kBeepFirst));
    }

    void trainingWindowFollowsEveryPassAndPlaybackDrawsThePlot()
    {
        cleanup();
        r = std::make_unique<FlowsRig>(goBackFourTimes());
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
        window = r->create();
        TPlotFrm plot;
        window->setPlotWindow(&plot);
        r->rig.start(*window);
        QVERIFY(window->state().voiceOperationsEnabled);
        QVERIFY(window->engine().Ready());
        TTrainFrm& train = window->trainWindow();
        QCOMPARE(train.windowTitle(), QStringLiteral("Larkspur QTX 98 - Train Voice Command"));
        QVERIFY(train.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!train.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!train.windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
        QVERIFY(!train.isVisible());
        for (QWidget* control : std::initializer_list<QWidget*>{train.PleaseTxt(), train.DisplayTxt(), train.Status(),
                                                                train.TrainingPass(), train.TrnCancelBtn()})
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        QCOMPARE(train.TrnCancelBtn()->accessibleName(), QStringLiteral("Cancel"));

        r->accept(QStringLiteral("go back"), QStringLiteral("{BKSP}"));
        open("TrainPanel");
        // Train does nothing until a command is picked.
        r->click("Train");
        QVERIFY(r->rig.boxes.shown.isEmpty());
        QVERIFY(r->pick("CreatedList", "go back"));

        struct Seen {
            QString pass;
            bool shown;
            bool mainEnabled;
            QString phrase;
            int plotted;
            QPoint centre;
        };
        QList<Seen> seen;
        auto handler = window->engine().OnTrained;
        window->engine().OnTrained = [&](TVREngine32& sender) {
            seen.append({train.TrainingPass()->text(), train.isVisible(), window->isEnabled(),
                         train.DisplayTxt()->text(), plot.SampleCount(), train.frameGeometry().center()});
            handler(sender);
            seen.last().pass = train.TrainingPass()->text();
            seen.last().plotted = plot.SampleCount();
        };
        r->click("Train");

        QCOMPARE(seen.size(), 3);
        const QStringList passes = {"2 of 3", "3 of 3", "Test Voice Command"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(seen[i].pass, passes[i]);
            QVERIFY(seen[i].shown);
            QVERIFY(!seen[i].mainEnabled);
            QCOMPARE(seen[i].phrase, QStringLiteral("go back"));
            QVERIFY(seen[i].plotted > 0);
            QVERIFY((seen[i].centre - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength() <= 1);
        }
        QCOMPARE(r->rig.boxes.texts().front(), kBeepFirst);
        QCOMPARE(r->rig.boxes.texts().back(), QStringLiteral("You trained go back well!"));
        QCOMPARE(count(sounds(), "PLEASE"), 4);
        QCOMPARE(count(sounds(), "BEEP"), 4);
        QVERIFY(!train.isVisible());
        QVERIFY(!train.PleaseTxt()->isVisibleTo(&train));
        QVERIFY(train.DisplayTxt()->text().isEmpty());
        QVERIFY(window->isEnabled());
        QCOMPARE(r->entries("TrainedList"), QStringList({"go back"}));
        QCOMPARE(window->state().selectedVoiceCommand, 0);
        QVERIFY(edit("TrnVCTxt")->text().isEmpty());
        QVERIFY(window->state().unsavedChanges);
        for (const SampleTemplate& s : window->engine().table().record(1)->samples)
            QCOMPARE(s.present, uint8_t(1));

        // Playback draws whether or not Plotting is checked, and leaves
        // nothing picked: Train is inert although a phrase is still shown.
        r->action("Plotting")->setChecked(false);
        plot.TakePlotData(std::string(), 0);
        QCOMPARE(plot.SampleCount(), 0);
        QVERIFY(r->pick("TrainedList", "go back"));
        QCOMPARE(edit("TrnVCTxt")->text(), QStringLiteral("go back"));
        const auto played = r->rig.sound.waves.size();
        r->action("PlayVC")->trigger();
        QVERIFY(plot.SampleCount() > 0);
        QCOMPARE(r->rig.sound.waves.size(), played + 1);
        QCOMPARE(window->state().selectedVoiceCommand, 0);
        const auto shownBefore = r->rig.boxes.shown.size();
        r->click("Train");
        QCOMPARE(r->rig.boxes.shown.size(), shownBefore);
        QVERIFY(!train.isVisible());
    }

    void cancelInTheTrainingWindowKeepsTheSamplesTaken()
    {
        cleanup();
        r = std::make_unique<FlowsRig>(goBackFourTimes());
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
        window = r->create();
        r->rig.start(*window);
        r->accept(QStringLiteral("go back"), QStringLiteral("{BKSP}"));
        open("TrainPanel");
        QVERIFY(r->pick("CreatedList", "go back"));
        TTrainFrm& train = window->trainWindow();
        auto handler = window->engine().OnTrained;
        int passes = 0;
        window->engine().OnTrained = [&](TVREngine32& sender) {
            handler(sender);
            ++passes;
            QTest::keyClick(&train, Qt::Key_Escape);
        };
        r->click("Train");
        QCOMPARE(passes, 1);
        const VoiceCommandRecord* record = window->engine().table().record(1);
        QCOMPARE(record->samples[0].present, uint8_t(1));
        QCOMPARE(record->samples[1].present, uint8_t(0));
        QVERIFY(record->trained != 0);
        QVERIFY(!train.isVisible());
        QVERIFY(window->isEnabled());
        QCOMPARE(r->entries("TrainedList"), QStringList({"go back"}));
    }

    void trainingWithoutACalibratedLineKeepsTheSamples()
    {
        r->accept(QStringLiteral("zoom in"), QStringLiteral("^+"));
        r->markTrained(1);
        window->state().voiceOperationsEnabled = true;
        window->state().unsavedChanges = false;
        open("TrainPanel");
        QVERIFY(r->pick("TrainedList", "zoom in"));
        r->click("Train");
        QVERIFY(!window->engine().Ready());
        QCOMPARE(window->engine().table().record(1)->samples[0].present, uint8_t(1));
        QCOMPARE(r->entries("TrainedList"), QStringList({"zoom in"}));
        QVERIFY(r->rig.boxes.shown.isEmpty());
        QVERIFY(!window->state().unsavedChanges);
    }

    void spokenConfirmationsArePlayableSounds()
    {
        for (const char* name : {"ACCEPT", "UPDATED", "DELETED", "PLEASE", "BEEP"}) {
            std::string error;
            const QString path = QStringLiteral(LARKSPUR_RESOURCES_DIR "/sounds/") + name + QStringLiteral(".wav");
            auto samples = loadCaptureSamples(path.toStdString(), error);
            QVERIFY2(samples.has_value(), qPrintable(path + QStringLiteral(": ") + QString::fromStdString(error)));
            // Something is said: the sound moves well away from the zero level.
            const auto [low, high] = std::minmax_element(samples->begin(), samples->end());
            QVERIFY2(*high - *low > 100, name);
        }
    }
};

QTEST_MAIN(EditingFlowsTest)
#include "EditingFlowsTest.moc"
