// The portal back end against a fake portal on a private bus: the request and
// response handshake, consent refused or never given, the restore token, and
// the encoding of keysym and pointer calls as the portal receives them.

#include "actions/TSendKey.h"
#include "cli/DesktopCommand.h"
#include "actions/portal/PortalDesktopSession.h"
#include "tests/portal/FakePortalTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

namespace larkspur {
namespace {

using test::FakePortal;
using test::FakePortalConfig;
using namespace std::chrono_literals;
using Keys = std::vector<std::pair<int, int>>;

class PortalSession : public test::FakePortalTest {
protected:
    void setUpWithBus() override
    {
        options.busAddress = busAddress();
        options.warmUp = 0ms;
        options.consentTimeout = 5s;
        options.onAskingConsent = [this](const std::string& line) { asked.push_back(line); };
        options.onRestoreToken = [this](const std::string& token) { storedToken = token; };
        TSendKey::clearPendingModifiers();
    }

    std::unique_ptr<PortalDesktopSession> open(FakePortalConfig config = {})
    {
        startPortal(config);
        return openPortalDesktopSession(options, whyNot);
    }

    std::vector<std::string> members() const
    {
        std::vector<std::string> out;
        for (const auto& call : portal->calls())
            out.push_back(call.member);
        return out;
    }

    PortalOptions options;
    std::string whyNot;
    std::vector<std::string> asked;
    std::optional<std::string> storedToken;
};

TEST_F(PortalSession, StartsOneSessionThroughTheRequestHandshake)
{
    auto session = open();
    ASSERT_TRUE(session) << whyNot;
    EXPECT_EQ(members(), (std::vector<std::string>{"CreateSession", "SelectDevices", "SelectSources", "Start",
                                                   "NotifyKeyboardKeysym", "NotifyKeyboardKeysym",
                                                   "NotifyPointerMotion"}));
    // Each request carries its own token; every step names the one session.
    std::set<std::string> tokens;
    const auto calls = portal->calls();
    for (size_t i = 0; i < 4; ++i) {
        tokens.insert(calls[i].options.at("handle_token"));
        if (i > 0) {
            EXPECT_EQ(calls[i].path, calls[1].path);
        }
    }
    EXPECT_EQ(tokens.size(), 4u);
    EXPECT_EQ(calls[1].options.at("types"), "3");
    EXPECT_EQ(calls[2].options.at("types"), "1");
    EXPECT_EQ(calls[2].options.at("multiple"), "false");
    // The warm-up is a harmless Shift, pressed and released, and a motion by nothing.
    EXPECT_EQ(portal->keysyms(), (Keys{{0xFFE1, 1}, {0xFFE1, 0}}));
    EXPECT_EQ(portal->calls("NotifyPointerMotion").at(0).arguments, (std::vector<double>{0, 0}));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("allow Larkspur QTX 98 to control the keyboard and mouse"), std::string::npos);

    EXPECT_EQ(session->backEndName(), "portal");
    const DesktopCapabilities caps = session->capabilities();
    EXPECT_TRUE(caps.keys && caps.pointerMove && caps.pointerButtons);
    EXPECT_FALSE(caps.anyCharacter);
    EXPECT_FALSE(caps.windowList || caps.windowActivate || caps.windowProcessIds);
    EXPECT_TRUE(session->windows().topLevelWindows().empty());
    EXPECT_EQ(session->windows().foregroundWindow(), 0u);
    EXPECT_EQ(session->pointer().screenSize(), (ScreenPoint{1280, 720}));
}

TEST_F(PortalSession, RestoreTokenIsPassedAndReplacedAfterTheStart)
{
    options.restoreToken = "token-1";
    auto session = open();
    ASSERT_TRUE(session) << whyNot;
    const auto select = portal->calls("SelectDevices");
    ASSERT_EQ(select.size(), 1u);
    EXPECT_EQ(select[0].options.at("persist_mode"), "2");
    EXPECT_EQ(select[0].options.at("restore_token"), "token-1");
    EXPECT_EQ(session->restoreToken(), "token-2");
    EXPECT_EQ(storedToken, "token-2");
    EXPECT_NE(session->notice().find("remembers"), std::string::npos);
}

TEST_F(PortalSession, BackEndEntryKeepsTheTokenAndShowsConsentThroughTheProgram)
{
    // What the program offers: a store of values across starts and a status line.
    std::map<std::string, std::string> kept{{kPortalRestoreTokenKey, "token-1"}};
    std::vector<std::string> status;
    DesktopHost host;
    host.load = [&](const std::string& key) { return kept.contains(key) ? kept.at(key) : std::string(); };
    host.store = [&](const std::string& key, const std::string& value) { kept[key] = value; };
    host.showStatus = [&](const std::string& line) { status.push_back(line); };
    host.screenSize = ScreenPoint{800, 600};

    FakePortalConfig config;
    config.screenCast = false;  // the pointer then works on the program's screen size
    ASSERT_TRUE(startPortal(config).ready());
    PortalOptions base = options;
    base.onAskingConsent = nullptr;
    base.onRestoreToken = nullptr;
    const DesktopBackEndEntry entry = portalBackEnd(base);
    EXPECT_EQ(entry.name, "portal");

    DesktopFacts facts;
    facts.x11Display = ":0";
    EXPECT_EQ(entry.passOver(facts), "not a Wayland session (WAYLAND_DISPLAY is not set)");
    facts.waylandDisplay = "wayland-0";
    EXPECT_EQ(entry.passOver(facts), std::nullopt);

    std::unique_ptr<DesktopSession> session = entry.open(host, whyNot);
    ASSERT_TRUE(session) << whyNot;
    EXPECT_EQ(session->backEndName(), "portal");
    EXPECT_EQ(portal->calls("SelectDevices").at(0).options.at("restore_token"), "token-1");
    EXPECT_EQ(kept, (std::map<std::string, std::string>{{kPortalRestoreTokenKey, "token-2"}}));
    ASSERT_EQ(status.size(), 1u);
    EXPECT_NE(status[0].find("allow Larkspur QTX 98 to control the keyboard and mouse"), std::string::npos);
    EXPECT_EQ(session->pointer().screenSize(), (ScreenPoint{800, 600}));
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(storedToken.has_value());
}

TEST_F(PortalSession, AnOlderPortalIsNeitherAskedToRememberNorGivesAToken)
{
    FakePortalConfig config;
    config.version = 1;
    options.restoreToken = "token-1";
    auto session = open(config);
    ASSERT_TRUE(session) << whyNot;
    const auto select = portal->calls("SelectDevices");
    ASSERT_EQ(select.size(), 1u);
    EXPECT_FALSE(select[0].options.contains("persist_mode"));
    EXPECT_FALSE(select[0].options.contains("restore_token"));
    EXPECT_EQ(session->restoreToken(), "");
    EXPECT_EQ(storedToken, "");  // the old token is replaced by nothing
    EXPECT_NE(session->notice().find("at every start"), std::string::npos);
}

TEST_F(PortalSession, RefusedConsentIsACleanErrorAndClosesTheSession)
{
    FakePortalConfig config;
    config.startResponse = 1;
    auto session = open(config);
    EXPECT_FALSE(session);
    EXPECT_NE(whyNot.find("You did not allow Larkspur QTX 98 to control the keyboard and mouse"), std::string::npos)
        << whyNot;
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_TRUE(portal->keysyms().empty());
    EXPECT_EQ(portal->calls("Session.Close").size(), 1u);
    EXPECT_FALSE(storedToken.has_value());  // nothing started: the stored token stays
}

TEST_F(PortalSession, ConsentNeverGivenEndsAfterTheTimeoutOrAtCloseAndWithdrawsTheRequest)
{
    FakePortalConfig config;
    config.answerStart = false;
    options.consentTimeout = 300ms;
    auto session = open(config);
    EXPECT_FALSE(session);
    EXPECT_NE(whyNot.find("did not answer"), std::string::npos) << whyNot;
    const auto start = portal->calls("Start");
    const auto closed = portal->calls("Request.Close");
    ASSERT_EQ(start.size(), 1u);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].path.substr(closed[0].path.rfind('/') + 1), start[0].options.at("handle_token"));

    // The program closing while the desktop still asks ends the wait as
    // soon, long before the time the user has to answer.
    options.consentTimeout = 60s;
    const auto asked = std::chrono::steady_clock::now();
    options.cancelled = [asked] { return std::chrono::steady_clock::now() - asked > 200ms; };
    EXPECT_FALSE(open(config));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
    EXPECT_EQ(portal->calls("Request.Close").size(), 1u);
}

TEST_F(PortalSession, NoPortalOnTheBusIsSaidPlainly)
{
    auto session = openPortalDesktopSession(options, whyNot);
    EXPECT_FALSE(session);
    EXPECT_NE(whyNot.find("no remote-control portal"), std::string::npos) << whyNot;
}

TEST_F(PortalSession, KeystrokesArriveAsPairedKeysymsAndHeldKeysAreReleasedAtTheEnd)
{
    auto session = open();
    ASSERT_TRUE(session) << whyNot;
    TSendKey sender(session->keyboardLayout(), session->keyInjector(), &session->windows());
    const size_t warmUp = portal->keysyms().size();
    sender.SendKeys("^s\xE9\x80");
    const Keys all = portal->keysyms();
    const Keys typed(all.begin() + static_cast<long>(warmUp), all.end());
    EXPECT_EQ(typed, (Keys{{0xFFE3, 1}, {'s', 1}, {'s', 0}, {0xFFE3, 0}, {0xE9, 1}, {0xE9, 0},
                           {0x10020AC, 1}, {0x10020AC, 0}}));
    for (const auto& call : portal->calls("NotifyKeyboardKeysym"))
        EXPECT_TRUE(call.options.empty());

    // A key left down is let go before the session closes.
    session->keyInjector().injectKey({kVkShift, 0, 0});
    session.reset();
    const auto calls = portal->calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2].member, "NotifyKeyboardKeysym");
    EXPECT_EQ(calls[calls.size() - 2].arguments, (std::vector<double>{0xFFE1, 0}));
    EXPECT_EQ(calls.back().member, "Session.Close");
    EXPECT_EQ(calls.back().path, portal->calls("SelectDevices").at(0).path);
}

TEST_F(PortalSession, AKeysymThePortalRefusesReleasesWhatIsHeld)
{
    FakePortalConfig config;
    config.failingKeysym = 'q';
    auto session = open(config);
    ASSERT_TRUE(session) << whyNot;
    TSendKey sender(session->keyboardLayout(), session->keyInjector());
    const size_t warmUp = portal->keysyms().size();
    sender.SendKeys("@q");
    const Keys all = portal->keysyms();
    const Keys typed(all.begin() + static_cast<long>(warmUp), all.end());
    EXPECT_EQ(typed, (Keys{{0xFFE9, 1}, {0xFFE9, 0}}));
}

TEST_F(PortalSession, PointerCallsUseTheStreamOrRelativeSteps)
{
    auto session = open();
    ASSERT_TRUE(session) << whyNot;
    PointerDevice& pointer = session->pointer();
    pointer.setPosition({100, 200});
    pointer.button(MouseButton::Left, true);
    pointer.button(MouseButton::Left, false);
    pointer.button(MouseButton::Right, true);
    pointer.button(MouseButton::Right, false);
    const auto moves = portal->calls("NotifyPointerMotionAbsolute");
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].arguments, (std::vector<double>{44, 100, 200}));
    const auto buttons = portal->calls("NotifyPointerButton");
    ASSERT_EQ(buttons.size(), 4u);
    EXPECT_EQ(buttons[0].arguments, (std::vector<double>{272, 1}));
    EXPECT_EQ(buttons[1].arguments, (std::vector<double>{272, 0}));
    EXPECT_EQ(buttons[2].arguments, (std::vector<double>{273, 1}));
    EXPECT_EQ(buttons[3].arguments, (std::vector<double>{273, 0}));
    session.reset();

    // No screen cast: relative moves, and the capabilities say moves are not exact.
    FakePortalConfig config;
    config.screenCast = false;
    options.fallbackScreenSize = {1000, 500};
    session = open(config);
    ASSERT_TRUE(session) << whyNot;
    EXPECT_EQ(portal->calls("SelectSources").size(), 0u);
    EXPECT_FALSE(session->capabilities().pointerMove);
    EXPECT_TRUE(session->capabilities().pointerButtons);
    EXPECT_EQ(session->pointer().screenSize(), (ScreenPoint{1000, 500}));
    session->pointer().setPosition({30, 40});
    const auto steps = portal->calls("NotifyPointerMotion");
    ASSERT_EQ(steps.size(), 3u);  // after the warm-up
    EXPECT_EQ(steps[1].arguments, (std::vector<double>{-2000, -1000}));
    EXPECT_EQ(steps[2].arguments, (std::vector<double>{30, 40}));
}

TEST_F(PortalSession, ASessionTheDesktopEndsSendsNothingMoreAndSaysSo)
{
    auto session = open();
    ASSERT_TRUE(session) << whyNot;
    portal->closeSessionFromDesktop();
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (session->notice().find("ended") == std::string::npos && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_NE(session->notice().find("The desktop ended the remote control"), std::string::npos);
    const size_t before = portal->calls().size();
    TSendKey sender(session->keyboardLayout(), session->keyInjector());
    sender.SendKeys("abc");
    session->pointer().button(MouseButton::Left, true);
    session.reset();
    EXPECT_EQ(portal->calls().size(), before);  // no keys, no click, no Close of a closed session
}

// larkspur-cli on such a desktop says on its error stream, at once, that the
// desktop waits for the user, and then which back end it uses.
TEST_F(PortalSession, TheCommandLineToolSaysWhenTheDesktopAsksForConsent)
{
    ASSERT_TRUE(startPortal().ready());
    const test::ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", busAddress());
    const test::ScopedEnvironment wayland("WAYLAND_DISPLAY", "no-such-wayland-display");
    const test::ScopedEnvironment x11("DISPLAY", std::nullopt);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::desktopCommand({}, out, err), 0) << err.str();
    EXPECT_NE(err.str().find("Waiting for the desktop: allow Larkspur QTX 98"), std::string::npos) << err.str();
    EXPECT_NE(out.str().find("back end: portal"), std::string::npos) << out.str();
}

} // namespace
} // namespace larkspur
