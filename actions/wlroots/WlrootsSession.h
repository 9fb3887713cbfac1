#pragma once
// The desktop of a wlroots compositor (sway, Hyprland, labwc...): keys on a
// virtual keyboard with the program's own keymap, clicks and absolute moves on
// a virtual pointer, windows through the foreign-toplevel list. Headers of
// this file need no Wayland headers.

#include "actions/DesktopBackEnd.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace larkspur {

inline constexpr const char* kVirtualKeyboardManagerInterface = "zwp_virtual_keyboard_manager_v1";
inline constexpr const char* kVirtualPointerManagerInterface = "zwlr_virtual_pointer_manager_v1";
inline constexpr const char* kForeignToplevelManagerInterface = "zwlr_foreign_toplevel_manager_v1";

// Null with whyNot set when the compositor lacks the virtual keyboard or
// pointer, or cannot be reached.
std::unique_ptr<DesktopSession> openWlrootsSession(std::string& whyNot);

// Tried first in a Wayland session whose compositor offers the virtual
// keyboard and pointer.
DesktopBackEndEntry wlrootsBackEnd();

} // namespace larkspur
