#pragma once
// The recognition engine: the voice command table seen through a current-record
// window, the blocking listening, training and calibration procedures, table
// files and the sample store. One instance per application; it is used from one
// thread only, and its blocking procedures keep the user interface alive through
// the EventPump.

#include "engine/CaptureDevice.h"
#include "engine/EnginePlatform.h"
#include "engine/EnhancedMatcher.h"
#include "engine/EngineTypes.h"
#include "engine/Matcher.h"
#include "engine/PushToTalkGate.h"
#include "engine/SampleStore.h"
#include "engine/UtteranceDetector.h"
#include "engine/VoiceCommandTable.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace larkspur {

enum class EngineStatus { Idle, Listening, Recording, Thinking };
const char* statusText(EngineStatus status);

// Thresholds measured by calibration.
struct CalibrationValues {
    uint8_t zeroLevel = 128;   // Z
    double noiseLevel = 0.0;   // N
    int32_t zeroCrossingThreshold = 15;  // Tzc
    int32_t lowThreshold = 1980;         // Tlow
    int32_t highThreshold = 10780;       // Thigh
};

// Every utterance that reached the table search, for tools that report them all.
struct UtteranceReport {
    int64_t streamStart = -1;  // input stream index of the first sample, -1 if unknown
    int32_t length = 0;        // samples
    int32_t meanEnergy = 0;
    MatchResult match;
};

class TVREngine32 {
public:
    using NotifyEvent = std::function<void(TVREngine32& sender)>;

    explicit TVREngine32(EnginePlatform platform = {});
    ~TVREngine32();
    TVREngine32(const TVREngine32&) = delete;
    TVREngine32& operator=(const TVREngine32&) = delete;

    // --- Published properties --------------------------------------------
    bool BeepBeforeTrain() const { return m_beepBeforeTrain; }
    void setBeepBeforeTrain(bool on) { m_beepBeforeTrain = on; }
    bool PlayBack() const { return m_playBack; }
    void setPlayBack(bool on) { m_playBack = on; }
    int32_t Accuracy() const { return m_accuracy; }
    void setAccuracy(int32_t accuracy) { m_accuracy = accuracy; }
    bool StopAfterRecognize() const { return m_stopAfterRecognize; }
    void setStopAfterRecognize(bool on) { m_stopAfterRecognize = on; }
    // Which matcher recognises: the table matcher (the default) or the
    // enhanced one. The enhanced matcher also lets the detector accept
    // shorter words.
    MatcherKind Matcher() const { return m_matcher; }
    void setMatcher(MatcherKind kind) { m_matcher = kind; }
    const std::string& FileName() const { return m_fileName; }
    void setFileName(std::string name) { m_fileName = std::move(name); }
    const std::string& TableName() const { return m_tableName; }
    void setTableName(std::string name) { m_tableName = std::move(name); }
    int32_t LastConfidence() const { return m_lastConfidence; }
    const std::string& LastVoiceCommand() const { return m_lastVoiceCommand; }
    int32_t LastVC() const { return m_lastVC; }
    uint8_t LastTrainedSample() const { return m_lastTrainedSample; }
    int32_t LastSndByte() const { return m_lastSndByte; }

    NotifyEvent OnRecognition;
    NotifyEvent OnTrained;
    NotifyEvent OnValidPlotData;
    // Not one of the component's events: called for every utterance loud enough
    // to be matched, matched or not, so tools can report them all.
    std::function<void(const UtteranceReport&)> OnUtteranceMatched;

    // --- Public properties -----------------------------------------------
    bool Ready() const { return m_ready; }
    bool ShowMessages() const { return m_showMessages; }
    void setShowMessages(bool on) { m_showMessages = on; }
    bool TableTrained() const { return m_tableTrained; }
    std::string Status() const { return statusText(m_status); }
    EngineStatus status() const { return m_status; }
    int32_t VCRecord() const { return m_vcRecord; }
    void setVCRecord(int32_t slot);
    const std::string& VoiceCommand() const { return m_voiceCommand; }
    void setVoiceCommand(std::string phrase) { m_voiceCommand = std::move(phrase); }
    const std::string& CommandString() const { return m_commandString; }
    void setCommandString(std::string action) { m_commandString = std::move(action); }
    bool VCTrained() const { return m_vcTrained; }
    void setVCTrained(bool trained) { m_vcTrained = trained; }
    const std::string& PlotData() const { return m_plotData; }
    int32_t PlotDataLength() const { return static_cast<int32_t>(m_plotData.size()); }

    static constexpr int32_t MaxVoiceCommands() { return kMaxVoiceCommands; }
    static constexpr int32_t SampleRate() { return kSampleRate; }

    // --- Record and table operations ---------------------------------------
    void UpdateVCRecord();
    void DeleteVCRecord();
    void SetSampleTrained(int k, int value);
    bool CheckTableTrained();
    void ClearTable();
    void NewTable();

    // --- Table files (throw EInOutError on file errors) ---------------------
    void OpenTable();
    void SaveTable();
    void SaveTableAs();
    // True when the last save was turned down at the question about a table
    // changed on disk: nothing was written.
    bool SaveDeclined() const { return m_saveDeclined; }
    static std::string CompanionFileName(const std::string& name);
    static std::string FileNamePart(const std::string& name);
    static bool FileExists(const std::string& name);
    bool RestoreSampleStore(const std::string& companion);
    // Loads the training repetitions of the enhanced matcher; a missing or
    // damaged file leaves the records to the table matcher.
    bool RestoreRepetitions(const std::string& repetitionFile);
    bool SaveSampleStore(const std::string& companion);

    // --- Sample store ------------------------------------------------------
    void CreateSampleStore();
    void StoreSample(int slot);
    bool LoadSample(int slot);
    const std::string& sampleStorePath() const { return m_sampleStore.path(); }

    // --- Audio procedures (block while keeping the user interface alive) ----
    bool Initialize();
    bool ListenForUtterance();
    bool PlayUtterance();
    void Recognize();
    void Train();
    void StopListening() { m_stopRequest = true; }
    // Throws away what the microphone heard since the engine last listened:
    // call it after the program played a sound, so the sound is not taken for
    // speech. Nothing happens when listening is not under way.
    void discardHeardAudio();

    // Push-to-talk for listening mode (Recognize); off by default. Unlike the
    // rest of the engine, its press and release may be called from any thread.
    PushToTalkGate& PushToTalk() { return m_pushToTalk; }

    // --- Capture device ------------------------------------------------------
    // Calibrates on another capture device and, when that succeeds, keeps it
    // (the engine owns it from then on) and captures from it. When the new
    // device cannot be used (it does not open, the line is too noisy, its
    // zero level is off) the failure is reported as by Initialize and the
    // engine goes on with its previous device, calibration and readiness,
    // exactly as they were. Refused (false, nothing changes) without a device
    // or while a listening, training or calibration procedure runs.
    bool InitializeWith(std::unique_ptr<CaptureDevice> device);
    // The device the engine captures from; null when it has none.
    CaptureDevice* captureDevice() const { return m_platform.capture; }
    // True while Initialize, ListenForUtterance, Recognize or Train runs.
    bool busy() const { return m_busy > 0; }

    // --- Read-only views for tools and tests --------------------------------
    const VoiceCommandTable& table() const { return m_table; }
    const UtteranceTemplate& utteranceTemplate() const { return m_utterance; }
    const CalibrationValues& calibration() const { return m_calibration; }
    bool stopRequested() const { return m_stopRequest; }
    // The accepted utterance: samples 1..L of the utterance buffer.
    std::span<const uint8_t> utteranceSamples() const;
    // The accepted utterance with up to kEnhancedPadding samples of what came
    // before and after it, as the enhanced matcher sees it.
    std::span<const uint8_t> paddedUtteranceSamples() const { return m_paddedUtterance; }
    const EnhancedMatcher& enhancedMatcher() const { return *m_enhanced; }
    EnhancedMatcher& enhancedMatcher() { return *m_enhanced; }
    // Shortest utterance the detector accepts with the current matcher.
    int minimumUtteranceLength() const;

    static constexpr int kEnhancedPadding = 550;
    static constexpr int kEnhancedMinUtteranceLength = 660;

private:
    friend class EngineTestAccess;

    void showMessage(const std::string& text);       // always shown
    void showGatedMessage(const std::string& text);  // only while ShowMessages
    void loadCurrentRecord(const VoiceCommandRecord* record);
    void writeTableFile();
    void setUtterance(std::span<const uint8_t> samples);

    // Capture layer: each reports failures as "VREngine <op>:  <text>".
    void reportDeviceError(const std::string& operation, int code);
    bool checkDevicePresent();
    bool openForListening();
    bool openForCalibration();
    bool prepareBuffer(CaptureBuffer& buffer);
    bool queueBuffer(CaptureBuffer& buffer);
    // Ends one listen. Recognize and Train keep the device open (and the
    // stream running) between their listens, so nothing said in between is
    // lost; otherwise the device is closed.
    bool stopListeningDevice();
    void closeCapture();
    bool releaseCapture();
    class CaptureHold;
    void waitForBuffer(CaptureBuffer& buffer);
    void wait(int milliseconds);

    // Listening helpers.
    CaptureDevice* device();
    Clock& clock();
    EventPump& pump();
    void storeBlock(const CaptureBuffer& buffer);
    int32_t inputLevel() const;
    DetectorThresholds thresholds() const;
    int64_t streamPositionOf(int ringPosition) const;
    void copyUtteranceFromRing(int start, int length);
    void assembleUtterance();
    void copyPaddedUtterance();
    bool listenForUtterance(bool gated);
    MatchResult matchUtterance();
    void playBeep();

    EnginePlatform m_platform;
    // A capture device handed over by InitializeWith; the platform's own
    // device stays its owner's.
    std::unique_ptr<CaptureDevice> m_ownCapture;
    // Used when the platform brings no clock or pump of its own.
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<EventPump> m_ownPump;

    // Published state.
    bool m_beepBeforeTrain = true;
    bool m_playBack = true;
    int32_t m_accuracy = 0;
    bool m_stopAfterRecognize = false;
    MatcherKind m_matcher = MatcherKind::Specified;
    std::string m_fileName;
    std::string m_tableName = "Untitled";
    int32_t m_lastConfidence = 0;
    std::string m_lastVoiceCommand;
    int32_t m_lastVC = 0;
    uint8_t m_lastTrainedSample = 0;
    int32_t m_lastSndByte = 0;

    // Public state.
    bool m_ready = false;
    bool m_showMessages = true;
    bool m_tableTrained = false;
    EngineStatus m_status = EngineStatus::Idle;
    int32_t m_vcRecord = 0;
    std::string m_voiceCommand;
    std::string m_commandString;
    bool m_vcTrained = false;
    std::string m_plotData;

    bool m_stopRequest = true;
    int m_busy = 0;  // nesting depth of the blocking audio procedures
    // The table file as it was when this engine last read or wrote it, so a
    // save can tell that another program changed it meanwhile.
    struct FileIdentity {
        std::string path;
        uint64_t device = 0, inode = 0;
        int64_t size = 0, modifiedNs = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    static std::optional<FileIdentity> identityOf(const std::string& path);
    bool confirmSaveOverChangedTable();
    std::optional<FileIdentity> m_tableIdentity;
    bool m_saveDeclined = false;
    VoiceCommandTable m_table;
    SampleStore m_sampleStore;
    MatchWorkspace m_matchWorkspace;
    std::unique_ptr<EnhancedMatcher> m_enhanced;

    // Audio state.
    CalibrationValues m_calibration;
    std::vector<uint8_t> m_ring;                 // capture ring, position p at index p - 1
    std::vector<FrameRecord> m_frames;           // frame table, frame f at index f - 1
    std::array<int64_t, kRingLength / kBlockLength> m_blockStreamPositions{};
    std::array<uint8_t, kBlockLength> m_bufferData1{};
    std::array<uint8_t, kBlockLength> m_bufferData2{};
    CaptureBuffer m_buffer1;
    CaptureBuffer m_buffer2;
    CaptureBuffer m_calibrationBuffer;
    int m_writePos = 1;   // W: where the next block goes
    UtteranceDetector m_detector;
    int m_lastDeviceResult = 0;
    bool m_captureOpen = false;  // the capture device is open for listening
    bool m_holdCapture = false;  // ... and stays open between listens
    std::array<uint8_t, kMaxUtteranceLength> m_utteranceBuffer{};
    int m_utteranceLength = 0;
    int m_samplesThisCall = 0;  // samples stored in the ring by this listening call
    std::vector<uint8_t> m_paddedUtterance;
    UtteranceTemplate m_utterance;
    PushToTalkGate m_pushToTalk;
};

} // namespace larkspur
