#include "cli/DesktopCommand.h"

#include "cli/CommandLine.h"

namespace larkspur::cli {

namespace {

const char* yesNo(bool on)
{
    return on ? "yes" : "no";
}

} // namespace

std::string describeDesktop(const OpenedDesktop& desktop)
{
    std::string text;
    if (!desktop.session) {
        text += "back end: none\n";
        text += "  " + desktop.failure + "\n";
    } else {
        const DesktopCapabilities c = desktop.session->capabilities();
        text += "back end: " + desktop.session->backEndName() + "\n";
        text += std::string("  keystrokes: ") + yesNo(c.keys) + "\n";
        text += std::string("  characters not on the keyboard layout: ") + yesNo(c.anyCharacter) + "\n";
        text += std::string("  pointer moves: ") + yesNo(c.pointerMove) + "\n";
        text += std::string("  clicks: ") + yesNo(c.pointerButtons) + "\n";
        text += std::string("  window list: ") + yesNo(c.windowList) + "\n";
        text += std::string("  window activation: ") + yesNo(c.windowActivate) + "\n";
        text += std::string("  window process ids: ") + yesNo(c.windowProcessIds) + "\n";
        if (const std::string notice = desktop.session->notice(); !notice.empty())
            text += "  note: " + notice + "\n";
    }
    if (!desktop.notes.empty()) {
        text += "not used:\n";
        for (const std::string& note : desktop.notes)
            text += "  " + note + "\n";
    }
    return text;
}

std::function<void(const std::string&)> statusLineTo(std::ostream& err)
{
    return [&err](const std::string& line) { err << line << '\n' << std::flush; };
}

int desktopCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const CommandLine parsed(args, {}, {});
    if (!parsed.positional().empty())
        throw UsageError("desktop takes no arguments");
    DesktopHost host;
    host.showStatus = statusLineTo(err);
    const OpenedDesktop desktop = openDesktopSession(host);
    out << describeDesktop(desktop);
    return desktop.session ? 0 : 1;
}

} // namespace larkspur::cli
