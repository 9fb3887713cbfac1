#pragma once
// Files to delete when the process is ended by a signal: the sample store and
// half-written temporaries. The list lives in fixed storage so the signal
// handler only reads it and calls unlink(), both safe inside a handler.

#include <string>

namespace larkspur {

// Remembers path for deletion at a fatal signal. Paths longer than the fixed
// storage, or beyond its 64 entries, are skipped (the start-up sweep finds them).
void addCleanupPath(const std::string& path);
void removeCleanupPath(const std::string& path);

// SIGTERM, SIGHUP, SIGINT and SIGPIPE delete the listed files, then end the
// process as the signal would have. SIGXFSZ is ignored, so exceeding the file
// size limit is an ordinary write error (EFBIG).
void installSignalCleanup();

// What the handler does, without the signal: for tests.
void runSignalCleanup();

} // namespace larkspur
