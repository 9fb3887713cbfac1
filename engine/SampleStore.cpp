#include "engine/SampleStore.h"

#include "engine/AtomicFileWriter.h"
#include "engine/FileError.h"
#include "engine/FileHandle.h"
#include "engine/RuntimeFolder.h"
#include "engine/SignalCleanup.h"
#include "engine/StaleFileSweeper.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace larkspur {

namespace {

constexpr std::size_t kCopyChunk = 64000;
constexpr mode_t kOwnerOnly = 0600;

int64_t recordOffset(int slot)
{
    return static_cast<int64_t>(slot - 1) * kSampleRecordSize;
}

// A companion never holds more than one record per slot; anything beyond is
// not ours to copy (a companion linked to an endless device would fill the disk).
constexpr int64_t kMaxStoreBytes = int64_t{kMaxVoiceCommands} * kSampleRecordSize;

// Replaces whatever is at path (a stale store, a planted link) by a new empty file.
FileHandle createFresh(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw makeFileError(errno, "delete", path);
    addCleanupPath(path);
    return FileHandle::createNew(path, kOwnerOnly);
}

} // namespace

SampleStore::SampleStore(std::string path) : m_path(std::move(path))
{
    if (!m_path.empty())
        return;
    try {
        m_path = nextDefaultPath();
    } catch (const EInOutError& error) {
        // No folder for the store: the engine goes on without playback and
        // create() reports why.
        m_unavailable = error.what();
    }
}

std::string SampleStore::nextDefaultPath()
{
    // Several engines in one process (tests, tools) must not share one store.
    static std::atomic<int> instances{0};
    const int instance = ++instances;

    const std::string folder = privateRuntimeFolder();
    if (instance == 1)
        sweepStaleStores(folder);
    // The random part keeps processes of other pid namespaces sharing the
    // folder apart, and makes the name impossible to plant in advance.
    std::string name = "larkspur-VCWaves-" + std::to_string(::getpid()) + "-" + randomNamePart();
    if (instance > 1)
        name += "-" + std::to_string(instance);
    return folder + "/" + name + ".tmp";
}

bool SampleStore::exists() const
{
    if (m_path.empty())
        return false;
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void SampleStore::create()
{
    if (m_path.empty())
        throw EInOutError(EIO, m_unavailable);
    FileHandle file = createFresh(m_path);
    const SampleRecordBytes empty{};
    file.writeAll(empty);
    file.close();
}

void SampleStore::remove()
{
    if (m_path.empty())
        return;
    ::unlink(m_path.c_str());
    removeCleanupPath(m_path);
}

int SampleStore::recordCount() const
{
    const FileHandle file = FileHandle::openForReading(m_path);
    return static_cast<int>(file.size() / kSampleRecordSize);
}

void SampleStore::store(int slot, std::span<const uint8_t> audio)
{
    FileHandle file = FileHandle::openForUpdate(m_path);
    const int64_t n = file.size() / kSampleRecordSize;
    if (n < slot) {
        // Start at the end of the last whole record, so a damaged tail cannot
        // shift the records that follow.
        file.seek(n * kSampleRecordSize);
        const SampleRecordBytes empty{};
        for (int64_t k = n + 1; k < slot; ++k)
            file.writeAll(empty);
    } else {
        file.seek(recordOffset(slot));
    }
    file.writeAll(encodeSampleRecord(audio));
    file.close();
}

SampleRecordBytes SampleStore::load(int slot) const
{
    FileHandle file = FileHandle::openForReading(m_path);
    SampleRecordBytes bytes{};
    file.seek(recordOffset(slot));
    if (file.readUpTo(bytes) < bytes.size())
        throw makeDataError(m_path, "holds no recording for voice command " + std::to_string(slot) + ".");
    file.close();
    return bytes;
}

void SampleStore::copyFrom(const std::string& companion)
{
    FileHandle source = FileHandle::openForReading(companion);
    FileHandle target = createFresh(m_path);
    std::vector<uint8_t> chunk(kCopyChunk);
    int64_t copied = 0;
    while (copied < kMaxStoreBytes) {
        const auto want = static_cast<std::size_t>(std::min<int64_t>(kCopyChunk, kMaxStoreBytes - copied));
        const std::size_t n = source.readUpTo(std::span<uint8_t>(chunk).first(want));
        if (n == 0)
            break;
        target.writeAll(std::span<const uint8_t>(chunk).first(n));
        copied += static_cast<int64_t>(n);
    }
    target.close();
}

void SampleStore::copyTo(const std::string& companion, const std::function<bool(int slot)>& keepSlot) const
{
    FileHandle source = FileHandle::openForReading(m_path);
    AtomicFileWriter writer(companion);
    SampleRecordBytes record{};
    // A fragment shorter than a record at the end of a damaged store holds no
    // recording; the copy ends before it.
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        if (source.readUpTo(record) < record.size())
            break;
        if (slot == 1 || keepSlot(slot))
            writer.write(record);
    }
    writer.commit();
}

} // namespace larkspur
