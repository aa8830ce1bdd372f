#include "platform/desktops/kde/kde_desktop.h"

#include <QColor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cmath>

#include "platform/desktops/kde/kde_script.h"
#include "platform/ipc/child_process.h"

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

// Whether each desktop holds the picture of its screen, as
// SetScreenImagesScript printed it.
Status CheckScreenImages(const std::string& output, const std::vector<std::string>& byScreen,
                         const std::string& other) {
  const QJsonArray desktops = QJsonDocument::fromJson(QByteArray::fromStdString(output)).array();
  if (desktops.isEmpty())
    return Status::Error("Plasma nie ma pulpitu, na którym można ustawić tapetę");
  for (const QJsonValue& desktop : desktops) {
    const int screen = desktop.toObject().value("screen").toInt(-1);
    const std::string& want = screen >= 0 && std::size_t(screen) < byScreen.size()
                                  ? byScreen[std::size_t(screen)]
                                  : other;
    if (desktop.toObject().value("image").toString().toStdString() != want)
      return Status::Error("pulpit Plasmy nie przyjął nowej tapety");
  }
  return Status::Ok();
}

// Whether `size` is `logical` times one scale in both directions (to a
// pixel of rounding).
bool ScaledAlike(const Rect& device, const Rect& logical) {
  if (logical.width <= 0 || logical.height <= 0) return false;
  const double scale = double(device.width) / logical.width;
  return scale >= 1 && std::abs(logical.height * scale - device.height) <= scale;
}

}  // namespace

std::optional<std::vector<Rect>> ParsePlasmaScreens(const std::string& json) {
  const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString(json));
  if (!parsed.isArray()) return std::nullopt;
  std::vector<Rect> screens;
  for (const QJsonValue& value : parsed.array()) {
    const QJsonObject screen = value.toObject();
    // Logical pixels may be fractional under fractional scaling.
    screens.push_back({int(std::lround(screen.value("x").toDouble())),
                       int(std::lround(screen.value("y").toDouble())),
                       int(std::lround(screen.value("width").toDouble())),
                       int(std::lround(screen.value("height").toDouble()))});
  }
  return screens;
}

std::vector<int> MonitorsOfScreens(const std::vector<Rect>& screens, const Wallpapers& wallpapers) {
  const std::vector<MonitorPicture>& monitors = wallpapers.monitors;
  std::vector<int> found;
  for (const Rect& screen : screens) {
    int match = -1;
    for (std::size_t i = 0; i < monitors.size() && match < 0; ++i) {
      if (monitors[i].monitor.area == screen) match = int(i);
    }
    for (std::size_t i = 0; i < monitors.size() && match < 0; ++i) {
      const Rect& area = monitors[i].monitor.area;
      if (area.left == screen.left && area.top == screen.top && ScaledAlike(area, screen))
        match = int(i);
    }
    found.push_back(match);
  }
  return found;
}

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

Status KdeDesktop::ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                                WaitBudget& budget) {
  if (wallpapers.monitors.size() < 2)
    return FileShowingDesktop::ShowMonitors(wallpapers, journal, budget);
  const Result<std::string> listed = EvaluatePlasmaScript(ReadScreensScript(), budget);
  if (!listed) return listed.status();
  const std::optional<std::vector<Rect>> screens = ParsePlasmaScreens(*listed);
  if (!screens) return Status::Error("Plasma zwróciła nieczytelną listę ekranów");
  const std::vector<int> monitorOf = MonitorsOfScreens(*screens, wallpapers);
  const MonitorSources sources = DistinctPictures(wallpapers);
  // Qt reads BMP itself.
  return ShowFiles(
      sources.sources, ShownFormat::Bmp, journal, [&](const std::vector<std::string>& shown) {
        const std::string other = FileUrl(shown.front());
        std::vector<std::string> byScreen;
        for (const int monitor : monitorOf) {
          byScreen.push_back(monitor < 0 ? other
                                         : FileUrl(shown[sources.sourceOf[std::size_t(monitor)]]));
        }
        const Result<std::string> output =
            EvaluatePlasmaScript(SetScreenImagesScript(byScreen, other), budget);
        if (!output) return output.status();
        return CheckScreenImages(*output, byScreen, other);
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
