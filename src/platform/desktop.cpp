#include "platform/desktop.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "platform/desktop_probe.h"
#include "platform/gsettings_desktop.h"
#include "platform/kde_desktop.h"
#include "platform/no_desktop.h"
#include "platform/sway_desktop.h"
#include "platform/wlroots_desktop.h"
#include "platform/x11/x11_desktop.h"
#include "platform/xfce_desktop.h"

extern char** environ;

namespace vendaro {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

struct NamedDesktop {
  std::string_view name;
  DesktopKind kind;
};

// Names as XDG_CURRENT_DESKTOP and DESKTOP_SESSION spell them (lower case).
constexpr std::array kDesktopNames{
    NamedDesktop{"gnome", DesktopKind::Gnome},
    NamedDesktop{"gnome-classic", DesktopKind::Gnome},
    NamedDesktop{"gnome-flashback", DesktopKind::Gnome},
    NamedDesktop{"gnome-xorg", DesktopKind::Gnome},
    NamedDesktop{"gnome-wayland", DesktopKind::Gnome},
    NamedDesktop{"ubuntu", DesktopKind::Gnome},
    NamedDesktop{"ubuntu-wayland", DesktopKind::Gnome},
    NamedDesktop{"budgie", DesktopKind::Gnome},
    NamedDesktop{"budgie-desktop", DesktopKind::Gnome},
    NamedDesktop{"unity", DesktopKind::Gnome},
    NamedDesktop{"pantheon", DesktopKind::Gnome},
    NamedDesktop{"cinnamon", DesktopKind::Cinnamon},
    NamedDesktop{"x-cinnamon", DesktopKind::Cinnamon},
    NamedDesktop{"cinnamon2d", DesktopKind::Cinnamon},
    NamedDesktop{"mate", DesktopKind::Mate},
    NamedDesktop{"kde", DesktopKind::Kde},
    NamedDesktop{"plasma", DesktopKind::Kde},
    NamedDesktop{"plasmawayland", DesktopKind::Kde},
    NamedDesktop{"plasmax11", DesktopKind::Kde},
    NamedDesktop{"kde-plasma", DesktopKind::Kde},
    NamedDesktop{"xfce", DesktopKind::Xfce},
    NamedDesktop{"xfce4", DesktopKind::Xfce},
    NamedDesktop{"xubuntu", DesktopKind::Xfce},
    NamedDesktop{"sway", DesktopKind::Sway},
    NamedDesktop{"hyprland", DesktopKind::Wlroots},
    NamedDesktop{"river", DesktopKind::Wlroots},
    NamedDesktop{"wayfire", DesktopKind::Wlroots},
    NamedDesktop{"labwc", DesktopKind::Wlroots},
    NamedDesktop{"niri", DesktopKind::Wlroots},
    NamedDesktop{"wlroots", DesktopKind::Wlroots},
    NamedDesktop{"i3", DesktopKind::X11},
    NamedDesktop{"openbox", DesktopKind::X11},
    NamedDesktop{"fluxbox", DesktopKind::X11},
    NamedDesktop{"icewm", DesktopKind::X11},
    NamedDesktop{"bspwm", DesktopKind::X11},
    NamedDesktop{"awesome", DesktopKind::X11},
    NamedDesktop{"dwm", DesktopKind::X11},
    NamedDesktop{"xmonad", DesktopKind::X11},
};

DesktopKind KindOfName(std::string_view name) {
  std::string lower = Lower(name);
  for (const NamedDesktop& known : kDesktopNames) {
    if (known.name == lower) return known.kind;
  }
  return DesktopKind::Unknown;
}

// A set, non-empty variable's value.
std::string_view Value(const Environment& env, const char* name) {
  auto it = env.find(name);
  return it == env.end() ? std::string_view() : std::string_view(it->second);
}

DesktopKind FromCurrentDesktop(std::string_view list) {
  while (!list.empty()) {
    std::size_t colon = list.find(':');
    DesktopKind kind = KindOfName(list.substr(0, colon));
    if (kind != DesktopKind::Unknown) return kind;
    if (colon == std::string_view::npos) break;
    list.remove_prefix(colon + 1);
  }
  return DesktopKind::Unknown;
}

DesktopKind FromSession(std::string_view session) {
  // Old display managers put the session file's path here.
  if (std::size_t slash = session.rfind('/'); slash != std::string_view::npos) {
    session.remove_prefix(slash + 1);
  }
  return KindOfName(session);
}

}  // namespace

const char* DesktopKindName(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::X11:
      return "x11";
    case DesktopKind::Gnome:
      return "gnome";
    case DesktopKind::Cinnamon:
      return "cinnamon";
    case DesktopKind::Mate:
      return "mate";
    case DesktopKind::Kde:
      return "kde";
    case DesktopKind::Xfce:
      return "xfce";
    case DesktopKind::Sway:
      return "sway";
    case DesktopKind::Wlroots:
      return "wlroots";
    case DesktopKind::Unknown:
      break;
  }
  return "unknown";
}

const char* DesktopTitle(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::X11:
      return "X11";
    case DesktopKind::Gnome:
      return "GNOME";
    case DesktopKind::Cinnamon:
      return "Cinnamon";
    case DesktopKind::Mate:
      return "MATE";
    case DesktopKind::Kde:
      return "KDE Plasma";
    case DesktopKind::Xfce:
      return "XFCE";
    case DesktopKind::Sway:
      return "sway";
    case DesktopKind::Wlroots:
      return "Wayland (wlroots)";
    case DesktopKind::Unknown:
      break;
  }
  return "nieznany";
}

Environment CurrentEnvironment() {
  Environment env;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text(*entry);
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    env.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  return env;
}

DesktopKind DetectDisplayServer(const Environment& env) {
  if (!Value(env, "SWAYSOCK").empty()) return DesktopKind::Sway;
  if (!Value(env, "HYPRLAND_INSTANCE_SIGNATURE").empty() ||
      !Value(env, "WAYLAND_DISPLAY").empty()) {
    return DesktopKind::Wlroots;
  }
  if (!Value(env, "DISPLAY").empty()) return DesktopKind::X11;
  return DesktopKind::Unknown;
}

DesktopKind DetectDesktop(const Environment& env) {
  if (DesktopKind kind = FromCurrentDesktop(Value(env, "XDG_CURRENT_DESKTOP"));
      kind != DesktopKind::Unknown) {
    return kind;
  }
  if (DesktopKind kind = FromSession(Value(env, "DESKTOP_SESSION")); kind != DesktopKind::Unknown) {
    return kind;
  }
  if (Lower(Value(env, "KDE_FULL_SESSION")) == "true") return DesktopKind::Kde;
  return DetectDisplayServer(env);
}

std::unique_ptr<JournaledDesktop> MakeJournaledDesktop(DesktopKind kind, const Environment& env,
                                                       const std::string& stateFolder) {
  switch (kind) {
    case DesktopKind::X11:
      return std::make_unique<X11Desktop>(std::string(Value(env, "DISPLAY")), stateFolder);
    case DesktopKind::Gnome:
    case DesktopKind::Cinnamon:
    case DesktopKind::Mate:
      return std::make_unique<GSettingsDesktop>(kind, stateFolder);
    case DesktopKind::Kde:
      return std::make_unique<KdeDesktop>(stateFolder);
    case DesktopKind::Xfce:
      return std::make_unique<XfceDesktop>(stateFolder);
    case DesktopKind::Sway:
      return std::make_unique<SwayDesktop>(stateFolder);
    case DesktopKind::Wlroots:
    case DesktopKind::Unknown:
      break;
  }
  return nullptr;
}

std::unique_ptr<DesktopBackend> MakeDesktopBackendOf(DesktopKind kind, const Environment& env,
                                                     const std::string& stateFolder) {
  if (kind == DesktopKind::Wlroots) return std::make_unique<WlrootsDesktop>(stateFolder);
  if (auto journaled = MakeJournaledDesktop(kind, env, stateFolder)) return journaled;
  return std::make_unique<NoDesktop>();
}

std::unique_ptr<DesktopBackend> MakeDesktopBackend(const Environment& env,
                                                   const std::string& stateFolder) {
  SystemProbe probe;
  const DesktopChoice choice = ConfirmDesktop(env, probe);
  if (choice.kind == DesktopKind::Unknown) return std::make_unique<NoDesktop>(choice.problem);
  auto backend = MakeDesktopBackendOf(choice.kind, env, stateFolder);
  backend->SetNotice(choice.problem);
  return backend;
}

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Files that only we write in the private folder: the shown files, the
// composed bitmaps (the picture's name and ".bmp") and their half-written
// temporary copies.
bool IsOurLeftover(const std::string& name) {
  return IsShownFileName(name) || EndsWith(name, ".bmp") || name.find(".bmp.") != std::string::npos;
}

// What earlier runs left behind: a run killed before it could remove its
// composed bitmap, shown files a journal no longer names.  Files a journal
// that could not be given back still lists stay for it.
void RemoveLeftovers(const std::string& stateFolder, const std::optional<RestoreJournal>& kept) {
  const std::string folder =
      stateFolder.empty() || stateFolder.back() == '/' ? stateFolder : stateFolder + "/";
  const std::vector<std::string> keep =
      kept ? kept->All(kShownFileKey) : std::vector<std::string>();
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> doomed;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsOurLeftover(name)) continue;
    if (std::find(keep.begin(), keep.end(), folder + name) == keep.end())
      doomed.push_back(folder + name);
  }
  closedir(dir);
  for (const std::string& path : doomed) RemoveOwnFile(path);
}

}  // namespace

Status RecoverFromJournal(const std::string& stateFolder) {
  const Result<std::optional<RestoreJournal>> read = ReadJournal(stateFolder);
  if (!read || !*read) {
    // A journal that cannot be understood can never be used; keeping it would
    // only block the journals of later runs.
    if (!read) (void)RemoveJournal(stateFolder);
    RemoveLeftovers(stateFolder, std::nullopt);
    return read.status();
  }
  const std::optional<RestoreJournal>& journal = *read;
  auto backend = MakeJournaledDesktop(journal->kind, CurrentEnvironment(), stateFolder);
  if (backend) {
    WaitBudget budget;
    if (Status status = backend->PutBack(*journal, budget); !status) {
      RemoveLeftovers(stateFolder, journal);
      return Status::Error(std::string("Pulpit ") + DesktopTitle(journal->kind) +
                           ": nie można przywrócić tapety użytkownika: " + status.message());
    }
  }
  RemoveJournaledFiles(*journal);
  RemoveLeftovers(stateFolder, std::nullopt);
  return RemoveJournal(stateFolder);
}

}  // namespace vendaro
