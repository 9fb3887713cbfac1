#pragma once
// larkspur-cli send-keys [--dry-run] TEXT...

#include <ostream>
#include <string>
#include <vector>

namespace larkspur {

// Sends each TEXT as a keystroke action, in turn, with pending modifiers
// carried from one to the next. --dry-run prints the events ("down 0x41")
// on a built-in US layout instead of typing them. 0 on success, 1 on error.
int sendKeysCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace larkspur
