#include "app/CommandLineTable.h"

#include <algorithm>
#include <cctype>

namespace larkspur {

std::string commandLineTablePath(const std::string& programDirectory, const std::string& argument)
{
    // Prefixing an absolute path with the program directory would name a file
    // that cannot exist, so absolute paths are used as they stand.
    if (!argument.empty() && argument.front() == '/')
        return argument;
    return programDirectory + argument;
}

bool looksLikeTable(const std::string& path)
{
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper.find("EAR") != std::string::npos;
}

} // namespace larkspur
