#include "actions/PortalSessionHook.h"

#include "actions/portal/PortalDesktopSession.h"

namespace larkspur {

std::unique_ptr<DesktopSession> tryOpenPortalSession(const PortalOptions& options, std::string& whyNot)
{
    return openPortalDesktopSession(options, whyNot);
}

} // namespace larkspur
