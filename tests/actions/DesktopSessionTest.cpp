// Choosing the desktop back end for every kind of session, falling through
// when one cannot be opened, and the action services built on the choice.

#include "actions/ActionServices.h"
#include "actions/RecognitionDispatch.h"
#include "actions/TSendKey.h"
#include "actions/X11Session.h"
#include "cli/CommandLine.h"
#include "cli/DesktopCommand.h"
#include "tests/actions/Fakes.h"

#include <gtest/gtest.h>

#include <sstream>

namespace larkspur {
namespace {

const std::vector<std::string> kWlrootsGlobals = {"wl_compositor", "wl_seat", "zwp_virtual_keyboard_manager_v1",
                                                  "zwlr_virtual_pointer_manager_v1",
                                                  "zwlr_foreign_toplevel_manager_v1"};

DesktopFacts x11Session()
{
    DesktopFacts f;
    f.sessionType = "x11";
    f.x11Display = ":0";
    return f;
}

DesktopFacts waylandSession(std::vector<std::string> globals, bool xwayland)
{
    DesktopFacts f;
    f.sessionType = "wayland";
    f.waylandDisplay = "wayland-0";
    f.waylandReachable = true;
    f.waylandGlobals = std::move(globals);
    if (xwayland)
        f.x11Display = ":1";
    return f;
}

using Candidates = std::vector<DesktopBackEnd>;

bool mentions(const std::vector<std::string>& lines, const std::string& start, const std::string& part)
{
    for (const std::string& l : lines)
        if (l.rfind(start, 0) == 0 && l.find(part) != std::string::npos)
            return true;
    return false;
}

TEST(DesktopPlan, EachKindOfSessionGetsItsBackEndsInOrder)
{
    EXPECT_EQ(planDesktopSession(x11Session()).candidates, Candidates{DesktopBackEnd::X11});

    // sway, Hyprland, labwc: their own protocols first, then the portal, then XWayland.
    EXPECT_EQ(planDesktopSession(waylandSession(kWlrootsGlobals, true)).candidates,
              (Candidates{DesktopBackEnd::Wlroots, DesktopBackEnd::Portal, DesktopBackEnd::XWayland}));
    EXPECT_EQ(planDesktopSession(waylandSession(kWlrootsGlobals, false)).candidates,
              (Candidates{DesktopBackEnd::Wlroots, DesktopBackEnd::Portal}));

    // GNOME and KDE offer no virtual keyboard to clients.
    const DesktopPlan gnome = planDesktopSession(waylandSession({"wl_compositor", "wl_seat", "xdg_wm_base"}, true));
    EXPECT_EQ(gnome.candidates, (Candidates{DesktopBackEnd::Portal, DesktopBackEnd::XWayland}));
    EXPECT_TRUE(mentions(gnome.passedOver, "wlroots: ",
                         "zwp_virtual_keyboard_manager_v1 and zwlr_virtual_pointer_manager_v1"));
    EXPECT_TRUE(mentions(gnome.passedOver, "X11: ", "WAYLAND_DISPLAY is set"));

    // A virtual keyboard without a virtual pointer is not the wlroots set.
    const DesktopPlan half = planDesktopSession(
        waylandSession({"wl_seat", "zwp_virtual_keyboard_manager_v1"}, false));
    EXPECT_EQ(half.candidates, Candidates{DesktopBackEnd::Portal});
    EXPECT_TRUE(mentions(half.passedOver, "wlroots: ", "zwlr_virtual_pointer_manager_v1"));
    EXPECT_FALSE(mentions(half.passedOver, "wlroots: ", "zwp_virtual_keyboard_manager_v1"));
    EXPECT_TRUE(mentions(half.passedOver, "XWayland: ", "DISPLAY is not set"));
}

TEST(DesktopPlan, UnclearOrMissingDisplaysAreNamedInTheReasons)
{
    DesktopFacts unreachable = waylandSession({}, true);
    unreachable.waylandReachable = false;
    const DesktopPlan p = planDesktopSession(unreachable);
    EXPECT_EQ(p.candidates, (Candidates{DesktopBackEnd::Portal, DesktopBackEnd::XWayland}));
    EXPECT_TRUE(mentions(p.passedOver, "wlroots: ", "cannot connect to the Wayland display \"wayland-0\""));

    // A Wayland session whose display variable got lost: DISPLAY can only be XWayland.
    DesktopFacts lost = x11Session();
    lost.sessionType = "wayland";
    EXPECT_EQ(planDesktopSession(lost).candidates, Candidates{DesktopBackEnd::XWayland});

    const DesktopPlan none = planDesktopSession(DesktopFacts{});
    EXPECT_TRUE(none.candidates.empty());
    EXPECT_EQ(none.passedOver.size(), 3u);
    EXPECT_TRUE(mentions(none.passedOver, "X11: ", "DISPLAY is not set"));
}

// A session that only says who it is.
class NamedSession : public DesktopSession {
public:
    explicit NamedSession(std::string name) : m_name(std::move(name)) {}
    std::string backEndName() const override { return m_name; }
    DesktopCapabilities capabilities() const override
    {
        DesktopCapabilities c;
        c.keys = c.pointerMove = c.pointerButtons = true;
        return c;
    }
    KeyboardLayout& keyboardLayout() override { return layout; }
    KeyInjector& keyInjector() override { return keys; }
    WindowSystem& windows() override { return windowSystem; }
    PointerDevice& pointer() override { return mouse; }

    UsKeyboardLayout layout;
    RecordingKeyInjector keys;
    test::FakeWindowSystem windowSystem;
    test::FakePointer mouse;

private:
    std::string m_name;
};

struct OpenerLog {
    std::vector<std::string> tried;
    DesktopOpener failing(const std::string& name, const std::string& why)
    {
        return [this, name, why](std::string& whyNot) -> std::unique_ptr<DesktopSession> {
            tried.push_back(name);
            whyNot = why;
            return nullptr;
        };
    }
    DesktopOpener working(const std::string& name)
    {
        return [this, name](std::string&) -> std::unique_ptr<DesktopSession> {
            tried.push_back(name);
            return std::make_unique<NamedSession>(name);
        };
    }
};

TEST(OpenDesktopSession, FirstBackEndThatOpensWinsAndTheOthersSayWhy)
{
    OpenerLog log;
    DesktopOpeners openers;
    openers.x11 = log.working("X11");
    openers.wlroots = log.failing("wlroots", "the compositor refused the virtual keyboard or pointer");
    openers.portal = log.working("portal");
    openers.xwayland = log.working("XWayland");
    const OpenedDesktop opened = openDesktopSession(waylandSession(kWlrootsGlobals, true), openers);
    ASSERT_TRUE(opened.session);
    EXPECT_EQ(opened.session->backEndName(), "portal");
    EXPECT_EQ(log.tried, (std::vector<std::string>{"wlroots", "portal"}));
    EXPECT_TRUE(opened.failure.empty());
    EXPECT_TRUE(mentions(opened.notes, "wlroots: ", "refused"));
}

TEST(OpenDesktopSession, NothingWorkingGivesOneMessage)
{
    OpenerLog log;
    DesktopOpeners openers;
    openers.x11 = log.failing("X11", "X display refused");
    openers.wlroots = log.failing("wlroots", "no");
    openers.portal = log.failing("portal", "the user said no");
    openers.xwayland = log.failing("XWayland", "no XTEST");

    const OpenedDesktop wayland = openDesktopSession(waylandSession({}, true), openers);
    EXPECT_FALSE(wayland.session);
    EXPECT_EQ(wayland.failure, kNoDesktopBackEndMessage);
    EXPECT_TRUE(mentions(wayland.notes, "portal: ", "the user said no"));
    EXPECT_TRUE(mentions(wayland.notes, "XWayland: ", "no XTEST"));

    // Outside Wayland the X display's own complaint is the message.
    EXPECT_EQ(openDesktopSession(x11Session(), openers).failure, "X display refused");
    EXPECT_EQ(openDesktopSession(DesktopFacts{}, openers).failure, kNoDisplayMessage);
    EXPECT_EQ(log.tried, (std::vector<std::string>{"portal", "XWayland", "X11"}));
}

ActionServices::Options servicesWith(std::function<OpenedDesktop()> open, test::FakeLauncher& launcher)
{
    ActionServices::Options o;
    o.launcher = &launcher;
    o.openDesktop = std::move(open);
    return o;
}

TEST(ActionServices, KeysGoToTheOpenedDesktopOrToTheRecorder)
{
    test::FakeLauncher launcher;
    NamedSession* session = nullptr;
    ActionServices real(servicesWith(
                            [&] {
                                OpenedDesktop d;
                                auto s = std::make_unique<NamedSession>("wlroots");
                                session = s.get();
                                d.session = std::move(s);
                                return d;
                            },
                            launcher));
    TSendKey::clearPendingModifiers();
    real.sendKeys().SendKeys("a");
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->keys.events().size(), 2u);
    EXPECT_TRUE(real.recordedKeys().events().empty());
    EXPECT_EQ(&real.pointer(), &session->mouse);
    EXPECT_EQ(&real.windows(), &session->windowSystem);

    bool asked = false;
    ActionServices::Options dry = servicesWith(
        [&] {
            asked = true;
            return OpenedDesktop{};
        },
        launcher);
    dry.recordingDesktop = true;
    ActionServices recording(dry);
    EXPECT_FALSE(asked) << "a dry run must not look for the desktop";
    recording.sendKeys().SendKeys("a");
    EXPECT_EQ(recording.recordedKeys().events().size(), 2u);
    EXPECT_TRUE(recording.recording());
}

TEST(ActionServices, MissingDesktopIsReportedOnceAtTheFirstKeyOrMouseAction)
{
    test::FakeLauncher launcher;
    ActionServices services(servicesWith(
        [] {
            OpenedDesktop d;
            d.failure = "no desktop here";
            return d;
        },
        launcher));
    EXPECT_TRUE(services.recording());
    DispatchReport program;
    program.accepted = true;
    program.kind = ActionKind::Program;
    DispatchReport rejected;
    rejected.kind = ActionKind::Keystroke;
    DispatchReport keys;
    keys.accepted = true;
    keys.kind = ActionKind::Keystroke;
    DispatchReport mouse = keys;
    mouse.kind = ActionKind::Mouse;

    EXPECT_FALSE(services.missingDesktopReport(program));
    EXPECT_FALSE(services.missingDesktopReport(rejected));
    EXPECT_EQ(services.missingDesktopReport(mouse), "no desktop here");
    EXPECT_FALSE(services.missingDesktopReport(keys));
    EXPECT_FALSE(services.missingDesktopReport(mouse));

    // A dry run has nothing missing to report.
    ActionServices::Options dry = servicesWith(nullptr, launcher);
    dry.recordingDesktop = true;
    ActionServices recording(dry);
    EXPECT_FALSE(recording.missingDesktopReport(keys));
}

TEST(DesktopCommand, ReportSaysBackEndCapabilitiesAndWhyNotTheOthers)
{
    OpenedDesktop opened;
    opened.session = std::make_unique<NamedSession>("wlroots");
    opened.notes = {"X11: this is a Wayland session (WAYLAND_DISPLAY is set)"};
    const std::string text = cli::describeDesktop(opened);
    EXPECT_EQ(text.rfind("back end: wlroots\n", 0), 0u) << text;
    EXPECT_NE(text.find("  keystrokes: yes\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  window list: no\n"), std::string::npos) << text;
    EXPECT_NE(text.find("not used:\n  X11: this is a Wayland session"), std::string::npos) << text;

    OpenedDesktop none;
    none.failure = kNoDisplayMessage;
    EXPECT_EQ(cli::describeDesktop(none), std::string("back end: none\n  ") + kNoDisplayMessage + "\n");

    std::ostringstream out, err;
    EXPECT_THROW(cli::desktopCommand({"extra"}, out, err), cli::UsageError);
    EXPECT_THROW(cli::desktopCommand({"--bogus"}, out, err), cli::UsageError);
}

} // namespace
} // namespace larkspur
