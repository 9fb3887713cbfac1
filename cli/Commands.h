#pragma once
// The subcommands of larkspur-cli. Each takes the arguments after its name and
// returns the process exit code; UsageError and EInOutError escape to main.

#include <iosfwd>
#include <string>
#include <vector>

namespace larkspur::cli {

using Args = std::vector<std::string>;

int trainCommand(const Args& args, std::ostream& out, std::ostream& err);
int recognizeCommand(const Args& args, std::ostream& out, std::ostream& err);
int dumpCommand(const Args& args, std::ostream& out, std::ostream& err);
int devicesCommand(const Args& args, std::ostream& out, std::ostream& err);
int runCommand(const Args& args, std::ostream& out, std::ostream& err);

} // namespace larkspur::cli
