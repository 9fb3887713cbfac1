#include "app/AudioSetup.h"

#include "app/QtEventPump.h"
#include "engine/AlsaCaptureDevice.h"
#include "engine/AlsaSoundPlayer.h"
#include "engine/FileCaptureDevice.h"
#include "engine/ManualClock.h"
#include "engine/SteadyClock.h"
#include "engine/VirtualTimePump.h"
#include "micsetup/SavedMicrophone.h"

#include <QCoreApplication>

#include <stdexcept>

namespace larkspur {

AudioSetup::AudioSetup(const AppOptions& options, const std::string& resourceDirectory)
{
    if (options.inputFile) {
        useFile(*options.inputFile, options.realTime);
    } else if (options.device) {
        m_device = std::make_unique<AlsaCaptureDevice>(*options.device);
        m_usesMixer = true;
        useRealClock();
    } else if (const auto saved = savedMicrophone(); saved && deviceWorks(*saved)) {
        // The set-up program's choice; when it is unplugged the default takes over.
        m_device = std::make_unique<AlsaCaptureDevice>(*saved);
        m_usesMixer = true;
        useRealClock();
    } else if (deviceWorks("default")) {
        m_device = std::make_unique<AlsaCaptureDevice>();
        m_usesMixer = true;
        useRealClock();
    } else {
        useFile(demoRecording(resourceDirectory), true);
        m_demoTable = demoTablePath(resourceDirectory);
    }
    m_sound = std::make_unique<AlsaSoundPlayer>(resourceDirectory);
}

AudioSetup::~AudioSetup() = default;

std::string AudioSetup::demoRecording(const std::string& resourceDirectory)
{
    return resourceDirectory + "/demo/demo.wav";
}

std::string AudioSetup::demoTablePath(const std::string& resourceDirectory)
{
    return resourceDirectory + "/demo/demo.EAR";
}

void AudioSetup::useFile(const std::string& path, bool realTime)
{
    std::string error;
    auto device = FileCaptureDevice::fromWavFile(
        path, error, realTime ? FileCaptureDevice::Pacing::RealTime : FileCaptureDevice::Pacing::Immediate);
    if (!device)
        throw std::runtime_error(path + ": " + error);
    m_device = std::move(device);
    if (realTime) {
        useRealClock();
        return;
    }
    // Virtual time: every wait passes at once while the window stays alive.
    auto clock = std::make_unique<ManualClock>();
    m_pump = std::make_unique<VirtualTimePump>(*clock, [] { QCoreApplication::processEvents(); });
    m_clock = std::move(clock);
}

void AudioSetup::useRealClock()
{
    m_clock = std::make_unique<SteadyClock>();
    m_pump = std::make_unique<QtEventPump>();
}

std::optional<std::string> AudioSetup::microphoneName(const AppOptions& options)
{
    if (options.inputFile)
        return std::nullopt;
    if (options.device)
        return options.device;
    return savedMicrophone();
}

bool AudioSetup::deviceWorks(const std::string& name)
{
    AlsaCaptureDevice probe(name);
    if (probe.deviceCount() == 0)
        return false;
    if (probe.open() != 0)
        return false;
    probe.close();
    return true;
}

void AudioSetup::fill(EnginePlatform& platform) const
{
    platform.capture = m_device.get();
    platform.clock = m_clock.get();
    platform.pump = m_pump.get();
    platform.sound = m_sound.get();
}

} // namespace larkspur
