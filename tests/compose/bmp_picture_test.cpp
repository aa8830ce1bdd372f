// BMP pictures are decoded by Qt rather than the picture library; these
// check that they are drawn upright, in the right colours, blended over the
// background, and refused when cut off.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "compose/compose_wallpaper.h"
#include "compose/probe.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::PixelOf;
using testing::Rgba;

void Put(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

// A BMP written by hand: 24 bits without alpha, or 32 bits with a version 4
// header whose masks include alpha.  `topDown` stores the rows from the top
// with a negative height.
std::string Bmp(int width, int height, bool alpha, bool topDown, const std::vector<Rgba>& pixels) {
  const int bytesPerPixel = alpha ? 4 : 3;
  const int rowBytes = (width * bytesPerPixel + 3) / 4 * 4;
  const std::uint32_t infoSize = alpha ? 108 : 40;
  const std::uint32_t offset = 14 + infoSize;
  std::string out = "BM";
  Put(out, offset + rowBytes * height, 4);
  Put(out, 0, 4);
  Put(out, offset, 4);
  Put(out, infoSize, 4);
  Put(out, std::uint32_t(width), 4);
  Put(out, std::uint32_t(topDown ? -height : height), 4);
  Put(out, 1, 2);
  Put(out, bytesPerPixel * 8, 2);
  Put(out, alpha ? 3 : 0, 4);  // bit fields or plain
  Put(out, rowBytes * height, 4);
  Put(out, 2835, 4);
  Put(out, 2835, 4);
  Put(out, 0, 4);
  Put(out, 0, 4);
  if (alpha) {
    for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
      Put(out, mask, 4);
    Put(out, 0x73524742, 4);  // sRGB
    out.append(48, '\0');     // end points and gamma, unused
  }
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;
    std::string line;
    for (int x = 0; x < width; ++x) {
      const Rgba& p = pixels[std::size_t(y * width + x)];
      line += {char(p.b), char(p.g), char(p.r)};
      if (alpha) line.push_back(char(p.a));
    }
    line.resize(std::size_t(rowBytes), '\0');
    out += line;
  }
  return out;
}

std::string Save(const std::string& name, const std::string& bytes) {
  static const std::string folder = testing::MakeTempDir("bmp-pictures");
  const std::string path = folder + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

Options Unscaled(ColorValue fill) {
  Options o;
  o.FillColor = fill;
  o.DisplayMode = 3;  // original size
  o.Alignment = 1;    // top left
  return o;
}

const std::vector<Rgba> kSix = {{255, 0, 0},  {0, 255, 0},    {0, 0, 255},
                                {10, 20, 30}, {200, 100, 50}, {1, 2, 3}};

TEST(BmpPicture, RowsFromEitherEndAreDrawnUprightInTheirColours) {
  for (bool topDown : {false, true}) {
    const std::string path =
        Save(topDown ? "top-down.bmp" : "bottom-up.bmp", Bmp(3, 2, false, topDown, kSix));
    const Result<PictureSize> size = ProbePicture(path);
    ASSERT_TRUE(size) << path << ": " << size.message();
    EXPECT_EQ(size->width, 3);
    EXPECT_EQ(size->height, 2);
    const RenderResult r = RenderEntry(MakeEntry(path, 3, 2), Unscaled(Rgb(9, 9, 9)), {5, 4},
                                       [](int) { return Rgb(0, 0, 0); });
    ASSERT_TRUE(r.picture.ok()) << r.picture.message();
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        const Rgba& p = kSix[std::size_t(y * 3 + x)];
        EXPECT_EQ(PixelOf(r.canvas, x, y), Rgb(p.r, p.g, p.b)) << path << " at " << x << "," << y;
      }
    EXPECT_EQ(PixelOf(r.canvas, 4, 3), Rgb(9, 9, 9));
  }
}

TEST(BmpPicture, TransparencyIsBlendedOverTheBackground) {
  const std::vector<Rgba> pixels = {{0, 255, 0, 0}, {0, 255, 0, 128}, {0, 255, 0, 255}};
  const std::string path = Save("alpha.bmp", Bmp(3, 1, true, false, pixels));
  const RenderResult r = RenderEntry(MakeEntry(path, 3, 1), Unscaled(Rgb(0, 0, 200)), {3, 1},
                                     [](int) { return Rgb(0, 0, 0); });
  ASSERT_TRUE(r.picture.ok()) << r.picture.message();
  EXPECT_EQ(PixelOf(r.canvas, 0, 0), Rgb(0, 0, 200));
  const ColorValue half = PixelOf(r.canvas, 1, 0);
  EXPECT_NEAR(GreenOf(half), 128, 2);
  EXPECT_NEAR(BlueOf(half), 100, 2);
  EXPECT_EQ(PixelOf(r.canvas, 2, 0), Rgb(0, 255, 0));
}

TEST(BmpPicture, CutOffOrForgedFilesGiveThePlainBackgroundAndAReason) {
  const std::string whole = Bmp(40, 30, false, false, std::vector<Rgba>(1200, Rgba{50, 60, 70}));
  std::string huge = Bmp(1, 1, false, false, {Rgba{1, 1, 1}});
  huge.replace(18, 8, std::string("\xA0\x86\x01\x00\xA0\x86\x01\x00", 8));  // 100000 x 100000
  // The largest sizes the header can state: their byte count overflows.
  std::string largest = Bmp(1, 1, false, false, {Rgba{1, 1, 1}});
  largest.replace(18, 8, std::string("\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F", 8));
  const std::string cases[][2] = {
      {"cut.bmp", whole.substr(0, whole.size() / 2)},
      {"huge.bmp", huge},
      {"largest.bmp", largest},
      {"junk.bmp", "BM" + std::string(200, '\x7F')},
  };
  for (const auto& c : cases) {
    const std::string path = Save(c[0], c[1]);
    const RenderResult r = RenderEntry(MakeEntry(path, 40, 30), Unscaled(Rgb(3, 4, 5)), {8, 8},
                                       [](int) { return Rgb(0, 0, 0); });
    EXPECT_FALSE(r.picture.ok()) << c[0];
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(PixelOf(r.canvas, x, y), Rgb(3, 4, 5)) << c[0];
  }
}

}  // namespace
}  // namespace vendaro
