#pragma once
// The key held to talk, watched on the desktop. The X11 back end grabs the key
// on a display connection of its own and reads it on its own thread, so a held
// key gives exactly one press and one release, whatever the key repeat does.

#include <functional>
#include <memory>
#include <string>

namespace larkspur {

class PushToTalkKey {
public:
    // Called on the key's reader thread: true when the key goes down, false when it comes up.
    using Handler = std::function<void(bool down)>;

    virtual ~PushToTalkKey() = default;
    // The key as the user named it ("F9", "Control_R", "Pause").
    virtual const std::string& keyName() const = 0;
};

// True when `name` is a key name the X11 back end knows (no display needed).
bool isPushToTalkKeyName(const std::string& name);
// The name of an X key symbol ("F9" for 0xFFC6); empty when it has none.
std::string pushToTalkKeyNameOf(unsigned long keySym);

// Grabs `name` on the X display (DISPLAY, or `display` when given); nullptr
// and a one-line reason in `error` when there is no display, the name is not
// a key, no key of the keyboard has it, or another program holds it.
// detectableRepeat false leaves the server's key repeat as it is and sorts
// the repeat's release and press pairs out by their time (for servers without
// the XKB setting; the tests use it to try that way).
std::unique_ptr<PushToTalkKey> grabX11PushToTalkKey(const std::string& name, PushToTalkKey::Handler handler,
                                                    std::string& error, const char* display = nullptr,
                                                    bool detectableRepeat = true);

} // namespace larkspur
