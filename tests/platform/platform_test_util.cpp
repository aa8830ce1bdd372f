#include "platform_test_util.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/desktop/shown_file.h"
#include "platform/ipc/child_process.h"
#include "support/test_environment.h"

namespace vendaro::testing {

Canvas SolidCanvas(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Canvas canvas{width, height, {}};
  canvas.rgb.resize(std::size_t(width) * std::size_t(height) * 3);
  for (std::size_t i = 0; i < canvas.rgb.size(); i += 3) {
    canvas.rgb[i] = r;
    canvas.rgb[i + 1] = g;
    canvas.rgb[i + 2] = b;
  }
  return canvas;
}

Canvas PatternCanvas(int width, int height, int seed) {
  Canvas canvas = SolidCanvas(width, height, 0, 0, 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = canvas.row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = std::uint8_t(x * 7 + seed);
      row[x * 3 + 1] = std::uint8_t(y * 11 + seed * 3);
      row[x * 3 + 2] = std::uint8_t((x ^ y) + seed * 5);
    }
  }
  return canvas;
}

std::string WriteComposedFile(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name;
  WriteFileBytes(path, "BM composed stand-in");
  return path;
}

std::string AwkwardFolder(const char* prefix) {
  const std::string folder = MakeTempDir(prefix) + "/-it's \"a\" $HOME`x`\\n \n\xff folder";
  if (mkdir(folder.c_str(), 0700) != 0) return {};
  return folder;
}

static constexpr const char* kSystemSchemas = "/usr/share/glib-2.0/schemas";

// The Cinnamon and MATE keys we touch, as those desktops declare them.
static constexpr const char* kOtherSchemas = R"(<schemalist>
  <schema id="org.cinnamon.desktop.background" path="/org/cinnamon/desktop/background/">
    <key name="picture-uri" type="s"><default>'file:///usr/share/cinnamon.jpg'</default></key>
    <key name="picture-options" type="s"><default>'zoom'</default></key>
    <key name="primary-color" type="s"><default>'#000000'</default></key>
  </schema>
  <schema id="org.mate.background" path="/org/mate/desktop/background/">
    <key name="picture-filename" type="s"><default>'/usr/share/mate.jpg'</default></key>
    <key name="picture-options" type="s"><default>'zoom'</default></key>
    <key name="primary-color" type="s"><default>'#3c8f25'</default></key>
  </schema>
</schemalist>
)";

std::string PrepareGSettings(const char* backend) {
  const std::string dir = MakeTempDir("schemas");
  for (const char* name :
       {"org.gnome.desktop.background.gschema.xml", "org.gnome.desktop.enums.xml"}) {
    const std::string source = std::string(kSystemSchemas) + "/" + name;
    if (!FileExists(source)) return "gsettings-desktop-schemas is not installed";
    WriteFileBytes(dir + "/" + name, ReadFileBytes(source));
  }
  WriteFileBytes(dir + "/test.other.gschema.xml", kOtherSchemas);
  ProgramResult compiled = RunProgram("glib-compile-schemas", {dir}, 20000);
  if (!compiled.status) return compiled.status.message();
  setenv("GSETTINGS_SCHEMA_DIR", dir.c_str(), 1);
  setenv("GSETTINGS_BACKEND", backend, 1);
  return {};
}

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ShownFiles(const std::string& folder) {
  std::vector<std::string> paths;
  for (const std::string& name : FileNames(folder)) {
    if (IsShownFileName(name)) paths.push_back(folder + "/" + name);
  }
  return paths;
}

std::string AwkwardUtf8Folder(const char* prefix) {
  const std::string folder = MakeTempDir(prefix) + "/-it's \"a\" $HOME`x`\\n \nż folder";
  if (mkdir(folder.c_str(), 0700) != 0) return {};
  return folder;
}

namespace {

bool ImageShows(const std::string& path, const Canvas& canvas, const char* format) {
  const std::string bytes = ReadFileBytes(path);
  const QImage image =
      QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()), format)
          .convertToFormat(QImage::Format_RGB888);
  if (image.width() != canvas.width || image.height() != canvas.height) return false;
  for (int y = 0; y < canvas.height; ++y) {
    if (std::memcmp(image.constScanLine(y), canvas.row(y), std::size_t(canvas.width) * 3) != 0)
      return false;
  }
  return true;
}

std::string SizeName(const Canvas& canvas) {
  return std::to_string(canvas.width) + "x" + std::to_string(canvas.height);
}

}  // namespace

bool PngShows(const std::string& path, const Canvas& canvas) {
  return ImageShows(path, canvas, "png");
}

bool ImageFileShows(const std::string& path, const Canvas& canvas) {
  return ImageShows(path, canvas, nullptr);
}

TestWallpapers::TestWallpapers(const std::string& folder, const MonitorLayout& monitors, int seed) {
  for (const Monitor& monitor : monitors) {
    std::size_t index = 0;
    while (index < canvases_.size() && (canvases_[index]->width != monitor.area.width ||
                                        canvases_[index]->height != monitor.area.height))
      ++index;
    if (index == canvases_.size()) {
      canvases_.push_back(std::make_unique<Canvas>(
          PatternCanvas(monitor.area.width, monitor.area.height, seed + int(index))));
      const std::string name = SizeName(*canvases_.back()) + "-" + std::to_string(seed);
      files_.push_back(WriteComposedFile(folder, "photo.jpg." + name + ".bmp"));
      WriteFileBytes(files_.back(), "BM composed for " + name);
    }
    view_.monitors.push_back({monitor, canvases_[index].get(), files_[index]});
  }
  view_.background = Rgb(1, 2, 3);
}

std::string TestWallpapers::Which(const std::string& shownPath) const {
  const std::string bytes = ReadFileBytes(shownPath);
  for (std::size_t i = 0; i < canvases_.size(); ++i) {
    if (bytes == ReadFileBytes(files_[i]) || ImageFileShows(shownPath, *canvases_[i]))
      return SizeName(*canvases_[i]);
  }
  return "?";
}

std::string TestWallpapers::SizeOf(const std::string& monitorName) const {
  for (const MonitorPicture& picture : view_.monitors) {
    if (picture.monitor.name == monitorName) return SizeName(*picture.canvas);
  }
  return "?";
}

bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

void UseFakePrograms() {
  const char* path = std::getenv("PATH");
  const std::string fakes = VENDARO_PLATFORM_FAKES;
  if (path && std::string(path).rfind(fakes + ":", 0) == 0) return;
  setenv("PATH", (fakes + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
}

std::string StartPrivateBus(bool activation) {
  static std::string address;
  static ChildProcess* daemon = nullptr;
  if (daemon) return address;
  const std::string folder = MakeTempDir("bus");
  const std::string listen = "unix:path=" + folder + "/socket";
  std::vector<std::string> args{"--nofork", "--nopidfile", "--address=" + listen};
  if (activation) {
    args.push_back("--session");
  } else {
    // The session bus's rules without its service folders: nothing starts
    // on demand, only what the test runs answers.
    WriteFileBytes(folder + "/bus.conf",
                   "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>" +
                       listen +
                       "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                       "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
    args = {"--nofork", "--nopidfile", "--config-file=" + folder + "/bus.conf"};
  }
  daemon = new ChildProcess;
  if (!daemon->Start("dbus-daemon", args)) return {};
  if (!WaitUntil([&] { return FileExists(folder + "/socket"); })) return {};
  address = listen;
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  return address;
}

int BusNameOwnerPid(const std::string& name) {
  ProgramResult result = RunProgram(
      "dbus-send",
      {"--session", "--print-reply=literal", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
       "org.freedesktop.DBus.GetConnectionUnixProcessID", "string:" + name});
  // "   uint32 1234"
  const std::size_t at = result.out.find("uint32 ");
  return result.status && at != std::string::npos ? std::atoi(result.out.c_str() + at + 7) : -1;
}

namespace {

const char* kHelper = VENDARO_BIN_DIR "/platform_desktop_helper";
constexpr int kHelperTimeoutMs = 20000;

}  // namespace

bool SetAndGetKilled(DesktopKind kind, const std::string& stateFolder, const std::string& bmp,
                     int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                     std::string* output) {
  ProgramResult result =
      RunProgram(kHelper,
                 {"set-and-die", DesktopKindName(kind), stateFolder, bmp, std::to_string(width),
                  std::to_string(height), std::to_string(r), std::to_string(g), std::to_string(b)},
                 kHelperTimeoutMs);
  if (output) *output = result.out + result.err;
  return result.out == "set\n" && result.exitCode == -1;
}

bool SetInNewProcess(DesktopKind kind, const std::string& stateFolder, const std::string& bmp,
                     const std::vector<std::string>& environment, std::string* output) {
  std::vector<std::string> args = environment;
  args.insert(args.end(), {kHelper, "set", DesktopKindName(kind), stateFolder, bmp});
  ProgramResult result = RunProgram("env", args, kHelperTimeoutMs);
  if (output) *output = result.out + result.err;
  return result.status.ok();
}

bool RecoverInNewProcess(const std::string& stateFolder, std::string* output) {
  ProgramResult result = RunProgram(kHelper, {"recover", stateFolder}, kHelperTimeoutMs);
  if (output) *output = result.out + result.err;
  return result.status.ok();
}

}  // namespace vendaro::testing
