// Stands in for a D-Bus tray (the StatusNotifierWatcher of KDE Plasma or of
// GNOME's AppIndicator extension) on a private session bus:
//   fake_tray_watcher HOST [activate]
// HOST 1 or 0 says whether a tray (a StatusNotifierHost) is registered.
// With "activate", each item that registers is clicked once (Activate) a
// second later, as the tray does when the user clicks its icon.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QStringList>
#include <QTimer>
#include <cstdio>

class FakeWatcher : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

 public:
  FakeWatcher(bool host, bool activate) : host_(host), activate_(activate) {}
  bool hostRegistered() const { return host_; }
  int protocolVersion() const { return 0; }
  QStringList items() const { return items_; }

 public slots:
  void RegisterStatusNotifierItem(const QString& service) {
    // Qt sends its item's bus name; some programs send the object path and
    // are found by who called.
    const QString sender = message().service();
    items_ << service;
    std::printf("registered %s\n", qPrintable(service));
    std::fflush(stdout);
    if (!activate_) return;
    const QString name = service.startsWith('/') ? sender : service;
    QTimer::singleShot(1000, this, [name] {
      QDBusMessage click = QDBusMessage::createMethodCall(
          name, QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
          QStringLiteral("Activate"));
      click << 10 << 10;
      QDBusConnection::sessionBus().call(click, QDBus::NoBlock);
      std::printf("activated %s\n", qPrintable(name));
      std::fflush(stdout);
    });
  }
  void RegisterStatusNotifierHost(const QString&) {}

 private:
  bool host_;
  bool activate_;
  QStringList items_;
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) return 2;
  const bool activate = argc > 2 && QByteArray(argv[2]) == "activate";
  FakeWatcher watcher(QByteArray(argv[1]) == "1", activate);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/StatusNotifierWatcher", &watcher,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) ||
      !bus.registerService("org.kde.StatusNotifierWatcher")) {
    std::fprintf(stderr, "fake tray watcher: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  return app.exec();
}

#include "fake_tray_watcher.moc"
