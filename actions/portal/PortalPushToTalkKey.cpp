#include "actions/portal/PortalPushToTalkKey.h"

#include "actions/portal/PortalRequest.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <thread>

namespace larkspur {

namespace {

constexpr const char* kGlobalShortcuts = "org.freedesktop.portal.GlobalShortcuts";

// Said in the desktops without the portal too, where binding the command is the way.
constexpr const char* kBindTheCommand =
    "bind \"larkspur --push-to-talk press\" to the key, and \"larkspur --push-to-talk release\" to its "
    "release, in the desktop's keyboard settings.";

const sdbus::RequestTexts& shortcutTexts()
{
    static const sdbus::RequestTexts texts{
        "The desktop's global shortcuts portal failed at",
        std::string("You did not allow Larkspur QTX 98 the push-to-talk shortcut: ") + kBindTheCommand,
        "The desktop did not answer the request for the push-to-talk shortcut in time.",
    };
    return texts;
}

class PortalPushToTalkKey final : public PushToTalkKey {
public:
    PortalPushToTalkKey(sdbus::BusPtr bus, std::string session, std::string name, Handler handler, int wake)
        : m_bus(std::move(bus)), m_session(std::move(session)), m_name(std::move(name)),
          m_handler(std::move(handler)), m_wake(wake)
    {
        sd_bus* b = m_bus.get();
        sd_bus_slot* slot = nullptr;
        if (sd_bus_match_signal(b, &slot, nullptr, sdbus::kPortalObject, kGlobalShortcuts, "Activated",
                                onActivated, this) >= 0)
            m_activated.reset(slot);
        slot = nullptr;
        if (sd_bus_match_signal(b, &slot, nullptr, sdbus::kPortalObject, kGlobalShortcuts,
                                "Deactivated", onDeactivated, this) >= 0)
            m_deactivated.reset(slot);
        slot = nullptr;
        if (sd_bus_match_signal(b, &slot, nullptr, m_session.c_str(), sdbus::kPortalSession, "Closed", onClosed,
                                this) >= 0)
            m_closed.reset(slot);
        // From here on only the reader thread uses the bus, until it is joined.
        m_thread = std::thread([this] { run(); });
    }

    ~PortalPushToTalkKey() override
    {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(m_wake, &one, sizeof one);
        m_thread.join();
        close(m_wake);
        if (m_down)
            m_handler(false);  // every press is paired with a release
        m_activated.reset();
        m_deactivated.reset();
        m_closed.reset();
        if (!m_sessionEnded) {
            sdbus::Error error;
            sd_bus_call_method(m_bus.get(), sdbus::kPortalService, m_session.c_str(), sdbus::kPortalSession, "Close",
                               error.get(), nullptr, "");
        }
    }

    const std::string& keyName() const override { return m_name; }

private:
    void run()
    {
        sd_bus* bus = m_bus.get();
        for (;;) {
            int r = 0;
            while ((r = sd_bus_process(bus, nullptr)) > 0) {
            }
            if (r < 0) {
                ended();  // the bus is gone: no release will come from it
                return;
            }
            pollfd fds[2] = {{sd_bus_get_fd(bus), static_cast<short>(sd_bus_get_events(bus)), 0},
                             {m_wake, POLLIN, 0}};
            if (fds[0].fd < 0 || fds[0].events < 0) {
                ended();
                return;
            }
            if (poll(fds, 2, timeoutMs(bus)) < 0 && errno != EINTR)
                return;
            if (fds[1].revents != 0)
                return;
        }
    }

    // sd-bus asks to be called back by an absolute monotonic time, or never.
    static int timeoutMs(sd_bus* bus)
    {
        uint64_t until = 0;
        if (sd_bus_get_timeout(bus, &until) < 0 || until == UINT64_MAX)
            return -1;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const uint64_t nowUs = static_cast<uint64_t>(now.tv_sec) * 1'000'000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
        if (until <= nowUs)
            return 0;
        const uint64_t ms = (until - nowUs + 999) / 1000;
        return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
    }

    void set(bool down)
    {
        if (down == m_down)
            return;  // a repeated press of a held key, or a release without a press
        m_down = down;
        m_handler(down);
    }

    void ended()
    {
        m_sessionEnded = true;
        set(false);
    }

    bool mine(sd_bus_message* m) const
    {
        const char* session = nullptr;
        const char* id = nullptr;
        return sd_bus_message_read(m, "os", &session, &id) >= 0 && session && id && m_session == session &&
               std::string(id) == kPushToTalkShortcutId;
    }

    static int onActivated(sd_bus_message* m, void* self, sd_bus_error*)
    {
        auto* key = static_cast<PortalPushToTalkKey*>(self);
        if (key->mine(m))
            key->set(true);
        return 0;
    }

    static int onDeactivated(sd_bus_message* m, void* self, sd_bus_error*)
    {
        auto* key = static_cast<PortalPushToTalkKey*>(self);
        if (key->mine(m))
            key->set(false);
        return 0;
    }

    static int onClosed(sd_bus_message*, void* self, sd_bus_error*)
    {
        static_cast<PortalPushToTalkKey*>(self)->ended();
        return 0;
    }

    sdbus::BusPtr m_bus;
    std::string m_session;
    std::string m_name;
    Handler m_handler;
    int m_wake;
    sdbus::SlotPtr m_activated;
    sdbus::SlotPtr m_deactivated;
    sdbus::SlotPtr m_closed;
    std::thread m_thread;
    // Read and written by the reader thread, then by the destructor after join.
    bool m_down = false;
    bool m_sessionEnded = false;
};

} // namespace

std::unique_ptr<PushToTalkKey> bindPortalPushToTalkKey(const std::string& name, PushToTalkKey::Handler handler,
                                                       std::string& error, const PortalShortcutOptions& options)
{
    if (!isPushToTalkKeyName(name)) {
        error = "\"" + name + "\" is not a key name (try F9, Pause or Control_R).";
        return nullptr;
    }
    std::string why;
    sdbus::BusPtr bus = sdbus::connect(options.busAddress, why);
    if (!bus) {
        error = "The desktop's global shortcuts portal cannot be reached (" + why + "): " + kBindTheCommand;
        return nullptr;
    }
    sd_bus_set_method_call_timeout(bus.get(), sdbus::microseconds(options.callTimeout));
    uint32_t version = 0;
    sdbus::Error versionError;
    if (sd_bus_get_property_trivial(bus.get(), sdbus::kPortalService, sdbus::kPortalObject, kGlobalShortcuts,
                                    "version", versionError.get(), 'u', &version) < 0) {
        error = std::string("This desktop has no global shortcuts portal: ") + kBindTheCommand;
        return nullptr;
    }

    sdbus::PortalRequester requester(bus.get(), options.callTimeout);
    const std::string sessionToken = requester.nextToken("shortcuts");
    std::optional<sdbus::Results> created =
        requester.request(kGlobalShortcuts, "CreateSession", {}, {{"session_handle_token", sessionToken}},
                          options.callTimeout, shortcutTexts(), error);
    if (!created)
        return nullptr;
    const std::string session = created->strings["session_handle"];
    if (session.empty()) {
        error = "The desktop's global shortcuts portal made no session.";
        return nullptr;
    }
    const auto closeSession = [&] {
        sdbus::Error closeError;
        sd_bus_call_method(bus.get(), sdbus::kPortalService, session.c_str(), sdbus::kPortalSession, "Close",
                           closeError.get(), nullptr, "");
    };

    // One shortcut, the key as the preferred trigger; the desktop may let the
    // user pick another, which then drives push-to-talk just the same.
    const std::string description = "Push-to-talk: hold to give Larkspur QTX 98 a voice command";
    const sdbus::PortalRequester::Leading shortcuts = [&](sd_bus_message* m) {
        int r = sd_bus_message_append_basic(m, 'o', session.c_str());
        if (r >= 0)
            r = sd_bus_message_append(m, "a(sa{sv})", 1, kPushToTalkShortcutId, 2, "description", "s",
                                      description.c_str(), "preferred_trigger", "s", name.c_str());
        if (r >= 0)
            r = sd_bus_message_append_basic(m, 's', "");  // no parent window to name
        return r;
    };
    if (!requester.request(kGlobalShortcuts, "BindShortcuts", shortcuts, {}, options.bindTimeout, shortcutTexts(),
                           error)) {
        closeSession();
        return nullptr;
    }
    const int wake = eventfd(0, EFD_CLOEXEC);
    if (wake < 0) {
        closeSession();
        error = "The push-to-talk key cannot be watched (no event descriptor).";
        return nullptr;
    }
    return std::make_unique<PortalPushToTalkKey>(std::move(bus), session, name, std::move(handler), wake);
}

} // namespace larkspur
