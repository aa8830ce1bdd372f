// Stands in for plasmashell on a private session bus: records every script
// it is asked to evaluate as script-<n>.js in the folder given, answers the
// reading script with reply.json from there, and stalls while a file named
// "hang" exists there.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDir>
#include <QFile>
#include <QThread>
#include <cstdio>

class FakePlasmaShell : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

 public:
  explicit FakePlasmaShell(const QString& folder) : folder_(folder) {}

 public slots:
  QString evaluateScript(const QString& script) {
    QFile log(folder_.filePath(QString("script-%1.js").arg(++count_)));
    if (log.open(QIODevice::WriteOnly)) log.write(script.toUtf8());
    log.close();
    if (folder_.exists("hang")) QThread::sleep(5);
    if (!script.contains("readConfig")) return {};
    QFile reply(folder_.filePath("reply.json"));
    return reply.open(QIODevice::ReadOnly) ? QString::fromUtf8(reply.readAll()) : QString("[]");
  }

 private:
  QDir folder_;
  int count_ = 0;
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) return 2;
  FakePlasmaShell shell(QString::fromLocal8Bit(argv[1]));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/PlasmaShell", &shell, QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.kde.plasmashell")) {
    std::fprintf(stderr, "fake plasmashell: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  return app.exec();
}

#include "fake_plasmashell.moc"
