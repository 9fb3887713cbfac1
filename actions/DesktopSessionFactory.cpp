#include "actions/DesktopSessionFactory.h"

#include "actions/PortalSessionHook.h"
#include "actions/X11DesktopSession.h"
#include "actions/X11Session.h"
#include "actions/wlroots/WlrootsSession.h"

#include <algorithm>
#include <cstdlib>

namespace larkspur {

namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool offers(const DesktopFacts& facts, const char* interface)
{
    return std::find(facts.waylandGlobals.begin(), facts.waylandGlobals.end(), interface) !=
           facts.waylandGlobals.end();
}

std::string line(DesktopBackEnd backEnd, const std::string& why)
{
    return std::string(desktopBackEndName(backEnd)) + ": " + why;
}

} // namespace

const char* desktopBackEndName(DesktopBackEnd backEnd)
{
    switch (backEnd) {
    case DesktopBackEnd::X11: return "X11";
    case DesktopBackEnd::Wlroots: return "wlroots";
    case DesktopBackEnd::Portal: return "portal";
    case DesktopBackEnd::XWayland: return "XWayland";
    }
    return "X11";
}

DesktopFacts DesktopFacts::fromEnvironment()
{
    DesktopFacts facts;
    facts.sessionType = variable("XDG_SESSION_TYPE");
    facts.waylandDisplay = variable("WAYLAND_DISPLAY");
    facts.x11Display = variable("DISPLAY");
    if (!facts.waylandDisplay.empty()) {
        if (std::optional<std::vector<std::string>> globals = listWaylandGlobals()) {
            facts.waylandReachable = true;
            facts.waylandGlobals = std::move(*globals);
        }
    }
    return facts;
}

DesktopPlan planDesktopSession(const DesktopFacts& facts)
{
    DesktopPlan plan;
    const bool wayland = !facts.waylandDisplay.empty();
    const bool x11 = !facts.x11Display.empty();
    if (!wayland) {
        const std::string notWayland = "not a Wayland session (WAYLAND_DISPLAY is not set)";
        plan.passedOver.push_back(line(DesktopBackEnd::Wlroots, notWayland));
        plan.passedOver.push_back(line(DesktopBackEnd::Portal, notWayland));
        if (!x11) {
            plan.passedOver.push_back(line(DesktopBackEnd::X11, "DISPLAY is not set"));
        } else if (facts.sessionType == "wayland") {
            // The session says Wayland but its display is not known: the X
            // display can only be XWayland, which reaches its own windows.
            plan.candidates.push_back(DesktopBackEnd::XWayland);
            plan.passedOver.push_back(line(DesktopBackEnd::X11, "this is a Wayland session; DISPLAY is XWayland"));
        } else {
            plan.candidates.push_back(DesktopBackEnd::X11);
        }
        return plan;
    }

    plan.passedOver.push_back(line(DesktopBackEnd::X11, "this is a Wayland session (WAYLAND_DISPLAY is set)"));
    if (!facts.waylandReachable) {
        plan.passedOver.push_back(
            line(DesktopBackEnd::Wlroots, "cannot connect to the Wayland display \"" + facts.waylandDisplay + "\""));
    } else {
        std::vector<std::string> missing;
        for (const char* needed : {kVirtualKeyboardManagerInterface, kVirtualPointerManagerInterface})
            if (!offers(facts, needed))
                missing.emplace_back(needed);
        if (missing.empty()) {
            plan.candidates.push_back(DesktopBackEnd::Wlroots);
        } else {
            std::string names;
            for (const std::string& m : missing)
                names += (names.empty() ? "" : " and ") + m;
            plan.passedOver.push_back(line(DesktopBackEnd::Wlroots, "the compositor does not offer " + names));
        }
    }
    plan.candidates.push_back(DesktopBackEnd::Portal);
    if (x11)
        plan.candidates.push_back(DesktopBackEnd::XWayland);
    else
        plan.passedOver.push_back(line(DesktopBackEnd::XWayland, "DISPLAY is not set"));
    return plan;
}

DesktopOpeners DesktopOpeners::standard(const PortalOptions& portal)
{
    DesktopOpeners o;
    o.x11 = openX11DesktopSession;
    o.wlroots = openWlrootsSession;
    o.portal = [portal](std::string& whyNot) { return tryOpenPortalSession(portal, whyNot); };
    o.xwayland = openXWaylandDesktopSession;
    return o;
}

const DesktopOpener& DesktopOpeners::of(DesktopBackEnd backEnd) const
{
    switch (backEnd) {
    case DesktopBackEnd::X11: return x11;
    case DesktopBackEnd::Wlroots: return wlroots;
    case DesktopBackEnd::Portal: return portal;
    case DesktopBackEnd::XWayland: return xwayland;
    }
    return x11;
}

OpenedDesktop openDesktopSession(const DesktopFacts& facts, const DesktopOpeners& openers)
{
    OpenedDesktop opened;
    const DesktopPlan plan = planDesktopSession(facts);
    opened.notes = plan.passedOver;
    std::string lastFailure;
    for (DesktopBackEnd backEnd : plan.candidates) {
        const DesktopOpener& opener = openers.of(backEnd);
        std::string whyNot;
        std::unique_ptr<DesktopSession> session = opener ? opener(whyNot) : nullptr;
        if (session) {
            opened.session = std::move(session);
            return opened;
        }
        if (whyNot.empty())
            whyNot = "not available";
        opened.notes.push_back(line(backEnd, whyNot));
        lastFailure = whyNot;
    }
    if (facts.waylandDisplay.empty())
        // Outside Wayland the X display is the only way: its own message says
        // what is wrong (none set, refused, no XTEST).
        opened.failure = plan.candidates.empty() ? std::string(kNoDisplayMessage) : lastFailure;
    else
        opened.failure = kNoDesktopBackEndMessage;
    return opened;
}

OpenedDesktop openDesktopSession(const PortalOptions& portal)
{
    return openDesktopSession(DesktopFacts::fromEnvironment(), DesktopOpeners::standard(portal));
}

} // namespace larkspur
