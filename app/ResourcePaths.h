#pragma once
// Where the program finds its own files: its directory, and the resources
// folder beside the executable (an installed program) or in the source tree
// (a build that has not been installed).

#include <string>

namespace larkspur {

// The executable's directory with a trailing separator.
std::string programDirectory();
std::string resourceDirectory();

} // namespace larkspur
