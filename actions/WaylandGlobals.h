#pragma once
// Which interfaces the Wayland compositor advertises: one of the facts the
// desktop back ends are chosen on. Headers of this file need no Wayland headers.

#include <optional>
#include <string>
#include <vector>

namespace larkspur {

// The interfaces the compositor at WAYLAND_DISPLAY advertises; nullopt when
// it cannot be reached.
std::optional<std::vector<std::string>> listWaylandGlobals();

} // namespace larkspur
