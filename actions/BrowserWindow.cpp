#include "actions/BrowserWindow.h"

#include "actions/TextCase.h"

#include <string>

namespace larkspur {

namespace {

constexpr std::string_view kBrowserTitles[] = {"Internet Explorer", "Netscape"};
constexpr std::string_view kBrowserClasses[] = {"IEFrame", "Afx:400000:b:10008:6:504c6"};
// Upper case; matched as substrings so "firefox-esr", "Brave-browser" and
// "Vivaldi-stable" count too.
constexpr std::string_view kLinuxBrowserClasses[] = {
    "FIREFOX", "LIBREWOLF", "WATERFOX", "ICEWEASEL", "SEAMONKEY", "CHROMIUM", "GOOGLE-CHROME",
    "BRAVE", "EPIPHANY", "FALKON", "KONQUEROR", "MIDORI", "VIVALDI", "OPERA", "QUTEBROWSER",
    "PALEMOON", "MICROSOFT-EDGE", "TORBROWSER", "NETSURF", "DILLO",
};

} // namespace

bool isBrowserWindow(std::string_view title, std::string_view className)
{
    for (std::string_view t : kBrowserTitles)
        if (title.find(t) != std::string_view::npos)
            return true;
    for (std::string_view c : kBrowserClasses)
        if (className.find(c) != std::string_view::npos)
            return true;
    const std::string upperClass = upperCase(className);
    for (std::string_view c : kLinuxBrowserClasses)
        if (upperClass.find(c) != std::string::npos)
            return true;
    return false;
}

} // namespace larkspur
