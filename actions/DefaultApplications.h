#pragma once
// The "Default Applications" of the catalogue on this desktop: for each role
// (calculator, text editor, ...) the first well-known program that is
// installed, as a program action.

#include "actions/ProgramSearchPath.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace larkspur {

struct DefaultApplicationRole {
    int code = 0;                         // the catalogue item
    std::vector<std::string> candidates;  // program names, most usual first
};

// The roles, with their candidates in the order they are tried. The browser
// items (55, 58) are not listed: they take the desktop's default browser.
const std::vector<DefaultApplicationRole>& defaultApplicationRoles();

// Item code -> program action ("!" + full path). A role with no installed
// candidate gets "!" + its first candidate's bare name, which the finder looks
// for when the command is first used. browserPath gives the default browser's
// program, empty when there is none.
std::map<int, std::string> defaultApplicationActions(const ProgramLookup& lookup,
                                                     const std::function<std::string()>& browserPath);

} // namespace larkspur
