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

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <set>
#include <sstream>
#include <thread>

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

using Names = std::vector<std::string>;

Names names(const std::vector<DesktopBackEndEntry>& entries)
{
    Names out;
    for (const DesktopBackEndEntry& e : entries)
        out.push_back(e.name);
    return out;
}

Names candidates(const DesktopFacts& facts)
{
    return names(planDesktopSession(facts).candidates);
}

bool mentions(const std::vector<std::string>& lines, const std::string& start, const std::string& part)
{
    for (const std::string& l : lines)
        if (l.rfind(start, 0) == 0 && l.find(part) != std::string::npos)
            return true;
    return false;
}

TEST(DesktopPlan, EachKindOfSessionGetsItsBackEndsInOrder)
{
    EXPECT_EQ(candidates(x11Session()), Names{"X11"});

    // sway, Hyprland, labwc: their own protocols first, then the portal, then XWayland.
    EXPECT_EQ(candidates(waylandSession(kWlrootsGlobals, true)), (Names{"wlroots", "portal", "XWayland"}));
    EXPECT_EQ(candidates(waylandSession(kWlrootsGlobals, false)), (Names{"wlroots", "portal"}));

    // GNOME and KDE offer no virtual keyboard to clients.
    const DesktopPlan gnome = planDesktopSession(waylandSession({"wl_compositor", "wl_seat", "xdg_wm_base"}, true));
    EXPECT_EQ(names(gnome.candidates), (Names{"portal", "XWayland"}));
    EXPECT_TRUE(mentions(gnome.passedOver, "wlroots: ",
                         "zwp_virtual_keyboard_manager_v1 and zwlr_virtual_pointer_manager_v1"));
    EXPECT_TRUE(mentions(gnome.passedOver, "X11: ", "WAYLAND_DISPLAY is set"));

    // A virtual keyboard without a virtual pointer is not the wlroots set.
    const DesktopPlan half = planDesktopSession(
        waylandSession({"wl_seat", "zwp_virtual_keyboard_manager_v1"}, false));
    EXPECT_EQ(names(half.candidates), Names{"portal"});
    EXPECT_TRUE(mentions(half.passedOver, "wlroots: ", "zwlr_virtual_pointer_manager_v1"));
    EXPECT_FALSE(mentions(half.passedOver, "wlroots: ", "zwp_virtual_keyboard_manager_v1"));
    EXPECT_TRUE(mentions(half.passedOver, "XWayland: ", "DISPLAY is not set"));
}

TEST(DesktopPlan, UnclearOrMissingDisplaysAreNamedInTheReasons)
{
    DesktopFacts unreachable = waylandSession({}, true);
    unreachable.waylandReachable = false;
    const DesktopPlan p = planDesktopSession(unreachable);
    EXPECT_EQ(names(p.candidates), (Names{"portal", "XWayland"}));
    EXPECT_TRUE(mentions(p.passedOver, "wlroots: ", "cannot connect to the Wayland display \"wayland-0\""));

    // A Wayland session whose display variable got lost: DISPLAY can only be XWayland.
    DesktopFacts lost = x11Session();
    lost.sessionType = "wayland";
    const DesktopPlan lostPlan = planDesktopSession(lost);
    EXPECT_EQ(names(lostPlan.candidates), Names{"XWayland"});
    EXPECT_TRUE(mentions(lostPlan.passedOver, "X11: ", "DISPLAY is XWayland"));

    const DesktopPlan none = planDesktopSession(DesktopFacts{});
    EXPECT_TRUE(none.candidates.empty());
    EXPECT_TRUE(mentions(none.passedOver, "X11: ", "DISPLAY is not set"));
    EXPECT_TRUE(mentions(none.passedOver, "XWayland: ", "DISPLAY is not set"));
}

TEST(DesktopPlan, EveryBackEndIsEitherTriedOrPassedOverWithOneLine)
{
    const std::vector<DesktopBackEndEntry> table = standardDesktopBackEnds();
    DesktopFacts unreachable = waylandSession(kWlrootsGlobals, true);
    unreachable.waylandReachable = false;
    DesktopFacts lost = x11Session();
    lost.sessionType = "wayland";
    const std::vector<DesktopFacts> desktops = {x11Session(), waylandSession(kWlrootsGlobals, true),
                                                waylandSession(kWlrootsGlobals, false), waylandSession({}, true),
                                                unreachable, lost, DesktopFacts{}};
    for (size_t d = 0; d < desktops.size(); ++d) {
        const DesktopPlan plan = planDesktopSession(desktops[d], table);
        EXPECT_EQ(plan.candidates.size() + plan.passedOver.size(), table.size()) << "desktop " << d;
        const Names tried = names(plan.candidates);
        for (const DesktopBackEndEntry& e : table) {
            const auto times = static_cast<size_t>(std::count(tried.begin(), tried.end(), e.name));
            const auto lines = std::count_if(plan.passedOver.begin(), plan.passedOver.end(), [&](const auto& l) {
                return l.rfind(e.name + ": ", 0) == 0 && l.size() > e.name.size() + 2;
            });
            EXPECT_EQ(times + static_cast<size_t>(lines), 1u) << e.name << " on desktop " << d;
        }
    }
}

TEST(DesktopBackEnds, StandardEntriesHaveUniqueNamesAndBothRules)
{
    const std::vector<DesktopBackEndEntry> table = standardDesktopBackEnds();
    EXPECT_EQ(names(table), (Names{"X11", "wlroots", "portal", "XWayland"}));
    std::set<std::string> seen;
    for (const DesktopBackEndEntry& e : table) {
        EXPECT_FALSE(e.name.empty());
        EXPECT_TRUE(seen.insert(e.name).second) << e.name << " twice";
        EXPECT_TRUE(e.passOver) << e.name;
        EXPECT_TRUE(e.open) << e.name;
    }
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

using Opener = decltype(DesktopBackEndEntry::open);

struct OpenerLog {
    std::vector<std::string> tried;
    Opener failing(const std::string& name, const std::string& why)
    {
        return [this, name, why](const DesktopHost&, std::string& whyNot) -> std::unique_ptr<DesktopSession> {
            tried.push_back(name);
            whyNot = why;
            return nullptr;
        };
    }
    Opener working(const std::string& name)
    {
        return [this, name](const DesktopHost&, std::string&) -> std::unique_ptr<DesktopSession> {
            tried.push_back(name);
            return std::make_unique<NamedSession>(name);
        };
    }
};

// The standard table with its rules, but these openers in place of the real ones.
std::vector<DesktopBackEndEntry> standardWith(const std::map<std::string, Opener>& openers)
{
    std::vector<DesktopBackEndEntry> table = standardDesktopBackEnds();
    for (DesktopBackEndEntry& e : table)
        e.open = openers.at(e.name);
    return table;
}

TEST(OpenDesktopSession, FirstBackEndThatOpensWinsAndTheOthersSayWhy)
{
    OpenerLog log;
    const auto table = standardWith({{"X11", log.working("X11")},
                                     {"wlroots", log.failing("wlroots", "the compositor refused the virtual keyboard or pointer")},
                                     {"portal", log.working("portal")},
                                     {"XWayland", log.working("XWayland")}});
    const OpenedDesktop opened = openDesktopSession(waylandSession(kWlrootsGlobals, true), table);
    ASSERT_TRUE(opened.session);
    EXPECT_EQ(opened.session->backEndName(), "portal");
    EXPECT_EQ(log.tried, (std::vector<std::string>{"wlroots", "portal"}));
    EXPECT_TRUE(opened.failure.empty());
    EXPECT_TRUE(mentions(opened.notes, "wlroots: ", "refused"));
}

TEST(OpenDesktopSession, NothingWorkingGivesOneMessage)
{
    OpenerLog log;
    const auto table = standardWith({{"X11", log.failing("X11", "X display refused")},
                                     {"wlroots", log.failing("wlroots", "no")},
                                     {"portal", log.failing("portal", "the user said no")},
                                     {"XWayland", log.failing("XWayland", "no XTEST")}});

    const OpenedDesktop wayland = openDesktopSession(waylandSession({}, true), table);
    EXPECT_FALSE(wayland.session);
    EXPECT_EQ(wayland.failure, kNoDesktopBackEndMessage);
    EXPECT_TRUE(mentions(wayland.notes, "portal: ", "the user said no"));
    EXPECT_TRUE(mentions(wayland.notes, "XWayland: ", "no XTEST"));

    // Outside Wayland the X display's own complaint is the message.
    EXPECT_EQ(openDesktopSession(x11Session(), table).failure, "X display refused");
    EXPECT_EQ(openDesktopSession(DesktopFacts{}, table).failure, kNoDisplayMessage);
    EXPECT_EQ(log.tried, (std::vector<std::string>{"portal", "XWayland", "X11"}));
}

// A back end the program does not have: it needs an interface no compositor
// offers today, and keeps a value across starts through the host.
DesktopBackEndEntry madeUpBackEnd(std::vector<std::string>& opened)
{
    DesktopBackEndEntry e;
    e.name = "made-up";
    e.passOver = [](const DesktopFacts& facts) -> std::optional<std::string> {
        if (!facts.offers("zmadeup_remote_input_v1"))
            return "the compositor does not offer zmadeup_remote_input_v1";
        return std::nullopt;
    };
    e.open = [&opened](const DesktopHost& host, std::string&) -> std::unique_ptr<DesktopSession> {
        const std::string last = host.load ? host.load("MadeUpSeat") : "";
        if (host.store)
            host.store("MadeUpSeat", last + "+");
        opened.push_back(last);
        return std::make_unique<NamedSession>("made-up");
    };
    return e;
}

TEST(OpenDesktopSession, NewBackEndIsOneMoreEntryInTheTable)
{
    std::vector<std::string> opened;
    std::vector<DesktopBackEndEntry> table = standardDesktopBackEnds();
    table.insert(table.begin() + 1, madeUpBackEnd(opened));  // after X11, before wlroots

    std::vector<std::string> globals = kWlrootsGlobals;
    globals.emplace_back("zmadeup_remote_input_v1");
    const DesktopPlan plan = planDesktopSession(waylandSession(globals, true), table);
    EXPECT_EQ(names(plan.candidates), (Names{"made-up", "wlroots", "portal", "XWayland"}));

    std::map<std::string, std::string> kept{{"MadeUpSeat", "seat"}};
    DesktopHost host;
    host.load = [&](const std::string& key) { return kept[key]; };
    host.store = [&](const std::string& key, const std::string& value) { kept[key] = value; };
    const OpenedDesktop desktop = openDesktopSession(waylandSession(globals, true), table, host);
    ASSERT_TRUE(desktop.session) << desktop.failure;
    EXPECT_EQ(desktop.session->backEndName(), "made-up");
    EXPECT_EQ(opened, std::vector<std::string>{"seat"});
    EXPECT_EQ(kept["MadeUpSeat"], "seat+");
    EXPECT_TRUE(mentions(desktop.notes, "X11: ", "WAYLAND_DISPLAY is set"));

    // Where its interface is missing it is one more line, and the others are as before.
    const DesktopPlan gnome = planDesktopSession(waylandSession({"wl_seat"}, true), table);
    EXPECT_EQ(names(gnome.candidates), candidates(waylandSession({"wl_seat"}, true)));
    EXPECT_TRUE(mentions(gnome.passedOver, "made-up: ", "zmadeup_remote_input_v1"));
    EXPECT_EQ(gnome.passedOver.size(), planDesktopSession(waylandSession({"wl_seat"}, true)).passedOver.size() + 1);
}

TEST(OpenDesktopSession, LastEntryIsTheLastResortWhenTheOthersFail)
{
    OpenerLog log;
    std::vector<std::string> opened;
    auto table = standardWith({{"X11", log.failing("X11", "X display refused")},
                               {"wlroots", log.failing("wlroots", "no")},
                               {"portal", log.failing("portal", "the user said no")},
                               {"XWayland", log.failing("XWayland", "no XTEST")}});
    DesktopBackEndEntry last = madeUpBackEnd(opened);
    last.passOver = [](const DesktopFacts&) { return std::nullopt; };
    last.open = log.working("made-up");
    table.push_back(last);
    const OpenedDesktop desktop = openDesktopSession(waylandSession(kWlrootsGlobals, true), table);
    ASSERT_TRUE(desktop.session);
    EXPECT_EQ(desktop.session->backEndName(), "made-up");
    EXPECT_EQ(log.tried, (std::vector<std::string>{"wlroots", "portal", "XWayland", "made-up"}));
    EXPECT_TRUE(mentions(desktop.notes, "XWayland: ", "no XTEST"));
}

ActionServices::Options servicesWith(std::function<OpenedDesktop()> open, test::FakeLauncher& launcher)
{
    ActionServices::Options o;
    o.launcher = &launcher;
    if (open)
        o.openDesktop = [open = std::move(open)](const DesktopHost&) { return open(); };
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
    real.pointer().setPosition({5, 6});
    EXPECT_EQ(session->mouse.moves, (std::vector<ScreenPoint>{{5, 6}}));
    session->windowSystem.foreground = 42;
    EXPECT_EQ(real.windows().foregroundWindow(), 42u);

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

// The program builds its services before its window shows, and then opens
// the desktop on a thread of its own, since a portal waits for the user's
// consent; an action meanwhile waits for the desktop, and closing the
// program tells a back end still waiting to give up.
TEST(ActionServices, ADesktopOpenedInTheBackgroundIsWaitedForAtItsFirstUse)
{
    test::FakeLauncher launcher;
    std::atomic<int> opened{0};
    std::promise<void> userAnswers;
    std::shared_future<void> answer = userAnswers.get_future().share();
    NamedSession* session = nullptr;
    std::atomic<bool> toldReady{false};
    ActionServices::Options later = servicesWith({}, launcher);
    later.openDesktop = [&](const DesktopHost&) {
        ++opened;
        answer.wait();
        OpenedDesktop d;
        auto s = std::make_unique<NamedSession>("portal");
        session = s.get();
        d.session = std::move(s);
        return d;
    };
    later.onDesktopOpened = [&] { toldReady = true; };
    later.openDesktopLater = true;
    {
        ActionServices services(later);
        EXPECT_EQ(opened, 0);
        services.openDesktopInBackground();
        services.openDesktopInBackground();
        std::thread user([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            userAnswers.set_value();
        });
        TSendKey::clearPendingModifiers();
        services.sendKeys().SendKeys("a");  // waits for the answer
        user.join();
        EXPECT_EQ(opened, 1);
        ASSERT_NE(session, nullptr);
        EXPECT_EQ(session->keys.events().size(), 2u) << "the key sent meanwhile reaches the desktop";
        EXPECT_TRUE(toldReady);
        services.pointer().button(MouseButton::Left, true);
        EXPECT_EQ(session->mouse.buttons.size(), 1u);
        EXPECT_EQ(opened, 1);
    }

    // Closed while the desktop still waits for the user: the back end is
    // told to give up, and closing does not hang.
    ActionServices::Options waiting = servicesWith({}, launcher);
    std::atomic<bool> gaveUp{false};
    waiting.openDesktop = [&](const DesktopHost& host) {
        while (!host.cancelled())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        gaveUp = true;
        return OpenedDesktop{};
    };
    waiting.openDesktopLater = true;
    {
        ActionServices services(waiting);
        services.openDesktopInBackground();
    }
    EXPECT_TRUE(gaveUp);

    // Without the background, the first use opens it, once.
    opened = 0;
    ActionServices::Options onFirstUse = servicesWith(
        [&] {
            ++opened;
            return OpenedDesktop{};
        },
        launcher);
    onFirstUse.openDesktopLater = true;
    ActionServices lazy(onFirstUse);
    EXPECT_EQ(opened, 0);
    lazy.sendKeys().SendKeys("b");
    lazy.openDesktop();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(lazy.recording());
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
