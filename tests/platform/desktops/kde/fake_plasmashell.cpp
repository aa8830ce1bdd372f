// Stands in for plasmashell on a private session bus: records every script
// it is asked to evaluate as script-<n>.js in the folder given, answers the
// reading script with reply.json from there, the screens script with
// screens.json, and the setting scripts with the URL each desktop of
// reply.json gets (by its "screen" for the script that sets one a screen),
// or with shown.json from there when that exists; stalls while a file
// named "hang" exists.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
    if (script.startsWith("var urls = [")) return ShownByScreen(script);
    if (script.contains("screenGeometry")) return Read("screens.json", "[]");
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

  // The first two lines: "var urls = [JSON…];" and "var other = JSON;".
  QString ShownByScreen(const QString& script) const {
    if (folder_.exists("shown.json")) return Read("shown.json", "[]");
    const QStringList lines = script.split('\n');
    const auto json = [](QString line) {
      line = line.mid(line.indexOf('=') + 1).trimmed();
      line.chop(1);  // ';'
      return QJsonDocument::fromJson(("[" + line + "]").toUtf8()).array().first();
    };
    const QJsonArray urls = json(lines.value(0)).toArray();
    const QString other = json(lines.value(1)).toString();
    QJsonArray shown;
    for (const QJsonValue& desktop :
         QJsonDocument::fromJson(Read("reply.json", "[]").toUtf8()).array()) {
      const int screen = desktop.toObject().value("screen").toInt(-1);
      const QString url = screen >= 0 && screen < urls.size() ? urls[screen].toString() : other;
      shown.append(QJsonObject{{"screen", screen}, {"image", url}});
    }
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
