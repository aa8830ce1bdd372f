#include "compose/probe.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstddef>
#include <random>

#include "compose/probe_pictures.h"
#include "model/picture_formats.h"
#include "support/test_environment.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; the compiler's headers for it are not always
// installed.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*,
                                                                          std::size_t),
                                                         void (*onFree)(const volatile void*));
#define VENDARO_WATCH_ALLOCATIONS 1
#endif

namespace vendaro {
namespace {

std::string Put(const std::string& name, const std::string& bytes) {
  static const std::string dir = testing::MakeTempDir("probe");
  const std::string path = dir + "/" + name;
  testing::WriteFileBytes(path, bytes);
  return path;
}

struct Expected {
  bool ok;
  int width;
  int height;
};

void ExpectProbe(const std::string& path, Expected expected) {
  const Result<PictureSize> size = ProbePicture(path);
  EXPECT_EQ(size.ok(), expected.ok) << path << ": " << size.message();
  if (!expected.ok || !size) return;
  EXPECT_EQ(size->width, expected.width) << path;
  EXPECT_EQ(size->height, expected.height) << path;
}

TEST(ProbePicture, ReadsTheSizeOfEveryFormat) {
  const struct {
    std::string name;
    std::string bytes;
    Expected expected;
  } cases[] = {
      {"a.png", testing::EncodedPicture("PNG", 640, 480), {true, 640, 480}},
      {"a.jpg", testing::EncodedPicture("JPEG", 33, 17), {true, 33, 17}},
      {"a.bmp", testing::EncodedPicture("BMP", 5, 300), {true, 5, 300}},
      {"a.tif", testing::EncodedPicture("TIFF", 120, 7), {true, 120, 7}},
      {"a.gif", testing::TwoFrameGif(90, 45), {true, 90, 45}},
      // Content decides, not the name.
      {"png-named.jpg", testing::EncodedPicture("PNG", 3, 4), {true, 3, 4}},
      {"noextension", testing::EncodedPicture("JPEG", 8, 9), {true, 8, 9}},
      {"\xff\xe9t\xe9.png", testing::EncodedPicture("PNG", 11, 12), {true, 11, 12}},
  };
  for (const auto& c : cases) ExpectProbe(Put(c.name, c.bytes), c.expected);
}

TEST(ProbePicture, ReadsHeadersBeyondTheFirstKilobytes) {
  const struct {
    std::string name;
    std::string bytes;
    Expected expected;
  } cases[] = {
      {"camera.jpg", testing::JpegWithOrientation(40, 20, 6, 30000), {true, 20, 40}},
      {"huge-metadata.jpg", testing::JpegWithOrientation(40, 20, 8, 1500000), {true, 20, 40}},
      {"text.png", testing::PngWithText(70, 30, 20000), {true, 70, 30}},
      {"large.tif", testing::EncodedPicture("TIFF", 1000, 400), {true, 1000, 400}},
  };
  for (const auto& c : cases) ExpectProbe(Put(c.name, c.bytes), c.expected);
}

TEST(ProbePicture, AppliesTheStoredOrientation) {
  const struct {
    int orientation;
    Expected expected;
  } cases[] = {
      {1, {true, 40, 20}}, {3, {true, 40, 20}}, {5, {true, 20, 40}},
      {6, {true, 20, 40}}, {8, {true, 20, 40}},
  };
  for (const auto& c : cases) {
    const std::string path = Put("exif" + std::to_string(c.orientation) + ".jpg",
                                 testing::JpegWithOrientation(40, 20, c.orientation));
    ExpectProbe(path, c.expected);
  }
}

std::string RandomBytes(std::size_t n) {
  std::mt19937 gen(3);
  std::string bytes;
  for (std::size_t i = 0; i < n; ++i) bytes.push_back(char(gen() & 0xFF));
  return bytes;
}

TEST(ProbePicture, FailsForWhatIsNotAReadablePicture) {
  const std::string png = testing::EncodedPicture("PNG", 64, 64);
  const std::string jpeg = testing::EncodedPicture("JPEG", 64, 64);
  const struct {
    std::string name;
    std::string bytes;
  } cases[] = {
      {"empty.png", ""},
      {"text.jpg", "to nie jest obrazek\n"},
      {"junk.bmp", RandomBytes(5000)},
      {"signature-only.png", png.substr(0, 12)},
      {"soi-only.jpg", jpeg.substr(0, 4)},
      {"bmp-magic.bmp", "BM"},
      {"gif-magic.gif", "GIF89a\x01"},
      {"zero-size.png", testing::PngHeaderOnly(0, 0)},
  };
  for (const auto& c : cases) ExpectProbe(Put(c.name, c.bytes), {false, 0, 0});

  const std::string dir = testing::MakeTempDir("probe-odd");
  ExpectProbe(dir + "/missing.png", {false, 0, 0});
  ExpectProbe(dir, {false, 0, 0});
  ExpectProbe("", {false, 0, 0});
  ASSERT_EQ(mkfifo((dir + "/fifo.png").c_str(), 0600), 0);
  ExpectProbe(dir + "/fifo.png", {false, 0, 0});  // returns instead of waiting for a writer
}

TEST(ProbePicture, SaysWhyItFails) {
  const std::string dir = testing::MakeTempDir("probe-why");
  ASSERT_EQ(mkfifo((dir + "/fifo.png").c_str(), 0600), 0);
  const std::string notAFile = "to nie jest zwykły plik, który da się odczytać";
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {dir + "/missing.png", notAFile},
      {dir, notAFile},
      {dir + "/fifo.png", notAFile},
      {Put("why-text.jpg", "to nie jest obrazek\n"), UnknownFormatReason()},
      {Put("why-gif-magic.gif", "GIF89a\x01"), "brak rozmiaru"},
      {Put("why-zero-size.png", testing::PngHeaderOnly(0, 0)), "brak rozmiaru"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProbePicture(c.path).message(), c.reason) << c.path;
}

TEST(ProbePicture, TruncatedDataStillGivesTheHeaderSize) {
  const std::string png = testing::EncodedPicture("PNG", 300, 200);
  ExpectProbe(Put("cut.png", png.substr(0, png.size() / 2)), {true, 300, 200});
}

#ifdef VENDARO_WATCH_ALLOCATIONS
std::size_t largestAllocation = 0;
void OnMalloc(const volatile void*, std::size_t size) {
  if (size > largestAllocation) largestAllocation = size;
}
void OnFree(const volatile void*) {}
#endif

TEST(ProbePicture, HugeClaimsAllocateNoPixels) {
  const struct {
    std::string name;
    std::string bytes;
    int width, height;
  } cases[] = {
      {"bomb.png", testing::PngHeaderOnly(100000, 100000), 100000, 100000},
      {"bomb.bmp", testing::BmpHeaderOnly(100000, 100000), 100000, 100000},
      {"bomb.jpg", testing::JpegClaiming(65000, 65000), 65000, 65000},
      {"bomb.gif", testing::TwoFrameGif(65535, 65535), 65535, 65535},
  };
#ifdef VENDARO_WATCH_ALLOCATIONS
  ASSERT_NE(__sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree), 0);
#endif
  for (const auto& c : cases) {
    const std::string path = Put(c.name, c.bytes);
#ifdef VENDARO_WATCH_ALLOCATIONS
    largestAllocation = 0;
#endif
    const Result<PictureSize> size = ProbePicture(path);
    // Reporting the header's size or failing are both sound; decoding is not.
    if (size) {
      EXPECT_EQ(size->width, c.width) << c.name;
      EXPECT_EQ(size->height, c.height) << c.name;
    }
#ifdef VENDARO_WATCH_ALLOCATIONS
    EXPECT_GT(largestAllocation, 0u) << c.name;  // the watch is on
    EXPECT_LT(largestAllocation, 4u << 20) << c.name;
#endif
  }
#ifdef VENDARO_WATCH_ALLOCATIONS
  __sanitizer_install_malloc_and_free_hooks(nullptr, nullptr);
#endif
}

int OpenDescriptors() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (dirent* item = readdir(dir)) count += item->d_name[0] != '.';
  closedir(dir);
  return count;
}

TEST(ProbePicture, ReleasesTheFile) {
  const std::string good = Put("held.png", testing::EncodedPicture("PNG", 2, 2));
  const std::string bad = Put("held.jpg", "junk");
  ASSERT_TRUE(ProbePicture(good).ok());  // lets Qt load its format plugins first
  const int before = OpenDescriptors();
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(ProbePicture(good).ok());
    EXPECT_FALSE(ProbePicture(bad).ok());
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace vendaro
