#pragma once
// Stands in for the desktop's keyboard, windows and pointer until the desktop
// is opened, and forwards to them afterwards: whoever holds these (the
// keystroke sender, the dispatch) is built before the desktop is asked, and
// the first call opens it. So the program can show its window before a
// desktop that asks the user for consent (the portal) holds everything up.

#include "actions/DesktopSession.h"

#include <functional>

namespace larkspur {

class DeferredDesktop final : public KeyboardLayout, public KeyInjector, public WindowSystem, public PointerDevice {
public:
    // The parts to forward to, resolved at each call (the first one opens
    // the desktop, or settles on the recording stand-ins).
    struct Parts {
        std::function<KeyboardLayout&()> layout;
        std::function<KeyInjector&()> injector;
        std::function<WindowSystem&()> windows;
        std::function<PointerDevice&()> pointer;
    };
    explicit DeferredDesktop(Parts parts) : m_parts(std::move(parts)) {}

    std::optional<uint16_t> vkKeyScan(char c) override { return m_parts.layout().vkKeyScan(c); }
    uint8_t mapVirtualKey(uint8_t virtualKey) override { return m_parts.layout().mapVirtualKey(virtualKey); }

    void injectKey(const SyntheticKeyEvent& event) override { m_parts.injector().injectKey(event); }
    void flush() override { m_parts.injector().flush(); }

    std::vector<WindowId> topLevelWindows() override { return m_parts.windows().topLevelWindows(); }
    std::string windowTitle(WindowId w) override { return m_parts.windows().windowTitle(w); }
    std::string windowClassName(WindowId w) override { return m_parts.windows().windowClassName(w); }
    bool isWindowVisible(WindowId w) override { return m_parts.windows().isWindowVisible(w); }
    bool isMinimised(WindowId w) override { return m_parts.windows().isMinimised(w); }
    int64_t windowProcessId(WindowId w) override { return m_parts.windows().windowProcessId(w); }
    WindowId foregroundWindow() override { return m_parts.windows().foregroundWindow(); }
    void activate(WindowId w) override { m_parts.windows().activate(w); }
    void restore(WindowId w) override { m_parts.windows().restore(w); }

    ScreenPoint position() override { return m_parts.pointer().position(); }
    void setPosition(ScreenPoint p) override { m_parts.pointer().setPosition(p); }
    ScreenPoint screenSize() override { return m_parts.pointer().screenSize(); }
    void button(MouseButton b, bool down) override { m_parts.pointer().button(b, down); }

private:
    Parts m_parts;
};

} // namespace larkspur
