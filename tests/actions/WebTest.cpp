// Opening addresses and finding the default browser in a desktop tree.

#include "actions/DesktopEntry.h"
#include "actions/TGoToWeb.h"
#include "actions/TURL.h"
#include "Fakes.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace larkspur;

TEST(OpenURL, PrefixByTypeAndXdgOpenAsArgv)
{
    test::FakeLauncher launcher;
    TURL url(launcher);
    EXPECT_FALSE(url.OpenURL());
    EXPECT_TRUE(launcher.spawned.empty());

    url.setURLType(TURLType::utMailto);
    url.setURL("someone@example.org");
    EXPECT_TRUE(url.OpenURL());
    ASSERT_EQ(launcher.spawned.size(), 1u);
    EXPECT_EQ(launcher.spawned[0], (std::vector<std::string>{"xdg-open", "mailto:someone@example.org"}));

    url.setURLType(TURLType::utHttp);
    url.setURL("a.example/x y;$(z)");
    url.OpenURL();
    EXPECT_EQ(launcher.spawned[1], (std::vector<std::string>{"xdg-open", "http://a.example/x y;$(z)"}));
    EXPECT_EQ(urlPrefix(TURLType::utNews), "news:");
    EXPECT_EQ(urlPrefix(TURLType::utFile), "file://");
}

TEST(OpenURL, FailuresOfTheOpenerAreReported)
{
    test::FakeLauncher launcher;
    TURL url(launcher);
    url.setURL("x.example");
    launcher.exitCode = 3;  // xdg-open: no handler
    EXPECT_FALSE(url.OpenURL());
    launcher.exitCode = std::nullopt;  // still running after the wait: started
    EXPECT_TRUE(url.OpenURL());
    launcher.nextSpawn = {0, ENOENT};
    EXPECT_FALSE(url.OpenURL());
}

TEST(BrowserCommand, ProgramThenParametersWithoutQuotesOrFieldCodes)
{
    BrowserCommand c = parseBrowserCommand("\"C:\\BROWSER\\BROWSE.EXE\" -nohome \"%1\"");
    EXPECT_EQ(c.program, "C:\\BROWSER\\BROWSE.EXE");
    EXPECT_EQ(c.parameters, "-nohome");
    c = parseBrowserCommand("C:\\B\\NS.EXE -h \"%1\"");
    EXPECT_EQ(c.program, "C:\\B\\NS.EXE");
    EXPECT_EQ(c.parameters, "-h");
    c = parseBrowserCommand("/usr/lib/firefox-esr/firefox-esr %u");
    EXPECT_EQ(c.program, "/usr/lib/firefox-esr/firefox-esr");
    EXPECT_EQ(c.parameters, "");
    c = parseBrowserCommand("\"/opt/My Browser/run\" --new-window %U --flag");
    EXPECT_EQ(c.program, "/opt/My Browser/run");
    EXPECT_EQ(c.parameters, "--new-window --flag");
    c = parseBrowserCommand("chromium");
    EXPECT_EQ(c.program, "chromium");
    EXPECT_EQ(c.parameters, "");
}

TEST(DesktopFiles, ExecComesFromTheDesktopEntryGroupOnly)
{
    EXPECT_EQ(desktopEntryExec("[Desktop Action new]\nExec=wrong\n[Desktop Entry]\nName=B\nExec = right %u\n"),
              "right %u");
    EXPECT_EQ(desktopEntryExec("[Desktop Entry]\nName=B\n"), std::nullopt);
    EXPECT_EQ(mimeAppsDefaults("[Added Associations]\nx-scheme-handler/http=no.desktop\n"
                               "[Default Applications]\r\ntext/html=h.desktop\r\n"
                               "x-scheme-handler/http=a.desktop;b.desktop;\r\n",
                               "x-scheme-handler/http"),
              (std::vector<std::string>{"a.desktop", "b.desktop"}));
}

class BrowserLookup : public ::testing::Test {
protected:
    test::TempDir dir;
    test::FakeLauncher launcher;

    XdgRoots roots(std::optional<std::string> defaultId = std::nullopt)
    {
        XdgRoots r;
        r.configHome = dir.file("config");
        r.configDirs = {dir.file("etc-xdg")};
        r.dataHome = dir.file("data");
        r.dataDirs = {dir.file("usr-local"), dir.file("usr")};
        r.defaultBrowserQuery = [defaultId] { return defaultId; };
        return r;
    }
    void write(const std::string& relative, const std::string& text, mode_t mode = 0644)
    {
        const std::filesystem::path path = dir.file(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
        ::chmod(path.c_str(), mode);
    }
    std::string browserProgram()
    {
        write("bin/browse", "#!/bin/sh\n", 0755);
        return dir.file("bin/browse");
    }
};

TEST_F(BrowserLookup, DesktopSettingWinsOverMimeApps)
{
    const std::string program = browserProgram();
    write("usr/applications/web.desktop", "[Desktop Entry]\nExec=" + program + " --private \"%u\"\n");
    write("usr/applications/other.desktop", "[Desktop Entry]\nExec=/nowhere/other %u\n");
    write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=other.desktop\n");
    TGoToWeb web(launcher, roots("web.desktop"));
    EXPECT_EQ(web.BrowserPath(), program);
    EXPECT_EQ(web.browserParameters(), "--private");
    EXPECT_TRUE(web.BrowserExists());
}

TEST_F(BrowserLookup, MimeAppsListsAreSearchedInOrder)
{
    const std::string program = browserProgram();
    write("etc-xdg/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=missing.desktop;sys.desktop\n");
    write("usr/applications/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=late.desktop\n");
    write("usr/applications/sys.desktop", "[Desktop Entry]\nExec=" + program + " %U\n");
    write("usr/applications/late.desktop", "[Desktop Entry]\nExec=/nowhere/late\n");
    TGoToWeb web(launcher, roots());
    EXPECT_EQ(web.BrowserPath(), program);
    EXPECT_EQ(web.browserParameters(), "");

    // A user's own entry of the same id comes before the system's.
    write("data/applications/sys.desktop", "[Desktop Entry]\nExec=/home/me/browser -x\n");
    EXPECT_EQ(web.BrowserPath(), "/home/me/browser");
    EXPECT_EQ(web.browserParameters(), "-x");
    EXPECT_FALSE(web.BrowserExists());
}

TEST_F(BrowserLookup, NoBrowserGivesEmptyPathAndNoStart)
{
    write("usr/applications/evil.desktop", "[Desktop Entry]\nExec=/bin/true\n");
    TGoToWeb web(launcher, roots("../applications/evil.desktop"));
    EXPECT_EQ(web.BrowserPath(), "");
    EXPECT_FALSE(web.BrowserExists());
    EXPECT_FALSE(web.GoToURL());
    EXPECT_TRUE(launcher.spawned.empty());
}

TEST_F(BrowserLookup, GoToUrlStartsTheBrowserWithItsParameters)
{
    const std::string program = browserProgram();
    write("usr/applications/web.desktop", "[Desktop Entry]\nExec=" + program + " -new-tab %u\n");
    TGoToWeb web(launcher, roots("web.desktop"));
    web.setUrl("http://example.org/a");
    EXPECT_TRUE(web.GoToURL());
    ASSERT_EQ(launcher.spawned.size(), 1u);
    EXPECT_EQ(launcher.spawned[0], (std::vector<std::string>{program, "-new-tab", "http://example.org/a"}));
}
