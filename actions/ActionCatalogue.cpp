#include "actions/ActionCatalogue.h"

#include "actions/DesktopEntry.h"
#include "actions/TextCase.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace larkspur {

namespace {

const char* const kOwnText = "Just type over this!";
// Shortcut files are a few lines; anything bigger is not one.
constexpr std::streamsize kMaxShortcutBytes = 64 * 1024;

std::optional<std::string> readSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text(static_cast<size_t>(kMaxShortcutBytes), '\0');
    in.read(text.data(), kMaxShortcutBytes);
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(std::move(line));
        start = end + 1;
    }
    return out;
}

bool endsWithNoCase(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && upperCase(text.substr(text.size() - tail.size())) == upperCase(tail);
}

std::string fileNamePart(const std::string& path)
{
    const size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

bool lessByText(const CatalogueNode& a, const CatalogueNode& b)
{
    const std::string ua = upperCase(a.text);
    const std::string ub = upperCase(b.text);
    return ua != ub ? ua < ub : a.text < b.text;
}

void sortLevel(std::vector<CatalogueNode>& level)
{
    std::stable_sort(level.begin(), level.end(), lessByText);
    for (CatalogueNode& n : level)
        sortLevel(n.children);
}

} // namespace

const std::vector<CatalogueItem>& catalogueTopLevel()
{
    static const std::vector<CatalogueItem> top = {
        {0, kCodeDefaultApplications, "Default Applications", "", ""},
        {0, kCodeOwnText, "Enter your own text", kOwnText, kOwnText},
        {0, kCodeFoundApplications, "Found Applications", "", ""},
        {0, kCodeFoundUrlFavorites, "Found URL Favorites", "", ""},
        {0, kCodeFileOptions, "General File Options", "", ""},
        {0, 3, "General Keyboard Commands", "", ""},
        {0, 80, "General Mouse Commands", "", ""},
        {0, 2, "General Window Commands", "", ""},
    };
    return top;
}

const std::vector<CatalogueItem>& catalogueItems()
{
    static const std::vector<CatalogueItem> items = {
        // Default Applications
        {4, 50, "Calculator", "!CALC.EXE", "Calculator"},
        {4, 51, "Character Map", "!CHARMAP.EXE", "Character Map"},
        {4, 55, "Internet Explorer", "!IEXPLORE.EXE", "Internet Explorer"},
        {4, 52, "Microsoft Paint", "!MSPAINT.EXE", "Microsoft Paint"},
        {4, 60, "Minesweeper", "!WINMINE.EXE", "Minesweeper"},
        {4, 58, "Netscape Browser", "!NETSCAPE.EXE", "Netscape Browser"},
        {4, 53, "Notepad", "!NOTEPAD.EXE", "Notepad"},
        {4, 56, "OutLook Express", "!MSIMN.EXE", "OutLook Express"},
        {4, 62, "ScanDisk", "!SCANDSKW.EXE", "ScanDisk"},
        {4, 61, "Solitaire", "!SOL.EXE", "Solitaire"},
        {4, 100, "Larkspur QTX", "!LARKSPUR.EXE", "Larkspur QTX"},
        {4, 63, "Volume Control", "!SNDVOL32.EXE", "Volume Control"},
        {4, 57, "Windows Explorer", "!EXPLORER.EXE", "Windows Explorer"},
        {4, 54, "WordPad", "!WORDPAD.EXE", "Wordpad"},
        // General File Options
        {70, 68, "File Close", "@FC", "File Close"},
        {70, 64, "File New", "@FN", "File New"},
        {70, 65, "File Open", "@FO", "File Open"},
        {70, 69, "File Print", "@FP{ENTER}", "File Print"},
        {70, 66, "File Save", "@FS", "File Save"},
        {70, 67, "File Save As", "@FA", "File Save As"},
        // General Keyboard Commands
        {3, 14, "Alt", "@", "Alt"},
        {3, 15, "Backspace", "{BKSP}", "BackSpace"},
        {3, 16, "Break", "{BREAK}", "Break"},
        {3, 17, "Caps Lock", "{CAPSLOCK}", "Caps Lock"},
        {3, 13, "Ctrl", "^", "Control"},
        {3, 18, "Del", "{DELETE}", "Delete"},
        {3, 19, "Down Arrow", "{DOWN}", "Down Arrow"},
        {3, 20, "End", "{END}", "End"},
        {3, 21, "Enter", "{ENTER}", "Enter"},
        {3, 22, "Esc", "{ESCAPE}", "Escape"},
        {3, 34, "F1", "{F1}", "F1"},
        {3, 35, "F2", "{F2}", "F2"},
        {3, 36, "F3", "{F3}", "F3"},
        {3, 37, "F4", "{F4}", "F4"},
        {3, 38, "F5", "{F5}", "F5"},
        {3, 39, "F6", "{F6}", "F6"},
        {3, 40, "F7", "{F7}", "F7"},
        {3, 41, "F8", "{F8}", "F8"},
        {3, 42, "F9", "{F9}", "F9"},
        {3, 43, "F10", "{F10}", "F10"},
        {3, 44, "F11", "{F11}", "F11"},
        {3, 45, "F12", "{F12}", "F12"},
        {3, 46, "F13", "{F13}", "F13"},
        {3, 47, "F14", "{F14}", "F14"},
        {3, 48, "F15", "{F15}", "F15"},
        {3, 49, "F16", "{F16}", "F16"},
        {3, 23, "Help", "{F1}", "Help"},
        {3, 24, "Home", "{HOME}", "Home"},
        {3, 25, "Ins", "{INSERT}", "Insert"},
        {3, 26, "Left Arrow", "{LEFT}", "Left Arrow"},
        {3, 27, "Num lock", "{NUMLOCK}", "NUM Lock"},
        {3, 28, "Page Down", "{PGDN}", "Page Down"},
        {3, 29, "Page Up", "{PGUP}", "Page Up"},
        {3, 30, "Print Screen", "{PRTSC}", "Print Screen"},
        {3, 31, "Right Arrow", "{RIGHT}", "Right Arrow"},
        {3, 12, "Shift ", "~", "Shift"},
        {3, 32, "Tab", "{TAB}", "Tab"},
        {3, 33, "Up Arrow", "{UP}", "Up Arrow"},
        // General Mouse Commands: "{MOUSE DBCLICK}" is the single click and
        // "{MOUSE CLICK}" the double click; stored tables rely on it.
        {80, 87, "Mouse Click", "{MOUSE DBCLICK}", "Mouse Click"},
        {80, 86, "Mouse Double-Click", "{MOUSE CLICK}", "Mouse Double-Click"},
        {80, 81, "Mouse Down", "{MOUSE DOWN}", "Mouse Down"},
        {80, 88, "Mouse Faster", "{MOUSE FASTER}", "Mouse Faster"},
        {80, 82, "Mouse Left", "{MOUSE LEFT}", "Mouse Left"},
        {80, 83, "Mouse Right", "{MOUSE RIGHT}", "Mouse Right"},
        {80, 90, "Mouse Right Click", "{MOUSE RCLICK}", "Mouse Right Click"},
        {80, 89, "Mouse Slower", "{MOUSE SLOWER}", "Mouse Slower"},
        {80, 84, "Mouse Stop", "{MOUSE STOP}", "Mouse Stop"},
        {80, 85, "Mouse Up", "{MOUSE UP}", "Mouse Up"},
        // General Window Commands
        {2, 6, "Close Window", "@{F4}", "Close Window"},
        {2, 7, "Maximize", "@ X", "Maximize"},
        {2, 8, "Minimize", "@ N", "Minimize"},
        {2, 9, "Move", "@ M", "Move"},
        {2, 10, "Restore", "@ R", "Restore"},
        {2, 11, "Size", "@ S", "Size"},
    };
    return items;
}

std::string foundFilePhrase(const std::string& path)
{
    std::string name = fileNamePart(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

bool isWebShortcutFile(const std::string& path)
{
    if (endsWithNoCase(path, ".url"))
        return true;
    if (!endsWithNoCase(path, ".desktop"))
        return false;
    const std::optional<std::string> text = readSmallFile(path);
    return text && desktopEntryType(*text) == "Link";
}

std::string webShortcutAddress(const std::string& fileText)
{
    const std::vector<std::string> all = lines(fileText);
    for (const std::string& line : all)
        if (line.rfind("URL=", 0) == 0)
            return line.substr(4);
    if (all.size() >= 2 && all[1].size() > 4)
        return all[1].substr(4);
    return {};
}

ActionCatalogue::ActionCatalogue(const std::map<int, std::string>& defaultActions)
    : m_defaultActions(defaultActions)
{
    for (const CatalogueItem& top : catalogueTopLevel())
        m_nodes.push_back({top.text, top.code, {}});
    for (const CatalogueItem& item : catalogueItems())
        group(item.group)->children.push_back({item.text, item.code, {}});
    sortByText();
}

CatalogueNode* ActionCatalogue::group(int code)
{
    for (CatalogueNode& n : m_nodes)
        if (n.code == code)
            return &n;
    return nullptr;
}

const CatalogueNode* ActionCatalogue::group(int code) const
{
    return const_cast<ActionCatalogue*>(this)->group(code);
}

void ActionCatalogue::addFoundApplication(const std::string& path)
{
    group(kCodeFoundApplications)->children.push_back({path, kCodeFoundFile, {}});
}

void ActionCatalogue::addFoundUrlFavorite(const std::string& path)
{
    group(kCodeFoundUrlFavorites)->children.push_back({path, kCodeFoundFile, {}});
}

void ActionCatalogue::sortByText()
{
    sortLevel(m_nodes);
}

std::optional<std::string> ActionCatalogue::actionOf(int code) const
{
    if (const auto it = m_defaultActions.find(code); it != m_defaultActions.end())
        return it->second;
    for (const CatalogueItem& item : catalogueItems())
        if (item.code == code)
            return std::string(item.action);
    return std::nullopt;
}

CatalogueInsert ActionCatalogue::BuildListBoxDblClick(const CatalogueNode& node) const
{
    CatalogueInsert insert;
    insert.quickStartStep2 = node.code == kCodeDefaultApplications;
    if (node.code == kCodeFoundFile) {
        insert.changesFields = true;
        insert.phrase = foundFilePhrase(node.text);
        // Decided by what the file is, not by "URL" somewhere in its path: a
        // program in a folder such as ~/curly/ is still a program.
        if (isWebShortcutFile(node.text))
            insert.action = webShortcutAddress(readSmallFile(node.text).value_or(std::string()));
        else
            insert.action = "!" + node.text;
        return insert;
    }
    if (node.code == kCodeOwnText) {
        insert.changesFields = true;
        insert.phrase = insert.action = kOwnText;
        return insert;
    }
    if (node.code == kCodeFileOptions) {
        insert.changesFields = true;
        return insert;
    }
    for (const CatalogueItem& item : catalogueItems()) {
        if (item.code != node.code)
            continue;
        insert.changesFields = true;
        insert.phrase = item.phrase;
        insert.action = actionOf(item.code).value_or(item.action);
        insert.quickStartStep3 = item.code == kCodeCalculator;
        return insert;
    }
    return insert;
}

std::optional<CatalogueInsert> ActionCatalogue::BuildListBoxKeyPress(const CatalogueNode& node, char key) const
{
    if (key != '\r')
        return std::nullopt;
    return BuildListBoxDblClick(node);
}

} // namespace larkspur
