// CPU cost of waiting for audio: a listening-style loop over three seconds of
// silence from the file device paced in real time. The figure that matters is
// cpu_per_wall, CPU seconds spent per second of wall time; a loop that sleeps
// between blocks keeps it near zero, one that spins keeps it near one.

#include "engine/CaptureConverter.h"
#include "engine/CaptureDevice.h"
#include "engine/EngineTypes.h"
#include "engine/FileCaptureDevice.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <sys/resource.h>

namespace larkspur {
namespace {

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Consumes blocks the way the listening loop does: look at the expected buffer,
// copy it out and hand it back, otherwise wait for the device.
int64_t listen(CaptureDevice& device, int blocks)
{
    std::array<uint8_t, kBlockLength> data1{}, data2{};
    std::array<uint8_t, kBlockLength> ring{};
    CaptureBuffer b1{data1.data(), kBlockLength}, b2{data2.data(), kBlockLength};
    device.open();
    device.prepareBuffer(b1);
    device.addBuffer(b1);
    device.prepareBuffer(b2);
    device.addBuffer(b2);
    device.start();
    CaptureBuffer* expected = &b1;
    int64_t passes = 0;
    for (int consumed = 0; consumed < blocks; ++passes) {
        if (!device.isDone(*expected)) {
            device.waitForData(50);
            continue;
        }
        std::copy_n(expected->data, kBlockLength, ring.data());
        benchmark::DoNotOptimize(ring.data());
        expected->done = false;
        device.addBuffer(*expected);  // fails harmlessly at the end of the input
        expected = expected == &b1 ? &b2 : &b1;
        ++consumed;
    }
    device.stop();
    device.reset();
    device.unprepareBuffer(b1);
    device.unprepareBuffer(b2);
    device.close();
    return passes;
}

void BM_RealTimeFileListeningCpu(benchmark::State& state)
{
    constexpr int kBlocks = 25;  // 3.0 s
    for (auto _ : state) {
        FileCaptureDevice device(std::vector<uint8_t>((kBlocks + 2) * kBlockLength, 128),
                                 FileCaptureDevice::Pacing::RealTime);
        const double cpuBefore = processCpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        const int64_t passes = listen(device, kBlocks);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        const double cpu = processCpuSeconds() - cpuBefore;
        state.SetIterationTime(wall);
        state.counters["cpu_per_wall"] = cpu / wall;
        state.counters["passes_per_block"] = static_cast<double>(passes) / kBlocks;
    }
}
BENCHMARK(BM_RealTimeFileListeningCpu)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// The live capture's conversion of one second of a sound server's 48000 Hz
// stream, fed a period (one block's worth) at a time: the time per iteration
// over one second is the share of a core it costs while listening.
void BM_ConvertOneSecondAt48k(benchmark::State& state)
{
    std::vector<int16_t> second(48000);
    for (size_t i = 0; i < second.size(); ++i)
        second[i] = static_cast<int16_t>((i * 7919) % 2001) - 1000;
    CaptureConverter converter(48000);
    std::vector<uint8_t> out;
    constexpr size_t kPeriod = 5747;
    for (auto _ : state) {
        for (size_t at = 0; at < second.size(); at += kPeriod) {
            out.clear();
            converter.convert(std::span<const int16_t>(second.data() + at, std::min(kPeriod, second.size() - at)), out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["core_share"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ConvertOneSecondAt48k)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace larkspur

BENCHMARK_MAIN();
