#pragma once
// Where the desktop portal back end (GNOME, KDE) plugs into the factory.

#include "actions/DesktopSession.h"

#include <memory>
#include <string>

namespace larkspur {

// A session on the RemoteDesktop portal; null with whyNot set when there is
// no portal or the user refused. PortalSessionHook.cpp holds the stand-in
// used until the portal back end is built in: replace its body with the
// call into actions/portal/.
std::unique_ptr<DesktopSession> tryOpenPortalSession(std::string& whyNot);

} // namespace larkspur
