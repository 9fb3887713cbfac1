#pragma once
// Where the program finds its own files: its directory, and the resources
// folder beside the executable, <prefix>/share/larkspur for a program installed
// in <prefix>/libexec/larkspur, or the source tree (a build not installed).

#include <string>

namespace larkspur {

// The executable's directory with a trailing separator.
std::string programDirectory();
std::string resourceDirectory();

} // namespace larkspur
