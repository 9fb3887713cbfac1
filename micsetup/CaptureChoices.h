#pragma once
// The capture devices a user would recognise, picked out of ALSA's PCM name
// hints: the system default (PipeWire or PulseAudio when they run), the sound
// servers by name, and each card's hardware devices. Plugin variants of the
// same card (plughw, dsnoop, sysdefault, surround ...) are left out because
// they all record from the same microphone.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur {

struct PcmHint {
    std::string name;         // e.g. "hw:CARD=PCH,DEV=0"
    std::string description;  // ALSA's lines, joined by '\n'
    std::string direction;    // "Input", "Output" or empty for both
};

struct CaptureChoice {
    std::string name;   // what the capture device opens
    std::string label;  // what the list shows
    bool inUse = false;
    bool present = true;  // false for a saved device that is not plugged in
};

// Reads a listing in the layout `arecord -L` prints: a PCM name at the start
// of a line, its description on the indented lines below it.
std::vector<PcmHint> parseHintListing(std::string_view listing);

// The recognisable capture devices in the order ALSA gave them, "default"
// first. inUse names the device the program records from; when it is not
// among the hints it is still listed, marked as not present.
std::vector<CaptureChoice> recognisableCaptureDevices(const std::vector<PcmHint>& hints,
                                                      const std::string& inUse);

// The hints ALSA gives on this machine; empty when there is no sound system.
std::vector<PcmHint> readPcmHints();

} // namespace larkspur
