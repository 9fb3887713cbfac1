#include "cli/AudioInput.h"

#include "engine/AlsaCaptureDevice.h"
#include "engine/FileCaptureDevice.h"
#include "engine/ManualClock.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/SleepingPump.h"
#include "engine/SteadyClock.h"
#include "engine/TVREngine32.h"
#include "engine/VirtualTimePump.h"

#include <atomic>
#include <csignal>
#include <ostream>

namespace larkspur::cli {

namespace {

// Set by the SIGINT handler; read by the pump on the engine's thread.
std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int)
{
    g_interrupted = true;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

void StreamMessages::showMessage(const std::string& text)
{
    if (dropEndOfInput && endsWith(text, ":  end of input"))
        return;
    std::string line = text;
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    m_out << line << '\n' << std::flush;
}

// Lets the engine notice Ctrl+C at its next pass.
class AudioInput::InterruptPump : public EventPump {
public:
    explicit InterruptPump(EventPump& inner) : m_inner(inner) {}
    void processEvents() override
    {
        m_inner.processEvents();
        if (g_interrupted && m_engine)
            m_engine->StopListening();
    }
    void waitForEvents(int maxMs) override
    {
        m_inner.waitForEvents(maxMs);
        processEvents();
    }
    TVREngine32* m_engine = nullptr;

private:
    EventPump& m_inner;
};

AudioInput::AudioInput(const CommandLine& args)
{
    const auto input = args.value("input");
    const auto deviceName = args.value("device");
    if (input && deviceName)
        throw UsageError("give either --input or --device, not both");
    if (!input && !deviceName)
        throw UsageError("missing option --input FILE.wav (or --device NAME)");

    if (input) {
        const bool realtime = args.has("realtime");
        std::string error;
        auto device = FileCaptureDevice::fromWavFile(
            *input, error, realtime ? FileCaptureDevice::Pacing::RealTime : FileCaptureDevice::Pacing::Immediate);
        if (!device)
            throw InputError(error);  // one line that already names the file
        m_file = device.get();
        m_device = std::move(device);
        if (realtime) {
            m_clock = std::make_unique<SteadyClock>();
            m_basePump = std::make_unique<SleepingPump>();
        } else {
            auto clock = std::make_unique<ManualClock>();
            m_basePump = std::make_unique<VirtualTimePump>(*clock);
            m_clock = std::move(clock);
        }
    } else {
        m_device = std::make_unique<AlsaCaptureDevice>(*deviceName);
        m_clock = std::make_unique<SteadyClock>();
        m_basePump = std::make_unique<SleepingPump>();
    }
    m_pump = std::make_unique<InterruptPump>(*m_basePump);
    m_sound = std::make_unique<SilentSoundPlayer>();
}

AudioInput::~AudioInput()
{
    if (m_interruptInstalled)
        ::sigaction(SIGINT, &m_previousInterrupt, nullptr);
}

void AudioInput::fill(EnginePlatform& platform)
{
    platform.capture = m_device.get();
    platform.clock = m_clock.get();
    platform.pump = m_pump.get();
    platform.sound = m_sound.get();
}

void AudioInput::stopOnInterrupt(TVREngine32& engine)
{
    m_pump->m_engine = &engine;
    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // Whatever handled Ctrl+C before (the clean-up of scratch files) comes back afterwards.
    if (::sigaction(SIGINT, &action, m_interruptInstalled ? nullptr : &m_previousInterrupt) == 0)
        m_interruptInstalled = true;
}

bool AudioInput::inputExhausted() const
{
    // Listening needs two blocks at open and one per hand-back.
    return m_file && m_file->remaining() < 2 * kBlockLength;
}

bool AudioInput::interrupted() const
{
    return g_interrupted;
}

int prepareToListen(TVREngine32& engine, std::ostream& err)
{
    if (!engine.Initialize()) {
        err << kCalibrationFailed << '\n';
        return 3;
    }
    if (!engine.TableTrained()) {
        err << "The table has no trained voice commands.\n";
        return 1;
    }
    return 0;
}

EngineSession::EngineSession(const CommandLine& args, std::ostream& messagesOut)
    : m_audio(args)
    , m_messages(messagesOut)
{
    m_messages.dropEndOfInput = true;
    EnginePlatform platform;
    platform.messages = &m_messages;
    m_audio.fill(platform);
    m_engine = std::make_unique<TVREngine32>(platform);
    m_engine->setPlayBack(false);
    m_audio.stopOnInterrupt(*m_engine);
}

EngineSession::~EngineSession() = default;

} // namespace larkspur::cli
