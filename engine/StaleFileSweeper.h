#pragma once
// Removes scratch files that processes of this user left behind when they were
// killed: sample stores ("larkspur-VCWaves-<pid>-...") in the runtime folder and
// save temporaries (".<table name>.<pid>-<random>.tmp") beside a table. A file
// is removed only when it belongs to this user and its process is gone.

#include <string>

namespace larkspur {

// Sample stores of dead processes in folder; returns how many were removed.
int sweepStaleStores(const std::string& folder);

// Save temporaries of dead processes beside target (a table or companion path).
int sweepStaleTemporaries(const std::string& target);

// Parses the pid out of name after prefix (digits up to '-' or '.'); 0 when
// the name does not have that shape.
int pidInName(const std::string& name, const std::string& prefix);

} // namespace larkspur
