#pragma once
// The desktop portal's request handshake: a method call answers with a
// request object at once, and the real answer comes later as that object's
// Response signal (after a dialog, possibly). Shared by the portal's
// interfaces. Internal to the portal back end.

#include "actions/portal/SdBus.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace larkspur::sdbus {

inline constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";
inline constexpr const char* kPortalObject = "/org/freedesktop/portal/desktop";
inline constexpr const char* kPortalSession = "org.freedesktop.portal.Session";

// What the user reads when a request fails, in the words of the interface
// that asked.
struct RequestTexts {
    std::string failedAt;  // "The desktop's remote-control portal failed at" + " Start (...)."
    std::string refused;   // the user said no, or the session ended meanwhile
    std::string noAnswer;  // nobody answered in time
};

class PortalRequester {
public:
    // Arguments before the trailing options dictionary of a call.
    using Leading = std::function<int(sd_bus_message*)>;

    // Fails every request at once when the bus gave no unique name.
    PortalRequester(sd_bus* bus, std::chrono::milliseconds callTimeout);

    bool usable() const { return !m_senderPart.empty(); }
    // A token unique on this connection, for handles the caller names.
    std::string nextToken(const char* kind);

    // Calls interface.method(leading..., options + handle_token) on the
    // portal and waits up to `wait` for its Response. nullopt with whyNot
    // set on any failure, a refusal (code 1), or when *sessionClosed turns
    // true meanwhile. `cancelled`, polled at least every 100 ms, withdraws the
    // request as if nobody had answered.
    std::optional<Results> request(const char* interface, const char* method, const Leading& leading,
                                   Dictionary options, std::chrono::milliseconds wait, const RequestTexts& texts,
                                   std::string& whyNot, const bool* sessionClosed = nullptr,
                                   const std::function<bool()>& cancelled = {});

private:
    sd_bus* m_bus;
    std::chrono::milliseconds m_callTimeout;
    std::string m_senderPart;
    unsigned m_tokens = 0;
};

// D-Bus timeouts are in microseconds; zero would mean "the default".
uint64_t microseconds(std::chrono::milliseconds ms);

} // namespace larkspur::sdbus
