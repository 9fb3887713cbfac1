#pragma once
// Tells a web browser's window by its title or window class.

#include <string_view>

namespace larkspur {

// The classic titles and classes (case-sensitive), and the window classes of
// current Linux browsers (any case).
bool isBrowserWindow(std::string_view title, std::string_view className);

} // namespace larkspur
