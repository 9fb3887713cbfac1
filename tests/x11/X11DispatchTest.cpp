// The recognition dispatch on a real X server (run by run-x11-tests.sh): a
// program started by a voice command is brought to the front, not started
// again, the second time; "{MOUSE RIGHT}" runs the pointer to the last column.

#include <gtest/gtest.h>

#include "actions/ApplicationFinder.h"
#include "actions/DispatchShell.h"
#include "actions/HeadlessDispatchShell.h"
#include "actions/PosixProcessLauncher.h"
#include "actions/RecognitionDispatch.h"
#include "actions/TAppExec.h"
#include "actions/TGoToWeb.h"
#include "actions/TSendKey.h"
#include "actions/TURL.h"
#include "actions/TWindowsList.h"
#include "actions/X11Session.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/TVREngine32.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

namespace larkspur {

class EngineTestAccess {
public:
    static void recognised(TVREngine32& engine, int slot, int confidence)
    {
        engine.m_lastVC = slot;
        engine.m_lastConfidence = confidence;
    }
};

namespace {

bool eventually(const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}


class NoFinderUi : public FinderUi {
public:
    void showProgress(const std::string&) override {}
    void hideProgress() override {}
    bool askYesNo(const std::string&) override { return false; }
    void showMessage(const std::string&) override {}
    std::optional<std::string> chooseLocation(const std::vector<std::string>&) override { return std::nullopt; }
    void processEvents() override {}
};

class X11Dispatch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_THROW(session = X11Session::open()); }
    void TearDown() override
    {
        for (int64_t pid : started)
            ::kill(static_cast<pid_t>(pid), SIGTERM);
    }

    void recognise(int slot, const std::string& phrase, const std::string& action)
    {
        engine.setVCRecord(slot);
        engine.setVoiceCommand(phrase);
        engine.setCommandString(action);
        engine.UpdateVCRecord();
        EngineTestAccess::recognised(engine, slot, 90);
        dispatch->VREngine321Recognition(engine);
    }

    RecognitionDispatch& make()
    {
        dispatch = std::make_unique<RecognitionDispatch>(DispatchParts{
            engine, shell, *sendKeys, appExe, urlStuff, goToWeb, session->windows(), session->pointer(), sound,
            launcher, finder});
        return *dispatch;
    }

    std::vector<WindowId> windowsTitled(const std::string& title)
    {
        TWindowsList list(session->windows());
        list.Refresh();
        std::vector<WindowId> found;
        for (size_t i = 0; i < list.TheWindowsList().size(); ++i)
            if (list.TheWindowsList()[i].title == title)
                found.push_back(list.WindowHandle(i));
        return found;
    }

    std::unique_ptr<X11Session> session;
    TVREngine32 engine;
    HeadlessDispatchShell shell{75};
    PosixProcessLauncher launcher;
    TAppExec appExe{launcher};
    TURL urlStuff{launcher};
    TGoToWeb goToWeb{launcher, XdgRoots{}};
    SilentSoundPlayer sound;
    NoFinderUi finderUi;
    ApplicationFinder finder{finderUi, FinderRoots{}, {}};
    std::unique_ptr<TSendKey> sendKeys;
    std::unique_ptr<RecognitionDispatch> dispatch;
    std::vector<int64_t> started;
};

TEST_F(X11Dispatch, SecondRecognitionBringsTheStartedProgramToTheFrontInsteadOfStartingItAgain)
{
    sendKeys = std::make_unique<TSendKey>(session->keyboardLayout(), session->keyInjector(), &session->windows());
    make();
    const std::string title = "Larkspur launched window";
    recognise(1, "test window", std::string("!") + LARKSPUR_TEST_WINDOW);
    ASSERT_TRUE(shell.messages.empty()) << shell.messages.front();
    const int64_t pid = dispatch->launchRecord(1).processId;
    ASSERT_GT(pid, 0);
    started.push_back(pid);
    ASSERT_TRUE(eventually([&] { return windowsTitled(title).size() == 1; }));
    const WindowId window = windowsTitled(title).front();

    // Something else takes the front; the command brings its program back.
    session->windows().activate(0);
    recognise(1, "test window", std::string("!") + LARKSPUR_TEST_WINDOW);
    EXPECT_EQ(dispatch->launchRecord(1).processId, pid);
    EXPECT_TRUE(eventually([&] { return session->windows().foregroundWindow() == window; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(windowsTitled(title).size(), 1u);  // not started a second time
}

TEST_F(X11Dispatch, MouseRightRunsThePointerToTheLastColumn)
{
    sendKeys = std::make_unique<TSendKey>(session->keyboardLayout(), session->keyInjector(), &session->windows());
    make();
    PointerDevice& pointer = session->pointer();
    const ScreenPoint size = pointer.screenSize();
    pointer.setPosition({size.x - 40, 50});
    recognise(2, "mouse right", "{MOUSE RIGHT}");
    int ticks = 0;
    while (dispatch->MouseTimerEnabled() && ticks < 10000) {
        dispatch->MouseTimerTimer();
        ++ticks;
    }
    EXPECT_FALSE(dispatch->MouseTimerEnabled());
    EXPECT_EQ(pointer.position(), (ScreenPoint{size.x - 1, 50}));
}

} // namespace
} // namespace larkspur
