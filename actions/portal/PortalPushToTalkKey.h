#pragma once
// The push-to-talk key on a Wayland desktop that offers the global shortcuts
// portal (GNOME, KDE Plasma): the key is asked for as one shortcut of a
// session of this program's own, and the desktop sends its press and release
// as signals, whichever window has the focus. The desktop may show a dialog
// in which the user confirms or changes the key.

#include "actions/PushToTalkKey.h"

#include <chrono>
#include <memory>
#include <string>

namespace larkspur {

inline constexpr const char* kPushToTalkShortcutId = "push-to-talk";

struct PortalShortcutOptions {
    // The bus the portal is on; empty for the user's session bus.
    std::string busAddress;
    // How long the user has to answer the desktop's shortcut dialog.
    std::chrono::milliseconds bindTimeout{std::chrono::minutes(2)};
    // How long any other call may take.
    std::chrono::milliseconds callTimeout{std::chrono::seconds(5)};
};

// Binds `name` (an X key name such as "F9", which is also the shortcut's
// preferred trigger) and calls `handler` on its own thread at every press and
// release: one press and one release per hold, and a release when the key
// goes away while held. nullptr and one sentence in `error` when there is no
// such portal, the user refuses, or the desktop does not answer.
std::unique_ptr<PushToTalkKey> bindPortalPushToTalkKey(const std::string& name, PushToTalkKey::Handler handler,
                                                       std::string& error, const PortalShortcutOptions& options = {});

} // namespace larkspur
