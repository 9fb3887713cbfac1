#pragma once
// Finds the desktop's default web browser and starts it on an address.

#include "actions/ProcessLauncher.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace larkspur {

enum class TBrowserState { gwMaximized, gwNormal };

// Where the desktop keeps its settings and applications; from the XDG
// environment variables in the program, from a temporary tree in tests.
struct XdgRoots {
    std::string configHome;               // ~/.config
    std::vector<std::string> configDirs;  // /etc/xdg
    std::string dataHome;                 // ~/.local/share
    std::vector<std::string> dataDirs;    // /usr/local/share, /usr/share
    // Asks the desktop for the default browser's desktop id; nullopt when it
    // cannot say.
    std::function<std::optional<std::string>()> defaultBrowserQuery;

    static XdgRoots fromEnvironment(ProcessLauncher& launcher);
};

class TGoToWeb {
public:
    TGoToWeb(ProcessLauncher& launcher, XdgRoots roots);

    const std::string& Url() const { return m_url; }
    void setUrl(const std::string& url) { m_url = url; }
    const std::string& EMail() const { return m_email; }
    void setEMail(const std::string& email) { m_email = email; }
    const std::string& EMailSubject() const { return m_emailSubject; }
    void setEMailSubject(const std::string& subject) { m_emailSubject = subject; }
    TBrowserState BrowserState() const { return m_browserState; }
    void setBrowserState(TBrowserState state) { m_browserState = state; }

    // The browser program's path, empty when none is registered; also sets
    // browserParameters().
    std::string BrowserPath();
    const std::string& browserParameters() const { return m_browserParameters; }
    // An executable file exists at BrowserPath().
    bool BrowserExists();
    // Starts the browser with its parameters and Url.
    bool GoToURL();

private:
    std::optional<std::string> readDesktopEntry(const std::string& id) const;
    std::optional<std::string> defaultBrowserExec() const;
    std::string resolveProgram(const std::string& program) const;

    ProcessLauncher& m_launcher;
    XdgRoots m_roots;
    std::string m_url;
    std::string m_email;
    std::string m_emailSubject;
    TBrowserState m_browserState = TBrowserState::gwMaximized;
    std::string m_browserParameters;
};

} // namespace larkspur
