#include "cli/DryRunDesktop.h"

#include <filesystem>

namespace larkspur::cli {

SpawnResult RecordingLauncher::spawn(const std::vector<std::string>& argv)
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    spawned.push_back({ec ? std::string() : folder.string(), argv});
    return {m_nextPid++, 0};
}

} // namespace larkspur::cli
