// larkspur-cli: train, recognize and inspect voice command tables without the GUI.

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DesktopCommand.h"
#include "cli/SendKeysCommand.h"
#include "engine/FileError.h"
#include "engine/SignalCleanup.h"

#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

const std::map<std::string, std::string> kCommandUsage = {
    {"train", "train --table T.EAR --phrase P --action A (--input REC.wav [--realtime] | --device NAME) [--accuracy N]"
              " [--matcher specified|enhanced]"},
    {"recognize", "recognize --table T.EAR (--input TEST.wav [--realtime] | --device NAME) [--accuracy N]"
                  " [--matcher specified|enhanced]"},
    {"run", "run --table T.EAR (--input F.wav [--realtime] | --device NAME) [--confidence 75] [--accuracy 15] "
            "[--dry-run] [--matcher specified|enhanced] [--push-to-talk-key KEY]"},
    {"dump", "dump T.EAR"},
    {"devices", "devices"},
    {"send-keys", "send-keys [--dry-run] TEXT..."},
    {"desktop", "desktop    (which back end keystrokes, mouse and windows use, and what it supports)"},
};
const char* const kOrder[] = {"train", "recognize", "run", "dump", "devices", "send-keys", "desktop"};

std::string usage()
{
    std::string text = "usage: larkspur-cli COMMAND [options]\n"
                       "       larkspur-cli COMMAND --help | --help | --version\n";
    for (const char* name : kOrder)
        text += "  " + kCommandUsage.at(name) + "\n";
    return text;
}

bool asksForHelp(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace larkspur::cli;
    // A signal or a file-size limit must not leave the sample store or a
    // half-written table behind.
    larkspur::installSignalCleanup();
    using Command = int (*)(const Args&, std::ostream&, std::ostream&);
    const std::map<std::string, Command> commands = {
        {"train", trainCommand},
        {"recognize", recognizeCommand},
        {"run", runCommand},
        {"dump", dumpCommand},
        {"devices", devicesCommand},
        {"send-keys", larkspur::sendKeysCommand},
        {"desktop", desktopCommand},
    };
    const std::string kUsage = usage();
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--version" || name == "-V") {
        std::cout << "larkspur-cli " << LARKSPUR_VERSION << "\n";
        return 0;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        const auto topic = argc > 2 ? kCommandUsage.find(argv[2]) : kCommandUsage.end();
        if (topic != kCommandUsage.end())
            std::cout << "usage: larkspur-cli " << topic->second << "\n";
        else
            std::cout << kUsage;
        return 0;
    }
    const auto command = commands.find(name);
    if (command == commands.end()) {
        std::cerr << "larkspur-cli: unknown command \"" << name << "\"\n" << kUsage;
        return 2;
    }
    const Args args(argv + 2, argv + argc);
    if (asksForHelp(args)) {
        std::cout << "usage: larkspur-cli " << kCommandUsage.at(name) << "\n";
        return 0;
    }
    try {
        return command->second(args, std::cout, std::cerr);
    } catch (const UsageError& e) {
        std::cerr << "larkspur-cli " << name << ": " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const larkspur::EInOutError& e) {
        std::cerr << "larkspur-cli " << name << ": " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "larkspur-cli " << name << ": " << e.what() << "\n";
        return 1;
    }
}
