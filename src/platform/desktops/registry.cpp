#include "platform/desktops/registry.h"

#include <algorithm>
#include <array>

#include "platform/desktop/desktop_probe.h"
#include "platform/desktop/no_desktop.h"
#include "platform/desktops/gsettings/gsettings_desktop.h"
#include "platform/desktops/kde/kde_desktop.h"
#include "platform/desktops/sway/sway_desktop.h"
#include "platform/desktops/wlroots/wlroots_desktop.h"
#include "platform/desktops/x11/x11_desktop.h"
#include "platform/desktops/xfce/xfce_desktop.h"

namespace vendaro {
namespace {

std::string Value(const Environment& env, const char* name) {
  auto it = env.find(name);
  return it == env.end() ? std::string() : it->second;
}

// A backend that needs only its private folder.
template <typename Backend>
std::unique_ptr<JournaledDesktop> Make(const Environment&, const std::string& stateFolder) {
  return std::make_unique<Backend>(stateFolder);
}

template <DesktopKind kind>
std::unique_ptr<JournaledDesktop> MakeGSettings(const Environment&,
                                                const std::string& stateFolder) {
  return std::make_unique<GSettingsDesktop>(kind, stateFolder);
}

template <DesktopKind kind>
std::string GSettingsProblem(const Environment&, DesktopProbe& probe) {
  const char* schema = GSettingsSchemaOf(kind);
  return probe.SchemaInstalled(schema) ? "" : std::string("brak schematu ustawień ") + schema;
}

// Each desktop whose background is set by a program of its own.
template <const char* program>
std::string ProgramProblem(const Environment&, DesktopProbe& probe) {
  return probe.ProgramExists(program) ? "" : std::string("brak programu ") + program;
}
constexpr char kSwaymsg[] = "swaymsg";
constexpr char kSwaybg[] = "swaybg";

// Detection asks the display-server variables in this order: sway before
// the other wlroots compositors, which set WAYLAND_DISPLAY too, and X last,
// which Xwayland sets beside them.
constexpr std::array kDesktops{
    DesktopRow{
        .kind = DesktopKind::Gnome,
        .journalName = "gnome",
        .title = "GNOME",
        .names = "gnome gnome-classic gnome-flashback gnome-xorg gnome-wayland ubuntu "
                 "ubuntu-wayland budgie budgie-desktop unity pantheon",
        .drawsOwnBackground = true,
        .problem = GSettingsProblem<DesktopKind::Gnome>,
        .journaled = MakeGSettings<DesktopKind::Gnome>,
    },
    DesktopRow{
        .kind = DesktopKind::Cinnamon,
        .journalName = "cinnamon",
        .title = "Cinnamon",
        .names = "cinnamon x-cinnamon cinnamon2d",
        .drawsOwnBackground = true,
        .problem = GSettingsProblem<DesktopKind::Cinnamon>,
        .journaled = MakeGSettings<DesktopKind::Cinnamon>,
    },
    DesktopRow{
        .kind = DesktopKind::Mate,
        .journalName = "mate",
        .title = "MATE",
        .names = "mate",
        .drawsOwnBackground = true,
        .problem = GSettingsProblem<DesktopKind::Mate>,
        .journaled = MakeGSettings<DesktopKind::Mate>,
    },
    DesktopRow{
        .kind = DesktopKind::Kde,
        .journalName = "kde",
        .title = "KDE Plasma",
        .names = "kde plasma plasmawayland plasmax11 kde-plasma",
        .sessionFlags = "KDE_FULL_SESSION",
        .drawsOwnBackground = true,
        .problem = [](const Environment&, DesktopProbe& probe) -> std::string {
          return probe.BusNameHasOwner("org.kde.plasmashell")
                     ? ""
                     : "powłoka plasmashell nie działa (brak org.kde.plasmashell na magistrali "
                       "D-Bus)";
        },
        .journaled = Make<KdeDesktop>,
    },
    DesktopRow{
        .kind = DesktopKind::Xfce,
        .journalName = "xfce",
        .title = "XFCE",
        .names = "xfce xfce4 xubuntu",
        .drawsOwnBackground = true,
        .problem = [](const Environment&, DesktopProbe& probe) -> std::string {
          return probe.BusNameAvailable(kXfconfBusName)
                     ? ""
                     : "usługa ustawień xfconfd jest niedostępna (brak org.xfce.Xfconf na "
                       "magistrali D-Bus)";
        },
        .journaled = Make<XfceDesktop>,
    },
    DesktopRow{
        .kind = DesktopKind::Sway,
        .journalName = "sway",
        .title = "sway",
        .names = "sway",
        .displayVariables = "SWAYSOCK",
        .problem = ProgramProblem<kSwaymsg>,
        .journaled = Make<SwayDesktop>,
    },
    DesktopRow{
        .kind = DesktopKind::Wlroots,
        .journalName = "wlroots",
        .title = "Wayland (wlroots)",
        .names = "hyprland river wayfire labwc niri wlroots",
        .displayVariables = "HYPRLAND_INSTANCE_SIGNATURE WAYLAND_DISPLAY",
        .problem = ProgramProblem<kSwaybg>,
        .unjournaled = [](const std::string& stateFolder) -> std::unique_ptr<DesktopBackend> {
          return std::make_unique<WlrootsDesktop>(stateFolder);
        },
    },
    DesktopRow{
        .kind = DesktopKind::X11,
        .journalName = "x11",
        .title = "X11",
        .names = "i3 openbox fluxbox icewm bspwm awesome dwm xmonad",
        .displayVariables = "DISPLAY",
        .problem = [](const Environment& env, DesktopProbe& probe) -> std::string {
          const std::string display = Value(env, "DISPLAY");
          if (display.empty()) return "brak ekranu X (zmienna DISPLAY nie jest ustawiona)";
          return probe.XDisplayOpens(display) ? ""
                                              : "nie można połączyć się z ekranem X " + display;
        },
        .journaled = [](const Environment& env,
                        const std::string& stateFolder) -> std::unique_ptr<JournaledDesktop> {
          return std::make_unique<X11Desktop>(Value(env, "DISPLAY"), stateFolder);
        },
    },
};

}  // namespace

std::span<const DesktopRow> Desktops() {
  return kDesktops;
}

const DesktopRow* FindDesktop(DesktopKind kind) {
  auto row = std::find_if(kDesktops.begin(), kDesktops.end(),
                          [kind](const DesktopRow& each) { return each.kind == kind; });
  return row == kDesktops.end() ? nullptr : &*row;
}

const char* DesktopKindName(DesktopKind kind) {
  const DesktopRow* row = FindDesktop(kind);
  return row ? row->journalName : "unknown";
}

const char* DesktopTitle(DesktopKind kind) {
  const DesktopRow* row = FindDesktop(kind);
  return row ? row->title : "nieznany";
}

DesktopKind DesktopKindNamed(std::string_view journalName) {
  for (const DesktopRow& row : kDesktops) {
    if (journalName == row.journalName) return row.kind;
  }
  return DesktopKind::Unknown;
}

std::unique_ptr<JournaledDesktop> MakeJournaledDesktop(DesktopKind kind, const Environment& env,
                                                       const std::string& stateFolder) {
  const DesktopRow* row = FindDesktop(kind);
  if (!row || !row->journaled) return nullptr;
  return row->journaled(env, stateFolder);
}

std::unique_ptr<DesktopBackend> MakeDesktopBackendOf(DesktopKind kind, const Environment& env,
                                                     const std::string& stateFolder) {
  const DesktopRow* row = FindDesktop(kind);
  if (row && row->unjournaled) return row->unjournaled(stateFolder);
  if (auto journaled = MakeJournaledDesktop(kind, env, stateFolder)) return journaled;
  return std::make_unique<NoDesktop>();
}

}  // namespace vendaro
