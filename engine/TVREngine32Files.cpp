// Table files, their companion files and the sample store of the engine.

#include "engine/TVREngine32.h"

#include "engine/FileError.h"
#include "engine/RepetitionSidecar.h"
#include "engine/TableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspur {

namespace {

const char* const kTableFilter = "Voice Command Tables (*.EAR)|*.EAR";
const char* const kUntitled = "Untitled";
const char* const kCommandLine = "COMMAND LINE";
const char* const kNothingToSave = "The table does not contain voice commands. Nothing to save!";

std::optional<std::string> askOpen(TableFileDialogs* dialogs)
{
    return dialogs ? dialogs->askOpenFileName(kTableFilter) : std::nullopt;
}

std::optional<std::string> askSave(TableFileDialogs* dialogs)
{
    return dialogs ? dialogs->askSaveFileName(kTableFilter) : std::nullopt;
}

} // namespace

void TVREngine32::OpenTable()
{
    if (m_tableName != kCommandLine) {
        std::optional<std::string> chosen = askOpen(m_platform.dialogs);
        if (!chosen)
            return;
        m_fileName = std::move(*chosen);
        m_tableName = FileNamePart(m_fileName);
    } else {
        m_tableName = m_fileName;
    }

    ClearTable();

    int k = 0;
    try {
        TableFileReader reader(m_fileName);
        while (std::optional<VoiceCommandRecord> record = reader.next()) {
            if (k == kMaxVoiceCommands)
                throw makeDataError(m_fileName, "holds more than 512 voice commands; only the first 512 were read.");
            ++k;
            m_table.allocate(k) = std::move(*record);
        }
        reader.close();
    } catch (const EInOutError&) {
        // The records read so far stay loaded; the flag describes them.
        m_tableTrained = k > 0;
        throw;
    }
    m_tableTrained = k > 0;
    m_tableIdentity = identityOf(m_fileName);

    RestoreSampleStore(CompanionFileName(m_fileName));
    RestoreRepetitions(RepetitionFileName(m_fileName));
}

void TVREngine32::SaveTable()
{
    if (m_tableName == kUntitled) {
        SaveTableAs();
        return;
    }
    if (!m_table.record(1)) {
        showGatedMessage(kNothingToSave);
        return;
    }
    writeTableFile();
}

void TVREngine32::SaveTableAs()
{
    if (!m_table.record(1)) {
        showGatedMessage(kNothingToSave);
        return;
    }
    std::optional<std::string> chosen = askSave(m_platform.dialogs);
    if (!chosen)
        return;
    m_fileName = std::move(*chosen);
    if (m_fileName.find(".EAR") == std::string::npos)
        m_fileName += ".EAR";
    m_tableName = FileNamePart(m_fileName);
    writeTableFile();
}

void TVREngine32::writeTableFile()
{
    m_saveDeclined = !confirmSaveOverChangedTable();
    if (m_saveDeclined)
        return;
    // The companion goes first: a save cut short between the two files then
    // leaves the old table with recordings for all its phrases, never a new
    // phrase without its recording. Each file is synced before its rename and
    // the folder after it.
    SaveSampleStore(CompanionFileName(m_fileName));
    larkspur::writeTableFile(m_fileName, m_table);
    m_tableIdentity = identityOf(m_fileName);
    // The repetitions go last: table and companion are what older versions read.
    const std::vector<StoredRepetition> repetitions = m_enhanced->repetitionsFor(m_table);
    if (!repetitions.empty())
        WriteRepetitionFile(RepetitionFileName(m_fileName), repetitions);
}

std::optional<TVREngine32::FileIdentity> TVREngine32::identityOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{path, static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                        static_cast<int64_t>(info.st_size),
                        int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool TVREngine32::confirmSaveOverChangedTable()
{
    // Only a file this engine read or wrote can have changed behind its back.
    if (!m_tableIdentity || m_tableIdentity->path != m_fileName)
        return true;
    const std::optional<FileIdentity> now = identityOf(m_fileName);
    if (!now || *now == *m_tableIdentity || !m_platform.questions)
        return true;
    return m_platform.questions->askYesNo("The table " + m_fileName
                                          + " was changed by another program since it was opened; "
                                            "do you want to save over it?");
}

std::string TVREngine32::CompanionFileName(const std::string& name)
{
    std::size_t at = name.find(".EAR");
    if (at == std::string::npos)
        at = name.find(".ear");
    return (at == std::string::npos ? name : name.substr(0, at)) + ".LK+";
}

std::string TVREngine32::FileNamePart(const std::string& name)
{
    std::size_t at = name.find_last_of("\\/");
    if (at == std::string::npos)
        at = name.rfind(':');
    return at == std::string::npos ? name : name.substr(at + 1);
}

bool TVREngine32::FileExists(const std::string& name)
{
    if (name.empty())
        return false;
    // Without blocking: a FIFO must not stall the program here.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool TVREngine32::RestoreSampleStore(const std::string& companion)
{
    if (FileExists(companion)) {
        m_sampleStore.copyFrom(companion);
        return true;
    }
    showGatedMessage("File not found:\r" + companion + "\rCan not plot and playback trained voice commands!");
    m_sampleStore.remove();
    return false;
}

bool TVREngine32::RestoreRepetitions(const std::string& repetitionFile)
{
    m_enhanced->clear();
    if (!FileExists(repetitionFile))
        return false;  // a table trained without them: the table matcher takes every record
    try {
        m_enhanced->adoptRepetitions(m_table, ReadRepetitionFile(repetitionFile));
    } catch (const EInOutError& error) {
        showGatedMessage(std::string(error.what()) + "\rThe voice commands are recognised without their repetitions.");
        return false;
    }
    return true;
}

bool TVREngine32::SaveSampleStore(const std::string& companion)
{
    if (!FileExists(m_sampleStore.path()))
        return false;
    m_sampleStore.copyTo(companion, [this](int slot) { return m_table.record(slot) != nullptr; });
    return true;
}

void TVREngine32::CreateSampleStore()
{
    m_sampleStore.create();
}

void TVREngine32::StoreSample(int slot)
{
    if (!VoiceCommandTable::validSlot(slot) || !FileExists(m_sampleStore.path()))
        return;
    m_sampleStore.store(slot, utteranceSamples());
}

bool TVREngine32::LoadSample(int slot)
{
    const VoiceCommandRecord* record = m_table.record(slot);
    if (!FileExists(m_sampleStore.path()) || !record)
        return false;
    if (record->trained == 0) {
        showGatedMessage("The voice command is not trained!");
        return false;
    }
    const SampleRecordBytes bytes = m_sampleStore.load(slot);
    // A damaged or foreign companion can hold any count; only a real
    // recording is worth playing.
    const std::span<const uint8_t> recording = viewSampleRecord(bytes).recording();
    if (recording.empty())
        return false;
    setUtterance(recording);
    return true;
}

} // namespace larkspur
