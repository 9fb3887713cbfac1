#pragma once
// Reading the beginning of an action string: which of the four kinds it is,
// and the parts that the program, mouse and web address actions carry.

#include <string>
#include <string_view>

namespace larkspur {

enum class ActionKind { Program, Mouse, WebAddress, Keystroke };

// The ordered test: "!" program, "{MOUSE" mouse, "HTTP://" / "HTTPS://" (any
// case) web address, anything else (the empty string too) keystrokes.
ActionKind classifyAction(std::string_view action);

enum class MouseCommand {
    None, Stop, Up, Down, Right, Left, DoubleClick, SingleClick, RightClick, Faster, Slower
};

// Characters 8 and 9 of a mouse action, compared exactly. "CL" is the double
// click and "DB" the single click: stored tables rely on that pairing.
MouseCommand mouseCommand(std::string_view action);

// Everything after the first "://"; empty when there is none.
std::string webAddress(std::string_view action);

struct ProgramPath {
    std::string folder;    // up to and including the last separator
    std::string fileName;  // after it
};

// Splits the path of a program action (without its "!") after the last "\"
// or ":"; "/" separates too, so Linux paths split the same way.
ProgramPath splitProgramPath(std::string_view path);

// A folder of three characters or fewer ("C:\", "/", none) means the program
// has to be looked for on the disks first.
bool folderNeedsSearch(std::string_view folder);

enum class ProgramFileKind { Program, Sound, Document };

// ".EXE" (any case) or an executable regular file starts a program, ".WAV" is
// played, anything else is opened with the desktop's handler.
ProgramFileKind classifyProgramFile(std::string_view fileName, bool isExecutableFile);

// True for an existing regular file that the user may execute.
bool isExecutableRegularFile(const std::string& path);

} // namespace larkspur
