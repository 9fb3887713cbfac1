#pragma once
// Scratch memory of the table search, allocated once and reused by every
// comparison: the two distance memos, the utterance converted for fast distance
// computation, the search bands, and the sample frames converted for fast
// distance computation, which are kept from one table search to the next while
// the table stays unchanged.

#include "engine/EngineTypes.h"
#include "engine/PreparedFrames.h"
#include "engine/SearchBand.h"

#include <array>
#include <cstdint>
#include <memory>

namespace larkspur {

class VoiceCommandTable;

// Frame-indexed arrays have this stride so frame f sits at index f (1..61) and
// memo cell (i, j) at i * kMemoStride + j.
inline constexpr int kMemoStride = 64;

// The utterance's frames in the form the distances read them, frame f at index f.
struct PreparedUtterance {
    int frameCount = 0;
    int32_t meanEnergy = 0;
    std::array<PreparedUtteranceFrame, kMemoStride> frames{};
};

void PrepareUtterance(const UtteranceTemplate& u, PreparedUtterance& out);

// One comparison's memo of a local distance: cell (i, j) at i * kMemoStride + j
// holds a value when bit j of rows[i] is set.
struct DistanceMemo {
    std::array<uint64_t, kMemoStride> rows{};
    std::array<int32_t, kMemoStride * kMemoStride> values{};
};

// The prepared frames of one sample: frame j at frames[j - 1], valid when
// ready[j - 1] is nonzero.
struct SampleFrameCache {
    CompactSampleFrame* frames = nullptr;
    uint8_t* ready = nullptr;
};

class MatchWorkspace {
public:
    MatchWorkspace();
    ~MatchWorkspace();
    MatchWorkspace(MatchWorkspace&&) noexcept;
    MatchWorkspace& operator=(MatchWorkspace&&) noexcept;

    // Invalidates both memos and the frames of the sample compared on its own.
    void beginComparison();

    DistanceMemo& energyMemo();
    DistanceMemo& spectralMemo();

    // The frames of a sample compared on its own (not from the table), which
    // every comparison starts afresh.
    SampleFrameCache singleSampleFrames();
    // Prepares for a search of table: keeps the sample frames prepared by
    // earlier searches when the table has not changed since (same table, same
    // revision) and forgets them all otherwise.
    void beginTableSearch(const VoiceCommandTable& table);
    // The frames of sample k (1..3) of the record in slot (1..512) of the table
    // given to beginTableSearch.
    SampleFrameCache tableSampleFrames(int slot, int k);

    PreparedUtterance& utterance();
    // The band for these counts, built on first request and kept, since a table
    // search asks for the same few bands over and over.
    const SearchBand& band(int nU, int nT, int32_t accuracy);

private:
    struct Storage;
    std::unique_ptr<Storage> m_storage;
};

} // namespace larkspur
