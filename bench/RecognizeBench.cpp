// The engine end to end: listening mode over the bundled demo recording as fast
// as it goes (CPU seconds per second of audio), and the CPU the real listening
// loop uses while it waits for a microphone-paced stream of silence.

#include "engine/FileCaptureDevice.h"
#include "engine/ManualClock.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/SleepingPump.h"
#include "engine/SteadyClock.h"
#include "engine/TVREngine32.h"
#include "engine/VirtualTimePump.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

namespace larkspur {
namespace {

const std::string kDemo = LARKSPUR_RESOURCES_DIR "/demo/";

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

class QuietMessages : public MessageSink {
public:
    void showMessage(const std::string&) override {}
};

void BM_RecognizeDemoRecording(benchmark::State& state)
{
    std::string error;
    double cpu = 0.0;
    double audio = 0.0;
    int utterances = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto device = FileCaptureDevice::fromWavFile(kDemo + "demo.wav", error);
        if (!device) {
            state.SkipWithError(error.c_str());
            return;
        }
        audio += static_cast<double>(device->remaining()) / kSampleRate;
        ManualClock clock;
        VirtualTimePump pump(clock);
        SilentSoundPlayer sound;
        QuietMessages messages;
        EnginePlatform platform;
        platform.messages = &messages;
        platform.capture = device.get();
        platform.sound = &sound;
        platform.clock = &clock;
        platform.pump = &pump;
        TVREngine32 engine(platform);
        engine.setPlayBack(false);
        engine.setAccuracy(15);
        engine.setTableName("COMMAND LINE");
        engine.setFileName(kDemo + "demo.EAR");
        engine.OpenTable();
        engine.OnUtteranceMatched = [&](const UtteranceReport&) { ++utterances; };
        state.ResumeTiming();

        const double start = cpuSeconds();
        engine.Initialize();
        engine.Recognize();
        cpu += cpuSeconds() - start;
    }
    state.counters["cpu_per_audio_second"] = cpu / audio;
    state.counters["utterances"] = benchmark::Counter(utterances, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RecognizeDemoRecording)->Unit(benchmark::kMillisecond);

// Calibration on 2 s of quiet line, then listening to silence paced like a
// microphone until the input runs out.
void BM_ListeningCpuWhileQuiet(benchmark::State& state)
{
    const int seconds = static_cast<int>(state.range(0));
    double cpu = 0.0;
    double wall = 0.0;
    for (auto _ : state) {
        std::vector<uint8_t> quiet(static_cast<std::size_t>(kCalibrationLength + seconds * kSampleRate), 128);
        FileCaptureDevice device(std::move(quiet), FileCaptureDevice::Pacing::RealTime);
        SteadyClock clock;
        SleepingPump pump;
        QuietMessages messages;
        EnginePlatform platform;
        platform.messages = &messages;
        platform.capture = &device;
        platform.clock = &clock;
        platform.pump = &pump;
        TVREngine32 engine(platform);
        engine.setPlayBack(false);
        // Calibration waits 3 s on the real clock; skip it in the measurement.
        engine.Initialize();
        const double cpuStart = cpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        engine.ListenForUtterance();
        cpu += cpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    }
    state.counters["cpu_per_wall"] = cpu / wall;
}
BENCHMARK(BM_ListeningCpuWhileQuiet)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace larkspur

BENCHMARK_MAIN();
