#pragma once
// Searches the disks for programs and web shortcuts: once on request, to fill
// the catalogue's "Found Applications" and "Found URL Favorites", and for a
// program action that names no folder, to let the user pick its location.

#include "actions/ActionCatalogue.h"
#include "actions/FinderUi.h"
#include "actions/ProgramSearchPath.h"
#include "actions/TFindFile.h"

#include <string>
#include <utility>
#include <vector>

namespace larkspur {

inline constexpr const char* kFindAppProgressText = "Please wait, processing command...";

// The folders searched in place of drive letters. Folders that do not exist
// give no results and no message, like missing drives.
struct FinderRoots {
    std::vector<std::string> shortcutRoots;      // searched for "*.url"
    std::vector<std::string> desktopEntryRoots;  // "*.desktop": links and applications
    std::vector<std::string> programRoots;       // where a program named without folder is looked for

    // From $HOME and the usual system folders.
    static FinderRoots standard(const std::string& home);
};

// The program a desktop entry starts, when it names an installed program that
// needs no arguments and the entry has an icon; empty otherwise.
std::string desktopEntryProgram(const std::string& entryText, const ProgramLookup& lookup);

class ApplicationFinder {
public:
    ApplicationFinder(FinderUi& ui, FinderRoots roots, ProgramLookup lookup);

    // The stop-search flag: set by Cancel in the progress window.
    bool gStopFindApp() const { return m_stopFindApp; }
    void setStopFindApp(bool on) { m_stopFindApp = on; }
    void CancelFindClick() { m_stopFindApp = true; }

    TFindFile& FoundFiles() { return m_foundFiles; }

    // Where the searches look; replaceable, so a test searches its own folders.
    const FinderRoots& roots() const { return m_roots; }
    void setRoots(FinderRoots roots) { m_roots = std::move(roots); }

    // "Find App's && URL's": adds what it finds to catalogue's found groups
    // (without emptying them first) and sorts the catalogue.
    void FindAppBtnClick(ActionCatalogue& catalogue);

    // Disables the main window, clears the stop flag and shows the progress
    // window with text: what a caller does before FindProgramOnDisks.
    void beginSearch(const std::string& text);
    // Looks for a file called name under every program root in turn, asking
    // after each root with results whether to stop; the user picks one of the
    // locations. The chosen path, or name unchanged when none was chosen.
    std::string FindProgramOnDisks(const std::string& name);

private:
    // Runs FoundFiles over root; the files (not folders) it found.
    std::vector<std::string> searchRoot(const std::string& root, const std::string& filter);
    void endSearch();

    FinderUi& m_ui;
    FinderRoots m_roots;
    ProgramLookup m_lookup;
    TFindFile m_foundFiles;
    bool m_stopFindApp = false;
};

} // namespace larkspur
