#pragma once
// The catalogue of ready-made voice commands that the Create panel offers as
// a tree: groups of items, each with a display text and an item code, and
// what a double-click on an item puts into the phrase and action fields.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace larkspur {

// Item codes with a meaning of their own.
inline constexpr int kCodeFoundFile = 0;
inline constexpr int kCodeOwnText = 1;
inline constexpr int kCodeDefaultApplications = 4;
inline constexpr int kCodeFoundApplications = 5;
inline constexpr int kCodeCalculator = 50;
inline constexpr int kCodeFileOptions = 70;
inline constexpr int kCodeFoundUrlFavorites = 300;

struct CatalogueNode {
    std::string text;
    int code = 0;
    std::vector<CatalogueNode> children;
};

// One item of the ready-made tables: where it hangs, what it shows, and what
// it inserts.
struct CatalogueItem {
    int group = 0;
    int code = 0;
    const char* text = "";
    const char* action = "";
    const char* phrase = "";
};

// The top-level nodes (group code 0 in each entry) and every item, in the
// order they are written down; the tree sorts them.
const std::vector<CatalogueItem>& catalogueTopLevel();
const std::vector<CatalogueItem>& catalogueItems();

// What a double-click does to the Create panel.
struct CatalogueInsert {
    bool changesFields = false;  // false: both fields keep their text
    std::string phrase;          // for BuiltVCText
    std::string action;          // for BuiltVCAct
    bool quickStartStep2 = false;
    bool quickStartStep3 = false;
};

// The phrase of a found file: its name without the folder, and without the
// extension when it has one.
std::string foundFilePhrase(const std::string& path);

// A found file that is a web shortcut: a ".url" file, or a desktop entry of
// Type=Link. Reads the file for the second kind.
bool isWebShortcutFile(const std::string& path);

// The address a web shortcut's text holds: its "URL=" line; failing that, the
// second line without its first four characters; empty when there is neither.
std::string webShortcutAddress(const std::string& fileText);

class ActionCatalogue {
public:
    // defaultActions replaces the actions of the "Default Applications" items
    // by code with programs that exist on this desktop.
    explicit ActionCatalogue(const std::map<int, std::string>& defaultActions = {});

    const std::vector<CatalogueNode>& nodes() const { return m_nodes; }
    // The top-level node with this code, null when there is none.
    CatalogueNode* group(int code);
    const CatalogueNode* group(int code) const;

    // Hangs a found file (code 0, its full path as the text) under "Found
    // Applications" or "Found URL Favorites". The tree is not sorted here.
    void addFoundApplication(const std::string& path);
    void addFoundUrlFavorite(const std::string& path);
    // Orders every level by text, letter case aside.
    void sortByText();

    // The action the catalogue has for an item code, if it has one.
    std::optional<std::string> actionOf(int code) const;

    // A double-click (or Enter) on node.
    CatalogueInsert BuildListBoxDblClick(const CatalogueNode& node) const;
    // Enter (13) acts like a double-click; other keys do nothing here.
    std::optional<CatalogueInsert> BuildListBoxKeyPress(const CatalogueNode& node, char key) const;

private:
    std::vector<CatalogueNode> m_nodes;
    std::map<int, std::string> m_defaultActions;
};

} // namespace larkspur
