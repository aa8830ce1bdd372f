#include "compose/compose_wallpaper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/bmp_writer.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::PixelOf;
using testing::ReadFileBytes;
using testing::Rgba;

constexpr ColorValue kRed = Rgb(255, 0, 0);

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
         std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

TEST(ComposeWallpaper, PreviewWritesNothing) {
  const std::string folder = testing::MakeTempDir("wall");
  const std::string picture = folder + "/las.jpg";
  testing::WritePicture(picture, 800, 600, 3, [](int, int) { return Rgba{0, 200, 0}; });
  Options o;
  o.FillColor = kRed;
  o.GapFill = 1;
  o.DisplayMode = 3;
  const ComposeResult r = ComposeWallpaper(MakeEntry(picture, 800, 600), o, {1024, 768}, nullptr);
  ASSERT_TRUE(r.status.ok());
  // The picture at (112, 84) on red.
  EXPECT_EQ(PixelOf(r.canvas, 111, 84), kRed);
  EXPECT_EQ(PixelOf(r.canvas, 112, 84), Rgb(0, 200, 0));
  std::vector<std::string> files;
  for (const auto& item : std::filesystem::directory_iterator(folder))
    files.push_back(item.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"las.jpg"}) << "previews write no files";
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
