#include "platform/kde_desktop.h"

#include <QColor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "platform/child_process.h"
#include "platform/kde_script.h"

namespace vendaro {
namespace {

constexpr const char* kSavedKey = "desktops";

// Every desktop's settings as compact JSON.
Result<std::string> ReadDesktops(WaitBudget& budget) {
  const Result<std::string> json = EvaluatePlasmaScript(ReadDesktopsScript(), budget);
  if (!json) return json;
  QJsonParseError error{};
  const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString(*json), &error);
  if (!parsed.isArray()) return Status::Error("Plasma zwróciła nieczytelną listę pulpitów");
  return parsed.toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace

Result<std::string> EvaluatePlasmaScript(const std::string& script, WaitBudget& budget) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return Status::Error("brak połączenia z sesyjną magistralą D-Bus");
  if (budget.Spent()) return WaitBudget::TimedOut("powłoka plasmashell");
  QDBusMessage call = QDBusMessage::createMethodCall("org.kde.plasmashell", "/PlasmaShell",
                                                     "org.kde.PlasmaShell", "evaluateScript");
  call << QString::fromStdString(script);
  QDBusMessage reply;
  {
    Waiting waiting(budget);
    reply = bus.call(call, QDBus::Block, budget.LeftMs());
  }
  if (reply.type() != QDBusMessage::ReplyMessage) {
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
      return WaitBudget::TimedOut("powłoka plasmashell");
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown"))
      return Status::Error("powłoka plasmashell nie działa");
    return Status::Error("powłoka plasmashell nie wykonała polecenia: " +
                         reply.errorMessage().toStdString());
  }
  return reply.arguments().isEmpty() ? std::string()
                                     : reply.arguments().first().toString().toStdString();
}

std::optional<ColorValue> ParsePlasmaColor(const std::string& text) {
  const QString value = QString::fromStdString(text).trimmed();
  const QStringList parts = value.split(',');
  QColor color;
  if (parts.size() >= 3) {
    bool ok[3] = {};
    color.setRgb(parts[0].toInt(&ok[0]), parts[1].toInt(&ok[1]), parts[2].toInt(&ok[2]));
    if (!ok[0] || !ok[1] || !ok[2]) return std::nullopt;
  } else {
    color = QColor(value);
  }
  if (!color.isValid()) return std::nullopt;
  return Rgb(std::uint8_t(color.red()), std::uint8_t(color.green()), std::uint8_t(color.blue()));
}

Status KdeDesktop::Capture(RestoreJournal& journal, WaitBudget& budget) {
  const Result<std::string> json = ReadDesktops(budget);
  if (!json) return json.status();
  journal.Add(kSavedKey, *json);
  return Status::Ok();
}

Status KdeDesktop::Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
                        WaitBudget& budget) {
  // Qt reads BMP itself.
  return ShowFile(path, canvas, ShownFormat::Bmp, journal, [&](const std::string& shownPath) {
    const std::string url = FileUrl(shownPath);
    const Result<std::string> output = EvaluatePlasmaScript(SetImageScript(url), budget);
    if (!output) return output.status();
    const QJsonDocument shown = QJsonDocument::fromJson(QByteArray::fromStdString(*output));
    const QJsonArray images = shown.array();
    if (images.isEmpty())
      return Status::Error("Plasma nie ma pulpitu, na którym można ustawić tapetę");
    for (const QJsonValue& image : images) {
      if (image.toString().toStdString() != url)
        return Status::Error("pulpit Plasmy nie przyjął nowej tapety");
    }
    return Status::Ok();
  });
}

Status KdeDesktop::PutBack(const RestoreJournal& journal, WaitBudget& budget) {
  return EvaluatePlasmaScript(RestoreDesktopsScript(journal.Find(kSavedKey).value_or("[]")), budget)
      .status();
}

Result<std::optional<ColorValue>> KdeDesktop::ReadBackgroundColor(WaitBudget& budget) {
  const Result<std::string> json = ReadDesktops(budget);
  if (!json) return json.status();
  const QJsonArray desktops = QJsonDocument::fromJson(QByteArray::fromStdString(*json)).array();
  if (desktops.isEmpty()) return std::optional<ColorValue>();
  return ParsePlasmaColor(desktops.first().toObject().value("Color").toString().toStdString());
}

}  // namespace vendaro
