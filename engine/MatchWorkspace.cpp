#include "engine/MatchWorkspace.h"

#include "engine/VoiceCommandTable.h"

#include <algorithm>
#include <cstring>

namespace larkspur {

namespace {

// Sample frame caches: one per table sample, then one for a sample compared on
// its own.
constexpr int kTableSamples = kMaxVoiceCommands * kSamplesPerCommand;
constexpr int kCachedSamples = kTableSamples + 1;
constexpr size_t kCachedFrames = static_cast<size_t>(kCachedSamples) * kMaxSampleFrames;

} // namespace

struct MatchWorkspace::Storage {
    DistanceMemo energy;
    DistanceMemo spectral;
    PreparedUtterance utterance;

    // Allocated at the first comparison, filled lazily. Frames are written
    // before their ready flag is set and never read before, so they need no
    // initialisation (and untouched parts cost no memory).
    std::unique_ptr<CompactSampleFrame[]> frames;
    std::unique_ptr<uint8_t[]> ready;
    // Revision of the table whose frames are kept; 0 for none. Revisions are
    // unique across tables, so this alone identifies the table and its state.
    uint64_t tableRevision = 0;

    struct CachedBand {
        bool valid = false;
        int nU = 0;
        int32_t accuracy = 0;
        SearchBand band;
    };
    std::array<CachedBand, kTemplateFrames + 1> bands{};  // indexed by nT

    void allocateFrames()
    {
        if (frames)
            return;
        frames.reset(new CompactSampleFrame[kCachedFrames]);
        ready = std::make_unique<uint8_t[]>(kCachedFrames);  // zero: nothing ready
    }

    SampleFrameCache cache(int index)
    {
        const size_t first = static_cast<size_t>(index) * kMaxSampleFrames;
        return {frames.get() + first, ready.get() + first};
    }
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

void MatchWorkspace::beginComparison()
{
    Storage& s = *m_storage;
    s.energy.rows.fill(0);
    s.spectral.rows.fill(0);
    if (s.ready)
        std::memset(s.ready.get() + static_cast<size_t>(kTableSamples) * kMaxSampleFrames, 0, kMaxSampleFrames);
}

DistanceMemo& MatchWorkspace::energyMemo() { return m_storage->energy; }
DistanceMemo& MatchWorkspace::spectralMemo() { return m_storage->spectral; }

SampleFrameCache MatchWorkspace::singleSampleFrames()
{
    Storage& s = *m_storage;
    s.allocateFrames();
    return s.cache(kTableSamples);
}

void MatchWorkspace::beginTableSearch(const VoiceCommandTable& table)
{
    Storage& s = *m_storage;
    if (!s.frames)
        s.allocateFrames();
    else if (s.tableRevision != table.revision())
        std::memset(s.ready.get(), 0, static_cast<size_t>(kTableSamples) * kMaxSampleFrames);
    s.tableRevision = table.revision();
}

SampleFrameCache MatchWorkspace::tableSampleFrames(int slot, int k)
{
    return m_storage->cache((slot - 1) * kSamplesPerCommand + (k - 1));
}

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
