#pragma once
// Finding a program by name in the folders of a search path (PATH).

#include <functional>
#include <optional>
#include <string>

namespace larkspur {

// Full path of an executable file called name, nullopt when there is none.
using ProgramLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The first folder of searchPath (colon-separated) holding an executable
// regular file called name. A name with a "/" is taken as a path as it is.
std::optional<std::string> findProgramOnPath(const std::string& name, const std::string& searchPath);

// Looks names up on a fixed search path; the program passes $PATH.
ProgramLookup pathLookup(std::string searchPath);

// $PATH of this process, or the usual folders when it is unset.
std::string environmentSearchPath();

} // namespace larkspur
