#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/desktop/environment.h"

namespace vendaro {

// Every desktop the program sets a wallpaper on.  Each has one row in the
// registry (registry.cpp) and a folder of its own beside it.
enum class DesktopKind { Unknown, X11, Gnome, Cinnamon, Mate, Kde, Xfce, Sway, Wlroots };

class DesktopBackend;
class DesktopProbe;
class JournaledDesktop;

// One desktop: how it is named, found in the environment, confirmed at run
// time and made.
struct DesktopRow {
  DesktopKind kind;
  // The name used in the restore journal ("gnome", "sway").
  const char* journalName;
  // The name the user knows the desktop by, for messages ("GNOME", "KDE Plasma").
  const char* title;
  // The names XDG_CURRENT_DESKTOP and DESKTOP_SESSION give it, lower case,
  // separated by spaces.
  std::string_view names;
  // Variables that name it when no desktop name does: set to "true" (any
  // case) for a session flag, set at all for a display server.  Session
  // flags are asked first, then display servers in the registry's order.
  std::string_view sessionFlags = {};
  std::string_view displayVariables = {};
  // Whether the desktop draws its own background over the X root window.
  bool drawsOwnBackground = false;
  // Why its backend cannot work here; empty when it can.
  std::string (*problem)(const Environment& env, DesktopProbe& probe);
  // Its backend where it keeps a restore journal, else null.
  std::unique_ptr<JournaledDesktop> (*journaled)(const Environment& env,
                                                 const std::string& stateFolder) = nullptr;
  // Its backend where it keeps none; null where `journaled` makes it.
  std::unique_ptr<DesktopBackend> (*unjournaled)(const std::string& stateFolder) = nullptr;
};

// Every row, in the order the display-server variables are asked.
std::span<const DesktopRow> Desktops();
// The row of `kind`, or null for Unknown.
const DesktopRow* FindDesktop(DesktopKind kind);

// The row's journal name, "unknown" for Unknown.
const char* DesktopKindName(DesktopKind kind);
// The row's title, "nieznany" for Unknown.
const char* DesktopTitle(DesktopKind kind);
// The kind a journal names; Unknown for a name no row has.
DesktopKind DesktopKindNamed(std::string_view journalName);

// The backend of a given desktop, without asking whether it answers; the
// one that sets nothing for Unknown.
std::unique_ptr<DesktopBackend> MakeDesktopBackendOf(DesktopKind kind, const Environment& env,
                                                     const std::string& stateFolder);
// The same for the desktops that journal; nothing for the others.
std::unique_ptr<JournaledDesktop> MakeJournaledDesktop(DesktopKind kind, const Environment& env,
                                                       const std::string& stateFolder);

}  // namespace vendaro
