#pragma once
// larkspur-cli desktop: which desktop back end keystrokes, the pointer and
// windows go through, what it can do, and why the others were not used.

#include "actions/DesktopSessionFactory.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace larkspur::cli {

// The report printed for an opened (or failed) desktop.
std::string describeDesktop(const OpenedDesktop& desktop);

// A desktop's status lines (the portal saying it waits for the user's
// consent) written to `err` at once, one per line.
std::function<void(const std::string&)> statusLineTo(std::ostream& err);

// Exit code 0 when a back end works, 1 when none does.
int desktopCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace larkspur::cli
