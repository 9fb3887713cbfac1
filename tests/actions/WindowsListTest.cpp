// The window list and the browser-window test.

#include "actions/BrowserWindow.h"
#include "actions/TWindowsList.h"
#include "Fakes.h"

#include <gtest/gtest.h>

using namespace larkspur;

TEST(WindowsList, KeepsVisibleTitledWindowsInStackOrder)
{
    test::FakeWindowSystem desktop;
    desktop.windows = {
        {1, "Top", "", true, false, 10},
        {2, "", "", true, false, 11},
        {3, "Hidden", "", false, false, 12},
        {4, "Minimised", "", true, true, 13},
        {5, std::string(300, 'x'), "", true, false, 14},
    };
    TWindowsList list(desktop);
    list.setAcceptEmptyNames(false);
    list.Refresh();
    ASSERT_EQ(list.TheWindowsList().size(), 3u);
    EXPECT_EQ(list.TheWindowsList()[0].title, "Top");
    EXPECT_EQ(list.WindowHandle(1), 4u);
    EXPECT_EQ(list.TheWindowsList()[2].title.size(), 255u);
    EXPECT_EQ(list.WindowHandle(3), 0u);

    list.setAcceptEmptyNames(true);
    list.Refresh();
    ASSERT_EQ(list.TheWindowsList().size(), 4u);
    EXPECT_EQ(list.WindowHandle(1), 2u);
}

TEST(BrowserWindow, ClassicTitlesAndClassesAreCaseSensitive)
{
    EXPECT_TRUE(isBrowserWindow("Start - Microsoft Internet Explorer", ""));
    EXPECT_TRUE(isBrowserWindow("Netscape Navigator", ""));
    EXPECT_TRUE(isBrowserWindow("", "IEFrame"));
    EXPECT_TRUE(isBrowserWindow("", "Afx:400000:b:10008:6:504c6"));
    EXPECT_FALSE(isBrowserWindow("internet explorer", ""));
    EXPECT_FALSE(isBrowserWindow("Text Editor", "gedit"));
}

TEST(BrowserWindow, CurrentLinuxBrowsersByWindowClass)
{
    for (const char* cls : {"firefox", "firefox-esr", "Chromium", "Google-chrome", "Brave-browser", "Epiphany",
                            "org.gnome.Epiphany", "falkon", "konqueror", "Midori", "Vivaldi-stable", "Opera"})
        EXPECT_TRUE(isBrowserWindow("Some page", cls)) << cls;
    EXPECT_FALSE(isBrowserWindow("Firefox notes.txt", "Gedit"));
}
