#include "engine/TVREngine32.h"

#include "engine/FileError.h"
#include "engine/SleepingPump.h"
#include "engine/SteadyClock.h"

#include <algorithm>
#include <cerrno>

namespace larkspur {

namespace {

constexpr std::size_t kMaxStringLength = 255;

std::string truncated(const std::string& text)
{
    return text.size() > kMaxStringLength ? text.substr(0, kMaxStringLength) : text;
}

} // namespace

const char* statusText(EngineStatus status)
{
    switch (status) {
    case EngineStatus::Idle: return "Idle";
    case EngineStatus::Listening: return "Listening";
    case EngineStatus::Recording: return "Recording";
    case EngineStatus::Thinking: return "Thinking";
    }
    return "Idle";
}

TVREngine32::TVREngine32(EnginePlatform platform)
    : m_platform(std::move(platform))
    , m_sampleStore(m_platform.sampleStorePath)
    , m_ring(kRingLength, 0)
    , m_frames(kRingFrames)
{
    m_enhanced = std::make_unique<EnhancedMatcher>();
    m_paddedUtterance.reserve(kMaxUtteranceLength + 2 * kEnhancedPadding);
    if (!m_platform.clock) {
        m_ownClock = std::make_unique<SteadyClock>();
        m_platform.clock = m_ownClock.get();
    }
    if (!m_platform.pump) {
        m_ownPump = std::make_unique<SleepingPump>();
        m_platform.pump = m_ownPump.get();
    }
    m_blockStreamPositions.fill(-1);
    m_stopRequest = true;
    try {
        CreateSampleStore();
    } catch (const EInOutError& error) {
        // Without a store the engine still recognises and trains; only
        // playback and plotting of trained commands are missing.
        showMessage(std::string(error.what()) + "\rCan not plot and playback trained voice commands!");
    }
}

TVREngine32::~TVREngine32()
{
    // The store is scratch data of this process; never leave it behind.
    m_sampleStore.remove();
}

void TVREngine32::showMessage(const std::string& text)
{
    if (m_platform.messages)
        m_platform.messages->showMessage(text);
}

void TVREngine32::showGatedMessage(const std::string& text)
{
    if (m_showMessages)
        showMessage(text);
}

void TVREngine32::loadCurrentRecord(const VoiceCommandRecord* record)
{
    if (record) {
        m_voiceCommand = record->phrase;
        m_commandString = record->action;
        m_vcTrained = record->trained != 0;
    } else {
        m_voiceCommand.clear();
        m_commandString.clear();
        m_vcTrained = false;
    }
}

void TVREngine32::setVCRecord(int32_t slot)
{
    if (!VoiceCommandTable::validSlot(slot)) {
        showGatedMessage("You must enter a number between 1 and 512!");
        m_vcRecord = 1;
        return;
    }
    m_vcRecord = slot;
    loadCurrentRecord(m_table.record(slot));
}

void TVREngine32::UpdateVCRecord()
{
    VoiceCommandRecord* record = m_table.record(m_vcRecord);
    if (!record) {
        if (!VoiceCommandTable::validSlot(m_vcRecord))
            return;  // no current record has been chosen yet
        record = &m_table.allocate(m_vcRecord);
        m_vcTrained = false;
    }
    record->phrase = truncated(m_voiceCommand);
    record->action = truncated(m_commandString);
    record->trained = m_vcTrained ? 1 : 0;
}

void TVREngine32::DeleteVCRecord()
{
    VoiceCommandRecord* record = m_table.record(m_vcRecord);
    if (!record)
        return;
    record->phrase = "VoiceCommand" + std::to_string(m_vcRecord);
    record->action.clear();
    record->trained = 0;
    for (auto& sample : record->samples)
        sample.present = 0;
    CheckTableTrained();
    m_voiceCommand = record->phrase;
    m_commandString.clear();
    m_vcTrained = false;
}

void TVREngine32::SetSampleTrained(int k, int value)
{
    VoiceCommandRecord* record = m_table.record(m_vcRecord);
    if (!record || k < 1 || k > kSamplesPerCommand)
        return;
    record->samples[k - 1].present = static_cast<uint8_t>(value ? 1 : 0);
    const bool anyPresent = std::any_of(record->samples.begin(), record->samples.end(),
                                        [](const SampleTemplate& s) { return s.present != 0; });
    if (anyPresent) {
        record->trained = 1;
        m_vcTrained = true;
        m_tableTrained = true;
    } else {
        record->trained = 0;
        m_vcTrained = false;
        CheckTableTrained();
    }
}

bool TVREngine32::CheckTableTrained()
{
    m_tableTrained = false;
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        const VoiceCommandRecord* record = m_table.record(slot);
        if (record && record->trained != 0) {
            m_tableTrained = true;
            break;
        }
    }
    return m_tableTrained;
}

void TVREngine32::ClearTable()
{
    m_table.clear();
    m_enhanced->clear();
    m_sampleStore.remove();
    m_stopRequest = true;
}

void TVREngine32::NewTable()
{
    m_stopRequest = false;
    m_tableName = "Untitled";
    m_fileName.clear();
    ClearTable();
    m_tableTrained = false;
    CreateSampleStore();
}

std::span<const uint8_t> TVREngine32::utteranceSamples() const
{
    return {m_utteranceBuffer.data(), static_cast<std::size_t>(m_utteranceLength)};
}

void TVREngine32::setUtterance(std::span<const uint8_t> samples)
{
    const std::size_t n = std::min<std::size_t>(samples.size(), kMaxUtteranceLength);
    std::copy_n(samples.begin(), n, m_utteranceBuffer.begin());
    m_utteranceLength = static_cast<int>(n);
    m_plotData.assign(reinterpret_cast<const char*>(m_utteranceBuffer.data()), n);
    m_paddedUtterance.assign(m_utteranceBuffer.begin(), m_utteranceBuffer.begin() + static_cast<std::ptrdiff_t>(n));
}

int TVREngine32::minimumUtteranceLength() const
{
    return m_matcher == MatcherKind::Enhanced ? kEnhancedMinUtteranceLength : kMinUtteranceLength;
}

bool TVREngine32::InitializeWith(std::unique_ptr<CaptureDevice> device)
{
    if (!device || busy())
        return false;
    CaptureDevice* const previous = m_platform.capture;
    std::unique_ptr<CaptureDevice> previousOwned = std::move(m_ownCapture);
    const bool wasReady = m_ready;
    // Idle, so nothing of the engine's is queued on it; a device left open
    // would keep the hardware from the new one when both name the same card.
    if (previous)
        previous->close();

    m_ownCapture = std::move(device);
    m_platform.capture = m_ownCapture.get();
    if (Initialize())
        return true;  // a previous device the engine owned goes with previousOwned

    // The failed device goes; the engine is back on the one it had, with the
    // thresholds it had (Initialize changes them only when it succeeds).
    m_ownCapture = std::move(previousOwned);
    m_platform.capture = previous;
    m_ready = wasReady;
    return false;
}

} // namespace larkspur
