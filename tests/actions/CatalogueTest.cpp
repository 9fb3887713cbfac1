// The catalogue's tree, what its items insert, and the default applications
// found on this desktop.

#include "actions/ActionCatalogue.h"
#include "actions/DefaultApplications.h"
#include "actions/ProgramSearchPath.h"
#include "tests/actions/Fakes.h"

#include <gtest/gtest.h>

namespace larkspur {
namespace {

using test::TempDir;

std::vector<std::string> texts(const std::vector<CatalogueNode>& nodes)
{
    std::vector<std::string> out;
    for (const CatalogueNode& n : nodes)
        out.push_back(n.text);
    return out;
}

const CatalogueNode& item(const ActionCatalogue& c, int group, const std::string& text)
{
    for (const CatalogueNode& n : c.group(group)->children)
        if (n.text == text)
            return n;
    ADD_FAILURE() << "no item " << text;
    static const CatalogueNode none;
    return none;
}

TEST(Catalogue, TreeHoldsTheGroupsAndItemsSortedByText)
{
    const ActionCatalogue c;
    EXPECT_EQ(texts(c.nodes()), (std::vector<std::string>{"Default Applications", "Enter your own text",
                                                          "Found Applications", "Found URL Favorites",
                                                          "General File Options", "General Keyboard Commands",
                                                          "General Mouse Commands", "General Window Commands"}));
    std::vector<int> codes;
    for (const CatalogueNode& n : c.nodes())
        codes.push_back(n.code);
    EXPECT_EQ(codes, (std::vector<int>{4, 1, 5, 300, 70, 3, 80, 2}));
    EXPECT_TRUE(c.group(kCodeFoundApplications)->children.empty());
    EXPECT_TRUE(c.group(kCodeFoundUrlFavorites)->children.empty());

    EXPECT_EQ(texts(c.group(4)->children),
              (std::vector<std::string>{"Calculator", "Character Map", "Internet Explorer", "Larkspur QTX",
                                        "Microsoft Paint", "Minesweeper", "Netscape Browser", "Notepad",
                                        "OutLook Express", "ScanDisk", "Solitaire", "Volume Control",
                                        "Windows Explorer", "WordPad"}));
    // Function keys sort as text: F1, F10 ... F16, F2 ... F9.
    std::vector<std::string> keys = texts(c.group(3)->children);
    const auto f1 = std::find(keys.begin(), keys.end(), "F1");
    ASSERT_NE(f1, keys.end());
    EXPECT_EQ(std::vector<std::string>(f1, f1 + 16),
              (std::vector<std::string>{"F1", "F10", "F11", "F12", "F13", "F14", "F15", "F16", "F2", "F3", "F4",
                                        "F5", "F6", "F7", "F8", "F9"}));
    EXPECT_EQ(keys.size(), 38u);  // codes 12 to 49
    EXPECT_EQ(item(c, 3, "Shift ").code, 12);  // the node text keeps its trailing blank
    EXPECT_EQ(c.group(80)->children.size(), 10u);
    EXPECT_EQ(c.group(2)->children.size(), 6u);
    EXPECT_EQ(c.group(70)->children.size(), 6u);
}

TEST(Catalogue, DoubleClickInsertsTheItemsPhraseAndAction)
{
    const ActionCatalogue c;
    const CatalogueInsert ctrl = c.BuildListBoxDblClick(item(c, 3, "Ctrl"));
    EXPECT_TRUE(ctrl.changesFields);
    EXPECT_EQ(ctrl.phrase, "Control");
    EXPECT_EQ(ctrl.action, "^");

    const CatalogueInsert help = c.BuildListBoxDblClick(item(c, 3, "Help"));
    EXPECT_EQ(help.phrase, "Help");
    EXPECT_EQ(help.action, "{F1}");

    // The click pairing that stored tables rely on.
    EXPECT_EQ(c.BuildListBoxDblClick(item(c, 80, "Mouse Click")).action, "{MOUSE DBCLICK}");
    EXPECT_EQ(c.BuildListBoxDblClick(item(c, 80, "Mouse Double-Click")).action, "{MOUSE CLICK}");
    EXPECT_EQ(c.BuildListBoxDblClick(item(c, 70, "File Print")).action, "@FP{ENTER}");
    EXPECT_EQ(c.BuildListBoxDblClick(item(c, 4, "WordPad")).phrase, "Wordpad");
    EXPECT_EQ(c.BuildListBoxDblClick(item(c, 4, "Notepad")).action, "!NOTEPAD.EXE");

    const CatalogueInsert own = c.BuildListBoxDblClick(*c.group(kCodeOwnText));
    EXPECT_EQ(own.phrase, "Just type over this!");
    EXPECT_EQ(own.action, "Just type over this!");
}

TEST(Catalogue, GroupNodesInsertNothingExceptFileOptionsWhichEmptiesBoth)
{
    const ActionCatalogue c;
    for (int code : {2, 3, 4, 5, 80, 300}) {
        const CatalogueInsert insert = c.BuildListBoxDblClick(*c.group(code));
        EXPECT_FALSE(insert.changesFields) << code;
        EXPECT_EQ(insert.quickStartStep2, code == 4) << code;
        EXPECT_FALSE(insert.quickStartStep3);
    }
    const CatalogueInsert empty = c.BuildListBoxDblClick(*c.group(kCodeFileOptions));
    EXPECT_TRUE(empty.changesFields);
    EXPECT_EQ(empty.phrase, "");
    EXPECT_EQ(empty.action, "");
}

TEST(Catalogue, CalculatorSetsQuickStartStepThreeAndEnterActsLikeADoubleClick)
{
    const ActionCatalogue c;
    const CatalogueNode& calculator = item(c, 4, "Calculator");
    EXPECT_TRUE(c.BuildListBoxDblClick(calculator).quickStartStep3);
    EXPECT_FALSE(c.BuildListBoxDblClick(item(c, 4, "Notepad")).quickStartStep3);

    const std::optional<CatalogueInsert> enter = c.BuildListBoxKeyPress(calculator, '\r');
    ASSERT_TRUE(enter);
    EXPECT_EQ(enter->phrase, "Calculator");
    EXPECT_TRUE(enter->quickStartStep3);
    EXPECT_FALSE(c.BuildListBoxKeyPress(calculator, 'a'));
}

TEST(Catalogue, FoundFilesGiveProgramActionsOrTheShortcutsAddress)
{
    TempDir dir;
    ActionCatalogue c;
    const std::string program = dir.write("tools/EDIT.EXE", "");
    const std::string curly = dir.write("curly/editor", "line one\nline two\n", 0755);
    const std::string shortcut = dir.write("fav/Weather Report.url", "[InternetShortcut]\r\nURL=http://weather.example/\r\n");
    const std::string link = dir.write("apps/docs.desktop", "[Desktop Entry]\nName=Docs\nType=Link\nURL=https://docs.example/\n");
    const std::string shortOne = dir.write("fav/short.url", "[InternetShortcut]\n");
    for (const std::string& p : {program, curly, shortcut, link, shortOne})
        c.addFoundApplication(p);
    c.sortByText();

    const auto insert = [&](const std::string& path) {
        return c.BuildListBoxDblClick(CatalogueNode{path, kCodeFoundFile, {}});
    };
    EXPECT_EQ(insert(program).phrase, "EDIT");
    EXPECT_EQ(insert(program).action, "!" + program);
    // A program whose folder happens to contain "url" stays a program.
    EXPECT_EQ(insert(curly).phrase, "editor");
    EXPECT_EQ(insert(curly).action, "!" + curly);
    EXPECT_EQ(insert(shortcut).phrase, "Weather Report");
    EXPECT_EQ(insert(shortcut).action, "http://weather.example/");
    EXPECT_EQ(insert(link).phrase, "docs");
    EXPECT_EQ(insert(link).action, "https://docs.example/");
    EXPECT_EQ(insert(shortOne).phrase, "short");
    EXPECT_EQ(insert(shortOne).action, "");
}

// --- Default applications ------------------------------------------------------

TEST(DefaultApplications, EachRoleTakesTheFirstInstalledCandidateOnThePath)
{
    TempDir dir;
    dir.write("bin1/kcalc", "", 0755);
    dir.write("bin2/gnome-calculator", "", 0755);
    dir.write("bin1/mousepad", "", 0755);
    dir.write("bin2/pavucontrol", "", 0644);  // not executable: not a program
    dir.write("bin2/larkspur", "", 0755);
    const std::string path = dir.file("bin1") + ":relative:" + dir.file("bin2");
    const std::map<int, std::string> actions =
        defaultApplicationActions(pathLookup(path), [] { return std::string("/opt/web/browser"); });

    EXPECT_EQ(actions.at(50), "!" + dir.file("bin2/gnome-calculator"));  // the list's order, not PATH's
    EXPECT_EQ(actions.at(53), "!" + dir.file("bin1/mousepad"));
    EXPECT_EQ(actions.at(54), "!" + dir.file("bin1/mousepad"));  // no word processor: the text editor
    EXPECT_EQ(actions.at(63), "!pavucontrol");                    // bare name for the finder
    EXPECT_EQ(actions.at(57), "!nautilus");
    EXPECT_EQ(actions.at(100), "!" + dir.file("bin2/larkspur"));
    EXPECT_EQ(actions.at(55), "!/opt/web/browser");
    EXPECT_EQ(actions.at(58), "!/opt/web/browser");

    // The catalogue keeps its texts and phrases and inserts these actions.
    const ActionCatalogue c(actions);
    const CatalogueInsert calc = c.BuildListBoxDblClick(item(c, 4, "Calculator"));
    EXPECT_EQ(calc.phrase, "Calculator");
    EXPECT_EQ(calc.action, actions.at(50));
    EXPECT_EQ(c.BuildListBoxDblClick(item(c, 4, "Internet Explorer")).phrase, "Internet Explorer");
}

TEST(DefaultApplications, BrowserFallsBackToAKnownBrowserOnThePath)
{
    TempDir dir;
    dir.write("bin/chromium", "", 0755);
    const std::map<int, std::string> actions = defaultApplicationActions(pathLookup(dir.file("bin")), {});
    EXPECT_EQ(actions.at(55), "!" + dir.file("bin/chromium"));
}

} // namespace
} // namespace larkspur
