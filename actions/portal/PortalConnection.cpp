#include "actions/portal/PortalConnection.h"

#include <cerrno>
#include <cstring>

namespace larkspur {

namespace {

using sdbus::microseconds;
constexpr const char* kPortal = sdbus::kPortalService;
constexpr const char* kObject = sdbus::kPortalObject;
constexpr const char* kRemoteDesktop = "org.freedesktop.portal.RemoteDesktop";
constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";
constexpr const char* kSession = sdbus::kPortalSession;

constexpr uint32_t kSourceMonitor = 1;
constexpr uint32_t kPersistUntilRevoked = 2;

constexpr const char* kRefused =
    "You did not allow Larkspur QTX 98 to control the keyboard and mouse: keystroke and mouse voice "
    "commands do nothing until the program is started again.";
constexpr const char* kNoAnswer =
    "The desktop did not answer the request to control the keyboard and mouse in time: keystroke and "
    "mouse voice commands do nothing until the program is started again.";

} // namespace

PortalConnection::PortalConnection(sdbus::BusPtr bus, const PortalOptions& options)
    : m_bus(std::move(bus)), m_options(options), m_requester(m_bus.get(), options.callTimeout)
{
    // Also bounds the property reads and the closing calls.
    sd_bus_set_method_call_timeout(m_bus.get(), microseconds(m_options.callTimeout));
}

PortalConnection::~PortalConnection()
{
    closeSession();
}

std::unique_ptr<PortalConnection> PortalConnection::open(const PortalOptions& options, std::string& whyNot)
{
    sdbus::BusPtr bus = sdbus::connect(options.busAddress, whyNot);
    if (!bus) {
        whyNot = "The desktop's remote-control portal cannot be reached: " + whyNot + ".";
        return nullptr;
    }
    std::unique_ptr<PortalConnection> connection(new PortalConnection(std::move(bus), options));
    if (!connection->start(whyNot))
        return nullptr;  // the destructor closes a half-made session
    return connection;
}

bool PortalConnection::readVersions(std::string& whyNot)
{
    sd_bus* bus = m_bus.get();
    sdbus::Error error;
    int r = sd_bus_get_property_trivial(bus, kPortal, kObject, kRemoteDesktop, "version", error.get(), 'u',
                                        &m_version);
    if (r < 0) {
        whyNot = "The desktop has no remote-control portal (" + error.text(r) + ").";
        return false;
    }
    sdbus::Error typesError;
    r = sd_bus_get_property_trivial(bus, kPortal, kObject, kRemoteDesktop, "AvailableDeviceTypes",
                                    typesError.get(), 'u', &m_availableDevices);
    if (r < 0)
        m_availableDevices = kDeviceKeyboard | kDevicePointer;  // not said: ask for both
    if ((m_availableDevices & (kDeviceKeyboard | kDevicePointer)) == 0) {
        whyNot = "The desktop's remote-control portal offers neither keyboard nor pointer.";
        return false;
    }
    if (m_options.absolutePointer) {
        uint32_t screenCastVersion = 0;
        uint32_t sources = 0;
        sdbus::Error castError;
        sdbus::Error sourcesError;
        m_screenCast =
            sd_bus_get_property_trivial(bus, kPortal, kObject, kScreenCast, "version", castError.get(), 'u',
                                        &screenCastVersion) >= 0 &&
            sd_bus_get_property_trivial(bus, kPortal, kObject, kScreenCast, "AvailableSourceTypes",
                                        sourcesError.get(), 'u', &sources) >= 0 &&
            (sources & kSourceMonitor) != 0;
    }
    return true;
}

bool PortalConnection::start(std::string& whyNot)
{
    if (!m_requester.usable()) {
        whyNot = "The session bus gave this program no name, so the desktop's remote-control portal cannot answer it.";
        return false;
    }
    if (!readVersions(whyNot))
        return false;

    // Unique within this connection, like the request tokens.
    const std::string sessionToken = m_requester.nextToken("session");
    std::optional<sdbus::Results> created =
        request(kRemoteDesktop, "CreateSession", {}, {{"session_handle_token", sessionToken}},
                m_options.callTimeout, whyNot);
    if (!created)
        return false;
    m_session = created->strings["session_handle"];
    if (m_session.empty()) {
        whyNot = "The desktop's remote-control portal made no session.";
        return false;
    }
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(m_bus.get(), &slot, nullptr, m_session.c_str(), kSession, "Closed", onClosed, this) >= 0)
        m_closedSlot.reset(slot);

    const Leading session = [this](sd_bus_message* m) {
        return sd_bus_message_append_basic(m, 'o', m_session.c_str());
    };
    sdbus::Dictionary devices{{"types", m_availableDevices & (kDeviceKeyboard | kDevicePointer)}};
    if (m_version >= 2 && m_options.rememberConsent) {
        devices.emplace_back("persist_mode", kPersistUntilRevoked);
        if (!m_options.restoreToken.empty())
            devices.emplace_back("restore_token", m_options.restoreToken);
        m_remembers = true;
    }
    if (!request(kRemoteDesktop, "SelectDevices", session, devices, m_options.callTimeout, whyNot))
        return false;

    if (m_screenCast) {
        std::string castWhyNot;
        const sdbus::Dictionary sources{{"types", kSourceMonitor}, {"multiple", false}};
        // Without a stream the pointer still moves, relatively.
        if (!request(kScreenCast, "SelectSources", session, sources, m_options.callTimeout, castWhyNot))
            m_screenCast = false;
        if (m_closed) {
            whyNot = castWhyNot;
            return false;
        }
    }

    if (m_options.onAskingConsent) {
        m_options.onAskingConsent(
            "Waiting for the desktop: allow Larkspur QTX 98 to control the keyboard and mouse, which keystroke "
            "and mouse voice commands need.");
    }
    const Leading sessionAndParent = [this](sd_bus_message* m) {
        int r = sd_bus_message_append_basic(m, 'o', m_session.c_str());
        return r < 0 ? r : sd_bus_message_append_basic(m, 's', "");
    };
    std::optional<sdbus::Results> started =
        request(kRemoteDesktop, "Start", sessionAndParent, {}, m_options.consentTimeout, whyNot);
    if (!started)
        return false;
    const auto granted = started->numbers.find("devices");
    m_devices = granted != started->numbers.end() ? granted->second : (m_availableDevices & 3u);
    if ((m_devices & (kDeviceKeyboard | kDevicePointer)) == 0) {
        whyNot = kRefused;
        return false;
    }
    for (const sdbus::Stream& stream : started->streams) {
        if (stream.width > 0 && stream.height > 0) {
            m_stream = stream;
            break;
        }
    }
    m_restoreToken = started->strings["restore_token"];
    if (m_restoreToken.empty())
        m_remembers = false;
    // A token works once: the one passed in is spent now, so the caller
    // replaces it even when no new one came (it then stores nothing).
    if (m_options.onRestoreToken)
        m_options.onRestoreToken(m_restoreToken);
    return true;
}

std::optional<sdbus::Results> PortalConnection::request(const char* interface, const char* method,
                                                        const Leading& leading, sdbus::Dictionary options,
                                                        std::chrono::milliseconds wait, std::string& whyNot)
{
    static const sdbus::RequestTexts texts{"The desktop's remote-control portal failed at", kRefused, kNoAnswer};
    return m_requester.request(interface, method, leading, std::move(options), wait, texts, whyNot, &m_closed,
                               m_options.cancelled);
}

int PortalConnection::onClosed(sd_bus_message*, void* self, sd_bus_error*)
{
    auto* connection = static_cast<PortalConnection*>(self);
    connection->m_closed = true;
    if (connection->m_lastError.empty())
        connection->m_lastError = "The desktop ended the remote control of keyboard and mouse.";
    return 0;
}

void PortalConnection::drain()
{
    while (sd_bus_process(m_bus.get(), nullptr) > 0) {
    }
}

bool PortalConnection::ended()
{
    if (!m_closed && !m_session.empty())
        drain();
    return m_closed || m_session.empty();
}

bool PortalConnection::notify(const char* method, const Leading& arguments)
{
    if (ended())
        return false;
    sd_bus* bus = m_bus.get();
    sd_bus_message* rawCall = nullptr;
    int r = sd_bus_message_new_method_call(bus, &rawCall, kPortal, kObject, kRemoteDesktop, method);
    sdbus::MessagePtr call(rawCall);
    if (r >= 0)
        r = sd_bus_message_append(call.get(), "oa{sv}", m_session.c_str(), 0);
    if (r >= 0)
        r = arguments(call.get());
    sdbus::Error error;
    sd_bus_message* rawReply = nullptr;
    if (r >= 0)
        r = sd_bus_call(bus, call.get(), microseconds(m_options.callTimeout), error.get(), &rawReply);
    sdbus::MessagePtr reply(rawReply);
    if (r < 0) {
        m_lastError = std::string(method) + " failed: " + error.text(r);
        // A bus that is gone will not come back for this session.
        if (r == -ECONNRESET || r == -ENOTCONN || sd_bus_is_open(bus) <= 0)
            m_closed = true;
        return false;
    }
    return true;
}

bool PortalConnection::keysym(uint32_t keysym, bool down)
{
    return notify("NotifyKeyboardKeysym", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "iu", static_cast<int32_t>(keysym), down ? 1u : 0u);
    });
}

bool PortalConnection::pointerAbsolute(double x, double y)
{
    if (!m_stream)
        return false;
    return notify("NotifyPointerMotionAbsolute",
                  [&](sd_bus_message* m) { return sd_bus_message_append(m, "udd", m_stream->node, x, y); });
}

bool PortalConnection::pointerRelative(double dx, double dy)
{
    return notify("NotifyPointerMotion", [&](sd_bus_message* m) { return sd_bus_message_append(m, "dd", dx, dy); });
}

bool PortalConnection::pointerButton(int button, bool down)
{
    return notify("NotifyPointerButton", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "iu", static_cast<int32_t>(button), down ? 1u : 0u);
    });
}

void PortalConnection::closeSession()
{
    if (m_session.empty() || !m_bus)
        return;
    m_closedSlot.reset();
    if (!m_closed) {
        sdbus::Error error;
        sd_bus_call_method(m_bus.get(), kPortal, m_session.c_str(), kSession, "Close", error.get(), nullptr, "");
    }
    m_session.clear();
}

} // namespace larkspur
