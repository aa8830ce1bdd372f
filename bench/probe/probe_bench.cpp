// Generates a list of 2,000 pictures (JPEG and PNG of several sizes) in a
// temporary folder and times, over the whole list: ProbePicture, a plain read
// of each file's first 4 KB, the start-up reading of the list file, and a full
// decode of every picture.  All passes run on a warm page cache.
#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "compose/probe.h"
#include "model/entry_list.h"
#include "system/files.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPictureCount = 2000;
constexpr int kRounds = 7;

struct Variant {
  const char* format;
  const char* suffix;
  int width;
  int height;
  int metadataBytes;  // an application segment before the picture, as cameras write
};

// Photos are mostly JPEG; PNG sizes stay modest so the folder stays small.
constexpr Variant kVariants[] = {
    {"JPEG", "jpg", 1920, 1080, 0},     {"JPEG", "jpg", 1280, 720, 0},
    {"JPEG", "jpg", 2560, 1440, 30000}, {"JPEG", "jpg", 800, 600, 0},
    {"PNG", "png", 1024, 768, 0},       {"PNG", "png", 640, 480, 0},
};

QByteArray Encode(const Variant& v) {
  QImage image(v.width, v.height, QImage::Format_RGB32);
  for (int y = 0; y < v.height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < v.width; ++x) row[x] = qRgb(x * 7 % 256, y * 3 % 256, (x ^ y) % 256);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, v.format, 85);
  if (v.metadataBytes > 0) {
    QByteArray segment("\xff\xe1", 2);
    segment.append(char((v.metadataBytes + 2) >> 8)).append(char((v.metadataBytes + 2) & 0xFF));
    segment.append(QByteArray(v.metadataBytes, 'm'));
    bytes.insert(2, segment);
  }
  return bytes;
}

std::vector<std::string> Generate(const std::string& dir) {
  std::vector<QByteArray> encoded;
  for (const Variant& v : kVariants) encoded.push_back(Encode(v));
  std::vector<std::string> paths;
  for (int i = 0; i < kPictureCount; ++i) {
    const std::size_t k = std::size_t(i) % std::size(kVariants);
    const std::string path = dir + "/picture" + std::to_string(i) + "." + kVariants[k].suffix;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(encoded[k]) != encoded[k].size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      std::exit(1);
    }
    paths.push_back(path);
  }
  return paths;
}

// Wall-clock time, and the processor time of this process, which leaves out
// the waits for a processor that other work on a shared machine causes.
struct Timing {
  double wall = 1e9;
  double cpu = 1e9;
};

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

Timing Measure(const std::function<void()>& pass) {
  const auto start = Clock::now();
  const double cpuStart = CpuSeconds();
  pass();
  return {std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpuStart};
}

void KeepBest(Timing& best, const Timing& t) {
  best.wall = std::min(best.wall, t.wall);
  best.cpu = std::min(best.cpu, t.cpu);
}

void Report(const char* what, const Timing& t) {
  std::printf("%-34s %9.1f ms wall %9.1f ms cpu  (%7.4f ms cpu a picture)\n", what, t.wall * 1e3,
              t.cpu * 1e3, t.cpu * 1e3 / kPictureCount);
}

}  // namespace

int main() {
  const std::string dir =
      (std::filesystem::temp_directory_path() / ("vendaro-bench-probe-" + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(dir);
  const std::vector<std::string> paths = Generate(dir);
  std::string listText;
  for (const std::string& path : paths) listText += path + "\r\n";
  if (vendaro::ReplaceFileContents(dir + "/default.vdl", listText) != 0) return 1;

  int failures = 0;
  const auto probePass = [&] {
    for (const std::string& path : paths) failures += !vendaro::ProbePicture(path).ok();
  };
  const auto headReadPass = [&] {
    char buffer[4096];
    for (const std::string& path : paths) {
      const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
      failures += fd < 0 || read(fd, buffer, sizeof buffer) <= 0;
      close(fd);
    }
  };
  const auto startUpPass = [&] {
    vendaro::EntryList entries;
    const auto lines = vendaro::ReadListFile(dir + "/default.vdl");
    if (!lines) std::abort();
    vendaro::EntriesFromPaths(*lines, entries, vendaro::ProbePicture);
    failures += entries.size() != paths.size();
  };
  // Rounds interleave the passes so that a burst of load elsewhere on the
  // machine does not fall on one of them only; each keeps its best round.
  probePass();
  Timing probe, headRead, startUp;
  for (int round = 0; round < kRounds; ++round) {
    KeepBest(probe, Measure(probePass));
    KeepBest(headRead, Measure(headReadPass));
    KeepBest(startUp, Measure(startUpPass));
  }
  const Timing decode = Measure([&] {
    for (const std::string& path : paths) {
      failures += QImageReader(QString::fromStdString(path)).read().isNull();
    }
  });
  std::filesystem::remove_all(dir);

  std::printf(
      "%d pictures (JPEG 800x600 to 2560x1440, one in six with 30 KB of metadata; "
      "PNG 640x480 and 1024x768)\n",
      kPictureCount);
  Report("ProbePicture", probe);
  Report("read first 4 KB", headRead);
  Report("list file -> entries (start-up)", startUp);
  Report("full decode (QImageReader::read)", decode);
  std::printf("probe / 4 KB read: %.2fx wall, %.2fx cpu (target <= 4x)\n",
              probe.wall / headRead.wall, probe.cpu / headRead.cpu);
  std::printf("full decode / probe: %.0fx cpu\n", decode.cpu / probe.cpu);
  std::printf("20,000 pictures would probe in about %.0f ms (wall)\n",
              probe.wall * 1e3 * 20000 / kPictureCount);
  if (failures != 0) std::printf("%d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
