#pragma once
// The X11 back end as a desktop session: XTest keys and pointer, XKB layout,
// EWMH windows. In a Wayland session the same code reaches XWayland windows
// only, and says so.

#include "actions/DesktopSession.h"

#include <memory>
#include <string>

namespace larkspur {

// Null with whyNot set when there is no X display (or no XTEST).
std::unique_ptr<DesktopSession> openX11DesktopSession(std::string& whyNot);
std::unique_ptr<DesktopSession> openXWaylandDesktopSession(std::string& whyNot);

} // namespace larkspur
