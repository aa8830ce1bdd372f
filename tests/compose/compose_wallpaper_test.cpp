#include "compose/compose_wallpaper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compose/bmp_writer.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::PixelOf;
using testing::ReadFileBytes;
using testing::Rgba;

constexpr ColorValue kRed = Rgb(255, 0, 0);

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
         std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

struct Fixture {
  std::string folder = testing::MakeTempDir("wall");
  std::string temp = folder + "/state/";
  std::string picture = folder + "/las.jpg";
  std::string previous = temp + "old.png.bmp";
  std::string wallpaperFile = previous;
  std::vector<std::string> setCalls;
  bool previousExistedWhenSet = false;
  bool setterFails = false;

  Fixture() {
    std::filesystem::create_directories(temp);
    testing::WritePicture(picture, 800, 600, 3, [](int, int) { return Rgba{0, 200, 0}; });
    testing::WriteFileBytes(previous, "previous wallpaper");
  }

  WallpaperSetter Setter() {
    return [this](const std::string& path, const Canvas&) {
      setCalls.push_back(path);
      previousExistedWhenSet = FileExists(previous);
      return setterFails ? Status::Error("desktop refused") : Status::Ok();
    };
  }

  ComposeResult Compose(const WallpaperEntry& entry, bool preview) {
    Options o;
    o.FillColor = kRed;
    o.GapFill = 1;
    o.DisplayMode = 3;
    return ComposeWallpaper(entry, o, {1024, 768}, nullptr, preview, temp, wallpaperFile, Setter());
  }
  WallpaperEntry Entry() const { return MakeEntry(picture, 800, 600); }
};

TEST(ComposeWallpaper, AppliesTheNewFileBeforeRemovingThePreviousOne) {
  Fixture f;
  const ComposeResult r = f.Compose(f.Entry(), false);
  ASSERT_TRUE(r.status.ok()) << r.status.message();
  EXPECT_EQ(r.outputPath, f.temp + "las.jpg.bmp");
  EXPECT_EQ(f.setCalls, std::vector<std::string>{f.temp + "las.jpg.bmp"});
  EXPECT_TRUE(f.previousExistedWhenSet);
  EXPECT_FALSE(FileExists(f.previous));
  EXPECT_EQ(f.wallpaperFile, r.outputPath);
  // The picture at (112, 84) on red, in the file as well as in memory.
  EXPECT_EQ(PixelOf(r.canvas, 111, 84), kRed);
  EXPECT_EQ(PixelOf(r.canvas, 112, 84), Rgb(0, 200, 0));
  const std::string bmp = ReadFileBytes(r.outputPath);
  const std::size_t stride = 1024 * 3;
  const std::size_t row84 = 54 + (767 - 84) * stride;
  EXPECT_EQ(std::uint8_t(bmp[row84 + 111 * 3 + 2]), 255);  // BGR: red last
  EXPECT_EQ(std::uint8_t(bmp[row84 + 112 * 3 + 1]), 200);

  // The same picture again: its own file is replaced, not deleted.
  const ComposeResult again = f.Compose(f.Entry(), false);
  ASSERT_TRUE(again.status.ok());
  EXPECT_TRUE(FileExists(again.outputPath));
  EXPECT_EQ(f.wallpaperFile, again.outputPath);
}

TEST(ComposeWallpaper, FailingDesktopLeavesEverythingAsItWas) {
  Fixture f;
  f.setterFails = true;
  const ComposeResult r = f.Compose(f.Entry(), false);
  EXPECT_FALSE(r.status.ok());
  EXPECT_EQ(r.status.message(), "desktop refused");
  EXPECT_EQ(f.wallpaperFile, f.previous);
  EXPECT_EQ(ReadFileBytes(f.previous), "previous wallpaper");
  EXPECT_FALSE(FileExists(f.temp + "las.jpg.bmp"));
}

TEST(ComposeWallpaper, UnwritableFolderFailsBeforeTheDesktopIsAsked) {
  Fixture f;
  f.temp = f.folder + "/no/such/folder/";
  const ComposeResult r = f.Compose(f.Entry(), false);
  EXPECT_FALSE(r.status.ok());
  EXPECT_EQ(r.status.message().rfind("Cannot create file \"" + f.temp + "las.jpg.bmp\". ", 0), 0u)
      << r.status.message();
  EXPECT_TRUE(f.setCalls.empty());
  EXPECT_EQ(f.wallpaperFile, f.previous);
  EXPECT_TRUE(FileExists(f.previous));
}

TEST(ComposeWallpaper, NoPrivateFolderWritesNothing) {
  Fixture f;
  f.temp.clear();
  const ComposeResult r = f.Compose(f.Entry(), false);
  EXPECT_FALSE(r.status.ok());
  EXPECT_TRUE(f.setCalls.empty());
  EXPECT_EQ(f.wallpaperFile, f.previous);
  EXPECT_FALSE(FileExists("las.jpg.bmp"));
}

TEST(ComposeWallpaper, PreviewWritesNothingAndKeepsTheAppliedFile) {
  Fixture f;
  const ComposeResult r = f.Compose(f.Entry(), true);
  ASSERT_TRUE(r.status.ok());
  EXPECT_EQ(r.canvas.width, 1024);
  EXPECT_EQ(PixelOf(r.canvas, 500, 300), Rgb(0, 200, 0));
  EXPECT_TRUE(f.setCalls.empty());
  EXPECT_EQ(f.wallpaperFile, f.previous);
  EXPECT_TRUE(FileExists(f.previous));
  EXPECT_FALSE(FileExists(f.temp + "las.jpg.bmp"));
}

TEST(ComposedFilePath, NamedAfterThePictureFile) {
  EXPECT_EQ(ComposedFilePath("/t/", MakeEntry("/home/a/Foto/las.jpg", 1, 1)), "/t/las.jpg.bmp");
  EXPECT_EQ(ComposedFilePath("/t/", MakeEntry("C:\\Foto\\las.jpg", 1, 1)), "/t/las.jpg.bmp");
}

TEST(WriteBmp, HeaderAndBottomUpPaddedRows) {
  const std::string path = testing::MakeTempDir("bmp") + "/five.bmp";
  Canvas c{5, 2, {}};
  for (int i = 0; i < 10; ++i)
    c.rgb.insert(c.rgb.end(), {std::uint8_t(i), std::uint8_t(100 + i), std::uint8_t(200 + i)});
  ASSERT_TRUE(WriteBmp(path, c).ok());
  const std::string b = ReadFileBytes(path);
  const std::uint32_t stride = 16;  // 15 bytes padded to 4
  ASSERT_EQ(b.size(), 54u + 2 * stride);
  EXPECT_EQ(b.substr(0, 2), "BM");
  EXPECT_EQ(Le32(b, 2), b.size());
  EXPECT_EQ(Le32(b, 10), 54u);
  EXPECT_EQ(Le32(b, 14), 40u);
  EXPECT_EQ(Le32(b, 18), 5u);
  EXPECT_EQ(Le32(b, 22), 2u);  // positive height: bottom-up
  EXPECT_EQ(Le32(b, 26), 1u | 24u << 16);
  EXPECT_EQ(Le32(b, 30), 0u);  // uncompressed
  EXPECT_EQ(Le32(b, 34), 2 * stride);
  // First stored row is the canvas's bottom row, in blue, green, red order.
  EXPECT_EQ(std::uint8_t(b[54]), 205);
  EXPECT_EQ(std::uint8_t(b[55]), 105);
  EXPECT_EQ(std::uint8_t(b[56]), 5);
  EXPECT_EQ(b[54 + 15], 0);  // padding
  EXPECT_EQ(std::uint8_t(b[54 + stride]), 200);
  EXPECT_EQ(std::uint8_t(b[54 + stride + 2]), 0);
}

TEST(WriteBmp, FailureKeepsTheExistingFile) {
  const std::string folder = testing::MakeTempDir("bmp");
  const std::string path = folder + "/keep.bmp";
  testing::WriteFileBytes(path, "old");
  EXPECT_FALSE(WriteBmp(path, Canvas{}).ok());
  EXPECT_EQ(ReadFileBytes(path), "old");
  const std::string dir = folder + "/dir.bmp";
  std::filesystem::create_directories(dir);
  EXPECT_FALSE(WriteBmp(dir, Canvas{1, 1, {1, 2, 3}}).ok());
}

}  // namespace
}  // namespace vendaro
