#include "actions/DesktopEntry.h"

#include <sstream>

namespace larkspur {

namespace {

std::string_view trim(std::string_view s)
{
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Calls visit(group, key, value) for each "key=value" line.
template <typename Visit>
void forEachEntry(std::string_view text, Visit visit)
{
    std::string group;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            group = std::string(line.substr(1, line.size() - 2));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        visit(std::string_view(group), trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
    }
}

} // namespace

std::optional<std::string> desktopEntryExec(std::string_view fileText)
{
    std::optional<std::string> exec;
    forEachEntry(fileText, [&](std::string_view group, std::string_view key, std::string_view value) {
        if (!exec && group == "Desktop Entry" && key == "Exec")
            exec = std::string(value);
    });
    return exec;
}

std::optional<std::string> desktopEntryValue(std::string_view fileText, std::string_view key)
{
    std::optional<std::string> found;
    forEachEntry(fileText, [&](std::string_view group, std::string_view k, std::string_view value) {
        if (!found && group == "Desktop Entry" && k == key)
            found = std::string(value);
    });
    return found;
}

std::string desktopEntryType(std::string_view fileText)
{
    return desktopEntryValue(fileText, "Type").value_or(std::string());
}

std::vector<std::string> mimeAppsDefaults(std::string_view fileText, std::string_view mimeType)
{
    std::vector<std::string> ids;
    forEachEntry(fileText, [&](std::string_view group, std::string_view key, std::string_view value) {
        if (group != "Default Applications" || key != mimeType)
            return;
        std::istringstream in{std::string(value)};
        std::string id;
        while (std::getline(in, id, ';'))
            if (!trim(id).empty())
                ids.emplace_back(trim(id));
    });
    return ids;
}

BrowserCommand parseBrowserCommand(std::string_view command)
{
    command = trim(command);
    BrowserCommand out;
    size_t rest = 0;
    if (!command.empty() && command[0] == '"') {
        const size_t close = command.find('"', 1);
        const size_t end = close == std::string_view::npos ? command.size() : close;
        out.program = std::string(command.substr(1, end - 1));
        rest = end == command.size() ? end : end + 1;
    } else {
        const size_t blank = command.find(' ');
        rest = blank == std::string_view::npos ? command.size() : blank;
        out.program = std::string(command.substr(0, rest));
    }

    std::string params;
    for (char c : trim(command.substr(rest)))
        if (c != '"')
            params += c;
    std::string cleaned;
    for (size_t i = 0; i < params.size();) {
        if (params[i] == '%') {
            while (i < params.size() && params[i] != ' ')
                ++i;
            continue;
        }
        cleaned += params[i++];
    }
    // Removed field codes leave their blanks behind; keep one between words.
    std::istringstream words(cleaned);
    std::string word;
    while (words >> word)
        out.parameters += (out.parameters.empty() ? "" : " ") + word;
    return out;
}

} // namespace larkspur
