#include "actions/DefaultApplications.h"

namespace larkspur {

namespace {

constexpr int kInternetExplorer = 55;
constexpr int kNetscape = 58;
// Tried for the browser items when the desktop names no default browser.
const std::vector<std::string> kBrowsers = {"firefox", "chromium", "google-chrome", "epiphany", "falkon", "konqueror"};

std::string firstInstalled(const std::vector<std::string>& candidates, const ProgramLookup& lookup)
{
    for (const std::string& name : candidates)
        if (const std::optional<std::string> path = lookup(name))
            return "!" + *path;
    return "!" + candidates.front();
}

} // namespace

const std::vector<DefaultApplicationRole>& defaultApplicationRoles()
{
    static const std::vector<std::string> textEditors = {
        "gedit", "gnome-text-editor", "kate", "kwrite", "mousepad", "xed", "pluma", "featherpad", "leafpad"};
    static const std::vector<DefaultApplicationRole> roles = [] {
        std::vector<std::string> wordProcessors = {"abiword", "lowriter"};
        wordProcessors.insert(wordProcessors.end(), textEditors.begin(), textEditors.end());
        return std::vector<DefaultApplicationRole>{
            {50, {"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk", "xcalc"}},
            {51, {"gucharmap", "kcharselect", "gnome-characters"}},
            {52, {"kolourpaint", "pinta", "mtpaint", "drawing"}},
            {53, textEditors},
            {54, wordProcessors},
            {56, {"thunderbird", "evolution", "geary", "kmail", "claws-mail"}},
            {57, {"nautilus", "dolphin", "thunar", "pcmanfm", "pcmanfm-qt", "nemo", "caja"}},
            {60, {"gnome-mines", "kmines", "xdemineur"}},
            {61, {"sol", "aisleriot", "kpat"}},
            {62, {"gnome-disks", "partitionmanager", "gparted"}},
            {63, {"pavucontrol", "pavucontrol-qt", "pwvucontrol", "mate-volume-control"}},
            {100, {"larkspur"}},
        };
    }();
    return roles;
}

std::map<int, std::string> defaultApplicationActions(const ProgramLookup& lookup,
                                                     const std::function<std::string()>& browserPath)
{
    std::map<int, std::string> actions;
    for (const DefaultApplicationRole& role : defaultApplicationRoles())
        actions[role.code] = firstInstalled(role.candidates, lookup);
    const std::string browser = browserPath ? browserPath() : std::string();
    const std::string browserAction = browser.empty() ? firstInstalled(kBrowsers, lookup) : "!" + browser;
    actions[kInternetExplorer] = browserAction;
    actions[kNetscape] = browserAction;
    return actions;
}

} // namespace larkspur
