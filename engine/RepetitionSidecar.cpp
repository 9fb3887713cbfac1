#include "engine/RepetitionSidecar.h"

#include "engine/AtomicFileWriter.h"
#include "engine/FileError.h"
#include "engine/FileHandle.h"
#include "engine/RecordCodec.h"

#include <array>

namespace larkspur {

namespace {

constexpr std::array<uint8_t, 4> kMagic{'L', 'K', 'X', 0x1A};
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kEntryHeaderSize = 12;
constexpr std::size_t kTrailerSize = 4;
// Largest file a valid table can have: every repetition at its longest.
constexpr int64_t kMaxFileSize =
    static_cast<int64_t>(kHeaderSize + kTrailerSize)
    + static_cast<int64_t>(kMaxRepetitions) * static_cast<int64_t>(kEntryHeaderSize + kMaxRepetitionAudio);

void putU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putU64(std::vector<uint8_t>& out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint64_t getLE(std::span<const uint8_t> in, std::size_t offset, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | in[offset + static_cast<std::size_t>(i)];
    return v;
}

std::optional<std::vector<StoredRepetition>> refuse(std::string* problem, const char* why)
{
    if (problem)
        *problem = why;
    return std::nullopt;
}

} // namespace

uint64_t SampleFingerprint(const SampleTemplate& sample)
{
    const SampleTemplateBytes bytes = encodeSampleTemplate(sample);
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    return hash;
}

uint32_t Crc32(std::span<const uint8_t> bytes)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : bytes)
        crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string RepetitionFileName(const std::string& tableName)
{
    std::size_t at = tableName.find(".EAR");
    if (at == std::string::npos)
        at = tableName.find(".ear");
    return (at == std::string::npos ? tableName : tableName.substr(0, at)) + ".LKX";
}

std::vector<uint8_t> EncodeRepetitionFile(const std::vector<StoredRepetition>& repetitions)
{
    std::vector<uint8_t> out(kMagic.begin(), kMagic.end());
    putU16(out, kRepetitionFileVersion);
    putU16(out, 0);
    putU32(out, static_cast<uint32_t>(repetitions.size()));
    for (const StoredRepetition& r : repetitions) {
        putU64(out, r.fingerprint);
        putU32(out, static_cast<uint32_t>(r.audio.size()));
        out.insert(out.end(), r.audio.begin(), r.audio.end());
    }
    putU32(out, Crc32(out));
    return out;
}

std::optional<std::vector<StoredRepetition>> DecodeRepetitionFile(std::span<const uint8_t> bytes,
                                                                  std::string* problem)
{
    if (bytes.size() < kHeaderSize + kTrailerSize || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin()))
        return refuse(problem, "is not a repetition file.");
    if (getLE(bytes, 4, 2) != kRepetitionFileVersion)
        return refuse(problem, "was written by a newer version of the program.");
    if (getLE(bytes, 6, 2) != 0)
        return refuse(problem, "is damaged (its header is not valid).");
    const std::size_t bodyEnd = bytes.size() - kTrailerSize;
    if (Crc32(bytes.first(bodyEnd)) != static_cast<uint32_t>(getLE(bytes, bodyEnd, 4)))
        return refuse(problem, "is damaged (its checksum does not match).");
    const uint64_t count = getLE(bytes, 8, 4);
    if (count > static_cast<uint64_t>(kMaxRepetitions))
        return refuse(problem, "is damaged (too many repetitions).");

    std::vector<StoredRepetition> repetitions;
    repetitions.reserve(static_cast<std::size_t>(count));
    std::size_t at = kHeaderSize;
    for (uint64_t i = 0; i < count; ++i) {
        if (bodyEnd - at < kEntryHeaderSize)
            return refuse(problem, "is damaged (it ends inside a repetition).");
        StoredRepetition r;
        r.fingerprint = getLE(bytes, at, 8);
        const uint64_t length = getLE(bytes, at + 8, 4);
        at += kEntryHeaderSize;
        if (length == 0 || length > static_cast<uint64_t>(kMaxRepetitionAudio))
            return refuse(problem, "is damaged (a repetition has an impossible length).");
        if (bodyEnd - at < length)
            return refuse(problem, "is damaged (it ends inside a repetition).");
        r.audio.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += static_cast<std::size_t>(length);
        repetitions.push_back(std::move(r));
    }
    if (at != bodyEnd)
        return refuse(problem, "is damaged (it has bytes after its last repetition).");
    return repetitions;
}

void WriteRepetitionFile(const std::string& path, const std::vector<StoredRepetition>& repetitions)
{
    const std::vector<uint8_t> bytes = EncodeRepetitionFile(repetitions);
    AtomicFileWriter writer(path);
    writer.write(bytes);
    writer.commit();
}

std::vector<StoredRepetition> ReadRepetitionFile(const std::string& path)
{
    FileHandle file = FileHandle::openForReading(path);
    const int64_t size = file.size();
    if (size > kMaxFileSize)
        throw makeDataError(path, "is too large to be a repetition file.");
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    const std::size_t got = file.readUpTo(bytes);
    bytes.resize(got);
    file.close();
    std::string problem;
    std::optional<std::vector<StoredRepetition>> decoded = DecodeRepetitionFile(bytes, &problem);
    if (!decoded)
        throw makeDataError(path, problem);
    return std::move(*decoded);
}

} // namespace larkspur
