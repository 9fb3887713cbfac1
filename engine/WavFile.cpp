#include "engine/WavFile.h"

#include "engine/EngineTypes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace larkspur {

namespace {

constexpr uint16_t kWaveFormatExtensible = 0xFFFE;
constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kPlainFmtSize = 16;
constexpr size_t kExtensibleFmtSize = 40;
// Nothing the program plays or captures comes near this; a larger file is not audio for us.
constexpr std::streamoff kMaxFileSize = 256 * 1024 * 1024;

uint16_t read16(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t read32(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8)
        | (static_cast<uint32_t>(bytes[at + 2]) << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

bool hasId(std::span<const uint8_t> bytes, size_t at, const char* id)
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

std::optional<WavFile> WavFile::parse(std::span<const uint8_t> image, std::string& error)
{
    if (image.size() < 12 || !hasId(image, 0, "RIFF") || !hasId(image, 8, "WAVE")) {
        error = "not a RIFF WAVE file";
        return std::nullopt;
    }
    // Chunks are walked within the RIFF size, but never past the bytes we have.
    const uint64_t riffEnd = uint64_t{read32(image, 4)} + kChunkHeaderSize;
    const size_t end = static_cast<size_t>(std::min<uint64_t>(riffEnd, image.size()));

    std::optional<WavFormat> format;
    std::optional<std::span<const uint8_t>> data;
    size_t at = 12;
    while (end - at >= kChunkHeaderSize && !(format && data)) {
        const uint32_t size = read32(image, at + 4);
        const size_t body = at + kChunkHeaderSize;
        const size_t present = end - body;
        if (hasId(image, at, "fmt ") && !format) {
            if (size > present) {
                error = "WAV file is truncated (fmt chunk)";
                return std::nullopt;
            }
            format = parseFmt(image.subspan(body, size), error);
            if (!format)
                return std::nullopt;
        } else if (hasId(image, at, "data") && !data) {
            if (size > present) {
                error = "WAV file is truncated (the data chunk declares " + std::to_string(size)
                    + " bytes, " + std::to_string(present) + " are present)";
                return std::nullopt;
            }
            data = image.subspan(body, size);
        }
        // Odd-sized chunks are followed by one pad byte.
        const uint64_t next = uint64_t{body} + size + (size & 1u);
        if (next >= end)
            break;
        at = static_cast<size_t>(next);
    }
    if (!format) {
        error = "WAV file has no fmt chunk";
        return std::nullopt;
    }
    if (!data) {
        error = "WAV file has no data chunk";
        return std::nullopt;
    }

    WavFile file;
    file.m_format = *format;
    size_t usable = data->size();
    if (format->blockAlign > 0)
        usable -= usable % format->blockAlign;
    file.m_data.assign(data->begin(), data->begin() + static_cast<std::ptrdiff_t>(usable));
    return file;
}

std::optional<WavFile> WavFile::load(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = path + ": cannot open the file (" + std::strerror(errno) + ")";
        return std::nullopt;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxFileSize) {
        error = path + ": the file is too large to be a sound for this program";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        error = path + ": cannot read the file";
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
        error = path + ": WAV data must be 8-bit unsigned mono PCM at 11025 Hz (this file is "
            + file->format().describe() + ")";
        return std::nullopt;
    }
    return file->takeData();
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
