#include "platform/tray_host.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QVariant>

namespace vendaro {

bool StatusNotifierTrayInUse() {
  const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
    return false;
  QDBusInterface tray(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
  // A hung tray must not hold the start for D-Bus's 25 seconds.
  tray.setTimeout(2000);
  return tray.property("IsStatusNotifierHostRegistered").toBool();
}

}  // namespace vendaro
