#pragma once
// What the engine needs from the world around it. Every piece has a real
// implementation and a fake for tests; the engine holds plain pointers and
// falls back to quiet defaults for pieces that are not given.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace larkspur {

class CaptureDevice;

// Modal message boxes. The GUI shows a box and returns when it is dismissed.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const std::string& text) = 0;
};

// The table file dialogs. std::nullopt means the user cancelled.
class TableFileDialogs {
public:
    virtual ~TableFileDialogs() = default;
    // filter is "Description|pattern", e.g. "Voice Command Tables (*.EAR)|*.EAR".
    virtual std::optional<std::string> askOpenFileName(const std::string& filter) = 0;
    virtual std::optional<std::string> askSaveFileName(const std::string& filter) = 0;
};

// Yes/no questions the engine asks before a step that could lose work.
class EngineQuestions {
public:
    virtual ~EngineQuestions() = default;
    // True for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
};

// Millisecond tick counter; wraps like a 32-bit counter.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t tickCount() = 0;
};

// Keeps the user interface alive while the engine blocks.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Let pending user-interface events run once, without waiting.
    virtual void processEvents() = 0;
    // Sleep until an event arrives or maxMs has passed, then let events run.
    virtual void waitForEvents(int maxMs) = 0;
};

// Synchronous sound output: returns when the sound has finished.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // A complete RIFF WAVE image in memory.
    virtual bool playWave(std::span<const uint8_t> waveImage) = 0;
    // One of the program's own sounds by resource name ("BEEP", "ACCEPT", ...).
    virtual bool playResource(const std::string& name) = 0;
    // False for a player that plays nothing: then no sound of the program can
    // reach the microphone, and nothing heard meanwhile needs throwing away.
    virtual bool audible() const { return true; }
};

// The "please be quiet" dialog shown while the line is measured.
class CalibrationView {
public:
    virtual ~CalibrationView() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void restartProgress() = 0;  // bar back to 0, timer on
    virtual void close() = 0;
};

struct EnginePlatform {
    MessageSink* messages = nullptr;
    TableFileDialogs* dialogs = nullptr;
    CaptureDevice* capture = nullptr;
    SoundPlayer* sound = nullptr;
    Clock* clock = nullptr;
    EventPump* pump = nullptr;
    CalibrationView* calibrationView = nullptr;
    // Without it every question is answered Yes.
    EngineQuestions* questions = nullptr;
    // Where the sample store lives; empty picks a private file for this process.
    std::string sampleStorePath;
};

} // namespace larkspur
