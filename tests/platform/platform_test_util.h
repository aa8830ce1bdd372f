#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/canvas.h"
#include "platform/desktop/desktop.h"

namespace vendaro::testing {

Canvas SolidCanvas(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b);
// Every pixel different from its neighbours, so a shift or a swapped channel shows.
Canvas PatternCanvas(int width, int height, int seed);

// A stand-in for the composed BMP (the backends that read a file get their
// own copy of the pixels; this file only has to exist).
std::string WriteComposedFile(const std::string& folder, const std::string& name);

// A new folder whose name breaks naive quoting in every layer: quotes, a
// backslash, '$', a backtick, a newline, a leading '-' and a byte that is not
// UTF-8.
std::string AwkwardFolder(const char* prefix);

// The GNOME background schemas of this system and the Cinnamon and MATE keys
// we touch, compiled into a folder of the test's own, with GSettings on
// `backend` ("keyfile", "dconf").  Must run before anything asks GIO for
// settings; the reason when it cannot, else empty.
std::string PrepareGSettings(const char* backend);

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> FileNames(const std::string& folder);
// The shown files (IsShownFileName) in a folder, as full paths.
std::vector<std::string> ShownFiles(const std::string& folder);

// The same without the byte that is not UTF-8, for desktops whose settings
// are UTF-8 text.
std::string AwkwardUtf8Folder(const char* prefix);

// Whether the PNG file holds exactly the canvas's pixels.
bool PngShows(const std::string& path, const Canvas& canvas);

// One change's pictures for several monitors, as the compositor hands them
// to a desktop: a pattern canvas of each monitor's size (monitors of one
// size share it) and a composed file for each size in `folder`, whose bytes
// name the size and the seed, so that a hard link to it tells which picture
// it is.
class TestWallpapers {
 public:
  TestWallpapers(const std::string& folder, const MonitorLayout& monitors, int seed = 0);
  TestWallpapers(const TestWallpapers&) = delete;
  TestWallpapers& operator=(const TestWallpapers&) = delete;

  const Wallpapers& view() const { return view_; }
  // Which monitor's picture a shown file holds, as that monitor's size
  // ("16x8"): a link to (or copy of) its composed file, or a BMP or PNG of
  // its canvas; "?" when none.
  std::string Which(const std::string& shownPath) const;
  // The size name of a monitor's picture.
  std::string SizeOf(const std::string& monitorName) const;

 private:
  std::vector<std::unique_ptr<Canvas>> canvases_;
  std::vector<std::string> files_;
  Wallpapers view_;
};

// Whether the picture file (BMP or PNG) holds exactly the canvas's pixels.
bool ImageFileShows(const std::string& path, const Canvas& canvas);

// Polls until `done` or about ten seconds pass; for servers that start.
bool WaitUntil(const std::function<bool()>& done);

// Puts the fake desktop programs (tests/platform/fakes) first on PATH.
void UseFakePrograms();

// A dbus-daemon of the test program's own, started once and kept to the end
// (GDBus and Qt keep their first connection); its address goes into
// DBUS_SESSION_BUS_ADDRESS.  With `activation` the bus starts the system's
// services on demand (dconf-service); without, only what the test starts
// answers.  Empty when dbus-daemon is missing.
std::string StartPrivateBus(bool activation);

// The process id of the owner of a bus name, or -1.
int BusNameOwnerPid(const std::string& name);

// Runs tests/platform's helper program: it sets a solid wallpaper through the
// given backend and then kills itself with SIGKILL.  True when it got that
// far (the wallpaper was set and the process died unannounced).
bool SetAndGetKilled(DesktopKind kind, const std::string& stateFolder, const std::string& bmp,
                     int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                     std::string* output = nullptr);

// Runs the helper's "set" command (a one-off change) in a new process with
// `environment` ("NAME=value" entries) added; true when it reported success.
bool SetInNewProcess(DesktopKind kind, const std::string& stateFolder, const std::string& bmp,
                     const std::vector<std::string>& environment, std::string* output = nullptr);

// Runs the helper's "recover" command in a new process.
bool RecoverInNewProcess(const std::string& stateFolder, std::string* output = nullptr);

}  // namespace vendaro::testing
