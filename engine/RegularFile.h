#pragma once
// Opening files that must be ordinary files. A FIFO, a device node or a socket
// named as a table, a companion or a recording would block in open() or stream
// without end, so those are opened without blocking, examined and refused.

#include <string>

namespace larkspur {

// Opens path read-only (close-on-exec, blocking reads) when it is a regular
// file; otherwise throws EInOutError naming the file and what it is.
int openRegularFileForReading(const std::string& path);

// "is a folder", "is a named pipe (FIFO)", ... for a file mode that is not a
// regular file; empty for a regular file.
std::string describeNonRegular(unsigned mode);

// Throws EInOutError when path exists (symbolic links followed) and is not a
// regular file, so a save never replaces a device node, pipe or folder.
void requireRegularOrAbsent(const std::string& path);

} // namespace larkspur
