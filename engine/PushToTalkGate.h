#pragma once
// Push-to-talk for listening mode: while enabled, only utterances that begin
// while the key is held are heard, and letting the key go ends the utterance
// at once. The key arrives on another thread (an X11 reader, a local socket),
// so press and release may be called from any thread; the engine takes one
// snapshot per captured block.

#include <cstdint>
#include <mutex>

namespace larkspur {

class PushToTalkGate {
public:
    struct Snapshot {
        bool enabled = false;
        bool held = false;
        uint64_t presses = 0;  // counts every press, so a quick release and press is a new hold
    };

    // Off: listening hears every utterance, exactly as without this gate.
    void setEnabled(bool on);
    bool enabled() const;

    // A press while held (key repeat) and a release while not held change nothing.
    // Both return true when they changed the state.
    bool press();
    bool release();
    bool held() const;

    Snapshot snapshot() const;

private:
    mutable std::mutex m_mutex;
    bool m_enabled = false;
    bool m_held = false;
    uint64_t m_presses = 0;
};

} // namespace larkspur
