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

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace larkspur {

AudioSetup::AudioSetup(const AppOptions& options, const std::string& resourceDirectory)
{
    if (options.inputFile) {
        useFile(*options.inputFile, options.realTime);
    } else if (options.device) {
        useMicrophone(*options.device);
    } else if (const auto saved = savedMicrophone(); saved && deviceWorks(*saved)) {
        // The set-up program's choice; when it is unplugged the default takes over.
        useMicrophone(*saved);
    } else if (deviceWorks("default")) {
        useMicrophone("default");
    } else {
        useFile(demoRecording(resourceDirectory), true);
        // The demo goes on until the user stops it, never to an end of input.
        static_cast<FileCaptureDevice*>(m_device.get())->setLooping(true);
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

std::string AudioSetup::userDataHome()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

std::string AudioSetup::demoTableCopy(const std::string& demoTable, const std::string& dataHome)
{
    namespace fs = std::filesystem;
    const fs::path source(demoTable);
    const fs::path folder = fs::path(dataHome) / "larkspur";
    const fs::path table = folder / source.filename();
    std::error_code error;
    if (fs::exists(table, error))
        return table.string();
    fs::create_directories(folder, error);
    // The samples first: a table without them would open with none.
    fs::path samples = source;
    samples.replace_extension(".LK+");
    fs::path samplesCopy = table;
    samplesCopy.replace_extension(".LK+");
    if (fs::exists(samples, error) && !fs::copy_file(samples, samplesCopy, fs::copy_options::overwrite_existing, error))
        return demoTable;
    if (!fs::copy_file(source, table, fs::copy_options::overwrite_existing, error))
        return demoTable;
    // The bundled files may be read-only; the copy is the user's to save.
    fs::permissions(table, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
    fs::permissions(samplesCopy, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
    return table.string();
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

void AudioSetup::useMicrophone(const std::string& name)
{
    m_device = std::make_unique<AlsaCaptureDevice>(name);
    m_microphoneInUse = name;
    m_usesMixer = true;
    useRealClock();
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

std::string AudioSetup::chosenMicrophone(const AppOptions& options)
{
    return microphoneName(options).value_or("default");
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
