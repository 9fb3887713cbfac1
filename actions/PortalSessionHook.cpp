#include "actions/PortalSessionHook.h"

namespace larkspur {

// Stand-in until the portal back end is built in (see the header).
std::unique_ptr<DesktopSession> tryOpenPortalSession(std::string& whyNot)
{
    whyNot = "the desktop portal back end is not built into this program";
    return nullptr;
}

} // namespace larkspur
