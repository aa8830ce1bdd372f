#pragma once

#include <optional>
#include <string>

#include "platform/desktop/desktop.h"
#include "system/status.h"

namespace vendaro {

// The Qt platform the resident program asks for (pure).  A Wayland
// compositor places every window itself, so the notification could not sit
// in its corner: where the session also offers X (Xwayland, DISPLAY set)
// the program's windows go there ("xcb").  Nothing when the user chose a
// platform (QT_QPA_PLATFORM) or without X: Qt then picks, natively on
// Wayland.
std::optional<std::string> WindowingPlatformFor(const Environment& env);

// Applies WindowingPlatformFor to this process; call before the
// application object exists.
void ChooseWindowingPlatform();

// Loads Qt's own Polish texts (buttons of message boxes, the file, folder
// and colour dialogs) from Qt's translations folder, whatever the user's
// locale; the program's own texts are Polish already.  Call once the
// application object exists.
Status LoadQtPolish();

}  // namespace vendaro
