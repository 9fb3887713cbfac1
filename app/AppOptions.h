#pragma once
// The program's command line: an optional table to open, and the options that
// choose the microphone (a WAV file or an ALSA device) or grab screenshots.

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace larkspur {

struct AppOptions {
    std::optional<std::string> inputFile;  // --input FILE.wav
    bool realTime = false;                 // --realtime
    std::optional<std::string> device;     // --device NAME
    std::optional<std::string> screenshotDir;  // --screenshot-dir DIR
    std::vector<std::string> arguments;    // everything else, in order
    std::string error;                     // empty when the line made sense
};

// arguments[0] is the program; it is skipped.
AppOptions parseAppOptions(const QStringList& arguments);

} // namespace larkspur
