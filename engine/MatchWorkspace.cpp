#include "engine/MatchWorkspace.h"

#include <algorithm>

namespace larkspur {

struct MatchWorkspace::Storage {
    uint32_t generation = 0;
    std::array<MemoCell, kMemoStride * kMemoStride> energy{};
    std::array<MemoCell, kMemoStride * kMemoStride> spectral{};
    std::array<PreparedSampleFrame, kMemoStride> sampleFrames{};
    std::array<uint32_t, kMemoStride> sampleFrameStamps{};
    PreparedUtterance utterance;

    struct CachedBand {
        bool valid = false;
        int nU = 0;
        int32_t accuracy = 0;
        SearchBand band;
    };
    std::array<CachedBand, kTemplateFrames + 1> bands{};  // indexed by nT
};

void PrepareUtterance(const UtteranceTemplate& u, PreparedUtterance& out)
{
    out.frameCount = u.frameCount;
    out.meanEnergy = u.meanEnergy;
    for (int f = 1; f <= kTemplateFrames; ++f)
        out.frames[f] = PrepareUtteranceFrame(u, f);
}

MatchWorkspace::MatchWorkspace() : m_storage(std::make_unique<Storage>()) {}
MatchWorkspace::~MatchWorkspace() = default;
MatchWorkspace::MatchWorkspace(MatchWorkspace&&) noexcept = default;
MatchWorkspace& MatchWorkspace::operator=(MatchWorkspace&&) noexcept = default;

uint32_t MatchWorkspace::beginComparison()
{
    Storage& s = *m_storage;
    if (++s.generation == 0) {
        // After 2^32 comparisons old stamps could match again: start over clean.
        for (MemoCell& cell : s.energy)
            cell.stamp = 0;
        for (MemoCell& cell : s.spectral)
            cell.stamp = 0;
        s.sampleFrameStamps.fill(0);
        s.generation = 1;
    }
    return s.generation;
}

uint32_t MatchWorkspace::generation() const { return m_storage->generation; }
MemoCell* MatchWorkspace::energyMemo() { return m_storage->energy.data(); }
MemoCell* MatchWorkspace::spectralMemo() { return m_storage->spectral.data(); }
PreparedSampleFrame* MatchWorkspace::sampleFrames() { return m_storage->sampleFrames.data(); }
uint32_t* MatchWorkspace::sampleFrameStamps() { return m_storage->sampleFrameStamps.data(); }
PreparedUtterance& MatchWorkspace::utterance() { return m_storage->utterance; }

const SearchBand& MatchWorkspace::band(int nU, int nT, int32_t accuracy)
{
    nT = std::clamp(nT, 0, kTemplateFrames);
    Storage::CachedBand& cached = m_storage->bands[nT];
    if (!cached.valid || cached.nU != nU || cached.accuracy != accuracy) {
        cached.band = BuildSearchBand(nU, nT, accuracy);
        cached.nU = nU;
        cached.accuracy = accuracy;
        cached.valid = true;
    }
    return cached.band;
}

} // namespace larkspur
