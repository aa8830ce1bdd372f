// Composes a 6000×4000 JPEG (fill mode, bicubic, as most wallpapers are
// shown) for one 3840×2160 monitor, for two of them, and for 3840×2160
// beside 1920×1080, each case in a fresh process so that its peak resident
// memory is its own.  Then a picture per monitor: two different JPEGs on
// two 3840×2160 monitors against one, in this process and through the
// picture helpers as the resident program draws (this program is its own
// helper; the helpers are started by a first change that is not timed).
// Last, whole changes (the pictures drawn and their files written) as the
// resident program makes them: drawn then, and drawn ahead while it rested,
// their pixels read back as the X11 root window needs them or, for a
// desktop that reads files, only their files moved into place.  And the
// whole change on a desktop: the GNOME family's, which spans one picture over
// the monitors, and the X11 root window's, which is sent to the server, each
// with and without that picture readied ahead (an Xvfb of the layout's size
// is started for X11; settings are kept in memory).
// Prints the median time of several rounds, against the case's one-monitor
// baseline, and the peak.
//   vendaro-bench-monitors [ROUNDS [WORKERS]]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "compose/layout_composition.h"
#include "compose/picture_helpers.h"
#include "compose/prepared_pictures.h"
#include "compose/renderer.h"
#include "platform/desktops/gsettings/gsettings_desktop.h"
#include "platform/desktops/x11/x11_desktop.h"
#include "system/old_files.h"

namespace {

using namespace vendaro;
using Clock = std::chrono::steady_clock;

struct Case {
  const char* name;
  MonitorLayout monitors;
  int pictures = 1;      // 2: each monitor its own
  bool helpers = false;  // drawn by helper processes
  std::size_t baseline = 0;
  bool change = false;    // the files written as well
  bool prepared = false;  // drawn ahead, taken by the change
  bool pixels = true;     // read back (for the X11 root window), or the file only
  enum Shown { kNone, kGnome, kX11 } desktop = kNone;
  bool readied = true;  // the desktop's own part made ahead
};

const MonitorLayout kOne4k{{"A", {0, 0, 3840, 2160}, true}};
const MonitorLayout kTwo4k{{"A", {0, 0, 3840, 2160}, true}, {"B", {3840, 0, 3840, 2160}, false}};

const Case kCases[] = {
    {"one 3840x2160", kOne4k},
    {"two 3840x2160", kTwo4k},
    {"3840x2160 + 1920x1080",
     {{"A", {0, 0, 3840, 2160}, true}, {"B", {3840, 0, 1920, 1080}, false}}},
    {"one 1920x1080", {{"A", {0, 0, 1920, 1080}, true}}},
    {"two 4K, a picture each", kTwo4k, 2},
    {"one 4K, helper", kOne4k, 1, true, 5},
    {"two 4K, each, helpers", kTwo4k, 2, true, 5},
    {"one 4K, change", kOne4k, 1, true, 7, true},
    {"two 4K, each, change", kTwo4k, 2, true, 7, true},
    {"one 4K, ahead, pixels", kOne4k, 1, true, 9, true, true},
    {"two 4K, ahead, pixels", kTwo4k, 2, true, 9, true, true},
    {"one 4K, ahead, file", kOne4k, 1, true, 11, true, true, false},
    {"two 4K, ahead, file", kTwo4k, 2, true, 11, true, true, false},
    {"one 4K, ahead, GNOME", kOne4k, 1, true, 13, true, true, false, Case::kGnome},
    {"two 4K, ahead, GNOME", kTwo4k, 2, true, 13, true, true, false, Case::kGnome},
    {"two 4K, GNOME unreadied", kTwo4k, 2, true, 13, true, true, false, Case::kGnome, false},
    {"one 4K, ahead, X11 root", kOne4k, 1, true, 16, true, true, false, Case::kX11},
    {"two 4K, ahead, X11 root", kTwo4k, 2, true, 16, true, true, false, Case::kX11},
    {"two 4K, X11 unreadied", kTwo4k, 2, true, 16, true, true, false, Case::kX11, false},
};
// The X servers of the X11 cases, by root width.
std::string g_display[2];
unsigned g_workers = 0;
std::string g_self;

std::string MakePicture(int variant) {
  const std::string path = std::filesystem::temp_directory_path() /
                           ("vendaro-bench-monitors-" + std::to_string(getpid()) + "-" +
                            std::to_string(variant) + ".jpg");
  QImage image(6000, 4000, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      row[x] = qRgb((x * 7 + variant * 91) % 256, y * 3 % 256, (x ^ y) % 256);
  }
  image.save(QString::fromStdString(path), "JPEG", 90);
  return path;
}

Options BenchOptions() {
  Options options;
  options.DisplayMode = PictureMode::FillAndCrop;
  options.Interpolation = ScaleFilter::Bicubic;
  options.FillColor = 0;  // resolved, as the program keys what it draws ahead
  return options;
}

std::vector<WallpaperEntry> Entries(const Case& c, const std::vector<std::string>& pictures) {
  std::vector<WallpaperEntry> entries;
  for (int i = 0; i < c.pictures; ++i) entries.push_back(MakeEntry(pictures[i], 6000, 4000));
  return entries;
}

PictureHelpers& Helpers() {
  static PictureHelpers helpers(g_self);
  return helpers;
}

// The state folder of a measuring child.
std::string StateFolder() {
  const std::string folder = std::filesystem::temp_directory_path() /
                             ("vendaro-bench-monitors-" + std::to_string(getpid()) + "/");
  std::filesystem::create_directories(folder);
  return folder;
}

LayoutComposition Compose(const Case& c, const std::vector<std::string>& pictures,
                          PreparedPictures* ahead = nullptr) {
  const std::vector<WallpaperEntry> entries = Entries(c, pictures);
  if (!c.helpers) return RenderMonitors(entries, BenchOptions(), c.monitors, nullptr, g_workers);
  const SizeRenderer render = [ahead, &c](const WallpaperEntry& e, const Options& o, ScreenSize s) {
    if (ahead)
      if (std::optional<RenderResult> taken = ahead->Take(e, o, s, c.pixels))
        return std::move(*taken);
    return Helpers().Render(e, o, s);
  };
  // As the program does: files drawn ahead, their pixels left in them, are
  // taken on one thread.
  const unsigned workers =
      ahead && !c.pixels && ahead->Covers(entries, BenchOptions(), c.monitors) ? 1 : g_workers;
  return RenderMonitors(entries, BenchOptions(), c.monitors, nullptr, workers, render);
}

// What the resident program does while it rests after a change: the
// canvases drawn into their files, and what the desktop then readies.
void DrawAhead(const Case& c, const std::vector<std::string>& pictures, PreparedPictures& ahead,
               DesktopBackend* desktop) {
  const std::vector<WallpaperEntry> entries = Entries(c, pictures);
  std::deque<Canvas> bare;
  Wallpapers drawn;
  for (std::size_t i = 0; i < c.monitors.size(); ++i) {
    const WallpaperEntry& e = entries[i < entries.size() ? i : 0];
    const ScreenSize size = c.monitors[i].size();
    const Result<std::string> file =
        ahead.Keep(*KeyFor(e, BenchOptions(), size), Helpers().Render(e, BenchOptions(), size));
    if (!file) return;
    drawn.monitors.push_back(
        {c.monitors[i], &bare.emplace_back(Canvas{size.width, size.height, {}}), *file});
  }
  if (desktop && c.readied) desktop->PrepareWallpapers(drawn);
}

// One change: drawn (or taken), its files written and the desktop, if any,
// set; false on a failure.
bool Change(const Case& c, const std::vector<std::string>& pictures, const std::string& folder,
            PreparedPictures* ahead, DesktopBackend* desktop, WallpaperFiles& files) {
  const LayoutComposition composed = Compose(c, pictures, ahead);
  const Status put =
      PutWallpapers(composed, Entries(c, pictures).front(), folder,
                    !desktop || desktop->ShowsFromFile(), files, [desktop](const Wallpapers& w) {
                      return desktop ? desktop->SetWallpapers(w) : Status::Ok();
                    });
  if (!put) std::fprintf(stderr, "%s: %s\n", c.name, put.message().c_str());
  return static_cast<bool>(put);
}

std::unique_ptr<DesktopBackend> MakeDesktop(const Case& c, const std::string& folder) {
  if (c.desktop == Case::kGnome)
    return std::make_unique<GSettingsDesktop>(DesktopKind::Gnome, folder);
  if (c.desktop == Case::kX11)
    return std::make_unique<X11Desktop>(g_display[c.monitors.size() > 1], folder);
  return nullptr;
}

// One round of one case in a child: its time in milliseconds and its peak
// resident memory in MB.
std::pair<double, double> Measure(const Case& c, const std::vector<std::string>& pictures) {
  const std::string& picture = pictures.front();
  const pid_t child = fork();
  if (child == 0) {
    // The resident program keeps its helpers between changes: the first
    // change starts them and is not what is measured.
    if (c.helpers) Compose(c, pictures);
    const std::string folder = StateFolder();
    // A desktop's first change also keeps what the user had.
    std::unique_ptr<DesktopBackend> desktop = MakeDesktop(c, folder);
    // As the resident program: the files a change makes old go while it rests.
    DeferOldFileRemovals(true);
    WallpaperFiles files;
    // Two changes before, of other pictures (the same ones under other
    // names): the measured change then removes what a change in the middle
    // of a session removes, not a file it replaces under the same name.
    for (const char* earlier : {".a.jpg", ".b.jpg"}) {
      if (!desktop) break;
      std::vector<std::string> others;
      for (const std::string& original : pictures) {
        others.push_back(folder + std::filesystem::path(original).filename().string() + earlier);
        std::filesystem::create_hard_link(original, others.back());
      }
      if (!Change(c, others, folder, nullptr, desktop.get(), files)) _exit(2);
    }
    RemoveWaitingOldFiles();
    PreparedPictures ahead(folder);
    if (c.prepared) DrawAhead(c, pictures, ahead, desktop.get());
    // The program rests minutes between the drawing ahead and the change: by
    // then what it wrote is on the disk, not waiting to be written by the
    // change's first flush.
    sync();
    const auto start = Clock::now();
    bool made = false;
    if (c.change) {
      made = Change(c, pictures, folder, c.prepared ? &ahead : nullptr, desktop.get(), files);
    } else {
      const LayoutComposition composed = Compose(c, pictures);
      made = composed.status && composed.picture;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    // Nothing drawn ahead may be left over: the change took it all.
    made = made && ahead.empty();
    DeferOldFileRemovals(false);
    if (desktop) made = made && desktop->RestoreUserWallpaper();
    desktop.reset();
    std::filesystem::remove_all(folder);
    if (!made) _exit(2);
    // The time goes back as the exit status cannot carry it: through a pipe
    // would do, but a file beside the picture is simpler.
    FILE* out = std::fopen((picture + ".ms").c_str(), "w");
    std::fprintf(out, "%f\n", ms);
    std::fclose(out);
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, -1};
  double ms = -1;
  if (FILE* in = std::fopen((picture + ".ms").c_str(), "r")) {
    if (std::fscanf(in, "%lf", &ms) != 1) ms = -1;
    std::fclose(in);
  }
  return {ms, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

// An Xvfb of `width`×`height` on a display it picks itself; its name, or
// empty when there is none.
std::string StartXvfb(int width, int height, std::vector<pid_t>& servers) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
           screen.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  char ch = 0;
  while (read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
  close(fds[0]);
  if (pid > 0) servers.push_back(pid);
  if (number.empty()) return {};
  // Told the number, the server may still be on its way to answering.
  const std::string display = ":" + number;
  for (int i = 0; i < 50 && !X11DisplayOpens(display); ++i) usleep(100'000);
  return display;
}

// The desktops' cases can run: settings in memory, an X server of each size.
bool PrepareDesktops(std::vector<pid_t>& servers) {
  setenv("GSETTINGS_BACKEND", "memory", 1);
  if (!GSettingsSchemaInstalled(GSettingsSchemaOf(DesktopKind::Gnome))) return false;
  g_display[0] = StartXvfb(3840, 2160, servers);
  g_display[1] = StartXvfb(7680, 2160, servers);
  return !g_display[0].empty() && !g_display[1].empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == kPictureHelperArgument) return RunPictureHelper();
  g_self = std::filesystem::canonical("/proc/self/exe");
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  // 0: one worker per core, as the program composes; 1: one size after another.
  g_workers = argc > 2 ? static_cast<unsigned>(std::max(0, std::atoi(argv[2]))) : 0;
  const std::vector<std::string> pictures{MakePicture(0), MakePicture(1)};
  const std::string& picture = pictures.front();
  // VENDARO_BENCH_CASE=N measures the Nth case alone (from 0).
  const char* chosen = std::getenv("VENDARO_BENCH_CASE");
  const int only = chosen ? std::atoi(chosen) : -1;
  std::vector<pid_t> servers;
  const bool desktops = PrepareDesktops(servers);
  if (!desktops) std::printf("no Xvfb or no GNOME settings schema: the desktops are left out\n");
  std::printf("6000x4000 JPEG, fill, bicubic; median of %d rounds, each in a new process\n",
              rounds);
  std::printf("%-24s %10s %8s %12s\n", "monitors", "ms", "x one", "peak MB");
  // Round by round through the cases, so that a busy moment of a shared
  // machine falls on all of them alike.
  constexpr std::size_t kCount = std::size(kCases);
  std::vector<double> times[kCount];
  double peak[kCount] = {};
  for (int i = 0; i < rounds; ++i) {
    for (std::size_t c = 0; c < kCount; ++c) {
      if (kCases[c].desktop != Case::kNone && !desktops) continue;
      if (only >= 0 && only != static_cast<int>(c)) continue;
      auto [ms, mb] = Measure(kCases[c], pictures);
      // Now and then a fresh child cannot connect to Xvfb at once: once more.
      if (ms < 0 && kCases[c].desktop == Case::kX11)
        std::tie(ms, mb) = Measure(kCases[c], pictures);
      if (ms < 0) {
        std::fprintf(stderr, "%s: the change failed\n", kCases[c].name);
        for (pid_t server : servers) kill(server, SIGTERM);
        return 1;
      }
      times[c].push_back(ms);
      peak[c] = std::max(peak[c], mb);
    }
  }
  double median[kCount] = {};
  for (std::size_t c = 0; c < kCount; ++c) {
    if (times[c].empty()) continue;
    std::sort(times[c].begin(), times[c].end());
    median[c] = times[c][times[c].size() / 2];
    std::printf("%-24s %10.1f %8.2f %12.1f\n", kCases[c].name, median[c],
                median[c] / median[kCases[c].baseline], peak[c]);
  }
  for (const std::string& path : pictures) std::filesystem::remove(path);
  std::filesystem::remove(picture + ".ms");
  for (pid_t server : servers) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
  }
  return 0;
}
