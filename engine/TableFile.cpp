#include "engine/TableFile.h"

#include "engine/AtomicFileWriter.h"
#include "engine/FileError.h"

namespace larkspur {

TableFileReader::TableFileReader(const std::string& path) : m_file(FileHandle::openForReading(path)) {}

std::optional<VoiceCommandRecord> TableFileReader::next()
{
    const std::size_t n = m_file.readUpTo(m_buffer);
    if (n == 0)
        return std::nullopt;
    if (n < m_buffer.size())
        throw makeDataError(m_file.path(), "ends with an incomplete voice command record.");
    return decodeRecord(m_buffer);
}

void writeTableFile(const std::string& path, const VoiceCommandTable& table)
{
    AtomicFileWriter writer(path);
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        if (const VoiceCommandRecord* record = table.record(slot))
            writer.write(encodeRecord(*record));
    }
    writer.commit();
}

} // namespace larkspur
