#pragma once
// Scratch memory of the table search, allocated once and reused by every
// comparison: the two distance memos, the utterance converted for fast distance
// computation, the sample's converted predictors and the search bands.

#include "engine/EngineTypes.h"
#include "engine/PreparedFrames.h"
#include "engine/SearchBand.h"

#include <array>
#include <cstdint>
#include <memory>

namespace larkspur {

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

// A memo entry counts only when its stamp equals the current comparison's
// generation, so starting a comparison costs one increment instead of clearing
// 2 x 61 x 61 entries.
struct MemoCell {
    int32_t value = 0;
    uint32_t stamp = 0;
};

class MatchWorkspace {
public:
    MatchWorkspace();
    ~MatchWorkspace();
    MatchWorkspace(MatchWorkspace&&) noexcept;
    MatchWorkspace& operator=(MatchWorkspace&&) noexcept;

    // Invalidates every memo entry and returns the new generation (never 0).
    uint32_t beginComparison();
    uint32_t generation() const;

    MemoCell* energyMemo();
    MemoCell* spectralMemo();
    // The sample's frames, prepared when first needed: frame j at index j,
    // valid when its stamp matches the generation.
    PreparedSampleFrame* sampleFrames();
    uint32_t* sampleFrameStamps();

    PreparedUtterance& utterance();
    // The band for these counts, built on first request and kept, since a table
    // search asks for the same few bands over and over.
    const SearchBand& band(int nU, int nT, int32_t accuracy);

private:
    struct Storage;
    std::unique_ptr<Storage> m_storage;
};

} // namespace larkspur
