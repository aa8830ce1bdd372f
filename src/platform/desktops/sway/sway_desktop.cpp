#include "platform/desktops/sway/sway_desktop.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/desktops/sway/sway_config.h"
#include "platform/ipc/child_process.h"
#include "system/files.h"

namespace vendaro {
namespace {

constexpr const char* kSwaymsg = "swaymsg";
constexpr const char* kLineKey = "sway bg";
// The config sets no background: sway drew none of its own.
constexpr const char* kNoneKey = "sway none";

// swaymsg ends with an error when sway refused a command; sway's reason is
// in the replies.
Status CheckReplies(const ProgramResult& result) {
  if (result.timedOut || result.exitCode < 0) return result.status;
  const QJsonArray replies = QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).array();
  if (replies.isEmpty())
    return result.status ? Status::Error("sway nie potwierdził polecenia") : result.status;
  for (const QJsonValue& reply : replies) {
    const QJsonObject object = reply.toObject();
    if (!object.value("success").toBool()) {
      return Status::Error("sway odrzucił polecenie: " +
                           object.value("error").toString().toStdString());
    }
  }
  return Status::Ok();
}

// One swaymsg for every command: sway answers each in one reply.
Status RunCommands(const std::vector<std::string>& commands, WaitBudget& budget) {
  std::string joined;
  for (const std::string& command : commands) joined += (joined.empty() ? "" : "; ") + command;
  return CheckReplies(RunProgram(kSwaymsg, {"--", joined}, budget));
}

}  // namespace

std::optional<std::string> SwayQuotedPath(const std::string& path) {
  // sway expands the file name like a shell word (wordexp): single quotes
  // keep it literal.  A space, '$' or '"' goes outside them, escaped: sway
  // turns two spaces in a row into an escape of its own, replaces its
  // variables at '$' and ends its own quoting at '"'.  The whole word is
  // then one double-quoted argument for sway's parser, which keeps
  // backslashes as they are.
  std::string word = "'";
  for (const char c : path) {
    if (c == '\n' || c == '\r' || c == '\0') return std::nullopt;
    if (c == '\'') {
      word += "'\\''";
    } else if (c == ' ' || c == '$' || c == '"') {
      word += std::string("'\\") + c + "'";
    } else {
      word += c;
    }
  }
  return "\"" + word + "'\"";
}

std::vector<SwayOutput> SwayOutputs(const std::string& outputsJson) {
  std::vector<SwayOutput> found;
  const QJsonArray outputs =
      QJsonDocument::fromJson(QByteArray::fromStdString(outputsJson)).array();
  for (const QJsonValue& output : outputs) {
    const QJsonObject object = output.toObject();
    if (!object.value("active").toBool(true) || !object.value("name").isString()) continue;
    const QJsonObject rect = object.value("rect").toObject();
    const QJsonObject mode = object.value("current_mode").toObject();
    // The rect is in the layout's logical pixels; the mode is the device's.
    const QJsonObject& size = mode.contains("width") ? mode : rect;
    found.push_back({object.value("name").toString().toStdString(),
                     {rect.value("x").toInt(), rect.value("y").toInt(), size.value("width").toInt(),
                      size.value("height").toInt()}});
  }
  return found;
}

int MonitorOfOutput(const SwayOutput& output, const Wallpapers& wallpapers) {
  const std::vector<MonitorPicture>& monitors = wallpapers.monitors;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (!output.name.empty() && monitors[i].monitor.name == output.name) return int(i);
  }
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (monitors[i].monitor.area == output.area) return int(i);
  }
  return -1;
}

bool SwaybgReadsBmp() {
  if (GdkPixbufFormat() != ShownFormat::Bmp) return false;
  const std::string swaybg = FindProgram("swaybg");
  // Built without gdk-pixbuf, swaybg reads PNG only (through cairo).
  return !swaybg.empty() && ReadWholeFile(swaybg).bytes.find("libgdk_pixbuf") != std::string::npos;
}

Status SwayDesktop::Capture(RestoreJournal& journal, WaitBudget& budget) {
  ProgramResult result = RunProgram(kSwaymsg, {"-t", "get_config"}, budget);
  if (!result.status) return result.status;
  const QJsonObject reply = QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
  if (!reply.value("config").isString()) return Status::Error("sway nie podał swojej konfiguracji");
  // Debian's config, for one, takes the files of a folder in with `include`.
  const std::string loaded = reply.value("config").toString().toStdString();
  const std::vector<std::string> commands =
      SwayBackgroundCommands(SwayConfigWithIncludes(loaded, SwayConfigPath(loaded)));
  for (const std::string& command : commands) journal.Add(kLineKey, command);
  if (commands.empty()) journal.Add(kNoneKey, "");
  return Status::Ok();
}

Status SwayDesktop::Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
                         WaitBudget& budget) {
  return ShowOnOutputs(
      {{path, &canvas, {}}}, journal, budget,
      [](const SwayOutput&, const std::vector<std::string>& shown) -> const std::string& {
        return shown.front();
      });
}

Status SwayDesktop::ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                                 WaitBudget& budget) {
  if (wallpapers.monitors.size() < 2)
    return FileShowingDesktop::ShowMonitors(wallpapers, journal, budget);
  const MonitorSources sources = DistinctPictures(wallpapers);
  return ShowOnOutputs(
      sources.sources, journal, budget,
      [&](const SwayOutput& output, const std::vector<std::string>& shown) -> const std::string& {
        const int monitor = MonitorOfOutput(output, wallpapers);
        return monitor < 0 ? shown.front() : shown[sources.sourceOf[std::size_t(monitor)]];
      });
}

Status SwayDesktop::ShowOnOutputs(
    const std::vector<ShownSource>& sources, RestoreJournal& journal, WaitBudget& budget,
    const std::function<const std::string&(const SwayOutput& output,
                                           const std::vector<std::string>& shown)>& fileOf) {
  ProgramResult listed = RunProgram(kSwaymsg, {"-t", "get_outputs"}, budget);
  if (!listed.status) return listed.status;
  const std::vector<SwayOutput> outputs = SwayOutputs(listed.out);
  if (outputs.empty()) return Status::Error("sway nie ma włączonego ekranu");
  const ShownFormat format = SwaybgReadsBmp() ? ShownFormat::Bmp : ShownFormat::Png;
  return ShowFiles(sources, format, journal, [&](const std::vector<std::string>& shown) {
    std::vector<std::string> commands;
    for (const SwayOutput& output : outputs) {
      const std::string& shownPath = fileOf(output, shown);
      const std::optional<std::string> file = SwayQuotedPath(shownPath);
      if (!file) return Status::Error("sway nie przyjmie ścieżki " + shownPath);
      if (output.name.find_first_of("\"\n") != std::string::npos)
        return Status::Error("nieobsługiwana nazwa ekranu " + output.name);
      commands.push_back("output \"" + output.name + "\" bg " + *file + " stretch");
    }
    Status status;
    {
      // Not crossed by a reload's ShowAgain, which would set the older ones.
      const std::lock_guard lock(mutex_);
      status = RunCommands(commands, budget);
      if (status) shownCommands_ = std::move(commands);
    }
    if (status) ListenForReloads();
    return status;
  });
}

SwayDesktop::~SwayDesktop() {
  watcher_.reset();
}

void SwayDesktop::ListenForReloads() {
  // A one-off change ends at once; only the resident program listens.
  if (oneOff_ || watcher_) return;
  const char* socket = std::getenv("SWAYSOCK");
  watcher_ = SwayReloadWatcher::Start(socket ? socket : "", [this] { ShowAgain(); });
}

void SwayDesktop::ShowAgain() {
  // sway starts the config's swaybg as it reloads: ours replaces it after.
  constexpr auto kAfterReload = std::chrono::milliseconds(200);
  std::this_thread::sleep_for(kAfterReload);
  const std::lock_guard lock(mutex_);
  if (shownCommands_.empty()) return;
  WaitBudget budget;
  (void)RunCommands(shownCommands_, budget);
}

Status SwayDesktop::PutBack(const RestoreJournal& journal, WaitBudget& budget) {
  const std::lock_guard lock(mutex_);
  shownCommands_.clear();  // a reload keeps the user's now
  std::vector<std::string> commands = journal.All(kLineKey);
  // sway draws no background without a `bg` line; the nearest we can ask
  // for is a plain one, first, for every output the user's lines do not
  // name (ours went to all of them, and our files go now).
  const bool everyOutput = std::any_of(commands.begin(), commands.end(), [](const std::string& c) {
    return c.rfind("output * ", 0) == 0 || c.rfind("output \"*\" ", 0) == 0;
  });
  if (!everyOutput) commands.insert(commands.begin(), "output * bg #000000 solid_color");
  return RunCommands(commands, budget);
}

}  // namespace vendaro
