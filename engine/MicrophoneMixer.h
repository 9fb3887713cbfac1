#pragma once
// The microphone's automatic gain switch in the sound card's mixer. Keeps no
// state between calls: every call opens the mixer, looks, writes and closes.

#include <string>

namespace larkspur {

class MessageSink;

class MicrophoneMixer {
public:
    // card: the ALSA mixer to use, "default" for the default card.
    explicit MicrophoneMixer(MessageSink* messages, std::string card = "default");

    // True when an automatic gain switch was found and every channel written.
    // A mixer without one gives false silently; mixer failures show ALSA's text.
    bool SetMicrophoneAutoGain(bool on);

private:
    void showError(int code);

    MessageSink* m_messages;
    std::string m_card;
};

} // namespace larkspur
