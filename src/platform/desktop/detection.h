#pragma once

#include <string>

#include "platform/desktop/environment.h"
#include "platform/desktops/registry.h"

namespace vendaro {

// Which desktop the environment names (pure; every variant is a table row in
// the tests).  XDG_CURRENT_DESKTOP first, as a colon-separated,
// case-insensitive list of the registry's names; then DESKTOP_SESSION, then
// the session flags (KDE_FULL_SESSION), then the display-server variables
// (SWAYSOCK, HYPRLAND_INSTANCE_SIGNATURE, WAYLAND_DISPLAY, DISPLAY).
DesktopKind DetectDesktop(const Environment& env);

// The display server alone (sway, other wlroots-style Wayland, X11 or none),
// ignoring the variables that name a desktop.
DesktopKind DetectDisplayServer(const Environment& env);

// Run-time questions that confirm a detected desktop.
class DesktopProbe {
 public:
  virtual ~DesktopProbe() = default;
  virtual bool BusNameHasOwner(const std::string& name) = 0;
  // Owned now, or startable by the bus on the first call.
  virtual bool BusNameAvailable(const std::string& name) = 0;
  virtual bool ProgramExists(const std::string& name) = 0;
  virtual bool SchemaInstalled(const std::string& schema) = 0;
  virtual bool XDisplayOpens(const std::string& display) = 0;
  // Whether the root window's background can be seen on that display: no
  // desktop window covers it and no compositing manager draws the screen.
  virtual bool RootBackgroundVisible(const std::string& display) = 0;
};

// Why the desktop's backend cannot work here; empty when it can.
std::string DesktopProblem(DesktopKind kind, const Environment& env, DesktopProbe& probe);

// The backend to use, and what the user should know about it.
struct DesktopChoice {
  DesktopKind kind = DesktopKind::Unknown;
  // Why the named desktop cannot be used: the reason a change fails with
  // (kind Unknown), or the note for a fallback.
  std::string problem;
};

// The named desktop if it answers.  A desktop that draws its own background
// (GNOME, Cinnamon, MATE, KDE, XFCE) but does not answer is never quietly
// replaced: the plain X root window stands in only where it can be seen,
// with a note saying so; otherwise the change fails with the reason.
DesktopChoice ConfirmDesktop(const Environment& env, DesktopProbe& probe);

}  // namespace vendaro
