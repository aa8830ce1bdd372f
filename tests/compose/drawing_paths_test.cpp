// Pictures reach the canvas by three ways: JPEG, PNG and BMP pictures are
// copied row by row where no filter is needed, JPEG pictures are resampled
// row by row, and everything else goes through the picture library.  The
// same pixels must come out whichever way they take; TIFF, which only the
// library reads, stands in for the general way.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vips/vips8>

#include "compose/compose_wallpaper.h"
#include "compose/direct_draw.h"
#include "compose/jpeg_draw.h"
#include "compose/renderer.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::PixelOf;
using testing::Rgba;
using testing::WritePicture;

constexpr ColorValue kFill = Rgb(40, 80, 120);

std::string Folder() {
  static const std::string folder = testing::MakeTempDir("paths");
  return folder;
}

struct Job {
  int pw, ph, mode, interpolation, sw, sh, align;
};

Canvas Draw(const std::string& path, const Job& j) {
  Options o;
  o.FillColor = kFill;
  o.GapFill = 1;
  o.DisplayMode = j.mode;
  o.Interpolation = j.interpolation;
  o.Alignment = j.align;
  RenderResult r = RenderEntry(MakeEntry(path, j.pw, j.ph), o, {j.sw, j.sh}, nullptr);
  EXPECT_TRUE(r.picture.ok()) << path << ": " << r.picture.message();
  return std::move(r.canvas);
}

int LargestDifference(const Canvas& a, const Canvas& b) {
  if (a.rgb.size() != b.rgb.size()) return 256;
  int largest = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i)
    largest = std::max(largest, std::abs(int(a.rgb[i]) - int(b.rgb[i])));
  return largest;
}

// Original size at several offsets and clippings, tiles on grids smaller and
// larger than the picture, nearest neighbour shrinking and enlarging.
const Job kCopyJobs[] = {
    {37, 23, 3, 2, 20, 15, 0},  {37, 23, 3, 2, 60, 40, 5},  {37, 23, 3, 2, 30, 30, 8},
    {37, 23, 4, 2, 100, 70, 0}, {30, 40, 4, 0, 100, 70, 0}, {50, 10, 4, 1, 23, 90, 0},
    {37, 23, 0, 0, 11, 7, 0},   {37, 23, 1, 0, 90, 90, 0},  {37, 23, 2, 0, 40, 80, 3},
};

Rgba Pattern(int x, int y) {
  return {std::uint8_t(x * 7 + y), std::uint8_t(y * 11 + x * 3), std::uint8_t((x * y) % 256)};
}

TEST(DrawingPaths, RowCopiesMatchTheLibrary) {
  const std::string png = Folder() + "/pattern.png";
  const std::string tiff = Folder() + "/pattern.tif";
  WritePicture(png, 37, 23, 3, Pattern);
  WritePicture(tiff, 37, 23, 3, Pattern);
  for (const Job& j : kCopyJobs) {
    SCOPED_TRACE(::testing::Message() << "mode " << j.mode << " on " << j.sw << "x" << j.sh);
    EXPECT_EQ(LargestDifference(Draw(png, j), Draw(tiff, j)), 0);
  }
}

TEST(DrawingPaths, TransparencyMatchesTheLibrary) {
  const auto withAlpha = [](int x, int y) {
    Rgba p = Pattern(x, y);
    p.a = std::uint8_t((x * 40 + y * 9) % 256);
    return p;
  };
  const std::string png = Folder() + "/alpha.png";
  const std::string tiff = Folder() + "/alpha.tif";
  WritePicture(png, 37, 23, 4, withAlpha);
  WritePicture(tiff, 37, 23, 4, withAlpha);
  for (const Job& j : kCopyJobs) {
    SCOPED_TRACE(::testing::Message() << "mode " << j.mode << " on " << j.sw << "x" << j.sh);
    EXPECT_LE(LargestDifference(Draw(png, j), Draw(tiff, j)), 1);
  }
}

TEST(DrawingPaths, JpegRowsMatchTheirDecodedPixels) {
  const std::string jpeg = Folder() + "/pattern.jpg";
  WritePicture(jpeg, 37, 23, 3, Pattern);
  const std::string decoded = Folder() + "/decoded.tif";
  vips::VImage::new_from_file(jpeg.c_str()).write_to_file(decoded.c_str());
  for (const Job& j : kCopyJobs) {
    SCOPED_TRACE(::testing::Message() << "mode " << j.mode << " on " << j.sw << "x" << j.sh);
    EXPECT_EQ(LargestDifference(Draw(jpeg, j), Draw(decoded, j)), 0);
  }
}

TEST(DrawingPaths, TurnedJpegRowsMatchTheLibraryTurningThem) {
  // The library turns a PNG holding the same stored pixels and orientation;
  // the picture is 37x23 upright either way.
  for (int orientation = 2; orientation <= 8; ++orientation) {
    const bool quarter = orientation >= 5;
    const std::string jpeg = Folder() + "/turned" + std::to_string(orientation) + ".jpg";
    WritePicture(jpeg, quarter ? 23 : 37, quarter ? 37 : 23, 3, Pattern, orientation);
    const std::string png = testing::TurnedPngOf(jpeg, orientation);
    for (const Job& j : kCopyJobs) {
      SCOPED_TRACE(::testing::Message() << "orientation " << orientation << " mode " << j.mode
                                        << " on " << j.sw << "x" << j.sh);
      EXPECT_EQ(LargestDifference(Draw(jpeg, j), Draw(png, j)), 0);
    }
  }
}

TEST(DrawingPaths, PngWithAStoredOrientationIsDrawnUpright) {
  // Stored 40x20, left half red and right half blue, with an eXIf chunk
  // turning it a quarter clockwise: upright, red is on top.
  const std::string plain = Folder() + "/plain.png";
  WritePicture(plain, 40, 20, 3, [](int x, int) {
    return x < 20 ? Rgba{255, 0, 0} : Rgba{0, 0, 255};
  });
  const std::string path = Folder() + "/turned.png";
  testing::WriteFileBytes(path, testing::PngWithOrientation(testing::ReadFileBytes(plain), 6));
  for (const Job& j : {Job{20, 40, 3, 2, 20, 40, 0}, Job{20, 40, 0, 0, 10, 20, 0}}) {
    const Canvas c = Draw(path, j);
    EXPECT_GT(RedOf(PixelOf(c, j.sw / 2, 1)), 200) << "mode " << j.mode;
    EXPECT_GT(BlueOf(PixelOf(c, j.sw / 2, j.sh - 2)), 200) << "mode " << j.mode;
  }
}

// What each of the program's own paths answers.  A picture it passes on
// must really not be its own, or the library would draw it differently; a
// picture it fails on must fail, not be passed on to fail again elsewhere or
// be reported as drawn.
TEST(DrawingPaths, EachPathClaimsOnlyWhatItDraws) {
  const std::string png = Folder() + "/claims.png";
  const std::string tiff = Folder() + "/claims.tif";
  const std::string jpeg = Folder() + "/claims.jpg";
  WritePicture(png, 37, 23, 3, Pattern);
  WritePicture(tiff, 37, 23, 3, Pattern);
  WritePicture(jpeg, 37, 23, 3, Pattern);
  const std::string turnedPng = Folder() + "/claims-turned.png";
  testing::WriteFileBytes(turnedPng, testing::PngWithOrientation(testing::ReadFileBytes(png), 6));
  const std::string cutJpeg = Folder() + "/claims-cut.jpg";
  // Cut in the middle of the pixel data, after the headers.
  const std::string jpegBytes = testing::ReadFileBytes(jpeg);
  const std::size_t scan = jpegBytes.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  testing::WriteFileBytes(cutJpeg, jpegBytes.substr(0, (scan + jpegBytes.size()) / 2));
  const std::string text = Folder() + "/claims-text.jpg";
  testing::WriteFileBytes(text, "to nie jest obrazek\n");

  enum Answer { Drawn, NotMine, Fails };
  enum Path { Direct, JpegScaled };
  const struct {
    const char* name;
    std::string path;
    Path way;
    int mode, interpolation;
    Answer answer;
  } cases[] = {
      {"PNG unscaled", png, Direct, 3, 2, Drawn},
      {"PNG tiled", png, Direct, 4, 2, Drawn},
      {"PNG nearest", png, Direct, 0, 0, Drawn},
      {"PNG smooth", png, Direct, 0, 2, NotMine},
      {"PNG stored turned", turnedPng, Direct, 3, 2, NotMine},
      {"TIFF", tiff, Direct, 3, 2, NotMine},
      {"JPEG unscaled", jpeg, Direct, 3, 2, Drawn},
      {"cut-off JPEG", cutJpeg, Direct, 3, 2, Fails},
      {"text named .jpg", text, Direct, 3, 2, NotMine},
      {"JPEG smooth", jpeg, JpegScaled, 0, 1, Drawn},
      {"PNG smooth", png, JpegScaled, 0, 2, NotMine},
      {"TIFF smooth", tiff, JpegScaled, 0, 2, NotMine},
      {"cut-off JPEG smooth", cutJpeg, JpegScaled, 0, 2, Fails},
      {"text named .jpg smooth", text, JpegScaled, 0, 2, NotMine},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Placement p = PlacePicture(37, 23, 50, 40, c.mode, 0);
    Canvas canvas = MakeCanvas(50, 40, kFill);
    const Result<PathOutcome> r = c.way == Direct
                                      ? DrawDirect(canvas, c.path, p, c.interpolation, kFill)
                                      : DrawJpegScaled(canvas, c.path, p, c.interpolation);
    if (c.answer == Fails) {
      EXPECT_FALSE(r.ok());
      EXPECT_FALSE(r.message().empty());
      continue;
    }
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ(*r, c.answer == Drawn ? PathOutcome::Drawn : PathOutcome::NotMine);
  }
}

}  // namespace
}  // namespace vendaro
