#include "platform/desktop_probe.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/child_process.h"
#include "platform/gsettings_desktop.h"
#include "platform/x11/x11_desktop.h"

namespace vendaro {

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

bool SystemProbe::ProgramExists(const std::string& name) {
  return !FindProgram(name).empty();
}

bool SystemProbe::SchemaInstalled(const std::string& schema) {
  return GSettingsSchemaInstalled(schema);
}

bool SystemProbe::XDisplayOpens(const std::string& display) {
  return X11DisplayOpens(display);
}

bool DesktopAnswers(DesktopKind kind, const Environment& env, DesktopProbe& probe) {
  switch (kind) {
    case DesktopKind::X11: {
      auto display = env.find("DISPLAY");
      return display != env.end() && !display->second.empty() &&
             probe.XDisplayOpens(display->second);
    }
    case DesktopKind::Gnome:
    case DesktopKind::Cinnamon:
    case DesktopKind::Mate:
      return probe.SchemaInstalled(GSettingsSchemaOf(kind));
    case DesktopKind::Kde:
      return probe.BusNameHasOwner("org.kde.plasmashell");
    case DesktopKind::Xfce:
      return probe.ProgramExists("xfconf-query");
    case DesktopKind::Wlroots:
      return probe.ProgramExists("swaybg");
    case DesktopKind::Unknown:
      break;
  }
  return false;
}

DesktopKind ConfirmDesktop(const Environment& env, DesktopProbe& probe) {
  const DesktopKind named = DetectDesktop(env);
  if (DesktopAnswers(named, env, probe)) return named;
  const DesktopKind server = DetectDisplayServer(env);
  if (server != named && DesktopAnswers(server, env, probe)) return server;
  return DesktopKind::Unknown;
}

}  // namespace vendaro
