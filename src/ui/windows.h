#pragma once

// The windows above the resident program, as main() and the tray reach them.

class QWidget;

namespace vendaro {

class ResidentSession;

// The settings window, modal, on the session's state; returns when closed.
// On the first start it says where pictures are added.
void ShowSettingsWindow(ResidentSession& session, bool firstStart = false);

// The About window shown without waiting and painted at once: the splash
// at start.  The caller deletes it.
QWidget* CreateSplash();

// The About window as a modal dialog (tray menu's first item).
void ShowAboutModal();

}  // namespace vendaro
