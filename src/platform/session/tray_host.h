#pragma once

namespace vendaro {

// Whether the session's tray speaks D-Bus (a StatusNotifierWatcher on the
// session bus with a host registered), asked exactly as Qt asks when it
// chooses how to show a tray icon.  There a click on the icon is reported
// only as a single activation, never as a double click.
bool StatusNotifierTrayInUse();

}  // namespace vendaro
