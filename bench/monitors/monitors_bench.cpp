// Composes a 6000×4000 JPEG (fill mode, bicubic, as most wallpapers are
// shown) for one 3840×2160 monitor, for two of them, and for 3840×2160
// beside 1920×1080, each case in a fresh process so that its peak resident
// memory is its own.  Then a picture per monitor: two different JPEGs on
// two 3840×2160 monitors against one, in this process and through the
// picture helpers as the resident program draws (this program is its own
// helper; the helpers are started by a first change that is not timed).
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

LayoutComposition Compose(const Case& c, const std::vector<std::string>& pictures) {
  Options options;
  options.DisplayMode = PictureMode::FillAndCrop;
  options.Interpolation = ScaleFilter::Bicubic;
  std::vector<WallpaperEntry> entries;
  for (int i = 0; i < c.pictures; ++i) entries.push_back(MakeEntry(pictures[i], 6000, 4000));
  if (!c.helpers) return RenderMonitors(entries, options, c.monitors, nullptr, g_workers);
  static PictureHelpers helpers(g_self);
  const SizeRenderer render = [](const WallpaperEntry& e, const Options& o, ScreenSize s) {
    return helpers.Render(e, o, s);
  };
  return RenderMonitors(entries, options, c.monitors, nullptr, g_workers, render);
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
    const auto start = Clock::now();
    const LayoutComposition composed = Compose(c, pictures);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!composed.status || !composed.picture) _exit(2);
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
