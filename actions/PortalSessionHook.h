#pragma once
// Where the desktop portal back end (GNOME, KDE) plugs into the factory.

#include "actions/DesktopSession.h"
#include "actions/portal/PortalOptions.h"

#include <memory>
#include <string>

namespace larkspur {

// A session on the RemoteDesktop portal; null with whyNot set when there is
// no portal or the user refused. Blocks while the desktop asks for consent.
std::unique_ptr<DesktopSession> tryOpenPortalSession(const PortalOptions& options, std::string& whyNot);

} // namespace larkspur
