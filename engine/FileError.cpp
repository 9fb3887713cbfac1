#include "engine/FileError.h"

#include <cerrno>
#include <system_error>

namespace larkspur {

EInOutError makeFileError(int errnoValue, const std::string& action, const std::string& path)
{
    const std::string reason = std::generic_category().message(errnoValue);
    return EInOutError(errnoValue, "Could not " + action + " the file " + path + ": " + reason +
                                       " (error " + std::to_string(errnoValue) + ").");
}

EInOutError makeDataError(const std::string& path, const std::string& problem)
{
    return EInOutError(EIO, "The file " + path + " " + problem);
}

} // namespace larkspur
