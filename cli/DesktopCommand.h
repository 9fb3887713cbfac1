#pragma once
// larkspur-cli desktop: which desktop back end keystrokes, the pointer and
// windows go through, what it can do, and why the others were not used.

#include "actions/DesktopSessionFactory.h"

#include <ostream>
#include <string>
#include <vector>

namespace larkspur::cli {

// The report printed for an opened (or failed) desktop.
std::string describeDesktop(const OpenedDesktop& desktop);

// Exit code 0 when a back end works, 1 when none does.
int desktopCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace larkspur::cli
