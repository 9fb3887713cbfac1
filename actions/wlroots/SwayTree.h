#pragma once
// sway's window tree over its IPC socket (SWAYSOCK): the one place a wlroots
// desktop says which process owns a window.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur {

struct SwayView {
    int64_t pid = 0;
    std::string appId;  // app_id, or the X11 class of an XWayland window
    std::string title;
};

// The views of a get_tree reply; nullopt when the text is not valid JSON.
std::optional<std::vector<SwayView>> parseSwayTree(std::string_view json);

// Asks the sway at socketPath for its tree; nullopt when it cannot be asked.
std::optional<std::vector<SwayView>> querySwayTree(const std::string& socketPath);

} // namespace larkspur
