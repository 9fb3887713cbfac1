// The recognition dispatch with every desktop piece faked: confidence and
// missed commands, keystrokes, the mouse timer, web addresses, programs with
// the launch table and the disk search, sounds and documents.

#include "actions/ApplicationFinder.h"
#include "actions/DispatchShell.h"
#include "actions/RecognitionDispatch.h"
#include "actions/RecordingKeyInjector.h"
#include "actions/TAppExec.h"
#include "actions/TGoToWeb.h"
#include "actions/TSendKey.h"
#include "actions/TURL.h"
#include "actions/UsKeyboardLayout.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/TVREngine32.h"
#include "tests/actions/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
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

namespace {

using test::TempDir;

class FakeShell : public DispatchShell {
public:
    int confidencePointer() override { return confidence; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool statusWindowChecked() override { return statusWindow; }
    void reshowStatusWindow() override { ++statusReshown; }
    bool mainWindowMinimised() override { return false; }
    bool plottingChecked() override { return plotting; }
    void plotLastUtterance() override { ++plotted; }
    void setTableChanged() override { tableChanged = true; }
    bool trayIconActive() override { return tray; }
    void setTrayIconActive(bool on) override { tray = on; }
    void showPlotWindow() override { ++plotShown; }
    void showMainWindow() override { ++mainShown; }
    void restoreApplication() override { ++restored; }
    void pauseListeningForSound() override { listening.push_back("off, " + std::to_string(soundsPlayed())); }
    void resumeListeningAfterSound() override { listening.push_back("on, " + std::to_string(soundsPlayed())); }
    std::function<size_t()> soundsPlayed = [] { return size_t(0); };
    // Each switch of listening around a sound, with the sounds played by then.
    std::vector<std::string> listening;

    int confidence = 75;
    bool statusWindow = false;
    bool plotting = false;
    bool tray = false;
    std::vector<std::string> messages;
    int statusReshown = 0, plotted = 0, plotShown = 0, mainShown = 0, restored = 0;
    bool tableChanged = false;
};

class Dispatch : public ::testing::Test {
protected:
    Dispatch()
    {
        TSendKey::clearPendingModifiers();
        dispatch.OnMouseTimerChanged = [this] { ++timerChanges; };
    }

    XdgRoots webRoots(bool withBrowser)
    {
        XdgRoots r;
        r.dataHome = dir.file("data");
        if (withBrowser) {
            const std::string program = dir.write("bin/browse", "#!/bin/sh\n", 0755);
            dir.write("data/applications/web.desktop", "[Desktop Entry]\nExec=" + program + " %u\n");
        }
        r.defaultBrowserQuery = [withBrowser]() -> std::optional<std::string> {
            return withBrowser ? std::optional<std::string>("web.desktop") : std::nullopt;
        };
        return r;
    }

    void command(int slot, const std::string& phrase, const std::string& action)
    {
        engine.setVCRecord(slot);
        engine.setVoiceCommand(phrase);
        engine.setCommandString(action);
        engine.UpdateVCRecord();
    }
    void recognise(int slot, int confidence = 90)
    {
        EngineTestAccess::recognised(engine, slot, confidence);
        dispatch.VREngine321Recognition(engine);
    }
    std::string actionOf(int slot) const { return engine.table().record(slot)->action; }
    // Ticks until the timer stops (or a limit, for runs that would not end).
    int tickUntilStopped(int limit = 5000)
    {
        int ticks = 0;
        while (dispatch.MouseTimerEnabled() && ticks < limit) {
            dispatch.MouseTimerTimer();
            ++ticks;
        }
        return ticks;
    }

    TempDir dir;
    TVREngine32 engine;
    FakeShell shell;
    UsKeyboardLayout layout;
    RecordingKeyInjector keys;
    test::FakeWindowSystem windows;
    TSendKey sendKeys{layout, keys, &windows};
    test::FakeLauncher launcher;
    TAppExec appExe{launcher};
    TURL urlStuff{launcher};
    TGoToWeb goToWeb{launcher, webRoots(false)};
    test::FakePointer pointer;
    SilentSoundPlayer sound;
    test::ScriptedFinderUi finderUi;
    FinderRoots finderRoots{{}, {}, {dir.file("disk1"), dir.file("disk2")}};
    ApplicationFinder finder{finderUi, finderRoots, {}};
    RecognitionDispatch dispatch{{engine, shell, sendKeys, appExe, urlStuff, goToWeb, windows, pointer, sound,
                                  launcher, finder}};
    int timerChanges = 0;
};

// --- Confidence and missed commands -------------------------------------------

TEST_F(Dispatch, RecognitionExactlyAtThePointerIsActedOnAndOneBelowIsNot)
{
    shell.confidence = 80;
    command(1, "letter", "a");
    recognise(1, 79);
    EXPECT_TRUE(keys.events().empty());
    EXPECT_EQ(dispatch.missedCommands(), 1);
    EXPECT_TRUE(pointer.moves.empty());

    recognise(1, 80);
    EXPECT_EQ(keys.events().size(), 2u);
    EXPECT_EQ(dispatch.missedCommands(), 0);
}

TEST_F(Dispatch, SeventhMissInARowShowsTheMessageAndStartsCountingAgain)
{
    shell.confidence = 80;
    command(1, "letter", "a");
    for (int i = 0; i < 6; ++i)
        recognise(1, 79);
    EXPECT_TRUE(shell.messages.empty());
    recognise(1, 80);  // an accepted one in between starts the count again
    for (int i = 0; i < 6; ++i)
        recognise(1, 79);
    EXPECT_TRUE(shell.messages.empty());
    recognise(1, 79);
    EXPECT_EQ(shell.messages, (std::vector<std::string>{kMissedCommandsMessage}));
    EXPECT_EQ(dispatch.missedCommands(), 0);
}

TEST_F(Dispatch, AcceptedRecognitionSweepsThePointerRestoresTheForegroundAndShowsStatusAndPlot)
{
    windows.windows = {{7, "Editor", "Ed", true, false, 70}};
    windows.foreground = 7;
    shell.statusWindow = true;
    shell.plotting = true;
    command(1, "nothing", "");
    recognise(1);
    EXPECT_EQ(pointer.moves, (std::vector<ScreenPoint>{{0, 0}, {640, 480}, {100, 100}}));
    EXPECT_EQ(windows.activated, (std::vector<WindowId>{7}));
    EXPECT_EQ(shell.statusReshown, 1);
    EXPECT_EQ(shell.plotted, 1);
    EXPECT_TRUE(keys.events().empty());  // an empty action sends nothing
    EXPECT_TRUE(shell.messages.empty());
}

// --- Keystrokes --------------------------------------------------------------

TEST_F(Dispatch, KeystrokeActionIsTypedAndABadOneReportedWithKeysBeforeTheFaultSent)
{
    command(1, "close", "^{F4}");
    recognise(1);
    EXPECT_EQ(keys.events(), (std::vector<SyntheticKeyEvent>{
                                 {kVkControl, 0x1D, 0}, {0x73, 0x3E, 1}, {0x73, 0x3E, 3}, {kVkControl, 0x1D, 2}}));
    keys.clear();
    command(2, "broken", "a{ENTR}");
    recognise(2);
    EXPECT_EQ(keys.events().size(), 2u);
    EXPECT_EQ(shell.messages, (std::vector<std::string>{kIncorrectFormatMessage}));
}

// --- Mouse ---------------------------------------------------------------------

TEST_F(Dispatch, DirectionsRunThePointerToTheEdgesAndStopTheTimer)
{
    command(1, "right", "{MOUSE RIGHT}");
    command(2, "left", "{MOUSE LEFT}");
    command(3, "up", "{MOUSE UP}");
    command(4, "down", "{MOUSE DOWN}");
    recognise(1);
    EXPECT_TRUE(dispatch.MouseTimerEnabled());
    EXPECT_EQ(dispatch.MouseTimerInterval(), 1);
    EXPECT_EQ(tickUntilStopped(), 640 - 1 - 100 + 1);
    EXPECT_EQ(pointer.at, (ScreenPoint{639, 100}));
    EXPECT_EQ(dispatch.mouseMotionMode(), MouseMotionMode::Right);  // stopping leaves the mode

    recognise(2);
    tickUntilStopped();
    EXPECT_EQ(pointer.at.x, 1);
    recognise(3);
    tickUntilStopped();
    EXPECT_EQ(pointer.at, (ScreenPoint{1, 1}));
    recognise(4);
    tickUntilStopped();
    EXPECT_EQ(pointer.at, (ScreenPoint{1, 479}));
}

TEST_F(Dispatch, StopLeavesThePointerWhereItIsAndResetsTheSpeed)
{
    command(1, "right", "{MOUSE RIGHT}");
    command(2, "stop", "{MOUSE STOP}");
    command(3, "slower", "{MOUSE SLOWER}");
    recognise(3);
    EXPECT_FALSE(dispatch.MouseTimerEnabled());  // speed changes neither start nor stop it
    EXPECT_EQ(dispatch.MouseTimerInterval(), 26);
    recognise(1);
    for (int i = 0; i < 10; ++i)
        dispatch.MouseTimerTimer();
    recognise(2);
    dispatch.MouseTimerTimer();
    EXPECT_EQ(pointer.at, (ScreenPoint{110, 100}));
    EXPECT_FALSE(dispatch.MouseTimerEnabled());
    EXPECT_EQ(dispatch.MouseTimerInterval(), 1);
    EXPECT_EQ(dispatch.mouseMotionMode(), MouseMotionMode::None);
    EXPECT_GT(timerChanges, 0);
}

TEST_F(Dispatch, SpeedStaysBetweenOneAndFourHundredSeventySixMilliseconds)
{
    command(1, "slower", "{MOUSE SLOWER}");
    command(2, "faster", "{MOUSE FASTER}");
    recognise(2);
    EXPECT_EQ(dispatch.MouseTimerInterval(), 1);
    for (int i = 0; i < 25; ++i)
        recognise(1);
    EXPECT_EQ(dispatch.MouseTimerInterval(), 476);
    recognise(2);
    EXPECT_EQ(dispatch.MouseTimerInterval(), 451);
}

TEST_F(Dispatch, ClicksHappenOnceAtTheNextTick)
{
    using B = std::pair<MouseButton, bool>;
    const B leftDown{MouseButton::Left, true}, leftUp{MouseButton::Left, false};
    command(1, "double", "{MOUSE CLICK}");
    command(2, "single", "{MOUSE DBCLICK}");
    command(3, "right", "{MOUSE RCLICK}");
    command(4, "nothing", "{MOUSE XY}");
    recognise(1);
    EXPECT_TRUE(pointer.buttons.empty());
    EXPECT_EQ(tickUntilStopped(), 1);
    EXPECT_EQ(pointer.buttons, (std::vector<B>{leftDown, leftUp, leftDown, leftUp}));
    pointer.buttons.clear();
    recognise(2);
    tickUntilStopped();
    EXPECT_EQ(pointer.buttons, (std::vector<B>{leftDown, leftUp}));
    pointer.buttons.clear();
    recognise(3);
    tickUntilStopped();
    EXPECT_EQ(pointer.buttons, (std::vector<B>{{MouseButton::Right, true}, {MouseButton::Right, false}}));
    recognise(4);
    EXPECT_FALSE(dispatch.MouseTimerEnabled());
}

// --- Web addresses ---------------------------------------------------------------

TEST_F(Dispatch, WebAddressOpensWithHttpInFrontAndFallsBackToTypingIntoTheBrowser)
{
    windows.windows = {{3, "Terminal", "xterm", true, false, 30}, {5, "News - Mozilla Firefox", "firefox", true, false, 50}};
    command(1, "news", "HTTPS://news.example/today");
    recognise(1);
    ASSERT_EQ(launcher.spawned.size(), 1u);
    EXPECT_EQ(launcher.spawned[0], (std::vector<std::string>{"xdg-open", "http://news.example/today"}));
    EXPECT_TRUE(keys.events().empty());

    launcher.exitCode = 4;  // the opener fails
    recognise(1);
    EXPECT_EQ(windows.foreground, 5u);
    // Ctrl+O, then the action typed, then Enter.
    ASSERT_GE(keys.events().size(), 4u);
    EXPECT_EQ(keys.events()[0].virtualKey, kVkControl);
    EXPECT_EQ(keys.events()[1].virtualKey, 'O');
    EXPECT_EQ(keys.events()[keys.events().size() - 2].virtualKey, 0x0D);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Dispatch, WebAddressWithoutBrowserWindowOrProgramSaysSo)
{
    command(1, "news", "http://news.example/");
    recognise(1);
    EXPECT_EQ(shell.messages, (std::vector<std::string>{kNoBrowserMessage}));
    EXPECT_TRUE(launcher.spawned.empty());
}

TEST_F(Dispatch, WebAddressWithABrowserProgramThatCannotOpenIt)
{
    TGoToWeb web(launcher, webRoots(true));
    RecognitionDispatch withBrowser({engine, shell, sendKeys, appExe, urlStuff, web, windows, pointer, sound,
                                     launcher, finder});
    command(1, "news", "http://news.example/");
    EngineTestAccess::recognised(engine, 1, 90);
    withBrowser.VREngine321Recognition(engine);
    EXPECT_EQ(launcher.spawned.size(), 1u);
    EXPECT_TRUE(shell.messages.empty());

    launcher.nextSpawn = {0, ENOENT};
    withBrowser.VREngine321Recognition(engine);
    EXPECT_EQ(shell.messages, (std::vector<std::string>{kBrowserStartMessage}));
}

// --- Programs -----------------------------------------------------------------

TEST_F(Dispatch, ProgramStartedOnceIsBroughtToTheFrontWhileItsWindowIsOpen)
{
    const std::string program = dir.write("apps/editor", "#!/bin/sh\n", 0755);
    command(9, "editor", "!" + program);
    launcher.nextSpawn = {4242, 0};
    recognise(9);
    ASSERT_EQ(launcher.spawned.size(), 1u);
    // The program of that folder by its full path, never a namesake along PATH.
    EXPECT_EQ(launcher.spawned[0], (std::vector<std::string>{program}));
    EXPECT_EQ(dispatch.launchRecord(9).processId, 4242);
    EXPECT_EQ(dispatch.launchRecord(9).fileName, "editor");

    // A window without a process id must not pass for another command's program.
    windows.windows = {{11, "No pid", "x", true, false, 0}, {12, "Editor", "Editor", true, true, 4242}};
    recognise(9);
    EXPECT_EQ(launcher.spawned.size(), 1u);
    EXPECT_EQ(windows.foreground, 12u);
    EXPECT_FALSE(windows.windows[1].minimised);  // restored

    command(10, "other", "!" + program);
    recognise(10);
    EXPECT_EQ(launcher.spawned.size(), 2u);

    windows.windows.pop_back();  // the editor was closed
    recognise(9);
    EXPECT_EQ(launcher.spawned.size(), 3u);
}

TEST_F(Dispatch, ADesktopWithoutWindowListStartsTheProgramAgainEachTime)
{
    // Desktops that give programs no window list (the portal back end):
    // nothing to switch to, so the program is started again, and the
    // foreground is left alone.
    const std::string program = dir.write("apps/editor", "#!/bin/sh\n", 0755);
    command(9, "editor", "!" + program);
    launcher.nextSpawn = {4242, 0};
    recognise(9);
    launcher.nextSpawn = {4343, 0};
    recognise(9);
    EXPECT_EQ(launcher.spawned.size(), 2u);
    EXPECT_EQ(dispatch.launchRecord(9).processId, 4343);
    EXPECT_EQ(windows.foreground, 0u);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Dispatch, ExplorerIsStartedEveryTime)
{
    const std::string folder = dir.path() + "/win/";
    dir.write("win/EXPLORER.EXE", "", 0755);
    command(1, "explorer", "!" + folder + "EXPLORER.EXE");
    recognise(1);
    windows.windows = {{12, "Files", "Explorer", true, false, 4242}};
    recognise(1);
    EXPECT_EQ(launcher.spawned.size(), 2u);
}

TEST_F(Dispatch, ProgramWithoutFolderIsSearchedOnceAndTheActionRewritten)
{
    dir.write("disk1/tools/old/notepad", "", 0755);
    const std::string chosen = dir.write("disk2/notepad", "", 0755);
    finderUi.answers = {false};
    finderUi.choice = 1;
    command(4, " Notepad ", "!notepad");
    recognise(4);
    EXPECT_EQ(finderUi.progress, (std::vector<std::string>{kFirstSearchText}));
    EXPECT_EQ(actionOf(4), "!" + chosen);
    EXPECT_TRUE(shell.tableChanged);
    ASSERT_EQ(launcher.spawned.size(), 1u);

    finderUi.progress.clear();
    recognise(4);
    EXPECT_TRUE(finderUi.progress.empty());
    EXPECT_EQ(launcher.spawned.size(), 2u);
}

TEST_F(Dispatch, ProgramFoundNowhereStartsNothingAndKeepsTheAction)
{
    command(4, "calc", "!C:\\CALC.EXE");
    recognise(4);
    EXPECT_EQ(finderUi.messages,
              (std::vector<std::string>{
                  "I'm sorry, but we can not find CALC.EXE on your system. Please edit voice command!"}));
    EXPECT_EQ(actionOf(4), "!C:\\CALC.EXE");
    EXPECT_FALSE(shell.tableChanged);
    EXPECT_TRUE(launcher.spawned.empty());
}

TEST_F(Dispatch, ProgramThatCannotStartIsReportedWithTheTrimmedPhrase)
{
    command(2, "  Word Processor ", "!/no/such/folder/WRITE.EXE");
    recognise(2);
    EXPECT_EQ(shell.messages,
              (std::vector<std::string>{"Problems with Word Processor voice command. Please edit voice command and "
                                        "correct possible errors!"}));
    EXPECT_EQ(dispatch.launchRecord(2), LaunchRecord{});
}

TEST_F(Dispatch, CurrentFolderIsRestoredAfterTheAction)
{
    const std::filesystem::path before = std::filesystem::current_path();
    const std::string doc = dir.write("docs/letter.txt", "Dear");
    // An opener that leaves the process somewhere else.
    launcher.onSpawn = [] { std::filesystem::current_path("/"); };
    command(1, "letter", "!" + doc);
    recognise(1);
    EXPECT_EQ(launcher.spawned.size(), 1u);
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST_F(Dispatch, SoundFileIsPlayedAndADocumentOpened)
{
    const std::string wav = dir.write("sounds/DING.WAV", "RIFF-bytes");
    const std::string doc = dir.write("docs/letter.txt", "Dear");
    command(1, "ding", "!" + wav);
    command(2, "letter", "!" + doc);
    recognise(1);
    ASSERT_EQ(sound.waves.size(), 1u);
    EXPECT_EQ(std::string(sound.waves[0].begin(), sound.waves[0].end()), "RIFF-bytes");
    EXPECT_TRUE(launcher.spawned.empty());

    recognise(2);
    ASSERT_EQ(launcher.spawned.size(), 1u);
    EXPECT_EQ(launcher.spawned[0], (std::vector<std::string>{"xdg-open", doc}));
    EXPECT_TRUE(shell.messages.empty());

    // A sound that will not play says nothing; a document that will not open does.
    sound.result = false;
    recognise(1);
    launcher.exitCode = 2;
    recognise(2);
    EXPECT_EQ(shell.messages, (std::vector<std::string>{kActionErrorMessage}));
}

TEST_F(Dispatch, ListeningGoesOffAroundASoundAndComesBackWithMissesForgotten)
{
    shell.soundsPlayed = [this] { return sound.waves.size(); };
    shell.confidence = 80;
    const std::string wav = dir.write("sounds/DING.WAV", "RIFF-bytes");
    command(1, "ding", "!" + wav);
    command(2, "right", "{MOUSE RIGHT}");
    recognise(2);
    ASSERT_TRUE(dispatch.MouseTimerEnabled());
    recognise(2, 79);
    ASSERT_EQ(dispatch.missedCommands(), 1);

    recognise(1);
    EXPECT_EQ(shell.listening, (std::vector<std::string>{"off, 0", "on, 1"}));
    EXPECT_FALSE(dispatch.MouseTimerEnabled());
    EXPECT_EQ(dispatch.missedCommands(), 0);

    // Also when the file is missing or will not play.
    std::filesystem::remove(wav);
    recognise(1);
    sound.result = false;
    dir.write("sounds/DING.WAV", "RIFF-bytes");
    recognise(1);
    EXPECT_EQ(shell.listening, (std::vector<std::string>{"off, 0", "on, 1", "off, 1", "on, 1", "off, 1", "on, 2"}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Dispatch, OwnProgramShowsTheMainWindowFromTheTray)
{
    command(1, "larkspur", "!/usr/local/bin/larkspur");
    shell.tray = true;
    shell.plotting = true;
    recognise(1);
    EXPECT_FALSE(shell.tray);
    EXPECT_EQ(shell.plotShown, 1);
    EXPECT_EQ(shell.mainShown, 1);
    recognise(1);
    EXPECT_EQ(shell.restored, 1);
    EXPECT_TRUE(launcher.spawned.empty());
}

} // namespace
} // namespace larkspur
