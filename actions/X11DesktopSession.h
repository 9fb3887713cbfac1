#pragma once
// The X11 back end as a desktop session: XTest keys and pointer, XKB layout,
// EWMH windows. In a Wayland session the same code reaches XWayland windows
// only, and says so.

#include "actions/DesktopBackEnd.h"

namespace larkspur {

// The X11 session's own display: tried when WAYLAND_DISPLAY is not set and
// the session does not call itself Wayland.
DesktopBackEndEntry x11BackEnd();
// The X display of a Wayland session, the last resort there: it reaches
// XWayland windows only.
DesktopBackEndEntry xwaylandBackEnd();

} // namespace larkspur
