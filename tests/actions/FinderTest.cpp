// The file search and the application finder over small folder trees.

#include "actions/ApplicationFinder.h"
#include "actions/TFindFile.h"
#include "tests/actions/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace larkspur {
namespace {

using test::ScriptedFinderUi;
using test::TempDir;

std::vector<std::string> relative(const std::vector<std::string>& paths, const std::string& root)
{
    std::vector<std::string> out;
    for (const std::string& p : paths)
        out.push_back(p.substr(root.size()));
    return out;
}

// --- TFindFile -------------------------------------------------------------

TEST(FindFile, SearchesTheTreeBreadthFirstAndCountsFilesAndFolders)
{
    TempDir dir;
    dir.write("a/deep/x.exe", "12345");
    dir.write("b/x.exe", "12");
    dir.write("x.exe", "1");
    dir.write("x.txt", "");
    std::filesystem::create_directories(dir.file("c/x.exe"));  // a folder named like the file

    TFindFile find;
    find.setRecurse(true);
    find.setDirectory(dir.path());
    find.setFilter("X.EXE");  // letter case aside, as stored actions spell names
    find.setAttributes(TAttrOption::ffVolumeID | TAttrOption::ffDirectory | TAttrOption::ffArchive);
    std::vector<std::string> visited;
    find.OnNewPath = [&](TFindFile&, const std::string& path, bool&) { visited.push_back(path); };
    find.Execute();

    EXPECT_EQ(relative(find.Files(), dir.path()),
              (std::vector<std::string>{"/x.exe", "/b/x.exe", "/c/x.exe", "/a/deep/x.exe"}));
    EXPECT_EQ(relative(visited, dir.path()), (std::vector<std::string>{"/", "/a/", "/b/", "/c/", "/a/deep/", "/c/x.exe/"}));
    EXPECT_EQ(find.FileCount(), 3);
    EXPECT_EQ(find.DirCount(), 1);
    EXPECT_EQ(find.TotalSize(), 1 + 2 + 5);
}

TEST(FindFile, HiddenFilesAndFoldersMatchOnlyWhenAsked)
{
    TempDir dir;
    dir.write(".secret.url", "");
    dir.write("plain.url", "");
    dir.write(".hidden/inside.url", "");  // hidden folders are still searched
    std::filesystem::create_directories(dir.file("folder.url"));

    TFindFile find;
    find.setRecurse(true);
    find.setDirectory(dir.path());
    find.setFilter("*.url");
    find.setAttributes(TAttrOption::ffArchive);
    find.Execute();
    EXPECT_EQ(relative(find.Files(), dir.path()), (std::vector<std::string>{"/plain.url", "/.hidden/inside.url"}));

    find.setAttributes(TAttrOption::ffHidden | TAttrOption::ffDirectory);
    find.Execute();
    EXPECT_EQ(relative(find.Files(), dir.path()),
              (std::vector<std::string>{"/.secret.url", "/folder.url", "/plain.url", "/.hidden/inside.url"}));
    EXPECT_EQ(find.DirCount(), 1);
    EXPECT_EQ(find.FileCount(), 3);
}

TEST(FindFile, WithoutRecurseOnlyTheFolderAndStarDotStarMatchesNamesWithoutDot)
{
    TempDir dir;
    dir.write("gedit", "");
    dir.write("sub/other", "");
    TFindFile find;
    find.setDirectory(dir.path());
    find.Execute();
    EXPECT_EQ(relative(find.Files(), dir.path()), (std::vector<std::string>{"/gedit"}));
}

TEST(FindFile, AbortFromOnNewPathStopsTheSearchAndLinksToFoldersAreNotFollowed)
{
    TempDir dir;
    dir.write("a/hit", "");
    dir.write("b/hit", "");
    std::filesystem::create_directory_symlink(dir.path(), dir.file("a/loop"));

    TFindFile find;
    find.setRecurse(true);
    find.setDirectory(dir.path());
    find.setFilter("hit");
    find.Execute();
    EXPECT_EQ(relative(find.Files(), dir.path()), (std::vector<std::string>{"/a/hit", "/b/hit"}));

    find.OnNewPath = [&](TFindFile&, const std::string& path, bool& abort) { abort = path.ends_with("/b/"); };
    find.Execute();
    EXPECT_TRUE(find.Abort());
    EXPECT_EQ(relative(find.Files(), dir.path()), (std::vector<std::string>{"/a/hit"}));
}

// --- FindProgramOnDisks ------------------------------------------------------

class ProgramSearch : public ::testing::Test {
protected:
    ProgramSearch()
    {
        roots.programRoots = {dir.file("first"), dir.file("missing"), dir.file("second"), dir.file("third")};
    }
    TempDir dir;
    ScriptedFinderUi ui;
    FinderRoots roots;
};

TEST_F(ProgramSearch, NoOnTheFirstRootAndYesOnTheSecondOffersBothFirstRootFirst)
{
    const std::string a = dir.write("first/bin/tool", "", 0755);
    const std::string b = dir.write("second/tool", "", 0755);
    dir.write("third/tool", "", 0755);
    ApplicationFinder finder(ui, roots, {});
    ui.answers = {false, true};
    ui.choice = 1;
    finder.beginSearch("Please wait");

    EXPECT_EQ(finder.FindProgramOnDisks("tool"), b);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{
                                "Found location(s) on drive " + dir.file("first")
                                    + ":. Do you want to see the location(s) and stop the search?",
                                "Found location(s) on drive " + dir.file("second")
                                    + ":. Do you want to see the location(s) and stop the search?"}));
    EXPECT_EQ(ui.offered, (std::vector<std::string>{a, b}));
    EXPECT_FALSE(ui.progressShown);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(finder.FoundFiles().Files().empty());
}

TEST_F(ProgramSearch, NothingFoundSaysSorryAndReturnsTheBareName)
{
    ApplicationFinder finder(ui, roots, {});
    EXPECT_EQ(finder.FindProgramOnDisks("NOTEPAD.EXE"), "NOTEPAD.EXE");
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{
                  "I'm sorry, but we can not find NOTEPAD.EXE on your system. Please edit voice command!"}));
    EXPECT_TRUE(ui.offered.empty());
}

TEST_F(ProgramSearch, CancelInTheChooserReturnsTheNameWithoutAMessage)
{
    dir.write("second/tool", "", 0755);
    ApplicationFinder finder(ui, roots, {});
    ui.choice.reset();
    EXPECT_EQ(finder.FindProgramOnDisks("tool"), "tool");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.offered.size(), 1u);
}

TEST_F(ProgramSearch, CancelDuringTheSearchStopsBeforeTheNextRootAndOffersWhatWasFound)
{
    const std::string a = dir.write("first/tool", "", 0755);
    dir.write("second/tool", "", 0755);
    ApplicationFinder finder(ui, roots, {});
    ui.onEvents = [&] { finder.CancelFindClick(); };  // pressed while the first root is searched
    EXPECT_EQ(finder.FindProgramOnDisks("tool"), a);
    EXPECT_EQ(ui.offered, (std::vector<std::string>{a}));
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_FALSE(finder.gStopFindApp());
}

TEST_F(ProgramSearch, NameIsLookedForLiterallyNotAsAPattern)
{
    dir.write("first/tool", "", 0755);
    ApplicationFinder finder(ui, roots, {});
    EXPECT_EQ(finder.FindProgramOnDisks("t*"), "t*");
    EXPECT_TRUE(ui.offered.empty());
}

// --- Find App's && URL's -----------------------------------------------------

class CatalogueSearch : public ::testing::Test {
protected:
    CatalogueSearch()
    {
        roots.shortcutRoots = {dir.file("home")};
        roots.desktopEntryRoots = {dir.file("apps"), dir.file("no-such-folder")};
        lookup = [this](const std::string& name) -> std::optional<std::string> {
            const std::string path = dir.file("bin/" + name);
            return std::filesystem::exists(path) ? std::optional<std::string>(path) : std::nullopt;
        };
    }
    std::vector<std::string> children(const ActionCatalogue& c, int code)
    {
        std::vector<std::string> texts;
        for (const CatalogueNode& n : c.group(code)->children) {
            EXPECT_EQ(n.code, kCodeFoundFile);
            texts.push_back(n.text);
        }
        return texts;
    }
    TempDir dir;
    ScriptedFinderUi ui;
    FinderRoots roots;
    ProgramLookup lookup;
    ActionCatalogue catalogue;
};

TEST_F(CatalogueSearch, FindsShortcutsLinksAndApplicationsWithIconsAndListsThemAgainOnASecondRun)
{
    const std::string shortcut = dir.write("home/Favorites/News.url", "[InternetShortcut]\nURL=http://news.example/\n");
    const std::string link = dir.write("apps/docs.desktop", "[Desktop Entry]\nType=Link\nURL=https://docs.example\n");
    const std::string editor = dir.write("bin/editor", "", 0755);
    dir.write("bin/plain", "", 0755);
    dir.write("apps/editor.desktop", "[Desktop Entry]\nType=Application\nIcon=editor\nExec=editor %F\n");
    dir.write("apps/plain.desktop", "[Desktop Entry]\nType=Application\nExec=plain\n");  // no icon
    dir.write("apps/flat.desktop", "[Desktop Entry]\nType=Application\nIcon=x\nExec=editor --new-window\n");

    ApplicationFinder finder(ui, roots, lookup);
    finder.FindAppBtnClick(catalogue);
    EXPECT_EQ(ui.progress, (std::vector<std::string>{"Please wait, processing command..."}));
    EXPECT_FALSE(ui.progressShown);
    EXPECT_EQ(children(catalogue, kCodeFoundUrlFavorites), (std::vector<std::string>{link, shortcut}));
    EXPECT_EQ(children(catalogue, kCodeFoundApplications), (std::vector<std::string>{editor}));

    finder.FindAppBtnClick(catalogue);
    EXPECT_EQ(children(catalogue, kCodeFoundUrlFavorites), (std::vector<std::string>{link, link, shortcut, shortcut}));
    EXPECT_EQ(children(catalogue, kCodeFoundApplications), (std::vector<std::string>{editor, editor}));
}

TEST_F(CatalogueSearch, CancelStopsBetweenFoundEntries)
{
    dir.write("home/a.url", "[InternetShortcut]\nURL=http://a/\n");
    dir.write("home/b.url", "[InternetShortcut]\nURL=http://b/\n");
    ApplicationFinder finder(ui, roots, lookup);
    ui.onEvents = [&] {
        if (!catalogue.group(kCodeFoundUrlFavorites)->children.empty())
            finder.CancelFindClick();
    };
    finder.FindAppBtnClick(catalogue);
    EXPECT_EQ(catalogue.group(kCodeFoundUrlFavorites)->children.size(), 1u);
    EXPECT_FALSE(finder.gStopFindApp());
}

} // namespace
} // namespace larkspur
