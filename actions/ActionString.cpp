#include "actions/ActionString.h"

#include "actions/TextCase.h"

#include <sys/stat.h>
#include <unistd.h>

namespace larkspur {

ActionKind classifyAction(std::string_view action)
{
    if (!action.empty() && action[0] == '!')
        return ActionKind::Program;
    if (action.substr(0, 6) == "{MOUSE")
        return ActionKind::Mouse;
    if (upperCase(action.substr(0, 7)) == "HTTP://" || upperCase(action.substr(0, 8)) == "HTTPS://")
        return ActionKind::WebAddress;
    return ActionKind::Keystroke;
}

MouseCommand mouseCommand(std::string_view action)
{
    if (action.size() < 9)
        return MouseCommand::None;
    const std::string_view code = action.substr(7, 2);
    struct Entry { std::string_view code; MouseCommand command; };
    static constexpr Entry codes[] = {
        {"ST", MouseCommand::Stop},        {"UP", MouseCommand::Up},
        {"DO", MouseCommand::Down},        {"RI", MouseCommand::Right},
        {"LE", MouseCommand::Left},        {"CL", MouseCommand::DoubleClick},
        {"DB", MouseCommand::SingleClick}, {"RC", MouseCommand::RightClick},
        {"FA", MouseCommand::Faster},      {"SL", MouseCommand::Slower},
    };
    for (const Entry& e : codes)
        if (e.code == code)
            return e.command;
    return MouseCommand::None;
}

std::string webAddress(std::string_view action)
{
    const size_t at = action.find("://");
    if (at == std::string_view::npos)
        return {};
    return std::string(action.substr(at + 3));
}

ProgramPath splitProgramPath(std::string_view path)
{
    const size_t at = path.find_last_of("\\:/");
    if (at == std::string_view::npos)
        return {{}, std::string(path)};
    return {std::string(path.substr(0, at + 1)), std::string(path.substr(at + 1))};
}

bool folderNeedsSearch(std::string_view folder)
{
    return folder.size() <= 3;
}

ProgramFileKind classifyProgramFile(std::string_view fileName, bool isExecutableFile)
{
    const std::string upper = upperCase(fileName);
    if (upper.find(".EXE") != std::string::npos || isExecutableFile)
        return ProgramFileKind::Program;
    if (upper.find(".WAV") != std::string::npos)
        return ProgramFileKind::Sound;
    return ProgramFileKind::Document;
}

bool isExecutableRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace larkspur
