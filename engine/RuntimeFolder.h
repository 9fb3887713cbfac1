#pragma once
// The folder for this user's scratch files and sockets: $XDG_RUNTIME_DIR when
// set; otherwise a folder of this user's own in the temp folder, which nobody
// else can read, write or plant files in.

#include <string>

namespace larkspur {

// $XDG_RUNTIME_DIR, else $TMPDIR/larkspur-<uid> (made 0700 and checked to be
// this user's own folder), else a fresh mkdtemp folder when that name is taken
// by someone else. Throws EInOutError naming the folder when none can be made.
std::string privateRuntimeFolder();

// The same choice for a given environment, for tests: runtime may be empty,
// tempBase is the temp folder. Nothing is cached.
std::string choosePrivateFolder(const std::string& runtime, const std::string& tempBase);

// Eight random hexadecimal digits, for names that other processes (also in
// other pid namespaces sharing the folder) cannot guess or repeat.
std::string randomNamePart();

} // namespace larkspur
