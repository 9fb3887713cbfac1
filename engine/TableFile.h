#pragma once
// Table files (".EAR"): the records of the nonempty slots in ascending slot
// order, 10047 bytes each, no header.

#include "engine/FileHandle.h"
#include "engine/RecordCodec.h"
#include "engine/VoiceCommandTable.h"

#include <optional>
#include <string>

namespace larkspur {

// Hands out the records of a table file one at a time.
class TableFileReader {
public:
    explicit TableFileReader(const std::string& path);
    // The next record, or nothing at the end of the file. A record cut short
    // by the end of the file is an EInOutError.
    std::optional<VoiceCommandRecord> next();
    void close() { m_file.close(); }

private:
    FileHandle m_file;
    RecordBytes m_buffer{};
};

// Writes every nonempty slot of table to path, replacing the file only once
// all of it is on disk.
void writeTableFile(const std::string& path, const VoiceCommandTable& table);

} // namespace larkspur
