#include "actions/portal/PortalDesktopSession.h"

#include "actions/RecordingDesktop.h"
#include "actions/portal/PortalConnection.h"
#include "actions/portal/PortalKeyboard.h"
#include "actions/portal/PortalPointer.h"

#include <thread>

namespace larkspur {

namespace {

ScreenPoint screenOf(const PortalConnection& connection, const PortalOptions& options)
{
    if (const auto& stream = connection.stream())
        return {stream->width, stream->height};
    return options.fallbackScreenSize;
}

} // namespace

struct PortalDesktopSession::Parts {
    // Declared first so it is destroyed last: the keyboard and pointer let
    // go of held keys through it before the session closes.
    std::unique_ptr<PortalConnection> connection;
    PortalKeyboard keyboard;
    PortalPointer pointer;
    NoWindows windows;

    Parts(std::unique_ptr<PortalConnection> c, const PortalOptions& options)
        : connection(std::move(c)), keyboard(*connection), pointer(*connection, screenOf(*connection, options))
    {
    }
};

PortalDesktopSession::PortalDesktopSession(std::unique_ptr<Parts> parts) : m_parts(std::move(parts)) {}

PortalDesktopSession::~PortalDesktopSession() = default;

DesktopCapabilities PortalDesktopSession::capabilities() const
{
    const PortalConnection& c = *m_parts->connection;
    DesktopCapabilities caps;
    caps.keys = (c.devices() & kDeviceKeyboard) != 0;
    // The desktop turns a keysym into a key of the user's layout; GNOME's
    // drops keysyms the layout has no key for (é, € on a US layout).
    caps.anyCharacter = false;
    caps.pointerButtons = (c.devices() & kDevicePointer) != 0;
    // Without a screen-cast stream moves are relative steps, not exact.
    caps.pointerMove = caps.pointerButtons && c.hasAbsolutePointer();
    return caps;
}

std::string PortalDesktopSession::notice() const
{
    PortalConnection& c = *m_parts->connection;
    if (c.ended())
        return "The desktop ended the remote control of keyboard and mouse: keystroke and mouse voice commands "
               "do nothing until Larkspur QTX 98 is started again.";
    if (c.remembersConsent())
        return "Keystrokes and clicks go through the desktop's remote control, which you allowed; the desktop "
               "remembers that until you withdraw it in its settings.";
    return "Keystrokes and clicks go through the desktop's remote control: this desktop asks you to allow it "
           "at every start of Larkspur QTX 98.";
}

KeyboardLayout& PortalDesktopSession::keyboardLayout()
{
    return m_parts->keyboard;
}

KeyInjector& PortalDesktopSession::keyInjector()
{
    return m_parts->keyboard;
}

WindowSystem& PortalDesktopSession::windows()
{
    return m_parts->windows;
}

PointerDevice& PortalDesktopSession::pointer()
{
    return m_parts->pointer;
}

std::string PortalDesktopSession::restoreToken() const
{
    return m_parts->connection->restoreToken();
}

unsigned PortalDesktopSession::portalVersion() const
{
    return m_parts->connection->version();
}

std::unique_ptr<PortalDesktopSession> openPortalDesktopSession(const PortalOptions& options, std::string& whyNot)
{
    std::unique_ptr<PortalConnection> connection = PortalConnection::open(options, whyNot);
    if (!connection)
        return nullptr;
    auto parts = std::make_unique<PortalDesktopSession::Parts>(std::move(connection), options);
    // The desktop's clients may learn of the new keyboard and pointer only
    // with their first event, which is then lost: send ones that do no harm,
    // and give them a moment, so the user's first key and click arrive.
    const uint32_t devices = parts->connection->devices();
    if ((devices & kDeviceKeyboard) != 0)
        parts->keyboard.warmUp();
    if ((devices & kDevicePointer) != 0)
        parts->pointer.warmUp();
    if (devices != 0 && options.warmUp.count() > 0)
        std::this_thread::sleep_for(options.warmUp);
    return std::unique_ptr<PortalDesktopSession>(new PortalDesktopSession(std::move(parts)));
}

PortalOptions portalOptionsFor(const DesktopHost& host, PortalOptions base)
{
    if (host.load)
        base.restoreToken = host.load(kPortalRestoreTokenKey);
    if (host.store)
        base.onRestoreToken = [store = host.store](const std::string& token) { store(kPortalRestoreTokenKey, token); };
    if (host.showStatus)
        base.onAskingConsent = host.showStatus;
    if (host.screenSize)
        base.fallbackScreenSize = *host.screenSize;
    if (host.cancelled)
        base.cancelled = host.cancelled;
    return base;
}

DesktopBackEndEntry portalBackEnd(PortalOptions base)
{
    DesktopBackEndEntry e;
    e.name = "portal";
    e.passOver = [](const DesktopFacts& facts) -> std::optional<std::string> {
        if (!facts.wayland())
            return "not a Wayland session (WAYLAND_DISPLAY is not set)";
        return std::nullopt;
    };
    e.open = [base = std::move(base)](const DesktopHost& host,
                                      std::string& whyNot) -> std::unique_ptr<DesktopSession> {
        return openPortalDesktopSession(portalOptionsFor(host, base), whyNot);
    };
    return e;
}

} // namespace larkspur
