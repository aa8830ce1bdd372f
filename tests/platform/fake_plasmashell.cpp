// Stands in for plasmashell on a private session bus: records every script
// it is asked to evaluate as script-<n>.js in the folder given, answers the
// reading script with reply.json from there and the setting script with the
// URL it sets, once for each desktop of reply.json (or with shown.json from
// there, when that exists), and stalls while a file named "hang" exists.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
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
    if (script.startsWith("var url = '")) return Shown(script);
    if (!script.contains("saved.push")) return {};
    return Read("reply.json", "[]");
  }

 private:
  QString Read(const QString& name, const QString& otherwise) const {
    QFile file(folder_.filePath(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : otherwise;
  }
  // The URL is plain ASCII in the literal (percent-encoded by the caller).
  QString Shown(const QString& script) const {
    if (folder_.exists("shown.json")) return Read("shown.json", "[]");
    const qsizetype start = script.indexOf('\'') + 1;
    const QString url = script.mid(start, script.indexOf('\'', start) - start);
    const qsizetype desktops =
        QJsonDocument::fromJson(Read("reply.json", "[]").toUtf8()).array().size();
    QJsonArray shown;
    for (qsizetype i = 0; i < desktops; ++i) shown.append(url);
    return QString::fromUtf8(QJsonDocument(shown).toJson(QJsonDocument::Compact));
  }

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
