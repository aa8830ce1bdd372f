// The accepted formats, told by their signature: each is probed and drawn
// by the readers the format table names, a file of any other kind is
// refused whatever its name, and nothing in a name is read as options.
#include "model/picture_formats.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "compose/compose_wallpaper.h"
#include "compose/probe.h"
#include "hostile_pictures.h"
#include "support/heap_peak.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::PixelOf;
using testing::Rgba;

constexpr ColorValue kFill = Rgb(20, 40, 60);

std::string Folder() {
  static const std::string folder = testing::MakeTempDir("formats");
  return folder;
}

RenderResult Draw(const std::string& path, int width, int height, int mode, int interpolation) {
  Options o;
  o.FillColor = kFill;
  o.GapFill = 1;
  o.DisplayMode = std::int8_t(mode);
  o.Interpolation = std::int8_t(interpolation);
  return RenderEntry(MakeEntry(path, width, height), o, {80, 60}, [](int) { return 0u; });
}

// Within the loss of the lossy formats.
bool Near(ColorValue a, ColorValue b) {
  return std::abs(RedOf(a) - RedOf(b)) <= 12 && std::abs(GreenOf(a) - GreenOf(b)) <= 12 &&
         std::abs(BlueOf(a) - BlueOf(b)) <= 12;
}

// Stretched bicubic, stretched nearest, original size.
constexpr int kWays[][2] = {{0, 2}, {0, 0}, {3, 2}};

TEST(PictureFormats, EveryAcceptedFormatIsProbedAndDrawn) {
  const ColorValue colour = Rgb(200, 120, 40);
  const char* files[] = {"a.jpg",  "a.png",  "a.gif",  "a.bmp", "a.tif",
                         "a.webp", "a.avif", "a.heic", "a.jxl"};
  for (const char* file : files) {
    SCOPED_TRACE(file);
    // Written under a neutral name: the content decides, not the name.
    const std::string written = Folder() + "/" + file;
    const std::string path = Folder() + "/picture-" + std::to_string(&file - files);
    if (std::string(file) == "a.bmp") {
      testing::WriteFileBytes(path, testing::RleBmp(40, 30, [] {
                                std::string rows;
                                for (int y = 0; y < 30; ++y) rows += std::string("\x28\x07\0\0", 4);
                                return rows + std::string("\0\x01", 2);
                              }()));
    } else {
      testing::WritePicture(written, 40, 30, 3, [](int, int) { return Rgba{200, 120, 40}; });
      std::filesystem::rename(written, path);
    }
    const Result<PictureSize> size = ProbePicture(path);
    ASSERT_TRUE(size.ok()) << size.message();
    EXPECT_EQ(size->width, 40);
    EXPECT_EQ(size->height, 30);
    if (std::string(file) == "a.bmp") continue;  // drawn by its own tests
    for (const auto& way : kWays) {
      const RenderResult r = Draw(path, 40, 30, way[0], way[1]);
      ASSERT_TRUE(r.picture.ok()) << r.picture.message();
      EXPECT_TRUE(Near(PixelOf(r.canvas, 40, 30), colour)) << std::hex << PixelOf(r.canvas, 40, 30);
    }
  }
}

TEST(PictureFormats, OtherKindsAreRefusedByTheirSignatureWhateverTheirName) {
  for (const testing::NamedBytes& other : testing::OtherKindsNamedAsPictures()) {
    SCOPED_TRACE(other.name);
    const std::string path = Folder() + "/" + other.name;
    testing::WriteFileBytes(path, other.bytes);
    EXPECT_EQ(ProbePicture(path).message(), UnknownFormatReason());
    for (const auto& way : kWays) {
      const testing::HeapPeak peak(64LL << 20);
      const RenderResult r = Draw(path, 16384, 16384, way[0], way[1]);
      EXPECT_FALSE(r.picture.ok());
      EXPECT_NE(r.picture.message().find(UnknownFormatReason()), std::string::npos)
          << r.picture.message();
      EXPECT_EQ(PixelOf(r.canvas, 40, 30), kFill);
      EXPECT_TRUE(peak.within()) << peak.bytes() / (1 << 20) << " MB";
    }
  }
}

// The library reads "[...]" at the end of a file name as options: a list
// entry "a.tif[page=0]" beside "a.tif" drew the other file.
TEST(PictureFormats, NothingInANameIsReadAsOptions) {
  const std::string folder = testing::MakeTempDir("names");
  const struct {
    std::string name;
    Rgba colour;
  } files[] = {
      {"a.tif", {255, 0, 0}}, {"a.tif[page=0]", {0, 255, 0}},
      {"b.png", {255, 0, 0}}, {"b.png[unlimited]", {0, 0, 255}},
      {"c.jpg", {255, 0, 0}}, {"c.jpg[shrink=2]", {0, 255, 0}},
  };
  for (const auto& f : files) {
    const std::string plain = folder + "/written" + f.name.substr(1, 4);
    testing::WritePicture(plain, 40, 30, 3, [&f](int, int) { return f.colour; });
    std::filesystem::rename(plain, folder + "/" + f.name);
  }
  for (const auto& f : files) {
    for (const auto& way : kWays) {
      SCOPED_TRACE(::testing::Message() << f.name << ", mode " << way[0] << "/" << way[1]);
      const RenderResult r = Draw(folder + "/" + f.name, 40, 30, way[0], way[1]);
      ASSERT_TRUE(r.picture.ok()) << r.picture.message();
      EXPECT_TRUE(Near(PixelOf(r.canvas, 40, 30), Rgb(f.colour.r, f.colour.g, f.colour.b)));
    }
  }
}

}  // namespace
}  // namespace vendaro
