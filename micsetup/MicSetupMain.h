#pragma once
// larkspur-micsetup: options, the real devices, the window.

namespace larkspur {
int runMicSetup(int argc, char** argv);
}
