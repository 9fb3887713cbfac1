#pragma once
// Writes a file so that a failure part-way leaves the old file as it was: the
// data goes to a temporary file beside the target, which is flushed to disk and
// then renamed over the target. Dropping the writer without commit() removes
// the temporary file.

#include "engine/FileHandle.h"

#include <span>
#include <string>

namespace larkspur {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::span<const uint8_t> data) { m_file.writeAll(data); }
    void commit();

    const std::string& temporaryPath() const { return m_tempPath; }

private:
    std::string m_target;    // symbolic links resolved, so a linked table stays linked
    std::string m_tempPath;
    FileHandle m_file;
    bool m_committed = false;
};

} // namespace larkspur
