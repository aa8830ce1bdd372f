#pragma once

// The windows above the resident program, as main() and the tray reach them.

class QWidget;

namespace vendaro {

class TForm2;

// The settings window, modal, on the main form's state; returns when closed.
void ShowSettingsWindow(TForm2& mainForm);

// The About window shown without waiting and painted at once: the splash
// at start.  The caller deletes it.
QWidget* CreateSplash();

// The About window as a modal dialog (tray menu's first item).
void ShowAboutModal();

}  // namespace vendaro
