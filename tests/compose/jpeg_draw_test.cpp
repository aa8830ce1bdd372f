// JPEG pictures drawn scaled take their own path (decoded row by row and
// resampled on a second thread).  It must agree with the general path, which
// is checked here by drawing the same pixels from a PNG.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vips/vips8>

#include "compose/compose_wallpaper.h"
#include "compose/jpeg_reader.h"
#include "compose/resample_rows.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::PixelOf;
using testing::Rgba;
using testing::WritePicture;

constexpr ColorValue kFill = Rgb(0, 128, 255);

std::string Folder() {
  static const std::string folder = testing::MakeTempDir("jpeg");
  return folder;
}

RenderResult Render(const std::string& path, int pw, int ph, int mode, int interpolation, int sw,
                    int sh, int align = 0) {
  Options o;
  o.FillColor = kFill;
  o.GapFill = 1;
  o.DisplayMode = mode;
  o.Interpolation = interpolation;
  o.Alignment = align;
  RenderResult r = RenderEntry(MakeEntry(path, pw, ph), o, {sw, sh}, [](int) { return 0u; });
  EXPECT_TRUE(r.picture.ok()) << r.picture.message();
  return r;
}

// Soft shapes with some detail, like a photograph.
Rgba Photo(int x, int y) {
  const double u = x / 37.0, v = y / 23.0;
  return {std::uint8_t(128 + 100 * std::sin(u) * std::cos(v)),
          std::uint8_t(128 + 90 * std::cos(u * 0.7 + v)),
          std::uint8_t(128 + 60 * std::sin(u * 1.3 - v * 0.5) + (x * 7 + y * 3) % 16)};
}

// The same pixels as `jpeg` decodes to, as a PNG, which the general path
// draws.
std::string DecodedCopy(const std::string& jpeg) {
  const std::string png = jpeg + ".png";
  vips::VImage::new_from_file(jpeg.c_str()).write_to_file(png.c_str());
  return png;
}

struct Difference {
  double mean = 0;
  int largest = 0;
};
Difference Compare(const Canvas& a, const Canvas& b) {
  Difference d;
  if (a.rgb.size() != b.rgb.size()) return {1e9, 255};
  for (std::size_t i = 0; i < a.rgb.size(); ++i) {
    const int diff = std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    d.mean += diff;
    d.largest = std::max(d.largest, diff);
  }
  d.mean /= double(a.rgb.size());
  return d;
}

TEST(JpegDraw, AgreesWithTheGeneralPath) {
  const std::string jpeg = Folder() + "/photo.jpg";
  WritePicture(jpeg, 600, 400, 3, Photo);
  const std::string png = DecodedCopy(jpeg);
  struct Case {
    int mode, sw, sh;
  };
  // Shrinks by less than 2 (full decode), by 2 to 4 and by 8 or more
  // (decoded smaller), an enlargement, and a crop that shows a middle part.
  const Case cases[] = {{1, 400, 300}, {1, 190, 150}, {0, 64, 40},
                        {1, 900, 700}, {2, 150, 300}, {0, 333, 97}};
  for (int interpolation : {1, 2}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "filter " << interpolation << " mode " << c.mode
                                        << " on " << c.sw << "x" << c.sh);
      const RenderResult fast = Render(jpeg, 600, 400, c.mode, interpolation, c.sw, c.sh);
      const RenderResult general = Render(png, 600, 400, c.mode, interpolation, c.sw, c.sh);
      const Difference d = Compare(fast.canvas, general.canvas);
      EXPECT_LT(d.mean, 1.0);
      EXPECT_LE(d.largest, 4);
      // The margins keep the background.
      if (c.mode == 1 && fast.placement.x > 0) {
        EXPECT_EQ(PixelOf(fast.canvas, 0, c.sh / 2), kFill);
      }
    }
  }
}

TEST(JpegDraw, ProgressiveAndSubsampledFilesAgreeToo) {
  const std::string source = Folder() + "/source.png";
  WritePicture(source, 300, 200, 3, Photo);
  const vips::VImage image = vips::VImage::new_from_file(source.c_str());
  const std::string progressive = Folder() + "/progressive.jpg";
  image.jpegsave(progressive.c_str(), vips::VImage::option()->set("interlace", true)->set("Q", 80));
  const std::string subsampled = Folder() + "/subsampled.jpg";
  image.jpegsave(subsampled.c_str(),
                 vips::VImage::option()->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_ON));
  for (const std::string& jpeg : {progressive, subsampled}) {
    const std::string png = DecodedCopy(jpeg);
    for (auto screen : {std::pair{200, 150}, std::pair{70, 50}}) {
      const Difference d = Compare(Render(jpeg, 300, 200, 1, 2, screen.first, screen.second).canvas,
                                   Render(png, 300, 200, 1, 2, screen.first, screen.second).canvas);
      EXPECT_LT(d.mean, 1.0) << jpeg;
      EXPECT_LE(d.largest, 4) << jpeg;
    }
  }
}

TEST(JpegDraw, TurnedPicturesAgreeWithTheGeneralPath) {
  // The general path turns a PNG holding the same stored pixels and the
  // same orientation.
  for (int orientation = 2; orientation <= 8; ++orientation) {
    const std::string jpeg = Folder() + "/turned" + std::to_string(orientation) + ".jpg";
    WritePicture(jpeg, 240, 160, 3, Photo, orientation);
    const std::string png = testing::TurnedPngOf(jpeg, orientation);
    const bool quarter = orientation >= 5;
    const int pw = quarter ? 160 : 240, ph = quarter ? 240 : 160;
    struct Case {
      int mode, interpolation, sw, sh, align;
    };
    const Case cases[] = {{1, 2, 150, 120, 0},
                          {2, 1, 100, 100, 1},
                          {2, 2, 90, 40, 8},
                          {0, 2, 60, 30, 0},
                          {1, 2, 400, 300, 0}};
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "orientation " << orientation << " mode " << c.mode
                                        << " on " << c.sw << "x" << c.sh);
      const Difference d =
          Compare(Render(jpeg, pw, ph, c.mode, c.interpolation, c.sw, c.sh, c.align).canvas,
                  Render(png, pw, ph, c.mode, c.interpolation, c.sw, c.sh, c.align).canvas);
      EXPECT_LT(d.mean, 1.0);
      EXPECT_LE(d.largest, 4);
    }
  }
}

TEST(JpegDraw, PictureSqueezedIntoAStripIsDrawnTheGeneralWay) {
  // 3000 rows into 2: a kernel over every row would hold the whole picture.
  const std::string jpeg = Folder() + "/column.jpg";
  WritePicture(jpeg, 8, 3000, 3, [](int, int y) {
    return Rgba{std::uint8_t(y < 1500 ? 20 : 220), 90, 90};
  });
  const RenderResult r = Render(jpeg, 8, 3000, 0, 2, 8, 2);
  EXPECT_LT(RedOf(PixelOf(r.canvas, 4, 0)), 60);
  EXPECT_GT(RedOf(PixelOf(r.canvas, 4, 1)), 180);
}

TEST(JpegDraw, VisiblePartEqualsTheWholeRectangle) {
  const std::string jpeg = Folder() + "/tall.jpg";
  WritePicture(jpeg, 60, 900, 3, Photo);
  for (int interpolation : {1, 2}) {
    for (int align : {1, 0, 5}) {
      // Mode 2 on 40x50 draws 40x600, of which 50 rows show.
      const RenderResult crop = Render(jpeg, 60, 900, 2, interpolation, 40, 50, align);
      const RenderResult whole =
          Render(jpeg, 60, 900, 0, interpolation, crop.placement.w, crop.placement.h);
      for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 40; ++x)
          ASSERT_EQ(PixelOf(crop.canvas, x, y), PixelOf(whole.canvas, x, y - crop.placement.y))
              << "filter " << interpolation << " alignment " << align << " at " << x << "," << y;
    }
  }
}

TEST(JpegDraw, GreyAndCmykPicturesComeOutInColourSpace) {
  const std::string grey = Folder() + "/grey.jpg";
  WritePicture(grey, 64, 64, 1, [](int, int) { return Rgba{90, 0, 0}; });
  const RenderResult g = Render(grey, 64, 64, 0, 2, 20, 20);
  EXPECT_NEAR(RedOf(PixelOf(g.canvas, 10, 10)), 90, 2);
  EXPECT_EQ(RedOf(PixelOf(g.canvas, 10, 10)), GreenOf(PixelOf(g.canvas, 10, 10)));
  EXPECT_EQ(RedOf(PixelOf(g.canvas, 10, 10)), BlueOf(PixelOf(g.canvas, 10, 10)));

  // CMYK goes the general way, with its colour conversion: no ink is white.
  const std::string cmyk = Folder() + "/cmyk.jpg";
  // Made in memory: the program blocks the loaders of every other format,
  // in the tests too.
  vips::VImage::black(32, 32, vips::VImage::option()->set("bands", 4))
      .cast(VIPS_FORMAT_UCHAR)
      .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_CMYK))
      .write_to_file(cmyk.c_str());
  const RenderResult c = Render(cmyk, 32, 32, 0, 2, 16, 16);
  EXPECT_GT(RedOf(PixelOf(c.canvas, 8, 8)), 230);
  EXPECT_GT(BlueOf(PixelOf(c.canvas, 8, 8)), 230);
}

TEST(JpegDraw, DamagedDataGivesTheBackground) {
  const std::string good = Folder() + "/whole.jpg";
  WritePicture(good, 300, 200, 3, Photo);
  const std::string bytes = testing::ReadFileBytes(good);
  // Cut in the middle of the pixel data, and just after its start.
  const std::size_t data = bytes.find("\xFF\xDA") + 20;
  for (const std::string& broken : {bytes.substr(0, bytes.size() * 2 / 3), bytes.substr(0, data)}) {
    const std::string path = Folder() + "/broken.jpg";
    testing::WriteFileBytes(path, broken);
    Options o;
    o.FillColor = kFill;
    o.DisplayMode = 1;
    const RenderResult r = RenderEntry(MakeEntry(path, 300, 200), o, {150, 100}, nullptr);
    EXPECT_FALSE(r.picture.ok());
    for (int y = 0; y < 100; y += 7)
      for (int x = 0; x < 150; x += 7) ASSERT_EQ(PixelOf(r.canvas, x, y), kFill);
  }
}

TEST(ResampleRows, SameSizeCopiesAndShrinkingKeepsCentres) {
  for (ResampleKernel kernel : {ResampleKernel::Linear, ResampleKernel::Cubic}) {
    // Scale 1: each output sample is its source sample, exactly.
    const AxisTaps same = MakeAxisTaps(kernel, 1.0, 0, 9, 9);
    const std::uint8_t in[9 * 3 + 1] = {0,   10,  20,  30,  40,  50,  60,  70,  80,
                                        90,  100, 110, 120, 130, 140, 150, 160, 170,
                                        180, 190, 200, 210, 220, 230, 240, 250, 255};
    float blended[9 * 3 + 1];
    for (int i = 0; i < 27; ++i) blended[i] = in[i];
    blended[27] = 0;
    std::uint8_t out[27];
    BlendColumns(blended, 0, same, out);
    for (int i = 0; i < 27; ++i) EXPECT_EQ(out[i], in[i]);

    // Any scale: weights sum to one, the taps lie inside the source, and
    // the taps of mirrored outputs are mirrored (no half-pixel shift).
    for (double scale : {0.3, 1.0, 1.85, 2.0, 7.5, 1000.0}) {
      const int source = 40;
      const auto outputs = static_cast<std::int64_t>(std::ceil(source / scale));
      const AxisTaps t = MakeAxisTaps(kernel, double(source) / outputs, 0, outputs, source);
      for (std::int64_t i = 0; i < outputs; ++i) {
        double sum = 0, centre = 0, mirrored = 0;
        for (int k = 0; k < t.count; ++k) {
          sum += t.weight[i * t.count + k];
          centre += t.weight[i * t.count + k] * (t.first[i] + k);
          const std::size_t j = std::size_t(outputs - 1 - i);
          mirrored += t.weight[j * t.count + k] * (t.first[j] + k);
        }
        ASSERT_GE(t.first[i], 0);
        ASSERT_LE(t.end(i), source);
        ASSERT_NEAR(sum, 1.0, 1e-5);
        ASSERT_NEAR(centre, source - 1 - mirrored, 1e-3) << "scale " << scale << " output " << i;
      }
    }
  }
}

TEST(ResampleRows, RowBlendWeighsEachRow) {
  const std::uint8_t a[5] = {0, 100, 200, 255, 7}, b[5] = {255, 50, 0, 255, 9};
  const std::uint8_t* rows[2] = {a, b};
  const float weight[2] = {0.25f, 0.75f};
  float out[5];
  BlendRows(rows, weight, 2, out, 5);
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(out[i], 0.25f * a[i] + 0.75f * b[i]);
}

TEST(JpegReader, OrientationAfterAnXmpBlock) {
  const std::string plain = Folder() + "/plain.jpg";
  WritePicture(plain, 16, 8, 3, Photo);
  std::string bytes = testing::ReadFileBytes(plain);
  const auto segment = [](const std::string& body) {
    const std::size_t length = body.size() + 2;
    return std::string("\xFF\xE1") + char(length >> 8) + char(length & 0xFF) + body;
  };
  const std::string xmp = segment(std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
  const std::string exif = segment(std::string(
      "Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x03\0\0\0\0\0\0", 32));
  bytes.insert(2, xmp + exif);
  const std::string path = Folder() + "/xmp-first.jpg";
  testing::WriteFileBytes(path, bytes);
  JpegReader reader;
  const Status opened = reader.Open(path);
  ASSERT_TRUE(opened) << opened.message();
  EXPECT_EQ(reader.orientation(), 3);
}

TEST(JpegReader, StoredOrientation) {
  // Little- and big-endian EXIF blocks with the orientation as the second
  // entry of the first directory.
  const auto block = [](bool little, std::uint16_t orientation, std::uint16_t type = 3) {
    std::string s("Exif\0\0", 6);
    const auto put16 = [&](std::uint16_t v) {
      s += little ? char(v & 0xFF) : char(v >> 8);
      s += little ? char(v >> 8) : char(v & 0xFF);
    };
    const auto put32 = [&](std::uint32_t v) {
      little ? (put16(v & 0xFFFF), put16(v >> 16)) : (put16(v >> 16), put16(v & 0xFFFF));
    };
    s += little ? "II" : "MM";
    put16(42);
    put32(8);
    put16(2);
    put16(0x010F), put16(2), put32(4), put32(0);  // maker
    put16(0x0112), put16(type), put32(1);
    type == 4 ? put32(orientation) : (put16(orientation), put16(0));
    return s;
  };
  const auto read = [](const std::string& s) {
    return ExifOrientation(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  };
  EXPECT_EQ(read(block(true, 6)), 6);
  EXPECT_EQ(read(block(false, 3)), 3);
  EXPECT_EQ(read(block(true, 9)), 1);
  EXPECT_EQ(read(block(false, 8, 4)), 8);  // a LONG
  EXPECT_EQ(read(block(true, 5, 4)), 5);
  EXPECT_EQ(read(block(true, 6, 2)), 1);  // text is no orientation
  const std::string whole = block(true, 6);
  for (std::size_t cut = 0; cut < whole.size() - 4; ++cut) ASSERT_EQ(read(whole.substr(0, cut)), 1);
  EXPECT_EQ(read("JFIF\0\0II*\0\x08\0\0\0"), 1);

  EXPECT_EQ(JpegShrinkFor(1.99), 1);
  EXPECT_EQ(JpegShrinkFor(2.0), 2);
  EXPECT_EQ(JpegShrinkFor(7.9), 4);
  EXPECT_EQ(JpegShrinkFor(100.0), 8);
}

}  // namespace
}  // namespace vendaro
