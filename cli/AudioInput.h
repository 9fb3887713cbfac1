#pragma once
// The audio side of a command: a WAV file played into the engine in virtual
// time (or paced in real time), or an ALSA capture device on the real clock.

#include "cli/CommandLine.h"
#include "engine/CaptureDevice.h"
#include "engine/EnginePlatform.h"

#include <csignal>
#include <memory>
#include <stdexcept>
#include <string>

namespace larkspur {
class FileCaptureDevice;
class TVREngine32;
}

namespace larkspur::cli {

// An input file that cannot be used: one line naming the file and what is
// wrong with it. Not a usage error: the arguments were fine.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kCalibrationFailed =
    "Calibration failed: the line must be quiet while it is measured (a recording must start with 2 seconds of "
    "quiet line).";

// Prints engine messages one per line. A message's carriage-return line breaks
// become blanks so that one message stays one line.
class StreamMessages : public MessageSink {
public:
    explicit StreamMessages(std::ostream& out) : m_out(out) {}
    void showMessage(const std::string& text) override;
    // Device reports ending in "end of input" are expected at the end of a file.
    bool dropEndOfInput = false;

private:
    std::ostream& m_out;
};

class AudioInput {
public:
    // Reads --input FILE [--realtime] or --device NAME. Throws UsageError, and
    // InputError for a file that is not usable audio.
    explicit AudioInput(const CommandLine& args);
    ~AudioInput();

    // Wires device, clock, pump and sound into a platform for one engine.
    void fill(EnginePlatform& platform);
    // Ctrl+C asks this engine to stop listening.
    void stopOnInterrupt(TVREngine32& engine);
    // True when the input was a file and all of it has been used.
    bool inputExhausted() const;
    // True when the user pressed Ctrl+C.
    bool interrupted() const;

private:
    class InterruptPump;
    std::unique_ptr<CaptureDevice> m_device;
    FileCaptureDevice* m_file = nullptr;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<EventPump> m_basePump;
    std::unique_ptr<InterruptPump> m_pump;
    std::unique_ptr<SoundPlayer> m_sound;
    struct sigaction m_previousInterrupt {};
    bool m_interruptInstalled = false;
};

// Calibrates and checks that the table has something to recognise: 0 when
// listening can start, else the exit code, with the reason on err.
int prepareToListen(TVREngine32& engine, std::ostream& err);

// What a listening command needs: the audio input, a message printer and an
// engine wired to both, with Ctrl+C stopping it. Playback stays off.
class EngineSession {
public:
    EngineSession(const CommandLine& args, std::ostream& messagesOut);
    ~EngineSession();
    TVREngine32& engine() { return *m_engine; }
    AudioInput& audio() { return m_audio; }

private:
    AudioInput m_audio;
    StreamMessages m_messages;
    std::unique_ptr<TVREngine32> m_engine;
};

} // namespace larkspur::cli
