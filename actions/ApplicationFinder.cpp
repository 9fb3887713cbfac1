#include "actions/ApplicationFinder.h"

#include "actions/ActionString.h"
#include "actions/DesktopEntry.h"

#include <fstream>
#include <sys/stat.h>

namespace larkspur {

namespace {

constexpr std::streamsize kMaxDesktopEntryBytes = 256 * 1024;

bool folderExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string readDesktopEntry(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<size_t>(kMaxDesktopEntryBytes), '\0');
    in.read(text.data(), kMaxDesktopEntryBytes);
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

// A program's name is looked for as it stands, not as a wildcard pattern.
std::string literalFilter(const std::string& name)
{
    std::string out;
    for (char c : name) {
        if (c == '*' || c == '?' || c == '[' || c == ']' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

FinderRoots FinderRoots::standard(const std::string& home)
{
    FinderRoots roots;
    roots.shortcutRoots = {home};
    roots.desktopEntryRoots = {
        home + "/.local/share/applications",
        "/usr/local/share/applications",
        "/usr/share/applications",
        home + "/.local/share/flatpak/exports/share/applications",
        "/var/lib/flatpak/exports/share/applications",
        "/var/lib/snapd/desktop/applications",
        home + "/Desktop",
    };
    roots.programRoots = {
        home + "/.local/bin", "/usr/local/bin", "/usr/bin", "/usr/local/games", "/usr/games", "/snap/bin", "/opt",
    };
    return roots;
}

std::string desktopEntryProgram(const std::string& entryText, const ProgramLookup& lookup)
{
    if (desktopEntryType(entryText) != "Application")
        return {};
    if (desktopEntryValue(entryText, "Icon").value_or(std::string()).empty())
        return {};
    if (desktopEntryValue(entryText, "Hidden") == "true")
        return {};
    const std::optional<std::string> exec = desktopEntryExec(entryText);
    if (!exec)
        return {};
    // A program action carries no arguments, so an entry that needs them
    // ("flatpak run ...") cannot become one.
    const BrowserCommand command = parseBrowserCommand(*exec);
    if (command.program.empty() || !command.parameters.empty())
        return {};
    if (command.program.find('/') != std::string::npos)
        return isExecutableRegularFile(command.program) ? command.program : std::string();
    return lookup ? lookup(command.program).value_or(std::string()) : std::string();
}

ApplicationFinder::ApplicationFinder(FinderUi& ui, FinderRoots roots, ProgramLookup lookup)
    : m_ui(ui), m_roots(std::move(roots)), m_lookup(std::move(lookup))
{
    m_foundFiles.setRecurse(true);
    m_foundFiles.setAttributes(TAttrOption::ffVolumeID | TAttrOption::ffDirectory | TAttrOption::ffArchive);
    m_foundFiles.OnProcessMessages = [this] { m_ui.processEvents(); };
}

std::vector<std::string> ApplicationFinder::searchRoot(const std::string& root, const std::string& filter)
{
    m_foundFiles.Files().clear();
    m_foundFiles.setAbort(false);
    m_foundFiles.setFilter(filter);
    m_foundFiles.setDirectory(root);
    m_foundFiles.Execute();
    // Folders whose names match are listed too; only files are locations.
    std::vector<std::string> files;
    for (const std::string& path : m_foundFiles.Files())
        if (!folderExists(path))
            files.push_back(path);
    return files;
}

void ApplicationFinder::beginSearch(const std::string& text)
{
    m_stopFindApp = false;
    m_ui.showProgress(text);
}

void ApplicationFinder::endSearch()
{
    m_ui.hideProgress();
    m_stopFindApp = false;
    m_foundFiles.Files().clear();
}

void ApplicationFinder::FindAppBtnClick(ActionCatalogue& catalogue)
{
    beginSearch(kFindAppProgressText);

    // One pass over a list of roots: returns false once the user stopped it.
    const auto pass = [&](const std::vector<std::string>& roots, const std::string& filter, auto&& take) {
        for (const std::string& root : roots) {
            if (m_stopFindApp) {
                m_foundFiles.setAbort(true);
                return;
            }
            if (!folderExists(root))
                continue;
            for (const std::string& path : searchRoot(root, filter)) {
                if (m_stopFindApp) {
                    m_foundFiles.setAbort(true);
                    break;
                }
                take(path);
                m_ui.processEvents();
            }
        }
    };

    pass(m_roots.shortcutRoots, "*.url", [&](const std::string& path) { catalogue.addFoundUrlFavorite(path); });
    pass(m_roots.desktopEntryRoots, "*.desktop", [&](const std::string& path) {
        if (desktopEntryType(readDesktopEntry(path)) == "Link")
            catalogue.addFoundUrlFavorite(path);
    });
    pass(m_roots.desktopEntryRoots, "*.desktop", [&](const std::string& path) {
        const std::string program = desktopEntryProgram(readDesktopEntry(path), m_lookup);
        if (!program.empty())
            catalogue.addFoundApplication(program);
    });

    catalogue.sortByText();
    endSearch();
}

std::string ApplicationFinder::FindProgramOnDisks(const std::string& name)
{
    std::vector<std::string> locations;
    for (const std::string& root : m_roots.programRoots) {
        if (m_stopFindApp)
            break;
        const std::vector<std::string> found = searchRoot(root, literalFilter(name));
        if (found.empty())
            continue;
        const bool stop = m_ui.askYesNo("Found location(s) on drive " + root
                                        + ":. Do you want to see the location(s) and stop the search?");
        locations.insert(locations.end(), found.begin(), found.end());
        if (stop)
            break;
    }
    endSearch();

    if (locations.empty()) {
        m_ui.showMessage("I'm sorry, but we can not find " + name + " on your system. Please edit voice command!");
        return name;
    }
    return m_ui.chooseLocation(locations).value_or(name);
}

} // namespace larkspur
