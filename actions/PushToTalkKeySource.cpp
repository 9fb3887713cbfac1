#include "actions/PushToTalkKeySource.h"

#include "actions/portal/PortalPushToTalkKey.h"

#include <cstdlib>

namespace larkspur {

std::unique_ptr<PushToTalkKey> watchPushToTalkKey(const std::string& name, PushToTalkKey::Handler handler,
                                                  std::string& error)
{
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland)
        return bindPortalPushToTalkKey(name, std::move(handler), error);
    return grabX11PushToTalkKey(name, std::move(handler), error);
}

} // namespace larkspur
