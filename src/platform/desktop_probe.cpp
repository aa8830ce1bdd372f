#include "platform/desktop_probe.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/child_process.h"
#include "platform/gsettings_desktop.h"
#include "platform/session_bus.h"
#include "platform/x11/x11_desktop.h"
#include "platform/xfce_desktop.h"

namespace vendaro {
namespace {

std::string Value(const Environment& env, const char* name) {
  auto it = env.find(name);
  return it == env.end() ? std::string() : it->second;
}

bool DrawsItsOwnBackground(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::Gnome:
    case DesktopKind::Cinnamon:
    case DesktopKind::Mate:
    case DesktopKind::Kde:
    case DesktopKind::Xfce:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool SystemProbe::BusNameHasOwner(const std::string& name) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage ask = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "NameHasOwner");
  ask << QString::fromStdString(name);
  QDBusMessage reply = bus.call(ask, QDBus::Block, kChildTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         reply.arguments().first().toBool();
}

bool SystemProbe::BusNameAvailable(const std::string& name) {
  return SessionBusNameAvailable(name);
}

bool SystemProbe::ProgramExists(const std::string& name) {
  return !FindProgram(name).empty();
}

bool SystemProbe::SchemaInstalled(const std::string& schema) {
  return GSettingsSchemaInstalled(schema);
}

bool SystemProbe::XDisplayOpens(const std::string& display) {
  return X11DisplayOpens(display);
}

bool SystemProbe::RootBackgroundVisible(const std::string& display) {
  return X11RootBackgroundVisible(display);
}

std::string DesktopProblem(DesktopKind kind, const Environment& env, DesktopProbe& probe) {
  switch (kind) {
    case DesktopKind::X11: {
      const std::string display = Value(env, "DISPLAY");
      if (display.empty()) return "brak ekranu X (zmienna DISPLAY nie jest ustawiona)";
      return probe.XDisplayOpens(display) ? "" : "nie można połączyć się z ekranem X " + display;
    }
    case DesktopKind::Gnome:
    case DesktopKind::Cinnamon:
    case DesktopKind::Mate:
      return probe.SchemaInstalled(GSettingsSchemaOf(kind))
                 ? ""
                 : std::string("brak schematu ustawień ") + GSettingsSchemaOf(kind);
    case DesktopKind::Kde:
      return probe.BusNameHasOwner("org.kde.plasmashell")
                 ? ""
                 : "powłoka plasmashell nie działa (brak org.kde.plasmashell na magistrali D-Bus)";
    case DesktopKind::Xfce:
      return probe.BusNameAvailable(kXfconfBusName)
                 ? ""
                 : "usługa ustawień xfconfd jest niedostępna (brak org.xfce.Xfconf na magistrali "
                   "D-Bus)";
    case DesktopKind::Sway:
      return probe.ProgramExists("swaymsg") ? "" : "brak programu swaymsg";
    case DesktopKind::Wlroots:
      return probe.ProgramExists("swaybg") ? "" : "brak programu swaybg";
    case DesktopKind::Unknown:
      break;
  }
  return "nie rozpoznano pulpitu, na którym można ustawić tapetę";
}

DesktopChoice ConfirmDesktop(const Environment& env, DesktopProbe& probe) {
  const DesktopKind named = DetectDesktop(env);
  const std::string problem = DesktopProblem(named, env, probe);
  if (problem.empty()) return {named, ""};
  const std::string reason = named == DesktopKind::Unknown
                                 ? "Nie rozpoznano pulpitu, na którym można ustawić tapetę"
                                 : std::string("Pulpit ") + DesktopTitle(named) + ": " + problem;
  if (DrawsItsOwnBackground(named)) {
    const std::string display = Value(env, "DISPLAY");
    if (!display.empty() && probe.XDisplayOpens(display) && probe.RootBackgroundVisible(display))
      return {DesktopKind::X11, reason + "; tapeta ustawiona w tle okna głównego X"};
  }
  return {DesktopKind::Unknown, reason};
}

}  // namespace vendaro
