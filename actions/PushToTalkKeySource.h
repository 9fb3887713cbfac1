#pragma once
// Where the push-to-talk key is watched on this desktop: in a Wayland session
// through the desktop's global shortcuts portal (an X11 grab there would only
// see keys typed into XWayland windows), otherwise with a grab on the X display.

#include "actions/PushToTalkKey.h"

#include <memory>
#include <string>

namespace larkspur {

// nullptr and one sentence in `error` when the key cannot be watched here;
// in a Wayland session without the portal the sentence says which command to
// bind in the compositor instead.
std::unique_ptr<PushToTalkKey> watchPushToTalkKey(const std::string& name, PushToTalkKey::Handler handler,
                                                  std::string& error);

} // namespace larkspur
