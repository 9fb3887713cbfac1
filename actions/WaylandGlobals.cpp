#include "actions/WaylandGlobals.h"

#include <wayland-client.h>

#include <cstdarg>
#include <memory>

namespace larkspur {

namespace {

struct DisplayCloser {
    void operator()(wl_display* d) const { wl_display_disconnect(d); }
};

struct RegistryDestroyer {
    void operator()(wl_registry* r) const { wl_registry_destroy(r); }
};

void onGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    static_cast<std::vector<std::string>*>(data)->emplace_back(interface);
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

// libwayland prints its complaints (no runtime folder, no socket) to stderr;
// here a failed connection is a reason in the desktop report instead.
void quietLog(const char*, va_list) {}

} // namespace

std::optional<std::vector<std::string>> listWaylandGlobals()
{
    wl_log_set_handler_client(quietLog);
    std::unique_ptr<wl_display, DisplayCloser> display(wl_display_connect(nullptr));
    if (!display)
        return std::nullopt;
    std::vector<std::string> names;
    std::unique_ptr<wl_registry, RegistryDestroyer> registry(wl_display_get_registry(display.get()));
    wl_registry_add_listener(registry.get(), &kRegistryListener, &names);
    if (wl_display_roundtrip(display.get()) < 0)
        return std::nullopt;
    return names;
}

} // namespace larkspur
