#pragma once
// Opening and saving a table named on the command line.

#include "engine/EnhancedMatcher.h"

#include <string>

namespace larkspur {
class TVREngine32;
}

namespace larkspur::cli {

class CommandLine;

// --matcher specified|enhanced (specified when absent). Throws UsageError.
MatcherKind matcherOption(const CommandLine& args);

// Opens path (and its companion) without a dialog. Throws EInOutError.
void openTableFile(TVREngine32& engine, const std::string& path);
// Saves the table and its companion to path without a dialog. Throws EInOutError.
void saveTableFile(TVREngine32& engine, const std::string& path);

} // namespace larkspur::cli
