#include "actions/DesktopSessionFactory.h"

#include "actions/WaylandGlobals.h"
#include "actions/X11DesktopSession.h"
#include "actions/X11Session.h"
#include "actions/portal/PortalDesktopSession.h"
#include "actions/wlroots/WlrootsSession.h"

#include <cstdlib>

namespace larkspur {

namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string line(const DesktopBackEndEntry& backEnd, const std::string& why)
{
    return backEnd.name + ": " + why;
}

} // namespace

std::vector<DesktopBackEndEntry> standardDesktopBackEnds()
{
    // Best first: the first that is worth trying here and opens is used.
    return {
        x11BackEnd(),
        wlrootsBackEnd(),
        portalBackEnd(),
        xwaylandBackEnd(),
    };
}

DesktopFacts DesktopFacts::fromEnvironment()
{
    DesktopFacts facts;
    facts.sessionType = variable("XDG_SESSION_TYPE");
    facts.waylandDisplay = variable("WAYLAND_DISPLAY");
    facts.x11Display = variable("DISPLAY");
    if (facts.wayland()) {
        if (std::optional<std::vector<std::string>> globals = listWaylandGlobals()) {
            facts.waylandReachable = true;
            facts.waylandGlobals = std::move(*globals);
        }
    }
    return facts;
}

DesktopPlan planDesktopSession(const DesktopFacts& facts, const std::vector<DesktopBackEndEntry>& backEnds)
{
    DesktopPlan plan;
    for (const DesktopBackEndEntry& backEnd : backEnds) {
        std::optional<std::string> why = backEnd.passOver ? backEnd.passOver(facts) : std::nullopt;
        if (why)
            plan.passedOver.push_back(line(backEnd, *why));
        else
            plan.candidates.push_back(backEnd);
    }
    return plan;
}

OpenedDesktop openDesktopSession(const DesktopFacts& facts, const std::vector<DesktopBackEndEntry>& backEnds,
                                 const DesktopHost& host)
{
    OpenedDesktop opened;
    const DesktopPlan plan = planDesktopSession(facts, backEnds);
    opened.notes = plan.passedOver;
    std::string lastFailure;
    for (const DesktopBackEndEntry& backEnd : plan.candidates) {
        std::string whyNot;
        std::unique_ptr<DesktopSession> session = backEnd.open ? backEnd.open(host, whyNot) : nullptr;
        if (session) {
            opened.session = std::move(session);
            return opened;
        }
        if (whyNot.empty())
            whyNot = "not available";
        opened.notes.push_back(line(backEnd, whyNot));
        lastFailure = whyNot;
    }
    if (!facts.wayland())
        // Outside Wayland the X display is the only way: its own message says
        // what is wrong (none set, refused, no XTEST).
        opened.failure = plan.candidates.empty() ? std::string(kNoDisplayMessage) : lastFailure;
    else
        opened.failure = kNoDesktopBackEndMessage;
    return opened;
}

OpenedDesktop openDesktopSession(const DesktopHost& host)
{
    return openDesktopSession(DesktopFacts::fromEnvironment(), standardDesktopBackEnds(), host);
}

} // namespace larkspur
