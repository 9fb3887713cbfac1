#pragma once
// How the desktop portal back end is opened.

#include "actions/WindowSystem.h"

#include <chrono>
#include <functional>
#include <string>

namespace larkspur {

struct PortalOptions {
    // The bus the portal is on; empty for the user's session bus.
    std::string busAddress;
    // The restore token kept from the last start; empty when there is none.
    // A token works once: store the new one (restoreToken() of the session,
    // or onRestoreToken) in its place after every start.
    std::string restoreToken;
    // Ask the desktop to remember the consent until the user withdraws it,
    // where the portal can (interface version 2 and later).
    bool rememberConsent = true;
    // Add a screen-cast stream to the session: absolute pointer moves need
    // one, and the desktop then also asks which screen to share.
    bool absolutePointer = true;
    // How long the user has to answer the desktop's consent dialog.
    std::chrono::milliseconds consentTimeout{std::chrono::minutes(2)};
    // How long any other call may take.
    std::chrono::milliseconds callTimeout{std::chrono::seconds(5)};
    // Pause after the warm-up key, so the desktop's new keyboard is ready.
    std::chrono::milliseconds warmUp{200};
    // The screen size when no screen-cast stream says it.
    ScreenPoint fallbackScreenSize{1920, 1080};
    // Called with one line for the status window just before the desktop
    // may show its consent dialog (the call then waits for the user).
    std::function<void(const std::string&)> onAskingConsent;
    // Polled while waiting for the desktop: true ends the wait (the
    // request is withdrawn) as if nobody had answered.
    std::function<bool()> cancelled;
    // Called after every successful start with the token to store in place
    // of the old one; empty when the desktop gave none.
    std::function<void(const std::string&)> onRestoreToken;
};

} // namespace larkspur
