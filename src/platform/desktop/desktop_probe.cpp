#include "platform/desktop/desktop_probe.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/desktops/gsettings/gsettings_desktop.h"
#include "platform/desktops/x11/x11_desktop.h"
#include "platform/ipc/child_process.h"
#include "platform/ipc/session_bus.h"

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

}  // namespace vendaro
