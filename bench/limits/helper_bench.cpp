// The resident program's helper processes on one picture.
//   vendaro-bench-helper draw HELPER WxH MODE INTERP PICTURE
//     draws it as a change does, through a helper; exit 1 with the reason
//     when it counts as undecodable (run under /usr/bin/time, whose peak
//     includes the helper, reaped before the end).
//   vendaro-bench-helper change HELPER WxH ROUNDS PICTURE
//     median time of a change's composition and BMP write in this process
//     (as before the helpers) and through a warm helper, and a cold start.
//   vendaro-bench-helper probe HELPER COUNT PICTURE
//     measures the picture COUNT times on one thread per core, as start-up
//     measures a list, in this process and through one helper per thread.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "compose/layout_composition.h"
#include "compose/picture_helpers.h"
#include "compose/probe.h"
#include "compose/renderer.h"
#include "model/bmp_writer.h"
#include "system/files.h"
#include "system/process.h"

namespace {

using namespace vendaro;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool ReadSize(const char* text, ScreenSize& size) {
  return std::sscanf(text, "%dx%d", &size.width, &size.height) == 2;
}

MonitorLayout One(ScreenSize size) {
  return {{"screen", {0, 0, size.width, size.height}, true}};
}

WallpaperEntry Entry(const std::string& path) {
  const Result<PictureSize> size = ProbePicture(path);
  return MakeEntry(path, size ? size->width : 1, size ? size->height : 1);
}

int Draw(char** argv) {
  ScreenSize screen;
  if (!ReadSize(argv[3], screen)) return 2;
  PictureHelpers helpers(argv[2]);
  Options options;
  options.DisplayMode = std::atoi(argv[4]);
  options.Interpolation = std::atoi(argv[5]);
  options.FillColor = 0;
  const Result<PictureSize> size = helpers.Probe(argv[6]);
  const WallpaperEntry entry = MakeEntry(argv[6], size ? size->width : 1, size ? size->height : 1);
  const RenderResult drawn = helpers.Render(entry, options, screen);
  helpers.KeepIdle(0);  // reaped now, so its peak counts
  if (!size || !drawn.picture) {
    std::fprintf(stderr, "%s\n", (!size ? size.message() : drawn.picture.message()).c_str());
    return 1;
  }
  return 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int Change(char** argv) {
  ScreenSize screen;
  if (!ReadSize(argv[3], screen)) return 2;
  const int rounds = std::max(1, std::atoi(argv[4]));
  const WallpaperEntry entry = Entry(argv[5]);
  Options options;
  options.DisplayMode = 2;
  options.FillColor = 0;
  const std::string out = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                          "/vendaro-bench-change.bmp";
  PictureHelpers helpers(argv[2]);
  const SizeRenderer viaHelper = [&helpers](const WallpaperEntry& e, const Options& o,
                                            ScreenSize s) { return helpers.Render(e, o, s); };
  auto change = [&](const SizeRenderer& render) {
    const auto start = Clock::now();
    const LayoutComposition composition =
        RenderLayout(entry, options, One(screen), nullptr, 0, render);
    if (!composition.status || !WriteBmp(out, composition.primary())) std::exit(1);
    const double ms = Ms(start);
    // As the resident program does after each change (not timed there either).
    ReleaseFreeMemory();
    return ms;
  };
  StartPictureLibrary();
  const double cold = change(viaHelper);
  std::vector<double> here, there;
  for (int i = 0; i < rounds; ++i) {
    here.push_back(change(nullptr));
    there.push_back(change(viaHelper));
  }
  RemoveFile(out);
  std::printf("%-10s in process %7.1f ms   helper %7.1f ms   (+%5.1f ms)   cold helper %7.1f ms\n",
              argv[3], Median(here), Median(there), Median(there) - Median(here), cold);
  return 0;
}

int Probes(char** argv) {
  const int count = std::max(1, std::atoi(argv[3]));
  const std::string path = argv[4];
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  auto run = [&](const PictureProbe& probe) {
    const auto start = Clock::now();
    std::atomic<int> next{0}, failed{0};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t)
      workers.emplace_back([&] {
        while (next.fetch_add(1) < count)
          if (!probe(path)) ++failed;
      });
    for (std::thread& worker : workers) worker.join();
    if (failed > 0) std::exit(1);
    return Ms(start);
  };
  PictureHelpers helpers(argv[2]);
  const double here = run(ProbePicture);
  const double there = run([&helpers](const std::string& p) { return helpers.Probe(p); });
  std::printf("%d probes on %u threads: in process %.0f ms, through helpers %.0f ms\n", count,
              threads, here, there);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "draw" && argc == 7) return Draw(argv);
  if (what == "change" && argc == 6) return Change(argv);
  if (what == "probe" && argc == 5) return Probes(argv);
  std::fputs(
      "usage: vendaro-bench-helper draw HELPER WxH MODE INTERP PICTURE\n"
      "       vendaro-bench-helper change HELPER WxH ROUNDS PICTURE\n"
      "       vendaro-bench-helper probe HELPER COUNT PICTURE\n",
      stderr);
  return 2;
}
