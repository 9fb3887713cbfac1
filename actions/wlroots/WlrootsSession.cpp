#include "actions/wlroots/WlrootsSession.h"

#include "actions/UniqueFd.h"
#include "actions/wlroots/SwayTree.h"
#include "actions/wlroots/WlrootsKeyboard.h"
#include "actions/wlroots/WlrootsKeymap.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <list>
#include <poll.h>
#include <set>
#include <sys/mman.h>
#include <thread>

namespace larkspur {

namespace {

constexpr uint32_t kButtonLeft = 0x110;   // BTN_LEFT
constexpr uint32_t kButtonRight = 0x111;  // BTN_RIGHT
constexpr ScreenPoint kFallbackScreen{1024, 768};
// With no real keyboard the seat gains one only when ours appears, and the
// first key sent before that is lost.
constexpr auto kKeyboardReadyWait = std::chrono::milliseconds(200);

uint32_t nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

struct DisplayCloser {
    void operator()(wl_display* d) const { wl_display_disconnect(d); }
};
using DisplayPtr = std::unique_ptr<wl_display, DisplayCloser>;

struct Global {
    uint32_t name;
    std::string interface;
    uint32_t version;
};

void onGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version)
{
    if (data)
        static_cast<std::vector<Global>*>(data)->push_back({name, interface, version});
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

struct Output {
    wl_output* output = nullptr;
    int width = 0;
    int height = 0;
    int scale = 1;
};

void outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {}
void outputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        static_cast<Output*>(data)->width = width;
        static_cast<Output*>(data)->height = height;
    }
}
void outputDone(void*, wl_output*) {}
void outputScale(void* data, wl_output*, int32_t factor)
{
    static_cast<Output*>(data)->scale = std::max(1, factor);
}
void outputText(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {outputGeometry, outputMode, outputDone, outputScale, outputText,
                                            outputText};

void seatCapabilities(void* data, wl_seat*, uint32_t capabilities)
{
    *static_cast<uint32_t*>(data) = capabilities;
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {seatCapabilities, seatName};

struct Toplevel {
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    WindowId id = 0;
    std::string title;
    std::string appId;
    bool minimised = false;
    bool activated = false;
    bool closed = false;
};

void toplevelTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title)
{
    static_cast<Toplevel*>(data)->title = title ? title : "";
}
void toplevelAppId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId)
{
    static_cast<Toplevel*>(data)->appId = appId ? appId : "";
}
void toplevelOutputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void toplevelOutputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void toplevelState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states)
{
    Toplevel& t = *static_cast<Toplevel*>(data);
    t.minimised = t.activated = false;
    const uint32_t* s = static_cast<const uint32_t*>(states->data);
    for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
        if (s[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED)
            t.minimised = true;
        else if (s[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
            t.activated = true;
    }
}
void toplevelDone(void*, zwlr_foreign_toplevel_handle_v1*) {}
void toplevelClosed(void* data, zwlr_foreign_toplevel_handle_v1*)
{
    static_cast<Toplevel*>(data)->closed = true;
}
void toplevelParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}
const zwlr_foreign_toplevel_handle_v1_listener kToplevelListener = {
    toplevelTitle, toplevelAppId, toplevelOutputEnter, toplevelOutputLeave,
    toplevelState, toplevelDone, toplevelClosed, toplevelParent};

class WlrootsSession;
void managerToplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle);
void managerFinished(void*, zwlr_foreign_toplevel_manager_v1*) {}
const zwlr_foreign_toplevel_manager_v1_listener kManagerListener = {managerToplevel, managerFinished};

class WlrootsSession : public DesktopSession, public WindowSystem, public PointerDevice, public VirtualKeyboardSink {
public:
    WlrootsSession(DisplayPtr display, wl_registry* registry, std::vector<Global> globals)
        : m_display(std::move(display)), m_registry(registry)
    {
        for (const Global& g : globals) {
            if (g.interface == wl_seat_interface.name && !m_seat) {
                m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, g.name, &wl_seat_interface, std::min(g.version, 2u)));
                wl_seat_add_listener(m_seat, &kSeatListener, &m_seatCapabilities);
            } else if (g.interface == wl_output_interface.name) {
                auto& o = m_outputs.emplace_back();
                o.output = static_cast<wl_output*>(wl_registry_bind(registry, g.name, &wl_output_interface, std::min(g.version, 2u)));
                wl_output_add_listener(o.output, &kOutputListener, &o);
            } else if (g.interface == kVirtualKeyboardManagerInterface) {
                m_keyboardManager = static_cast<zwp_virtual_keyboard_manager_v1*>(
                    wl_registry_bind(registry, g.name, &zwp_virtual_keyboard_manager_v1_interface, 1));
            } else if (g.interface == kVirtualPointerManagerInterface) {
                m_pointerVersion = std::min(g.version, 2u);
                m_pointerManager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                    wl_registry_bind(registry, g.name, &zwlr_virtual_pointer_manager_v1_interface, m_pointerVersion));
            } else if (g.interface == kForeignToplevelManagerInterface) {
                m_toplevelManager = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
                    registry, g.name, &zwlr_foreign_toplevel_manager_v1_interface, std::min(g.version, 3u)));
                zwlr_foreign_toplevel_manager_v1_add_listener(m_toplevelManager, &kManagerListener, this);
            }
        }
        // Seat capabilities, output modes and the first window list.
        roundtrip();
        roundtrip();
    }

    ~WlrootsSession() override
    {
        m_keys.reset();  // lets go of every held key
        for (uint32_t button : m_buttonsDown) {
            zwlr_virtual_pointer_v1_button(m_pointer, nowMs(), button, WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(m_pointer);
        }
        for (Toplevel& t : m_toplevels)
            zwlr_foreign_toplevel_handle_v1_destroy(t.handle);
        if (m_toplevelManager)
            zwlr_foreign_toplevel_manager_v1_stop(m_toplevelManager);
        if (m_pointer)
            zwlr_virtual_pointer_v1_destroy(m_pointer);
        if (m_keyboard)
            zwp_virtual_keyboard_v1_destroy(m_keyboard);
        if (m_pointerManager)
            zwlr_virtual_pointer_manager_v1_destroy(m_pointerManager);
        wl_display_roundtrip(m_display.get());
        if (m_toplevelManager)
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_toplevelManager));
        if (m_keyboardManager)
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_keyboardManager));
        for (Output& o : m_outputs)
            wl_output_destroy(o.output);
        if (m_seat)
            wl_seat_destroy(m_seat);
        wl_registry_destroy(m_registry);
    }

    // Creates the keyboard and pointer; false with whyNot set when it cannot.
    bool start(std::string& whyNot)
    {
        if (!m_seat || !m_keyboardManager || !m_pointerManager) {
            whyNot = !m_seat ? "the compositor has no seat" : "the compositor has no virtual keyboard or pointer";
            return false;
        }
        const bool hadKeyboard = (m_seatCapabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
        m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_keyboardManager, m_seat);
        if (!uploadKeymap()) {
            whyNot = "the keymap could not be handed to the compositor";
            return false;
        }
        if (m_pointerVersion >= 2 && !m_outputs.empty())
            m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer_with_output(m_pointerManager, m_seat,
                                                                                            m_outputs.front().output);
        else
            m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(m_pointerManager, m_seat);
        m_keys = std::make_unique<WlrootsKeyboard>(*this);
        // A key nothing reacts to, so that a key lost while the seat takes on
        // the new keyboard is this one.
        sendKey(wlrootsKeymap::warmUpKey(), true);
        sendKey(wlrootsKeymap::warmUpKey(), false);
        if (!roundtrip()) {
            whyNot = "the compositor refused the virtual keyboard or pointer";
            return false;
        }
        if (!hadKeyboard) {
            std::this_thread::sleep_for(kKeyboardReadyWait);
            roundtrip();
        }
        const ScreenPoint size = screenSize();
        m_position = {size.x / 2, size.y / 2};
        return true;
    }

    void addToplevel(zwlr_foreign_toplevel_handle_v1* handle)
    {
        Toplevel& t = m_toplevels.emplace_back();
        t.handle = handle;
        t.id = ++m_lastId;
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kToplevelListener, &t);
    }

    // DesktopSession
    std::string backEndName() const override { return "wlroots"; }
    DesktopCapabilities capabilities() const override
    {
        DesktopCapabilities c;
        c.keys = c.anyCharacter = c.pointerMove = c.pointerButtons = true;
        c.windowList = c.windowActivate = m_toplevelManager != nullptr;
        c.windowProcessIds = c.windowList && std::getenv("SWAYSOCK") != nullptr;
        return c;
    }
    KeyboardLayout& keyboardLayout() override { return *m_keys; }
    KeyInjector& keyInjector() override { return *m_keys; }
    WindowSystem& windows() override { return *this; }
    PointerDevice& pointer() override { return *this; }

    // VirtualKeyboardSink
    void sendKey(uint32_t code, bool down) override
    {
        zwp_virtual_keyboard_v1_key(m_keyboard, nowMs(), code,
                                    down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    void sendModifiers(uint32_t depressed, uint32_t locked) override
    {
        zwp_virtual_keyboard_v1_modifiers(m_keyboard, depressed, 0, locked, 0);
    }
    void sendFlush() override { roundtrip(); }

    // WindowSystem
    std::vector<WindowId> topLevelWindows() override
    {
        roundtrip();
        m_swayViews.reset();
        m_toplevels.remove_if([](const Toplevel& t) {
            if (t.closed)
                zwlr_foreign_toplevel_handle_v1_destroy(t.handle);
            return t.closed;
        });
        std::vector<WindowId> ids;
        // No stacking order is published: the active window is on top, then
        // the newest first.
        for (auto it = m_toplevels.rbegin(); it != m_toplevels.rend(); ++it)
            if (!it->closed)
                ids.insert(it->activated ? ids.begin() : ids.end(), it->id);
        return ids;
    }
    std::string windowTitle(WindowId window) override
    {
        const Toplevel* t = find(window);
        return t ? t->title : std::string();
    }
    std::string windowClassName(WindowId window) override
    {
        const Toplevel* t = find(window);
        return t ? t->appId : std::string();
    }
    bool isWindowVisible(WindowId window) override { return find(window) != nullptr; }
    bool isMinimised(WindowId window) override
    {
        const Toplevel* t = find(window);
        return t && t->minimised;
    }
    int64_t windowProcessId(WindowId window) override
    {
        const Toplevel* t = find(window);
        if (!t)
            return 0;
        if (!m_swayViews) {
            const char* socket = std::getenv("SWAYSOCK");
            m_swayViews = socket ? querySwayTree(socket).value_or(std::vector<SwayView>{}) : std::vector<SwayView>{};
        }
        // The tree and the toplevel list share no id: a window is known by
        // its app id and title, and only when every such window has one owner.
        int64_t pid = 0;
        for (const SwayView& v : *m_swayViews) {
            if (v.appId != t->appId || v.title != t->title)
                continue;
            if (pid != 0 && pid != v.pid)
                return 0;
            pid = v.pid;
        }
        return pid;
    }
    WindowId foregroundWindow() override
    {
        roundtrip();
        for (const Toplevel& t : m_toplevels)
            if (!t.closed && t.activated)
                return t.id;
        return 0;
    }
    void activate(WindowId window) override
    {
        if (Toplevel* t = find(window)) {
            zwlr_foreign_toplevel_handle_v1_activate(t->handle, m_seat);
            roundtrip();
        }
    }
    void restore(WindowId window) override
    {
        if (Toplevel* t = find(window)) {
            zwlr_foreign_toplevel_handle_v1_unset_minimized(t->handle);
            zwlr_foreign_toplevel_handle_v1_activate(t->handle, m_seat);
            roundtrip();
        }
    }

    // PointerDevice: Wayland tells no client where the pointer is, so this
    // is where it was last put.
    ScreenPoint position() override { return m_position; }
    void setPosition(ScreenPoint p) override
    {
        const ScreenPoint size = screenSize();
        m_position = {std::clamp(p.x, 0, size.x - 1), std::clamp(p.y, 0, size.y - 1)};
        zwlr_virtual_pointer_v1_motion_absolute(m_pointer, nowMs(), static_cast<uint32_t>(m_position.x),
                                                static_cast<uint32_t>(m_position.y), static_cast<uint32_t>(size.x),
                                                static_cast<uint32_t>(size.y));
        zwlr_virtual_pointer_v1_frame(m_pointer);
        roundtrip();
    }
    ScreenPoint screenSize() override
    {
        if (m_outputs.empty() || m_outputs.front().width <= 0 || m_outputs.front().height <= 0)
            return kFallbackScreen;
        const Output& o = m_outputs.front();
        return {o.width / o.scale, o.height / o.scale};
    }
    void button(MouseButton which, bool down) override
    {
        const uint32_t code = which == MouseButton::Left ? kButtonLeft : kButtonRight;
        if (down == (m_buttonsDown.count(code) != 0))
            return;  // every press paired with one release
        if (down)
            m_buttonsDown.insert(code);
        else
            m_buttonsDown.erase(code);
        zwlr_virtual_pointer_v1_button(m_pointer, nowMs(), code,
                                       down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(m_pointer);
        roundtrip();
    }

private:
    bool roundtrip() { return wl_display_roundtrip(m_display.get()) >= 0; }

    Toplevel* find(WindowId window)
    {
        for (Toplevel& t : m_toplevels)
            if (t.id == window && !t.closed)
                return &t;
        return nullptr;
    }

    bool uploadKeymap()
    {
        const std::string& keymap = wlrootsKeymap::text();
        UniqueFd fd(memfd_create("larkspur-keymap", MFD_CLOEXEC));
        if (!fd.valid())
            return false;
        // The compositor maps size bytes and expects the text's terminating zero.
        const size_t size = keymap.size() + 1;
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd.get(), keymap.c_str() + done, size - done);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd.get(),
                                       static_cast<uint32_t>(size));
        return roundtrip();
    }

    DisplayPtr m_display;
    wl_registry* m_registry;
    wl_seat* m_seat = nullptr;
    uint32_t m_seatCapabilities = 0;
    std::list<Output> m_outputs;  // listeners hold addresses: no reallocation
    zwp_virtual_keyboard_manager_v1* m_keyboardManager = nullptr;
    zwlr_virtual_pointer_manager_v1* m_pointerManager = nullptr;
    uint32_t m_pointerVersion = 1;
    zwlr_foreign_toplevel_manager_v1* m_toplevelManager = nullptr;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
    std::unique_ptr<WlrootsKeyboard> m_keys;
    std::set<uint32_t> m_buttonsDown;
    ScreenPoint m_position;
    std::list<Toplevel> m_toplevels;
    WindowId m_lastId = 0;
    std::optional<std::vector<SwayView>> m_swayViews;  // per window-list refresh
};

void managerToplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle)
{
    static_cast<WlrootsSession*>(data)->addToplevel(handle);
}

struct Connection {
    DisplayPtr display;
    wl_registry* registry = nullptr;
    std::vector<Global> globals;
};

// libwayland prints its complaints (no runtime folder, no socket) to stderr;
// here a failed connection is a reason in the desktop report instead.
void quietLog(const char*, va_list) {}

std::optional<Connection> connect()
{
    wl_log_set_handler_client(quietLog);
    Connection c;
    c.display.reset(wl_display_connect(nullptr));
    if (!c.display)
        return std::nullopt;
    c.registry = wl_display_get_registry(c.display.get());
    wl_registry_add_listener(c.registry, &kRegistryListener, &c.globals);
    if (wl_display_roundtrip(c.display.get()) < 0) {
        wl_registry_destroy(c.registry);
        return std::nullopt;
    }
    return c;
}

} // namespace

std::unique_ptr<DesktopSession> openWlrootsSession(std::string& whyNot)
{
    std::optional<Connection> c = connect();
    if (!c) {
        whyNot = "cannot connect to the Wayland display";
        return nullptr;
    }
    // The registry's listener points at c->globals: hand over a copy and
    // stop listening for new globals.
    wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(c->registry), nullptr);
    auto session = std::make_unique<WlrootsSession>(std::move(c->display), c->registry, c->globals);
    if (!session->start(whyNot))
        return nullptr;
    return session;
}

DesktopBackEndEntry wlrootsBackEnd()
{
    DesktopBackEndEntry e;
    e.name = "wlroots";
    e.passOver = [](const DesktopFacts& facts) -> std::optional<std::string> {
        if (!facts.wayland())
            return "not a Wayland session (WAYLAND_DISPLAY is not set)";
        if (!facts.waylandReachable)
            return "cannot connect to the Wayland display \"" + facts.waylandDisplay + "\"";
        std::string missing;
        for (const char* needed : {kVirtualKeyboardManagerInterface, kVirtualPointerManagerInterface})
            if (!facts.offers(needed))
                missing += (missing.empty() ? "" : " and ") + std::string(needed);
        if (!missing.empty())
            return "the compositor does not offer " + missing;
        return std::nullopt;
    };
    e.open = [](const DesktopHost&, std::string& whyNot) { return openWlrootsSession(whyNot); };
    return e;
}

} // namespace larkspur
