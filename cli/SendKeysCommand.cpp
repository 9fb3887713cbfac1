#include "cli/SendKeysCommand.h"

#include "actions/ActionServices.h"
#include "cli/DesktopCommand.h"
#include "actions/RecordingKeyInjector.h"
#include "actions/TSendKey.h"

#include <cstdio>
#include <memory>

namespace larkspur {

namespace {

void printEvents(const RecordingKeyInjector& recorder, std::ostream& out)
{
    for (const SyntheticKeyEvent& e : recorder.events()) {
        char line[16];
        std::snprintf(line, sizeof line, "%s 0x%02X", e.up() ? "up" : "down", e.virtualKey);
        out << line << '\n';
    }
}

} // namespace

int sendKeysCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    bool dryRun = false;
    std::vector<std::string> texts;
    for (const std::string& a : args) {
        if (a == "--dry-run" && texts.empty())
            dryRun = true;
        else
            texts.push_back(a);
    }
    if (texts.empty()) {
        err << "send-keys needs at least one TEXT to send: send-keys [--dry-run] TEXT...\n";
        return 1;
    }

    ActionServices::Options options;
    options.recordingDesktop = dryRun;
    options.desktopHost.showStatus = cli::statusLineTo(err);
    ActionServices services(options);
    if (!dryRun && services.recording()) {
        err << services.desktopFailure() << '\n';
        return 1;
    }
    const RecordingKeyInjector& recorder = services.recordedKeys();
    TSendKey& sender = services.sendKeys();
    for (const std::string& text : texts) {
        try {
            sender.SendKeys(text);
        } catch (const ESendKey& e) {
            printEvents(recorder, out);
            err << e.what() << '\n';
            return 1;
        }
    }
    printEvents(recorder, out);
    return 0;
}

} // namespace larkspur
