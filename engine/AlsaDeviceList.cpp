#include "engine/AlsaDeviceList.h"

#include "engine/AlsaHandles.h"

#include <algorithm>
#include <cstring>

namespace larkspur {

std::vector<CaptureDeviceInfo> listCaptureDevices()
{
    alsa::quietLibraryErrors();
    std::vector<CaptureDeviceInfo> devices;
    void** rawHints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &rawHints) < 0 || !rawHints)
        return devices;
    alsa::NameHints hints(rawHints);
    for (void** hint = hints.get(); *hint; ++hint) {
        alsa::CString name(snd_device_name_get_hint(*hint, "NAME"));
        alsa::CString description(snd_device_name_get_hint(*hint, "DESC"));
        alsa::CString direction(snd_device_name_get_hint(*hint, "IOID"));
        // No direction means the PCM works both ways.
        if (!name || (direction && std::strcmp(direction.get(), "Input") != 0))
            continue;
        CaptureDeviceInfo info{name.get(), description ? description.get() : ""};
        std::replace(info.description.begin(), info.description.end(), '\n', ' ');
        devices.push_back(std::move(info));
    }
    return devices;
}

} // namespace larkspur
