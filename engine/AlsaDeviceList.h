#pragma once
// The capture PCMs ALSA knows by name, for choosing a microphone.

#include <string>
#include <vector>

namespace larkspur {

struct CaptureDeviceInfo {
    std::string name;         // what AlsaCaptureDevice accepts, e.g. "default", "hw:CARD=PCH,DEV=0"
    std::string description;  // one line
};

std::vector<CaptureDeviceInfo> listCaptureDevices();

} // namespace larkspur
