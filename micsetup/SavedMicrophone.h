#pragma once
// The microphone chosen in the set-up program, kept in the desktop program's
// own options ([Audio] Device) so `larkspur` records from it at its next
// start, and again when it is re-calibrated. `--device` still wins.

#include <optional>
#include <string>

namespace larkspur {

// Empty when nothing was chosen.
std::optional<std::string> savedMicrophone();
// False when the options file could not be written.
bool saveMicrophone(const std::string& pcmName);

} // namespace larkspur
