#pragma once
// Process start: the single-instance guard, the platform pieces, the main
// window, then the secondary windows, and the event loop until the main
// window closes.

namespace larkspur {

// Returns the process's exit code.
int runLarkspur(int argc, char** argv);

} // namespace larkspur
