#include "actions/ProgramSearchPath.h"

#include "actions/ActionString.h"

#include <cstdlib>
#include <sstream>

namespace larkspur {

std::optional<std::string> findProgramOnPath(const std::string& name, const std::string& searchPath)
{
    if (name.empty())
        return std::nullopt;
    if (name.find('/') != std::string::npos)
        return isExecutableRegularFile(name) ? std::optional<std::string>(name) : std::nullopt;
    std::istringstream folders(searchPath);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        // An empty entry would mean the current folder, which is not where
        // anyone keeps the desktop's programs.
        if (folder.empty() || folder[0] != '/')
            continue;
        const std::string path = folder.back() == '/' ? folder + name : folder + '/' + name;
        if (isExecutableRegularFile(path))
            return path;
    }
    return std::nullopt;
}

ProgramLookup pathLookup(std::string searchPath)
{
    return [searchPath = std::move(searchPath)](const std::string& name) {
        return findProgramOnPath(name, searchPath);
    };
}

std::string environmentSearchPath()
{
    const char* path = std::getenv("PATH");
    return path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
}

} // namespace larkspur
