#pragma once
// Chooses what the program listens to: a WAV file (in virtual or real time),
// a named ALSA device, or the default device. A machine without a capture
// device gets the bundled demo recording and demo table, so a newcomer sees
// listening and recognition at once.

#include "app/AppOptions.h"
#include "engine/CaptureDevice.h"
#include "engine/EnginePlatform.h"

#include <memory>
#include <optional>
#include <string>

namespace larkspur {

class AudioSetup {
public:
    // Throws std::runtime_error with a one-line reason when the input file is unusable.
    AudioSetup(const AppOptions& options, const std::string& resourceDirectory);
    ~AudioSetup();

    void fill(EnginePlatform& platform) const;
    // True when the microphone is a real device whose mixer may be switched.
    bool usesMixer() const { return m_usesMixer; }
    // The name of the ALSA device chosen here; nothing for a WAV file or the demo.
    const std::optional<std::string>& microphoneInUse() const { return m_microphoneInUse; }
    // The demo table to open when the demo recording stands in for the microphone.
    const std::optional<std::string>& demoTable() const { return m_demoTable; }

    // The ALSA device the options ask for: --device, else the one chosen in
    // larkspur-micsetup ([Audio] Device); nothing for a WAV file or no choice.
    // Re-Calibrate asks again, so a new choice applies without a restart.
    static std::optional<std::string> microphoneName(const AppOptions& options);
    // The ALSA device the options ask for now, "default" when nothing was chosen.
    static std::string chosenMicrophone(const AppOptions& options);

    static std::string demoRecording(const std::string& resourceDirectory);
    static std::string demoTablePath(const std::string& resourceDirectory);
    // The user's own copy of the demo table (with its samples) in
    // dataHome/larkspur, made from demoTable when it is not there yet, so a
    // save never writes into the program's folder. The bundled table itself
    // when no copy can be made there.
    static std::string demoTableCopy(const std::string& demoTable, const std::string& dataHome);
    // XDG_DATA_HOME, else ~/.local/share.
    static std::string userDataHome();

private:
    void useFile(const std::string& path, bool realTime);
    void useMicrophone(const std::string& name);
    void useRealClock();
    static bool deviceWorks(const std::string& name);

    std::unique_ptr<CaptureDevice> m_device;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<EventPump> m_pump;
    std::unique_ptr<SoundPlayer> m_sound;
    bool m_usesMixer = false;
    std::optional<std::string> m_microphoneInUse;
    std::optional<std::string> m_demoTable;
};

} // namespace larkspur
