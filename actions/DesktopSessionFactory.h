#pragma once
// Picks the desktop back end once. The choice is a pure function of what the
// environment says (planDesktopSession over the table of back ends), so every
// kind of desktop is tested without one; openDesktopSession then opens the
// candidates in order and keeps the first that works.
//
// Adding a back end: its own folder with its entry (DesktopBackEnd.h), and
// one line in the table of standardDesktopBackEnds() (see actions/README.md).

#include "actions/DesktopBackEnd.h"

#include <memory>
#include <string>
#include <vector>

namespace larkspur {

// Every back end this program has, best first.
std::vector<DesktopBackEndEntry> standardDesktopBackEnds();

// The back ends worth trying, best first, and one line for each back end
// that is not tried saying why ("wlroots: ...").
struct DesktopPlan {
    std::vector<DesktopBackEndEntry> candidates;
    std::vector<std::string> passedOver;
};

DesktopPlan planDesktopSession(const DesktopFacts& facts,
                               const std::vector<DesktopBackEndEntry>& backEnds = standardDesktopBackEnds());

struct OpenedDesktop {
    std::unique_ptr<DesktopSession> session;  // null when no back end works
    // Why each other back end was not used, one line each ("wlroots: ...").
    std::vector<std::string> notes;
    // One message for the user when session is null, empty otherwise.
    std::string failure;
};

// The whole-desktop failure when nothing works in a Wayland session.
inline constexpr const char* kNoDesktopBackEndMessage =
    "No way to reach this Wayland desktop was found: keystrokes, mouse and window actions need a compositor "
    "that offers virtual keyboards and pointers, the desktop portal, or XWayland with DISPLAY set.";

OpenedDesktop openDesktopSession(const DesktopFacts& facts, const std::vector<DesktopBackEndEntry>& backEnds,
                                 const DesktopHost& host = {});
// The desktop this program runs on, with the standard back ends.
OpenedDesktop openDesktopSession(const DesktopHost& host = {});

} // namespace larkspur
