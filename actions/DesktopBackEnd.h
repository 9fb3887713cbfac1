#pragma once
// What a desktop back end is to the factory: a name, a rule saying when it is
// not worth trying, and an opener. Each back end supplies its entry from its
// own files (X11 and XWayland here, the others in their folders); the factory
// keeps them in one table, best first.

#include "actions/DesktopSession.h"
#include "actions/WindowSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace larkspur {

// What the environment says about the desktop.
struct DesktopFacts {
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string x11Display;      // DISPLAY
    bool waylandReachable = false;            // a connection to the Wayland display worked
    std::vector<std::string> waylandGlobals;  // interfaces the compositor advertises

    bool wayland() const { return !waylandDisplay.empty(); }
    bool offers(const std::string& interface) const
    {
        for (const std::string& g : waylandGlobals)
            if (g == interface)
                return true;
        return false;
    }

    // Reads the variables and, in a Wayland session, asks the compositor
    // which interfaces it offers.
    static DesktopFacts fromEnvironment();
};

// What the program offers every back end. Every member may be left empty:
// a back end then does without (nothing is kept, no line is shown).
struct DesktopHost {
    // A value kept across starts under a key the back end chooses; empty
    // when nothing is stored.
    std::function<std::string(const std::string& key)> load;
    std::function<void(const std::string& key, const std::string& value)> store;
    // One line for the status window, e.g. just before the desktop asks the
    // user for consent (the back end then waits for the answer).
    std::function<void(const std::string& line)> showStatus;
    // The screen as the program sees it, for back ends that cannot ask.
    std::optional<ScreenPoint> screenSize;
    // True once nobody waits for the desktop any more (the program is
    // closing): a back end waiting for the user's answer gives up.
    std::function<bool()> cancelled;
};

struct DesktopBackEndEntry {
    // Shown to the user ("X11", "wlroots", "portal", "XWayland"), and the
    // start of its line in the desktop report.
    std::string name;
    // Why this back end is not worth trying in this environment; nullopt:
    // try it. Decides on the facts alone, so every desktop is testable.
    std::function<std::optional<std::string>(const DesktopFacts& facts)> passOver;
    // Opens it; null with whyNot set when it cannot be used after all.
    std::function<std::unique_ptr<DesktopSession>(const DesktopHost& host, std::string& whyNot)> open;
};

} // namespace larkspur
