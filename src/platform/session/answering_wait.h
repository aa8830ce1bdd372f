#pragma once

#include <functional>

namespace vendaro {

// Runs `work` on a thread of its own while this thread's event loop goes on,
// so that the program's windows repaint and its tray answers during a long
// wait (pkexec waits for the user to answer polkit's password dialog).
// Without an application object, or off its thread, `work` runs right here.
// When the application ends meanwhile the wait gives up and says false; the
// work then finishes on its own, its result unused.
bool RunWhileAnswering(std::function<bool()> work, int pollMs = 20);

}  // namespace vendaro
