// The engine's blocking audio procedures: the capture layer with its uniform
// error reports, calibration, the listening loop, playback, recognition and
// training. All of it runs on the caller's thread; waits go through the event
// pump so the user interface stays alive.

#include "engine/TVREngine32.h"

#include "engine/Calibration.h"
#include "engine/FeatureExtraction.h"
#include "engine/FrameMeasure.h"
#include "engine/TemplateAssembly.h"
#include "engine/WavFile.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace larkspur {

namespace {

constexpr int kOpenAttempts = 11;
constexpr int kOpenRetryDelayMs = 50;
constexpr int kBeepPauseMs = 400;
constexpr int kCalibrationPauseMs = 3000;
// Longest sleep between two looks at the device, so events still run promptly.
constexpr int kDevicePollMs = 20;

constexpr int32_t kIgnoreEnergy = 3000;   // at or below: not speech, dropped silently
constexpr int32_t kTrainingEnergy = 12000;  // at or below: too quiet to train from

// Marks the engine busy while a blocking procedure runs, so its capture
// device is not replaced under it.
class BusyScope {
public:
    explicit BusyScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~BusyScope() { --m_depth; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int& m_depth;
};

} // namespace

// ---------------------------------------------------------------------------
// Capture layer

CaptureDevice* TVREngine32::device()
{
    return m_platform.capture;
}

Clock& TVREngine32::clock()
{
    return *m_platform.clock;
}

EventPump& TVREngine32::pump()
{
    return *m_platform.pump;
}

void TVREngine32::reportDeviceError(const std::string& operation, int code)
{
    const std::string text = device() ? device()->errorText(code) : std::string();
    if (text.empty())
        return;
    showGatedMessage("VREngine " + operation + ":  " + text);
    m_stopRequest = true;
}

bool TVREngine32::checkDevicePresent()
{
    if (device() && device()->deviceCount() > 0)
        return true;
    showGatedMessage("No sound system installed in computer system. Can not use application.");
    return false;
}

bool TVREngine32::prepareBuffer(CaptureBuffer& buffer)
{
    buffer.length = kBlockLength;
    buffer.bytesRecorded = 0;
    buffer.done = false;
    buffer.streamPosition = -1;
    const int result = m_lastDeviceResult = device()->prepareBuffer(buffer);
    if (result == 0)
        return true;
    reportDeviceError("WaveInPrepareHeader", result);
    closeCapture();
    return false;
}

bool TVREngine32::queueBuffer(CaptureBuffer& buffer)
{
    buffer.done = false;
    const int result = m_lastDeviceResult = device()->addBuffer(buffer);
    if (result == 0)
        return true;
    reportDeviceError("wiAddBuffer", result);
    closeCapture();
    return false;
}

bool TVREngine32::openForListening()
{
    CaptureDevice* dev = device();
    if (!m_captureOpen) {
        if ((m_lastDeviceResult = dev->open()) != 0)
            return false;  // reported by the caller once every attempt has failed
        m_captureOpen = true;
    }
    m_buffer1.data = m_bufferData1.data();
    m_buffer2.data = m_bufferData2.data();
    if (!prepareBuffer(m_buffer1) || !queueBuffer(m_buffer1) || !prepareBuffer(m_buffer2)
        || !queueBuffer(m_buffer2))
        return false;
    if ((m_lastDeviceResult = dev->start()) != 0) {
        reportDeviceError("wiStart", m_lastDeviceResult);
        closeCapture();
        return false;
    }
    return true;
}

bool TVREngine32::openForCalibration()
{
    CaptureDevice* dev = device();
    if ((m_lastDeviceResult = dev->open()) != 0) {
        reportDeviceError("wiOpenAndStartThr", m_lastDeviceResult);
        return false;
    }
    // The calibration capture lands in the start of the capture ring.
    m_calibrationBuffer = CaptureBuffer{};
    m_calibrationBuffer.data = m_ring.data();
    m_calibrationBuffer.length = kCalibrationLength;
    int result = dev->prepareBuffer(m_calibrationBuffer);
    const char* failed = nullptr;
    if (result != 0) {
        failed = "wiOpenAndStartThr-WaveInPrepareHeader";
    } else if ((result = dev->addBuffer(m_calibrationBuffer)) != 0) {
        failed = "wiOpenAndStartThr-WaveInAddBuffer";
    } else if ((result = dev->start()) != 0) {
        failed = "wiStart";
    }
    m_lastDeviceResult = result;
    if (failed) {
        reportDeviceError(failed, result);
        dev->close();
        return false;
    }
    return true;
}

bool TVREngine32::stopListeningDevice()
{
    CaptureDevice* dev = device();
    if (const int r = dev->stop(); r != 0) {
        reportDeviceError("wiStop", r);
        closeCapture();
        return false;
    }
    if (const int r = dev->reset(); r != 0) {
        reportDeviceError("wiReset", r);
        closeCapture();
        return false;
    }
    if (const int r = dev->unprepareBuffer(m_buffer1); r != 0)
        reportDeviceError("WaveInUnPrepareHeader", r);
    if (const int r = dev->unprepareBuffer(m_buffer2); r != 0)
        reportDeviceError("WaveInUnPrepareHeader", r);
    return m_holdCapture || releaseCapture();
}

void TVREngine32::closeCapture()
{
    device()->close();
    m_captureOpen = false;
}

bool TVREngine32::releaseCapture()
{
    if (!m_captureOpen)
        return true;
    m_captureOpen = false;
    if (const int r = device()->close(); r != 0) {
        reportDeviceError("wiClose", r);
        return false;
    }
    return true;
}

// Keeps the capture device open across the listens of one Recognize or Train
// and closes it when that ends, however it ends.
class TVREngine32::CaptureHold {
public:
    explicit CaptureHold(TVREngine32& engine) : m_engine(engine), m_outer(engine.m_holdCapture)
    {
        m_engine.m_holdCapture = true;
    }
    ~CaptureHold()
    {
        m_engine.m_holdCapture = m_outer;
        if (!m_outer)
            m_engine.releaseCapture();
    }
    CaptureHold(const CaptureHold&) = delete;
    CaptureHold& operator=(const CaptureHold&) = delete;

private:
    TVREngine32& m_engine;
    bool m_outer;
};

void TVREngine32::discardHeardAudio()
{
    if (!m_captureOpen || !device())
        return;
    if (const int r = device()->discardCaptured(); r != 0) {
        // The next listen meets the device's trouble again and reports it there.
        closeCapture();
    }
}

void TVREngine32::waitForBuffer(CaptureBuffer& buffer)
{
    while (!device()->isDone(buffer)) {
        pump().processEvents();
        device()->waitForData(kDevicePollMs);
    }
}

void TVREngine32::wait(int milliseconds)
{
    const uint32_t start = clock().tickCount();
    for (;;) {
        pump().processEvents();
        // A signed difference, so a wrapping tick counter does not end the wait early.
        const int32_t elapsed = static_cast<int32_t>(clock().tickCount() - start);
        if (elapsed >= milliseconds)
            return;
        pump().waitForEvents(milliseconds - elapsed);
    }
}

void TVREngine32::playBeep()
{
    if (!m_platform.sound) {
        wait(kBeepPauseMs);
        return;
    }
    m_platform.sound->playResource("BEEP");
    wait(kBeepPauseMs);
    // The word comes after the beep; the beep itself is not a word.
    if (m_platform.sound->audible())
        discardHeardAudio();
}

// ---------------------------------------------------------------------------
// Calibration

bool TVREngine32::Initialize()
{
    const BusyScope busy(m_busy);
    if (!checkDevicePresent())
        return false;
    m_ready = false;

    CalibrationView* view = m_platform.calibrationView;
    auto closeView = [view] {
        if (view)
            view->close();
    };
    if (view)
        view->show();
    wait(kCalibrationPauseMs);

    LineMeasurement line;
    bool quiet = false;
    for (int pass = 0; pass < kMaxCalibrationPasses && !quiet;) {
        if (!openForCalibration()) {
            closeView();
            return false;
        }
        waitForBuffer(m_calibrationBuffer);
        device()->reset();
        device()->close();

        line = measureLine(std::span<const uint8_t>(m_ring).subspan(kCalibrationWindowFirst - 1,
                                                                     kCalibrationWindowLength));
        if (line.noiseLevel > kMaxNoiseLevel) {
            if (view)
                view->hide();
            showMessage("Please make sure you are not talking during this process. If you see this "
                        "message more than once, please lower your microphone recording volume (gain) "
                        "in your mixer control. Then continue with this process.");
            if (view) {
                view->show();
                view->restartProgress();
            }
            wait(kCalibrationPauseMs);
        }
        ++pass;
        quiet = line.noiseLevel < kMaxNoiseLevel;
    }
    if (!quiet) {
        showMessage("To much microphone line noise! Can not run voice recognition engine!");
        closeView();
        return false;
    }
    if (!zeroLevelAcceptable(line.zeroLevel)) {
        showMessage("Sound card does not provide propper zero level!  Can not run recognition engine!");
        closeView();
        return false;
    }
    closeView();
    m_calibration.zeroLevel = line.zeroLevel;
    m_calibration.noiseLevel = line.noiseLevel;
    m_calibration.zeroCrossingThreshold = line.zeroCrossingThreshold;
    m_calibration.lowThreshold = lowEnergyThreshold(line.noiseLevel);
    m_calibration.highThreshold = highEnergyThreshold(line.noiseLevel);
    m_ready = true;
    return true;
}

// ---------------------------------------------------------------------------
// Listening

DetectorThresholds TVREngine32::thresholds() const
{
    return {m_calibration.zeroLevel, m_calibration.lowThreshold, m_calibration.highThreshold,
            m_calibration.zeroCrossingThreshold};
}

void TVREngine32::storeBlock(const CaptureBuffer& buffer)
{
    std::copy_n(buffer.data, kBlockLength, m_ring.begin() + (m_writePos - 1));
    m_blockStreamPositions[(m_writePos - 1) / kBlockLength] = buffer.streamPosition;
}

int32_t TVREngine32::inputLevel() const
{
    // The frame just before W; the ring's last frame when W is back at 1.
    const int frameStart = (m_writePos == 1 ? kRingLength : m_writePos - 1) - kFrameLength;
    const FrameMeasurement m =
        measureSamples(std::span<const uint8_t>(m_ring).subspan(frameStart, kFrameLength), m_calibration.zeroLevel);
    return 1 + static_cast<int32_t>(std::nearbyint(3.0 * std::sqrt(m.energy / 220.0)));
}

int64_t TVREngine32::streamPositionOf(int ringPosition) const
{
    const int block = (ringPosition - 1) / kBlockLength;
    const int64_t blockStart = m_blockStreamPositions[block];
    return blockStart < 0 ? -1 : blockStart + (ringPosition - 1) % kBlockLength;
}

void TVREngine32::copyUtteranceFromRing(int start, int length)
{
    m_utteranceBuffer.fill(m_calibration.zeroLevel);
    int pos = start;
    for (int i = 0; i < length; ++i) {
        m_utteranceBuffer[i] = m_ring[pos - 1];
        pos = pos == kRingLength ? 1 : pos + 1;
    }
    m_utteranceLength = length;
    m_plotData.assign(reinterpret_cast<const char*>(m_utteranceBuffer.data()), length);
}

bool TVREngine32::ListenForUtterance()
{
    m_stopRequest = false;
    return listenForUtterance(false);
}

// Leaves the stop request alone: Recognize and Train clear it once when they
// begin, so a stop asked for during a beep or a dispatched action ends them.
bool TVREngine32::listenForUtterance(bool gated)
{
    const BusyScope busy(m_busy);
    m_lastSndByte = 0;
    m_writePos = 1;
    m_samplesThisCall = 0;
    // Positions of blocks from an earlier listen must never be reported for this one.
    m_blockStreamPositions.fill(-1);
    m_detector.reset();
    m_status = EngineStatus::Idle;
    if (!m_ready || !device())
        return false;

    bool opened = false;
    for (int attempt = 1; attempt <= kOpenAttempts && !opened; ++attempt) {
        opened = openForListening();
        if (!opened && attempt < kOpenAttempts)
            wait(kOpenRetryDelayMs);
    }
    if (!opened) {
        reportDeviceError("wiOpenAndStart", m_lastDeviceResult);
        return false;
    }

    m_status = EngineStatus::Listening;
    CaptureBuffer* expected = &m_buffer1;
    bool accepted = false;
    const DetectorThresholds limits = thresholds();
    uint64_t hold = 0;      // the key press the current utterance began in
    bool ignoring = false;  // following audio that began with the talk key up
    while (!m_stopRequest && !accepted) {
        pump().processEvents();
        if (m_stopRequest)
            break;
        if (!device()->isDone(*expected)) {
            device()->waitForData(kDevicePollMs);
            continue;
        }
        storeBlock(*expected);
        if (!queueBuffer(*expected))
            return false;  // reported, device closed, stop requested
        expected = expected == &m_buffer1 ? &m_buffer2 : &m_buffer1;

        const int failedFrames = AnalyseBlock(m_ring, m_writePos, m_calibration.zeroLevel, m_frames);
        for (int i = 0; i < failedFrames; ++i)
            showGatedMessage("Not enough accuracy to process frame.");
        m_writePos += kBlockLength;
        m_samplesThisCall += kBlockLength;
        if (m_writePos >= kRingLength)
            m_writePos = 1;
        m_lastSndByte = inputLevel();

        // One look at the talk key per block; with push-to-talk off nothing below changes.
        const PushToTalkGate::Snapshot key = gated ? m_pushToTalk.snapshot() : PushToTalkGate::Snapshot{};
        const bool keyGates = gated && key.enabled;
        bool ended = false;
        if (ignoring) {
            // Audio that began with the key up is followed to its end and dropped,
            // even when the key goes down meanwhile.
            if (m_detector.findEnd(m_ring, m_writePos, limits)) {
                m_detector.discard();
                ignoring = false;
            }
        } else if (m_status == EngineStatus::Recording) {
            ended = m_detector.findEnd(m_ring, m_writePos, limits);
            // Letting go of the key (or a new press) ends the utterance without the quiet frames.
            if (!ended && keyGates && (!key.held || key.presses != hold)) {
                m_detector.endNow();
                ended = true;
            }
        }
        if (ended) {
            const int length = std::min(m_detector.utteranceLength(), kMaxUtteranceLength);
            if (length < minimumUtteranceLength()) {
                m_detector.discard();  // a click, not a word
                m_status = EngineStatus::Listening;
            } else {
                accepted = true;
            }
        }
        if (m_status == EngineStatus::Listening && !ignoring && m_detector.findStart(m_ring, m_writePos, limits)) {
            if (keyGates && !key.held) {
                ignoring = true;
            } else {
                m_status = EngineStatus::Recording;
                hold = key.presses;
            }
        }
    }

    if (!stopListeningDevice())
        return false;

    if (accepted) {
        copyUtteranceFromRing(m_detector.start(), std::min(m_detector.utteranceLength(), kMaxUtteranceLength));
        copyPaddedUtterance();
        if (OnValidPlotData)
            OnValidPlotData(*this);
        if (m_playBack && PlayUtterance() && m_platform.sound->audible())
            discardHeardAudio();
    }
    m_lastSndByte = 0;
    m_status = EngineStatus::Idle;
    return accepted;
}

void TVREngine32::copyPaddedUtterance()
{
    // The ring holds the last samples of this call, ending just before W; the
    // padding takes what of them lies around the utterance.
    const int held = std::min(m_samplesThisCall, kRingLength);
    const int start = m_detector.start();
    const int length = m_utteranceLength;
    const int startToWrite = (m_writePos - start + kRingLength) % kRingLength;
    const int before = std::clamp(held - startToWrite, 0, kEnhancedPadding);
    const int after = std::clamp(startToWrite - length, 0, kEnhancedPadding);
    m_paddedUtterance.clear();
    int pos = (start - 1 - before + kRingLength) % kRingLength;  // 0-based
    for (int i = 0; i < before + length + after; ++i) {
        m_paddedUtterance.push_back(m_ring[pos]);
        pos = pos + 1 == kRingLength ? 0 : pos + 1;
    }
}

bool TVREngine32::PlayUtterance()
{
    if (!m_platform.sound)
        return false;
    const std::vector<uint8_t> image = makeWaveImage(utteranceSamples());
    return m_platform.sound->playWave(image);
}

// ---------------------------------------------------------------------------
// Recognition and training

void TVREngine32::assembleUtterance()
{
    const int length = std::min(m_detector.utteranceLength(), kMaxUtteranceLength);
    AssembleUtteranceTemplate(m_frames, m_detector.start(), length, m_utterance);
}

MatchResult TVREngine32::matchUtterance()
{
    if (m_matcher == MatcherKind::Enhanced)
        return m_enhanced->match(paddedUtteranceSamples(), m_utterance, m_table, m_accuracy, m_matchWorkspace);
    return MatchUtterance(m_utterance, m_table, m_accuracy, m_matchWorkspace);
}

void TVREngine32::Recognize()
{
    const BusyScope busy(m_busy);
    if (!m_tableTrained) {
        showGatedMessage("The table is not trained! Please train voice commands!");
        return;
    }
    // Without a calibrated device nothing could ever end the loop below.
    if (!m_ready || !device())
        return;
    // Cleared before anything pumps events: closing the window during the
    // first beep must still end listening.
    m_stopRequest = false;
    pump().processEvents();
    if (m_beepBeforeTrain)
        playBeep();
    const CaptureHold hold(*this);
    while (!m_stopRequest) {
        if (!listenForUtterance(true))
            continue;
        m_status = EngineStatus::Thinking;
        assembleUtterance();
        if (m_utterance.meanEnergy <= kIgnoreEnergy)
            continue;
        m_utterance.valid = 1;
        const MatchResult match = matchUtterance();
        if (OnUtteranceMatched)
            OnUtteranceMatched(UtteranceReport{streamPositionOf(m_detector.start()), m_utteranceLength,
                                               m_utterance.meanEnergy, match});
        if (m_stopAfterRecognize)
            m_stopRequest = true;
        if (match.slot > 0) {
            m_lastConfidence = match.confidence;
            m_lastVoiceCommand = match.phrase;
            m_lastVC = match.slot;
            if (OnRecognition)
                OnRecognition(*this);
        }
    }
    m_stopRequest = false;
    m_status = EngineStatus::Idle;
}

void TVREngine32::Train()
{
    const BusyScope busy(m_busy);
    if (!m_ready || !device())
        return;
    m_stopRequest = false;
    const CaptureHold hold(*this);
    while (!m_stopRequest) {
        if (m_beepBeforeTrain)
            playBeep();
        if (!listenForUtterance(false))
            continue;
        assembleUtterance();
        const int32_t energy = m_utterance.meanEnergy;
        if (energy <= kIgnoreEnergy)
            continue;
        if (energy <= kTrainingEnergy) {
            showGatedMessage("Please say " + m_voiceCommand + " louder!");
            continue;
        }
        m_utterance.valid = 1;

        const VoiceCommandRecord* record = std::as_const(m_table).record(m_vcRecord);
        int k = 0;
        if (!record) {
            k = 1;
        } else {
            for (int i = 1; i <= kSamplesPerCommand && k == 0; ++i)
                if (record->samples[i - 1].present == 0)
                    k = i;
        }

        if (k == 0) {
            // All three samples are there: this repetition checks the training.
            m_status = EngineStatus::Thinking;
            const MatchResult match = matchUtterance();
            m_lastConfidence = match.confidence;
            m_lastVoiceCommand = match.phrase;
            m_lastVC = match.slot;
            if (record->phrase == m_lastVoiceCommand)
                showGatedMessage("You trained " + m_voiceCommand + " well!");
            else
                showGatedMessage("You should train " + m_voiceCommand + " again.");
            m_stopRequest = true;
            continue;
        }

        m_lastConfidence = 100;
        m_lastVoiceCommand.clear();
        m_lastVC = 0;
        if (!m_table.record(m_vcRecord))
            UpdateVCRecord();
        VoiceCommandRecord* target = m_table.record(m_vcRecord);
        if (!target)
            return;  // no valid current record to train
        SampleTemplate& sample = target->samples[k - 1];
        sample.frameCount = m_utterance.frameCount;
        sample.meanEnergy = m_utterance.meanEnergy;
        sample.lpc = m_utterance.lpc;
        sample.normEnergy = m_utterance.normEnergy;
        sample.predictionError = m_utterance.predictionError;
        SetSampleTrained(k, 1);
        m_lastTrainedSample = static_cast<uint8_t>(k);
        StoreSample(m_vcRecord);
        m_enhanced->storeRepetition(m_vcRecord, k, sample, paddedUtteranceSamples());
        if (OnTrained)
            OnTrained(*this);
    }
    m_stopRequest = false;
    m_status = EngineStatus::Idle;
}

} // namespace larkspur
