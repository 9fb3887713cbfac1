// larkspur-cli: train, recognize and inspect voice command tables without the GUI.

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/SendKeysCommand.h"
#include "engine/FileError.h"
#include "engine/SignalCleanup.h"

#include <iostream>
#include <map>

namespace {

const char* const kUsage =
    "usage: larkspur-cli COMMAND [options]\n"
    "  train --table T.EAR --phrase P --action A (--input REC.wav [--realtime] | --device NAME) [--accuracy N]\n"
    "        [--matcher specified|enhanced]\n"
    "  recognize --table T.EAR (--input TEST.wav [--realtime] | --device NAME) [--accuracy N]\n"
    "        [--matcher specified|enhanced]\n"
    "  run --table T.EAR (--input F.wav [--realtime] | --device NAME) [--confidence 75] [--accuracy 15] [--dry-run]\n"
    "        [--matcher specified|enhanced]\n"
    "  dump T.EAR\n"
    "  devices\n"
    "  send-keys [--dry-run] TEXT...\n";

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
    };
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::cout << kUsage;
        return 0;
    }
    const auto command = commands.find(name);
    if (command == commands.end()) {
        std::cerr << "larkspur-cli: unknown command \"" << name << "\"\n" << kUsage;
        return 2;
    }
    try {
        return command->second(Args(argv + 2, argv + argc), std::cout, std::cerr);
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
