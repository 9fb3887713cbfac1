#include "actions/TGoToWeb.h"

#include "actions/ActionString.h"
#include "actions/DesktopEntry.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace larkspur {

namespace {

constexpr const char* kHttpHandler = "x-scheme-handler/http";

std::optional<std::string> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string envOr(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}

std::vector<std::string> splitColons(const std::string& list)
{
    std::vector<std::string> out;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ':'))
        if (!item.empty())
            out.push_back(item);
    return out;
}

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '\r'))
        s.pop_back();
    return s;
}

} // namespace

XdgRoots XdgRoots::fromEnvironment(ProcessLauncher& launcher)
{
    const std::string home = envOr("HOME", "");
    XdgRoots roots;
    roots.configHome = envOr("XDG_CONFIG_HOME", home + "/.config");
    roots.configDirs = splitColons(envOr("XDG_CONFIG_DIRS", "/etc/xdg"));
    roots.dataHome = envOr("XDG_DATA_HOME", home + "/.local/share");
    roots.dataDirs = splitColons(envOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"));
    roots.defaultBrowserQuery = [&launcher]() -> std::optional<std::string> {
        std::optional<std::string> out = launcher.captureOutput({"xdg-settings", "get", "default-web-browser"});
        if (!out || trimmed(*out).empty())
            return std::nullopt;
        return trimmed(*out);
    };
    return roots;
}

TGoToWeb::TGoToWeb(ProcessLauncher& launcher, XdgRoots roots)
    : m_launcher(launcher), m_roots(std::move(roots))
{
}

std::optional<std::string> TGoToWeb::readDesktopEntry(const std::string& id) const
{
    // A desktop id names a file, never a path.
    if (id.empty() || id.find('/') != std::string::npos)
        return std::nullopt;
    std::vector<std::string> dirs{m_roots.dataHome};
    dirs.insert(dirs.end(), m_roots.dataDirs.begin(), m_roots.dataDirs.end());
    for (const std::string& dir : dirs)
        if (std::optional<std::string> text = readFile(dir + "/applications/" + id))
            if (std::optional<std::string> exec = desktopEntryExec(*text))
                return exec;
    return std::nullopt;
}

std::optional<std::string> TGoToWeb::defaultBrowserExec() const
{
    if (m_roots.defaultBrowserQuery)
        if (std::optional<std::string> id = m_roots.defaultBrowserQuery())
            if (std::optional<std::string> exec = readDesktopEntry(*id))
                return exec;

    std::vector<std::string> lists{m_roots.configHome + "/mimeapps.list"};
    for (const std::string& dir : m_roots.configDirs)
        lists.push_back(dir + "/mimeapps.list");
    lists.push_back(m_roots.dataHome + "/applications/mimeapps.list");
    for (const std::string& dir : m_roots.dataDirs)
        lists.push_back(dir + "/applications/mimeapps.list");
    for (const std::string& list : lists) {
        const std::optional<std::string> text = readFile(list);
        if (!text)
            continue;
        for (const std::string& id : mimeAppsDefaults(*text, kHttpHandler))
            if (std::optional<std::string> exec = readDesktopEntry(id))
                return exec;
    }
    return std::nullopt;
}

std::string TGoToWeb::resolveProgram(const std::string& program) const
{
    if (program.empty() || program.find('/') != std::string::npos)
        return program;
    for (const std::string& dir : splitColons(envOr("PATH", "/usr/local/bin:/usr/bin:/bin")))
        if (isExecutableRegularFile(dir + "/" + program))
            return dir + "/" + program;
    return program;
}

std::string TGoToWeb::BrowserPath()
{
    m_browserParameters.clear();
    const std::optional<std::string> exec = defaultBrowserExec();
    if (!exec || exec->empty())
        return {};
    const BrowserCommand command = parseBrowserCommand(*exec);
    m_browserParameters = command.parameters;
    return resolveProgram(command.program);
}

bool TGoToWeb::BrowserExists()
{
    const std::string path = BrowserPath();
    return !path.empty() && isExecutableRegularFile(path);
}

bool TGoToWeb::GoToURL()
{
    const std::string path = BrowserPath();
    if (path.empty())
        return false;
    std::vector<std::string> argv{path};
    std::istringstream words(m_browserParameters + " " + m_url);
    std::string word;
    while (words >> word)
        argv.push_back(word);
    return m_launcher.spawn(argv).pid > 0;
}

} // namespace larkspur
