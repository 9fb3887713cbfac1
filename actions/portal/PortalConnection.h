#pragma once
// The D-Bus client of the desktop's remote-control portal: one session,
// created, given its devices (and a screen-cast source for absolute pointer
// moves) and started, with the portal's request and response handshake for
// each step. The session lives as long as this object.

#include "actions/portal/PortalOptions.h"
#include "actions/portal/RemoteInput.h"
#include "actions/portal/PortalRequest.h"
#include "actions/portal/SdBus.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace larkspur {

inline constexpr uint32_t kDeviceKeyboard = 1;
inline constexpr uint32_t kDevicePointer = 2;

class PortalConnection : public RemoteInput {
public:
    // Null with whyNot set (one sentence for the user) when there is no
    // portal, the user refuses, or a step fails.
    static std::unique_ptr<PortalConnection> open(const PortalOptions& options, std::string& whyNot);
    // Closes the session.
    ~PortalConnection() override;
    PortalConnection(const PortalConnection&) = delete;
    PortalConnection& operator=(const PortalConnection&) = delete;

    bool keysym(uint32_t keysym, bool down) override;
    bool pointerAbsolute(double x, double y) override;
    bool pointerRelative(double dx, double dy) override;
    bool pointerButton(int button, bool down) override;
    bool hasAbsolutePointer() const override { return m_stream.has_value(); }

    uint32_t version() const { return m_version; }
    // The devices the user granted (kDeviceKeyboard, kDevicePointer).
    uint32_t devices() const { return m_devices; }
    const std::optional<sdbus::Stream>& stream() const { return m_stream; }
    // The token that restores this consent next time; empty when the portal
    // gave none.
    const std::string& restoreToken() const { return m_restoreToken; }
    // Whether the desktop remembers the consent (and so asks only once).
    bool remembersConsent() const { return m_remembers; }
    // True once the desktop has ended the session (or the bus went away).
    bool ended();
    // Why the last call failed; empty when none has.
    const std::string& lastError() const { return m_lastError; }

private:
    explicit PortalConnection(sdbus::BusPtr bus, const PortalOptions& options);
    bool start(std::string& whyNot);
    bool readVersions(std::string& whyNot);
    using Leading = std::function<int(sd_bus_message*)>;
    std::optional<sdbus::Results> request(const char* interface, const char* method, const Leading& leading,
                                          sdbus::Dictionary options, std::chrono::milliseconds wait,
                                          std::string& whyNot);
    bool notify(const char* method, const Leading& arguments);
    void drain();
    void closeSession();
    static int onClosed(sd_bus_message* m, void* self, sd_bus_error* error);

    sdbus::BusPtr m_bus;
    PortalOptions m_options;
    sdbus::PortalRequester m_requester;
    uint32_t m_version = 0;
    uint32_t m_availableDevices = 0;
    bool m_screenCast = false;
    std::string m_session;
    sdbus::SlotPtr m_closedSlot;
    bool m_closed = false;
    uint32_t m_devices = 0;
    std::optional<sdbus::Stream> m_stream;
    std::string m_restoreToken;
    bool m_remembers = false;
    std::string m_lastError;
};

} // namespace larkspur
