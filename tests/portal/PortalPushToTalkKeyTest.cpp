// The push-to-talk key through the global shortcuts portal, against the fake
// portal on a private bus: the shortcut asked for, one press and one release
// per hold whatever the desktop repeats, a release when the key goes away
// while held, and the refusals a user can meet.

#include "actions/PushToTalkKeySource.h"
#include "actions/portal/PortalPushToTalkKey.h"
#include "tests/portal/FakePortalTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace larkspur {
namespace {

using test::FakePortal;
using test::FakePortalConfig;
using namespace std::chrono_literals;

// What the key's reader thread reported, in order.
class Presses {
public:
    PushToTalkKey::Handler handler()
    {
        return [this](bool down) {
            std::lock_guard lock(m_mutex);
            m_seen.push_back(down);
            m_changed.notify_all();
        };
    }
    // The reports once there are `count` of them (or after two seconds).
    std::vector<bool> waitFor(size_t count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 2s, [&] { return m_seen.size() >= count; });
        return m_seen;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_seen;
};

class PortalPushToTalk : public test::FakePortalTest {
protected:
    void setUpWithBus() override
    {
        options.busAddress = busAddress();
        options.bindTimeout = 5s;
    }

    std::unique_ptr<PushToTalkKey> bind(FakePortalConfig config = {}, const std::string& key = "F9")
    {
        startPortal(config);
        return bindPortalPushToTalkKey(key, presses.handler(), error, options);
    }

    PortalShortcutOptions options;
    Presses presses;
    std::string error;
};

TEST_F(PortalPushToTalk, AsksForTheKeyAsOneShortcutAndReportsEachHoldOnce)
{
    auto key = bind();
    ASSERT_TRUE(key) << error;
    EXPECT_EQ(key->keyName(), "F9");
    const auto calls = portal->calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].member, "GlobalShortcuts.CreateSession");
    EXPECT_EQ(calls[1].member, "BindShortcuts");
    const std::string session = portal->shortcutSession();
    EXPECT_EQ(calls[1].path, session);
    EXPECT_EQ(calls[1].options.at("push-to-talk.preferred_trigger"), "F9");
    EXPECT_NE(calls[1].options.at("push-to-talk.description").find("Larkspur QTX 98"), std::string::npos);
    EXPECT_NE(calls[0].options.at("handle_token"), calls[1].options.at("handle_token"));

    // The desktop repeats a held key's activation; another program's session
    // and another shortcut of this one are not the key.
    portal->sendShortcut(session, "push-to-talk", true);
    portal->sendShortcut(session, "push-to-talk", true);
    portal->sendShortcut("/org/freedesktop/portal/desktop/session/1_1/other", "push-to-talk", false);
    portal->sendShortcut(session, "something-else", false);
    portal->sendShortcut(session, "push-to-talk", false);
    portal->sendShortcut(session, "push-to-talk", false);
    portal->sendShortcut(session, "push-to-talk", true);
    EXPECT_EQ(presses.waitFor(3), (std::vector<bool>{true, false, true}));

    // Going away while held releases the key, and ends the shortcut's session.
    key.reset();
    EXPECT_EQ(presses.waitFor(4), (std::vector<bool>{true, false, true, false}));
    const auto closes = portal->calls("Session.Close");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].path, session);
}

TEST_F(PortalPushToTalk, TheDesktopEndingTheSessionReleasesAHeldKey)
{
    auto key = bind();
    ASSERT_TRUE(key) << error;
    portal->sendShortcut(portal->shortcutSession(), "push-to-talk", true);
    ASSERT_EQ(presses.waitFor(1), std::vector<bool>{true});
    portal->closeShortcutSessionFromDesktop();
    EXPECT_EQ(presses.waitFor(2), (std::vector<bool>{true, false}));
    key.reset();
    // Released once only, and a session the desktop ended is not closed again.
    EXPECT_EQ(presses.waitFor(0).size(), 2u);
    EXPECT_TRUE(portal->calls("Session.Close").empty());
}

TEST_F(PortalPushToTalk, RefusalsSayWhatToDoInstead)
{
    FakePortalConfig noPortal;
    noPortal.globalShortcuts = false;
    EXPECT_FALSE(bind(noPortal));
    EXPECT_NE(error.find("no global shortcuts portal"), std::string::npos) << error;
    EXPECT_NE(error.find("larkspur --push-to-talk press"), std::string::npos) << error;

    FakePortalConfig refused;
    refused.bindResponse = 1;
    error.clear();
    EXPECT_FALSE(bind(refused));
    EXPECT_NE(error.find("You did not allow Larkspur QTX 98 the push-to-talk shortcut"), std::string::npos) << error;
    // The half-made session is not left behind.
    ASSERT_EQ(portal->calls("Session.Close").size(), 1u);
    EXPECT_EQ(portal->calls("Session.Close")[0].path, portal->shortcutSession());

    FakePortalConfig silent;
    silent.answerBind = false;
    options.bindTimeout = 200ms;
    error.clear();
    EXPECT_FALSE(bind(silent));
    EXPECT_NE(error.find("did not answer"), std::string::npos) << error;

    error.clear();
    EXPECT_FALSE(bind({}, "NoSuchKey"));
    EXPECT_NE(error.find("is not a key name"), std::string::npos) << error;
    EXPECT_TRUE(portal->calls().empty());  // nothing asked of the desktop
    EXPECT_TRUE(presses.waitFor(0).empty());
}

// In a Wayland session the key goes to the portal on the user's session bus.
TEST_F(PortalPushToTalk, AWaylandSessionWatchesTheKeyThroughThePortal)
{
    ASSERT_TRUE(startPortal().ready());
    std::unique_ptr<PushToTalkKey> key;
    {
        const test::ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", busAddress());
        const test::ScopedEnvironment wayland("WAYLAND_DISPLAY", "wayland-for-this-test");
        key = watchPushToTalkKey("Pause", presses.handler(), error);
    }
    ASSERT_TRUE(key) << error;
    ASSERT_EQ(portal->calls("BindShortcuts").size(), 1u);
    EXPECT_EQ(portal->calls("BindShortcuts")[0].options.at("push-to-talk.preferred_trigger"), "Pause");
}

} // namespace
} // namespace larkspur
