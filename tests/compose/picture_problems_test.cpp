#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vips/vips8>

#include "compose/compose_wallpaper.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::Crc32;
using testing::PixelOf;
using testing::ReadFileBytes;
using testing::Rgba;
using testing::WriteFileBytes;
using testing::WritePicture;

constexpr ColorValue kFill = Rgb(0, 128, 255);

std::string Folder() {
  static const std::string folder = testing::MakeTempDir("problems");
  return folder;
}

RenderResult Render(const std::string& path, int pw, int ph, int mode, int sw, int sh,
                    int gapFill = 1) {
  Options o;
  o.FillColor = kFill;
  o.GapFill = gapFill;
  o.DisplayMode = mode;
  return RenderEntry(MakeEntry(path, pw, ph), o, {sw, sh}, [](int) { return 0u; });
}

bool AllBackground(const Canvas& c) {
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (PixelOf(c, x, y) != kFill) return false;
  return true;
}

void PutBig32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
}

// A small real PNG whose header claims another size (CRC kept valid).
std::string PngClaiming(std::uint32_t width, std::uint32_t height) {
  const std::string real = Folder() + "/real.png";
  WritePicture(real, 4, 4, 3, [](int, int) { return Rgba{1, 2, 3}; });
  std::string png = ReadFileBytes(real);
  PutBig32(png, 16, width);
  PutBig32(png, 20, height);
  PutBig32(png, 29, Crc32(png.substr(12, 17)));
  return png;
}

// A small real JPEG whose frame header claims another size.
std::string JpegClaiming(std::uint16_t width, std::uint16_t height) {
  const std::string real = Folder() + "/real.jpg";
  WritePicture(real, 16, 16, 3, [](int x, int) { return Rgba{std::uint8_t(x * 9), 2, 3}; });
  std::string jpg = ReadFileBytes(real);
  const std::size_t sof = jpg.find("\xFF\xC0");
  jpg[sof + 5] = char(height >> 8);
  jpg[sof + 6] = char(height & 0xFF);
  jpg[sof + 7] = char(width >> 8);
  jpg[sof + 8] = char(width & 0xFF);
  return jpg;
}

TEST(RenderEntry, UnusablePicturesGiveThePlainBackgroundAndAReason) {
  const std::string good = Folder() + "/good.jpg";
  WritePicture(good, 64, 48, 3, [](int x, int y) {
    return Rgba{std::uint8_t(x * 3), std::uint8_t(y * 5), 9};
  });
  const std::string whole = ReadFileBytes(good);
  const std::string goodPng = Folder() + "/good.png";
  WritePicture(goodPng, 64, 48, 3, [](int x, int y) {
    return Rgba{std::uint8_t(x * 3), std::uint8_t(y * 5), 9};
  });
  const std::string wholePng = ReadFileBytes(goodPng);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty.png", ""},
      {"text.jpg", "this is not a picture\n"},
      {"truncated.jpg", whole.substr(0, whole.size() / 2)},
      {"truncated.png", wholePng.substr(0, wholePng.size() / 2)},
      {"bomb.png", PngClaiming(100000, 100000)},
      {"wide-bomb.png", PngClaiming(1u << 30, 1)},
      {"bomb.jpg", JpegClaiming(65500, 65500)},
  };
  for (const Case& c : cases) {
    const std::string path = Folder() + "/" + c.name;
    WriteFileBytes(path, c.bytes);
    for (int mode : {0, 2, 3, 4}) {
      SCOPED_TRACE(::testing::Message() << c.name << " mode " << mode);
      const RenderResult r = Render(path, 64, 48, mode, 40, 30);
      EXPECT_FALSE(r.picture.ok());
      EXPECT_TRUE(AllBackground(r.canvas));
    }
  }
  const RenderResult missing = Render(Folder() + "/missing.png", 10, 10, 0, 8, 8);
  EXPECT_FALSE(missing.picture.ok());
  // Edge copy of a plain canvas keeps the plain colour.
  const RenderResult copied = Render(Folder() + "/text.jpg", 10, 10, 3, 40, 30, 2);
  EXPECT_TRUE(AllBackground(copied.canvas));
}

TEST(RenderEntry, PictureLyingAboutItsSizeWithinTheLimitFinishes) {
  // 12000 x 12000 claimed by a few hundred bytes: decoded as far as the data
  // goes, in bounded memory, without ending the program.
  const std::string path = Folder() + "/lying.jpg";
  WriteFileBytes(path, JpegClaiming(12000, 12000));
  for (int mode : {1, 3}) EXPECT_EQ(Render(path, 12000, 12000, mode, 40, 30).canvas.width, 40);
}

TEST(RenderEntry, StoredOrientationIsDrawnUpright) {
  // Stored 40x20, left half red and right half blue; orientation 6 turns it
  // a quarter clockwise, so upright it is 20x40 with red on top.
  const std::string path = Folder() + "/turned.jpg";
  WritePicture(
      path, 40, 20, 3,
      [](int x, int) {
        return x < 20 ? Rgba{255, 0, 0} : Rgba{0, 0, 255};
      },
      6);
  const RenderResult r = Render(path, 20, 40, 3, 20, 40);
  EXPECT_TRUE(r.picture.ok()) << r.picture.message();
  EXPECT_GT(RedOf(PixelOf(r.canvas, 10, 5)), 200);
  EXPECT_GT(BlueOf(PixelOf(r.canvas, 10, 35)), 200);
  // Also when shrunk on load.
  const RenderResult small = Render(path, 20, 40, 0, 5, 10);
  EXPECT_GT(RedOf(PixelOf(small.canvas, 2, 1)), 200);
  EXPECT_GT(BlueOf(PixelOf(small.canvas, 2, 8)), 200);
}

TEST(RenderEntry, FirstFrameAndFirstPageAreDrawn) {
  const Rgba colours[2] = {{255, 0, 0}, {0, 0, 255}};
  for (const char* name : {"frames.gif", "pages.tif"}) {
    const std::string path = Folder() + "/" + name;
    testing::WritePages(path, 6, 4, colours, 2);
    const RenderResult r = Render(path, 6, 4, 3, 6, 4);
    EXPECT_TRUE(r.picture.ok()) << name << ": " << r.picture.message();
    EXPECT_EQ(PixelOf(r.canvas, 3, 3), Rgb(255, 0, 0)) << name;
  }
}

TEST(RenderEntry, JpegShrinkOnLoadStaysCloseToAFullDecode) {
  // The same pixels as JPEG (shrunk while decoding) and as PNG (decoded in
  // full, then filtered).
  auto photo = [](int x, int y) {
    return Rgba{std::uint8_t(128 + 100 * std::sin(x * 0.05) * std::cos(y * 0.03)),
                std::uint8_t(128 + 90 * std::sin((x + 2 * y) * 0.11)),
                std::uint8_t(255 - (x + y) / 8)};
  };
  const std::string jpeg = Folder() + "/photo.jpg";
  WritePicture(jpeg, 960, 640, 3, photo);
  const std::string png = Folder() + "/photo-decoded.png";
  vips::VImage::new_from_file(jpeg.c_str()).write_to_file(png.c_str());
  for (int target : {300, 130, 60}) {
    const RenderResult a = Render(jpeg, 960, 640, 1, target, target * 2 / 3);
    const RenderResult b = Render(png, 960, 640, 1, target, target * 2 / 3);
    double sum = 0;
    for (std::size_t i = 0; i < a.canvas.rgb.size(); ++i)
      sum += std::abs(int(a.canvas.rgb[i]) - int(b.canvas.rgb[i]));
    EXPECT_LT(sum / a.canvas.rgb.size(), 2.0) << "to width " << target;
  }
}

TEST(RenderEntry, OtherSampleFormatsAreDrawnAsRgb) {
  using vips::VImage;
  const VImage grey = VImage::black(4, 4).new_from_image({100}).cast(VIPS_FORMAT_UCHAR);
  struct Case {
    const char* name;
    VImage image;
    ColorValue want;
    int tolerance;
  };
  const Case cases[] = {
      {"grey.png", grey.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W)),
       Rgb(100, 100, 100), 0},
      {"grey-alpha.png",
       grey.bandjoin_const({255}).copy(
           VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W)),
       Rgb(100, 100, 100), 0},
      {"deep.png",
       (VImage::black(4, 4, VImage::option()->set("bands", 3)) +
        std::vector<double>{65535, 32896, 0})
           .cast(VIPS_FORMAT_USHORT)
           .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16)),
       Rgb(255, 128, 0), 1},
  };
  for (const Case& c : cases) {
    const std::string path = Folder() + "/" + c.name;
    c.image.write_to_file(path.c_str());
    const RenderResult r = Render(path, 4, 4, 3, 4, 4);
    EXPECT_TRUE(r.picture.ok()) << c.name << ": " << r.picture.message();
    const ColorValue got = PixelOf(r.canvas, 2, 2);
    EXPECT_NEAR(RedOf(got), RedOf(c.want), c.tolerance) << c.name;
    EXPECT_NEAR(GreenOf(got), GreenOf(c.want), c.tolerance) << c.name;
    EXPECT_NEAR(BlueOf(got), BlueOf(c.want), c.tolerance) << c.name;
  }
}

}  // namespace
}  // namespace vendaro
