#pragma once
// The repetition file next to a table ("NAME.LKX" beside "NAME.EAR"): the audio
// of every accepted training repetition, for the enhanced matcher. Table and
// companion files stay exactly as they are; this file only adds to them.
//
// Layout, little-endian:
//   "LKX" 0x1A, version (u16, 1), reserved (u16, 0), repetition count (u32)
//   per repetition: fingerprint (u64) of the sample template it belongs to,
//                   audio length (u32, 1..kMaxRepetitionAudio), the audio bytes
//   CRC-32 (u32) of everything before it
// A repetition belongs to whichever table record holds a sample template with
// its fingerprint, so records keep their audio when the table is renumbered,
// and a record changed by another program simply finds none.

#include "engine/EngineTypes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace larkspur {

inline constexpr int kRepetitionFileVersion = 1;
inline constexpr int kMaxRepetitionAudio = 16384;
inline constexpr int kMaxRepetitions = kMaxVoiceCommands * kSamplesPerCommand;

struct StoredRepetition {
    uint64_t fingerprint = 0;
    std::vector<uint8_t> audio;
    bool operator==(const StoredRepetition&) const = default;
};

// Identifies a sample template by its stored bytes (FNV-1a, 64 bits).
uint64_t SampleFingerprint(const SampleTemplate& sample);

uint32_t Crc32(std::span<const uint8_t> bytes);

// "T.EAR" gives "T.LKX" (the first ".EAR", else ".ear", is replaced; a name
// without either gets ".LKX" appended).
std::string RepetitionFileName(const std::string& tableName);

std::vector<uint8_t> EncodeRepetitionFile(const std::vector<StoredRepetition>& repetitions);
// Nothing when the bytes are not a whole, undamaged repetition file; problem
// then says why.
std::optional<std::vector<StoredRepetition>> DecodeRepetitionFile(std::span<const uint8_t> bytes,
                                                                  std::string* problem = nullptr);

// Writes the file atomically (temporary file, flush, rename). Throws EInOutError.
void WriteRepetitionFile(const std::string& path, const std::vector<StoredRepetition>& repetitions);
// Reads and decodes path. Throws EInOutError when it cannot be read or is damaged.
std::vector<StoredRepetition> ReadRepetitionFile(const std::string& path);

} // namespace larkspur
