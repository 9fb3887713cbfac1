#pragma once
// RIFF WAVE images: reading them from disk or memory (every length checked
// against the bytes actually present) and building the 8-bit mono image the
// engine plays utterances from.

#include "engine/FileHandle.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace larkspur {

inline constexpr uint16_t kWaveFormatPcm = 1;

struct WavFormat {
    uint16_t formatTag = 0;  // 1: PCM; for extensible files, the subformat's tag
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;

    // "16-bit stereo 44100 Hz", for messages.
    std::string describe() const;
    // 8-bit unsigned mono PCM at 11025 Hz: the only format the engine captures.
    bool isCaptureFormat() const;
};

class WavFile {
public:
    // Parses a complete image. On failure returns nothing and sets error to one
    // plain sentence such as "not a RIFF WAVE file".
    static std::optional<WavFile> parse(std::span<const uint8_t> image, std::string& error);
    // Reads and parses a file; errors start with the path.
    static std::optional<WavFile> load(const std::string& path, std::string& error);

    const WavFormat& format() const { return m_format; }
    // The sample data, trimmed to whole blocks (frames of all channels).
    const std::vector<uint8_t>& data() const { return m_data; }
    std::vector<uint8_t> takeData() { return std::move(m_data); }

private:
    WavFormat m_format;
    std::vector<uint8_t> m_data;
};

// Reads the samples of an 8-bit unsigned mono 11025 Hz WAV file in order,
// a buffer at a time, so a recording of any length takes no more memory than
// its header. Lengths are checked exactly as WavFile::parse checks them.
class WavReader {
public:
    // nullptr and a one-line error starting with the path for anything that is
    // not a regular file holding capture-format audio.
    static std::unique_ptr<WavReader> open(const std::string& path, std::string& error);

    const WavFormat& format() const { return m_format; }
    int64_t dataLength() const { return m_dataLength; }
    int64_t remaining() const { return m_dataLength - m_position; }
    // Fills out from the next samples; fewer at the end of the data (or when
    // the file was cut short meanwhile). Throws EInOutError on a read error.
    std::size_t read(std::span<uint8_t> out);

private:
    WavReader() = default;
    FileHandle m_file;
    WavFormat m_format;
    int64_t m_dataLength = 0;
    int64_t m_position = 0;
};

// Loads a file that must hold 8-bit unsigned mono PCM at 11025 Hz; anything
// else is refused with a message naming the format found.
std::optional<std::vector<uint8_t>> loadCaptureSamples(const std::string& path, std::string& error);

// The 44-byte canonical header followed by the samples: 8-bit mono PCM at 11025 Hz.
std::vector<uint8_t> makeWaveImage(std::span<const uint8_t> samples);

} // namespace larkspur
