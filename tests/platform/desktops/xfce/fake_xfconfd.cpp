// Stands in for xfconfd on a private session bus: keeps the properties of
// every channel in memory, starting from props.json in the folder given
// (numbers without a point are ints, arrays hold doubles; none when it is
// missing, as on a fresh account), writes them to
// state.json after each change, logs each call to calls.log, and stalls
// while a file named "hang" exists there.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <cstdio>

class FakeXfconfd : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.xfce.Xfconf")

 public:
  explicit FakeXfconfd(const QString& folder) : folder_(folder) {
    QFile file(folder_.filePath("props.json"));
    if (!file.open(QIODevice::ReadOnly)) {
      Save();
      return;
    }
    const QJsonObject props = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = props.begin(); it != props.end(); ++it) {
      const QJsonValue value = it.value();
      if (value.isArray()) {
        QVariantList list;
        for (const QJsonValue& item : value.toArray()) list << item.toDouble();
        properties_[it.key()] = list;
      } else if (value.isDouble() && value.toDouble() == double(value.toInt())) {
        properties_[it.key()] = value.toInt();
      } else {
        properties_[it.key()] = value.toVariant();
      }
    }
    Save();
  }

 public slots:
  QVariantMap GetAllProperties(const QString& channel, const QString& base) {
    Called("GetAllProperties " + channel + " " + base);
    QVariantMap all;
    for (auto it = properties_.begin(); it != properties_.end(); ++it) {
      if (it.key().startsWith(base)) all[it.key()] = it.value();
    }
    // As xfconfd answers for a channel without anything under `base`.
    if (all.isEmpty())
      sendErrorReply("org.xfce.Xfconf.Error.PropertyNotFound",
                     "Property \"" + base + "\" does not exist on channel \"" + channel + "\"");
    return all;
  }
  void SetProperty(const QString& channel, const QString& property, const QDBusVariant& value) {
    Called("SetProperty " + channel + " " + property);
    properties_[property] = value.variant();
    Save();
  }
  void ResetProperty(const QString& channel, const QString& property, bool) {
    Called("ResetProperty " + channel + " " + property);
    properties_.remove(property);
    Save();
  }

 private:
  void Called(const QString& what) {
    QFile log(folder_.filePath("calls.log"));
    if (log.open(QIODevice::Append)) log.write((what + "\n").toUtf8());
    log.close();
    if (folder_.exists("hang")) QThread::sleep(5);
  }
  // Ints stay ints and strings strings, so a test sees a type that changed.
  void Save() {
    QJsonObject state;
    for (auto it = properties_.begin(); it != properties_.end(); ++it) {
      const QVariant& value = it.value();
      if (value.typeId() == QMetaType::Int) {
        state[it.key()] = QJsonObject{{"int", value.toInt()}};
      } else if (value.typeId() == QMetaType::QString) {
        state[it.key()] = QJsonObject{{"string", value.toString()}};
      } else {
        state[it.key()] = QJsonObject{{"other", value.toString()}};
      }
    }
    QFile file(folder_.filePath("state.json"));
    if (file.open(QIODevice::WriteOnly)) file.write(QJsonDocument(state).toJson());
  }

  QDir folder_;
  QVariantMap properties_;
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) return 2;
  FakeXfconfd service(QString::fromLocal8Bit(argv[1]));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/org/xfce/Xfconf", &service, QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.xfce.Xfconf")) {
    std::fprintf(stderr, "fake xfconfd: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  return app.exec();
}

#include "fake_xfconfd.moc"
