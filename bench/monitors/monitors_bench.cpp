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
// desktop that reads files, only their files moved into place.
// Prints the median time of several rounds, against the case's one-monitor
// baseline, and the peak.
//   vendaro-bench-monitors [ROUNDS [WORKERS]]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "compose/layout_composition.h"
#include "compose/picture_helpers.h"
#include "compose/prepared_pictures.h"
#include "compose/renderer.h"

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
};
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

// What the resident program does while it rests after a change.
void DrawAhead(const Case& c, const std::vector<std::string>& pictures, PreparedPictures& ahead) {
  const std::vector<WallpaperEntry> entries = Entries(c, pictures);
  for (std::size_t i = 0; i < c.monitors.size(); ++i) {
    const WallpaperEntry& e = entries[i < entries.size() ? i : 0];
    const ScreenSize size = c.monitors[i].size();
    (void)ahead.Keep(*KeyFor(e, BenchOptions(), size), Helpers().Render(e, BenchOptions(), size));
  }
}

// One change: drawn (or taken) and its files written; false on a failure.
bool Change(const Case& c, const std::vector<std::string>& pictures, const std::string& folder,
            PreparedPictures* ahead) {
  const LayoutComposition composed = Compose(c, pictures, ahead);
  WallpaperFiles files;
  const Status put = PutWallpapers(composed, Entries(c, pictures).front(), folder, true, files,
                                   [](const Wallpapers&) { return Status::Ok(); });
  return static_cast<bool>(put);
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
    PreparedPictures ahead(folder);
    if (c.prepared) DrawAhead(c, pictures, ahead);
    const auto start = Clock::now();
    bool made = false;
    if (c.change) {
      made = Change(c, pictures, folder, c.prepared ? &ahead : nullptr);
    } else {
      const LayoutComposition composed = Compose(c, pictures);
      made = composed.status && composed.picture;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    // Nothing drawn ahead may be left over: the change took it all.
    made = made && ahead.empty();
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == kPictureHelperArgument) return RunPictureHelper();
  g_self = std::filesystem::canonical("/proc/self/exe");
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  // 0: one worker per core, as the program composes; 1: one size after another.
  g_workers = argc > 2 ? static_cast<unsigned>(std::max(0, std::atoi(argv[2]))) : 0;
  const std::vector<std::string> pictures{MakePicture(0), MakePicture(1)};
  const std::string& picture = pictures.front();
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
      const auto [ms, mb] = Measure(kCases[c], pictures);
      if (ms < 0) {
        std::fprintf(stderr, "%s: the composition failed\n", kCases[c].name);
        return 1;
      }
      times[c].push_back(ms);
      peak[c] = std::max(peak[c], mb);
    }
  }
  double median[kCount] = {};
  for (std::size_t c = 0; c < kCount; ++c) {
    std::sort(times[c].begin(), times[c].end());
    median[c] = times[c][times[c].size() / 2];
    std::printf("%-24s %10.1f %8.2f %12.1f\n", kCases[c].name, median[c],
                median[c] / median[kCases[c].baseline], peak[c]);
  }
  for (const std::string& path : pictures) std::filesystem::remove(path);
  std::filesystem::remove(picture + ".ms");
  return 0;
}
