#include "engine/WavFile.h"

#include "engine/EngineTypes.h"
#include "engine/FileError.h"
#include "engine/FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>

namespace larkspur {

namespace {

constexpr uint16_t kWaveFormatExtensible = 0xFFFE;
constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kPlainFmtSize = 16;
constexpr size_t kExtensibleFmtSize = 40;
// Nothing the program plays or captures comes near this; a larger file is not audio for us.
constexpr int64_t kMaxFileSize = 256 * 1024 * 1024;

uint16_t read16(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t read32(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8)
        | (static_cast<uint32_t>(bytes[at + 2]) << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

bool hasId(std::span<const uint8_t> bytes, uint64_t at, const char* id)
{
    return std::memcmp(bytes.data() + at, id, 4) == 0;
}

void put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void putId(std::vector<uint8_t>& out, const char* id)
{
    out.insert(out.end(), id, id + 4);
}

std::optional<WavFormat> parseFmt(std::span<const uint8_t> chunk, std::string& error)
{
    if (chunk.size() < kPlainFmtSize) {
        error = "WAV fmt chunk is too short";
        return std::nullopt;
    }
    WavFormat format;
    format.formatTag = read16(chunk, 0);
    format.channels = read16(chunk, 2);
    format.sampleRate = read32(chunk, 4);
    format.byteRate = read32(chunk, 8);
    format.blockAlign = read16(chunk, 12);
    format.bitsPerSample = read16(chunk, 14);
    // An extensible header carries the real format tag in the first two bytes of its subformat.
    if (format.formatTag == kWaveFormatExtensible && chunk.size() >= kExtensibleFmtSize)
        format.formatTag = read16(chunk, 24);
    if (format.formatTag == kWaveFormatPcm) {
        const int bytesPerSample = (format.bitsPerSample + 7) / 8;
        if (format.channels == 0 || format.bitsPerSample == 0 || format.sampleRate == 0
            || format.blockAlign != format.channels * bytesPerSample) {
            error = "WAV fmt chunk is inconsistent (" + std::to_string(format.channels) + " channels, "
                + std::to_string(format.bitsPerSample) + " bits, block align "
                + std::to_string(format.blockAlign) + ")";
            return std::nullopt;
        }
    }
    return format;
}

} // namespace

std::string WavFormat::describe() const
{
    std::string text;
    if (formatTag != kWaveFormatPcm)
        text = "not PCM (format tag " + std::to_string(formatTag) + "), ";
    text += std::to_string(bitsPerSample) + "-bit ";
    if (channels == 1)
        text += "mono";
    else if (channels == 2)
        text += "stereo";
    else
        text += std::to_string(channels) + "-channel";
    text += " " + std::to_string(sampleRate) + " Hz";
    return text;
}

bool WavFormat::isCaptureFormat() const
{
    return formatTag == kWaveFormatPcm && channels == 1 && bitsPerSample == 8 && sampleRate == kSampleRate;
}

namespace {

// Where the parts of a WAV image are, found by walking its chunks. fetch(at,
// out) copies out.size() bytes from offset at, which always lies within total.
struct WavLayout {
    WavFormat format;
    uint64_t dataOffset = 0;
    uint64_t dataSize = 0;  // trimmed to whole blocks
};

using Fetch = std::function<void(uint64_t at, std::span<uint8_t> out)>;

std::optional<WavLayout> walkChunks(uint64_t total, const Fetch& fetch, std::string& error)
{
    uint8_t head[12] = {};
    if (total >= 12)
        fetch(0, head);
    if (total < 12 || !hasId(head, 0, "RIFF") || !hasId(head, 8, "WAVE")) {
        error = "not a RIFF WAVE file";
        return std::nullopt;
    }
    // Chunks are walked within the RIFF size, but never past the bytes we have.
    const uint64_t riffEnd = uint64_t{read32(head, 4)} + kChunkHeaderSize;
    const uint64_t end = std::min<uint64_t>(riffEnd, total);

    std::optional<WavFormat> format;
    std::optional<uint64_t> dataOffset;
    uint64_t dataSize = 0;
    uint64_t at = 12;
    while (end - at >= kChunkHeaderSize && !(format && dataOffset)) {
        uint8_t chunkHead[kChunkHeaderSize];
        fetch(at, chunkHead);
        const uint32_t size = read32(chunkHead, 4);
        const uint64_t body = at + kChunkHeaderSize;
        const uint64_t present = end - body;
        if (hasId(chunkHead, 0, "fmt ") && !format) {
            if (size > present) {
                error = "WAV file is truncated (fmt chunk)";
                return std::nullopt;
            }
            // Only the first 40 bytes mean anything; a longer chunk is not read whole.
            std::vector<uint8_t> fmt(std::min<std::size_t>(size, kExtensibleFmtSize));
            fetch(body, fmt);
            format = parseFmt(fmt, error);
            if (!format)
                return std::nullopt;
        } else if (hasId(chunkHead, 0, "data") && !dataOffset) {
            if (size > present) {
                error = "WAV file is truncated (the data chunk declares " + std::to_string(size)
                    + " bytes, " + std::to_string(present) + " are present)";
                return std::nullopt;
            }
            dataOffset = body;
            dataSize = size;
        }
        // Odd-sized chunks are followed by one pad byte.
        const uint64_t next = body + size + (size & 1u);
        if (next >= end)
            break;
        at = next;
    }
    if (!format) {
        error = "WAV file has no fmt chunk";
        return std::nullopt;
    }
    if (!dataOffset) {
        error = "WAV file has no data chunk";
        return std::nullopt;
    }
    WavLayout layout;
    layout.format = *format;
    layout.dataOffset = *dataOffset;
    layout.dataSize = dataSize;
    if (format->blockAlign > 0)
        layout.dataSize -= layout.dataSize % format->blockAlign;
    return layout;
}

std::string captureFormatProblem(const WavFormat& format)
{
    std::string found;
    auto add = [&found](const std::string& part) { found += (found.empty() ? "" : ", ") + part; };
    if (format.formatTag != kWaveFormatPcm)
        add("not PCM (format tag " + std::to_string(format.formatTag) + ")");
    if (format.bitsPerSample != 8)
        add(std::to_string(format.bitsPerSample) + "-bit samples");
    if (format.channels == 2)
        add("stereo");
    else if (format.channels != 1)
        add(std::to_string(format.channels) + " channels");
    if (format.sampleRate != kSampleRate)
        add(std::to_string(format.sampleRate) + " Hz");
    return found + "; larkspur needs 8-bit unsigned mono at 11025 Hz";
}

} // namespace

std::optional<WavFile> WavFile::parse(std::span<const uint8_t> image, std::string& error)
{
    const auto layout = walkChunks(
        image.size(),
        [image](uint64_t at, std::span<uint8_t> out) {
            std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(at), out.size(), out.begin());
        },
        error);
    if (!layout)
        return std::nullopt;
    WavFile file;
    file.m_format = layout->format;
    const auto begin = image.begin() + static_cast<std::ptrdiff_t>(layout->dataOffset);
    file.m_data.assign(begin, begin + static_cast<std::ptrdiff_t>(layout->dataSize));
    return file;
}

std::optional<WavFile> WavFile::load(const std::string& path, std::string& error)
{
    FileHandle in;
    try {
        in = FileHandle::openForReading(path);
    } catch (const EInOutError& e) {
        error = e.what();
        return std::nullopt;
    }
    int64_t size = 0;
    try {
        size = in.size();
    } catch (const EInOutError& e) {
        error = e.what();
        return std::nullopt;
    }
    if (size > kMaxFileSize) {
        error = path + ": the file is too large to be a sound for this program";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    try {
        bytes.resize(in.readUpTo(bytes));
    } catch (const EInOutError& e) {
        error = e.what();
        return std::nullopt;
    }
    auto file = parse(bytes, error);
    if (!file)
        error = path + ": " + error;
    return file;
}

std::optional<std::vector<uint8_t>> loadCaptureSamples(const std::string& path, std::string& error)
{
    auto file = WavFile::load(path, error);
    if (!file)
        return std::nullopt;
    if (!file->format().isCaptureFormat()) {
        error = path + ": " + captureFormatProblem(file->format());
        return std::nullopt;
    }
    return file->takeData();
}

std::unique_ptr<WavReader> WavReader::open(const std::string& path, std::string& error)
{
    auto reader = std::unique_ptr<WavReader>(new WavReader);
    try {
        reader->m_file = FileHandle::openForReading(path);
        const auto total = static_cast<uint64_t>(reader->m_file.size());
        FileHandle& file = reader->m_file;
        const auto layout = walkChunks(
            total,
            [&file](uint64_t at, std::span<uint8_t> out) {
                file.seek(static_cast<int64_t>(at));
                if (file.readUpTo(out) < out.size())
                    throw makeDataError(file.path(), "became shorter while it was read.");
            },
            error);
        if (!layout) {
            error = path + ": " + error;
            return nullptr;
        }
        if (!layout->format.isCaptureFormat()) {
            error = path + ": " + captureFormatProblem(layout->format);
            return nullptr;
        }
        reader->m_format = layout->format;
        reader->m_dataLength = static_cast<int64_t>(layout->dataSize);
        file.seek(static_cast<int64_t>(layout->dataOffset));
    } catch (const EInOutError& e) {
        error = e.what();
        return nullptr;
    }
    return reader;
}

std::size_t WavReader::read(std::span<uint8_t> out)
{
    const auto want = static_cast<std::size_t>(std::min<int64_t>(static_cast<int64_t>(out.size()), remaining()));
    const std::size_t n = m_file.readUpTo(out.first(want));
    m_position += static_cast<int64_t>(n);
    return n;
}

std::vector<uint8_t> makeWaveImage(std::span<const uint8_t> samples)
{
    constexpr size_t kHeaderSize = 44;
    if (samples.size() > std::numeric_limits<uint32_t>::max() - (kHeaderSize - kChunkHeaderSize))
        throw std::length_error("sound too long for a WAV image");
    const auto length = static_cast<uint32_t>(samples.size());
    std::vector<uint8_t> image;
    image.reserve(kHeaderSize + samples.size());
    putId(image, "RIFF");
    put32(image, length + 36);
    putId(image, "WAVE");
    putId(image, "fmt ");
    put32(image, 16);
    put16(image, kWaveFormatPcm);
    put16(image, 1);           // channels
    put32(image, kSampleRate); // samples per second
    put32(image, kSampleRate); // bytes per second
    put16(image, 1);           // block align
    put16(image, 8);           // bits per sample
    putId(image, "data");
    put32(image, length);
    image.insert(image.end(), samples.begin(), samples.end());
    return image;
}

} // namespace larkspur
