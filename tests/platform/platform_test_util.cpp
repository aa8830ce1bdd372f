#include "platform_test_util.h"

#include <sys/stat.h>

#include <QImage>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/child_process.h"
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

bool PngShows(const std::string& path, const Canvas& canvas) {
  const std::string bytes = ReadFileBytes(path);
  const QImage image =
      QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()), "png")
          .convertToFormat(QImage::Format_RGB888);
  if (image.width() != canvas.width || image.height() != canvas.height) return false;
  for (int y = 0; y < canvas.height; ++y) {
    if (std::memcmp(image.constScanLine(y), canvas.row(y), std::size_t(canvas.width) * 3) != 0)
      return false;
  }
  return true;
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

bool RecoverInNewProcess(const std::string& stateFolder, std::string* output) {
  ProgramResult result = RunProgram(kHelper, {"recover", stateFolder}, kHelperTimeoutMs);
  if (output) *output = result.out + result.err;
  return result.status.ok();
}

}  // namespace vendaro::testing
