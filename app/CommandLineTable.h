#pragma once
// Where a table named on the command line is looked for: a relative name
// beside the program, an absolute one where it says.

#include <string>

namespace larkspur {

std::string commandLineTablePath(const std::string& programDirectory, const std::string& argument);

// True when the path names a table file by the start-up rule: "EAR" anywhere
// in it, in any letter case.
bool looksLikeTable(const std::string& path);

} // namespace larkspur
