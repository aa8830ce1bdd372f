// Pictures whose headers claim far more than their files hold: each is drawn
// or refused within the limits of decode_limits.h, with one reason when
// refused and the plain background left behind.
#include "hostile_pictures.h"

#include <gtest/gtest.h>

#include <string>
#include <vips/vips8>

#include "compose/compose_wallpaper.h"
#include "support/heap_peak.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::HeapPeak;
using testing::PixelOf;

constexpr ColorValue kFill = Rgb(20, 40, 60);
// About the memory a composition may use beside the canvas.
constexpr std::int64_t kAllowed = 300LL << 20;

std::string Folder() {
  static const std::string folder = testing::MakeTempDir("hostile");
  return folder;
}

std::string Save(const std::string& name, const std::string& bytes) {
  const std::string path = Folder() + "/" + name;
  testing::WriteFileBytes(path, bytes);
  return path;
}

struct Way {
  const char* name;
  int mode;
  int interpolation;
};
// Every drawing path: the JPEG path (smooth scaling), the copying path
// (original size, tiles, nearest neighbour) and the picture library
// (smooth scaling of everything else).
constexpr Way kEveryWay[] = {
    {"stretched bicubic", 0, 2}, {"fitted bilinear", 1, 1}, {"stretched nearest", 0, 0},
    {"original size", 3, 2},     {"tiles", 4, 2},
};

struct Drawn {
  RenderResult result;
  std::int64_t peak;
  bool withinMemory;
};

Drawn Draw(const std::string& path, int claimedWidth, int claimedHeight, const Way& way,
           ScreenSize screen, std::int64_t allowed = kAllowed) {
  Options o;
  o.FillColor = kFill;
  o.GapFill = 1;
  o.DisplayMode = std::int8_t(way.mode);
  o.Interpolation = std::int8_t(way.interpolation);
  const HeapPeak peak(allowed);
  RenderResult r =
      RenderEntry(MakeEntry(path, claimedWidth, claimedHeight), o, screen, [](int) { return 0u; });
  return {std::move(r), peak.bytes(), peak.within()};
}

bool AllBackground(const Canvas& c) {
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (PixelOf(c, x, y) != kFill) return false;
  return true;
}

TEST(HostilePictures, ClaimsBeyondTheDataAreRefusedWithinTheLimits) {
  struct Case {
    const char* name;
    std::string bytes;
    int width, height;
    const char* reason;  // part of the reason given; null: drawn
  };
  const Case cases[] = {
      {"text-chunk-2gb.png", testing::PngWithTextClaiming(0x7FFFFFF0u), 1, 1, "blok"},
      {"empty-rle-16384.bmp", testing::RleBmpClaiming(16384, 16384), 16384, 16384, "RLE"},
      {"progressive-16384.jpg", testing::ProgressiveJpegClaiming(16384, 16384), 16384, 16384,
       "pamięci"},
      {"repeated-scan.jpg", testing::ProgressiveJpegRepeatingAScan(1000), 64, 64, "uszkodzone"},
      {"cut-and-closed.jpg", testing::JpegCutAndClosed(), 64, 48, "uszkodzone"},
  };
  for (const Case& c : cases) {
    const std::string path = Save(c.name, c.bytes);
    for (const Way& way : kEveryWay) {
      SCOPED_TRACE(::testing::Message() << c.name << ", " << way.name);
      const Drawn d = Draw(path, c.width, c.height, way, {64, 48});
      EXPECT_TRUE(d.withinMemory) << d.peak / (1 << 20) << " MB";
      if (!c.reason) {
        EXPECT_TRUE(d.result.picture.ok()) << d.result.picture.message();
        continue;
      }
      EXPECT_FALSE(d.result.picture.ok());
      EXPECT_NE(d.result.picture.message().find(c.reason), std::string::npos)
          << d.result.picture.message();
      EXPECT_TRUE(AllBackground(d.result.canvas));
    }
  }
}

// libjpeg would keep every APP1 block it is asked to save: memory as large
// as the file.
TEST(HostilePictures, ManyExifBlocksAreSkippedNotHeld) {
  const std::string path = Save("many-exif.jpg", testing::JpegWithExifBlocks(500));
  for (const Way& way : kEveryWay) {
    SCOPED_TRACE(way.name);
    const Drawn d = Draw(path, 64, 48, way, {64, 48}, 16LL << 20);
    EXPECT_TRUE(d.result.picture.ok()) << d.result.picture.message();
    EXPECT_TRUE(d.withinMemory) << d.peak / (1 << 20) << " MB for a 32 MB file";
  }
}

TEST(HostilePictures, PngChunksClaimingTooMuchAreRefusedBeforeAnyReaderAllocates) {
  // Before the pixels the picture library's reader allocated the claim too;
  // at the screen's own size the picture takes the copying path in every
  // mode without a filter.
  std::string before = testing::PngWithTextClaiming(13);  // as long as it is
  const std::size_t text = before.find("tEXt") - 4, pixels = before.find("IDAT") - 4;
  const std::string chunk = before.substr(text, 4 + 4 + 13 + 4);
  before.erase(text, chunk.size());
  before.insert(pixels, chunk);
  before.replace(pixels, 4, "\x7F\xFF\xFF\xF0");
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"after-pixels.png", testing::PngWithTextClaiming(0x7FFFFFF0u)},
      {"just-beyond.png", testing::PngWithTextClaiming(40)},
      {"before-pixels.png", before},
  };
  for (const Case& c : cases) {
    const std::string path = Save(c.name, c.bytes);
    for (const Way& way : kEveryWay) {
      SCOPED_TRACE(::testing::Message() << c.name << ", " << way.name);
      const Drawn d = Draw(path, 1, 1, way, {1, 1});
      EXPECT_TRUE(d.withinMemory) << d.peak / (1 << 20) << " MB";
      EXPECT_FALSE(d.result.picture.ok());
      EXPECT_NE(d.result.picture.message().find("blok"), std::string::npos)
          << d.result.picture.message();
    }
  }
  // A chunk that does hold what it claims is no reason to refuse.
  const std::string honest = Save("honest.png", testing::PngWithTextClaiming(13));
  for (const Way& way : kEveryWay) {
    const Drawn d = Draw(honest, 1, 1, way, {1, 1});
    EXPECT_TRUE(d.result.picture.ok()) << way.name << ": " << d.result.picture.message();
    EXPECT_EQ(PixelOf(d.result.canvas, 0, 0), Rgb(90, 140, 40)) << way.name;
  }
}

TEST(HostilePictures, TooManyScansAreRefusedThoughEachIsValid) {
  struct Case {
    const char* name;
    int width, height, scans;
    bool refused;
  };
  const Case cases[] = {
      {"ordinary", 256, 256, 64, false},
      {"many-small", 64, 64, 600, true},  // beyond the number of scans
  };
  for (const Case& c : cases) {
    const std::string path = Folder() + "/" + c.name + ".jpg";
    testing::WriteManyScanJpeg(path, c.width, c.height, c.scans);
    for (const Way& way : kEveryWay) {
      SCOPED_TRACE(::testing::Message() << c.name << ", " << way.name);
      const Drawn d = Draw(path, c.width, c.height, way, {40, 30});
      EXPECT_EQ(d.result.picture.ok(), !c.refused) << d.result.picture.message();
      if (c.refused) {
        EXPECT_NE(d.result.picture.message().find("skanów"), std::string::npos)
            << d.result.picture.message();
      }
    }
  }
}

TEST(HostilePictures, NearestNeighbourAndTurnedPicturesKeepOnlyTheSamplesDrawn) {
  // Large real pictures: the samples of a 160 x 120 canvas are a few rows
  // and columns of them, where holding the span they come from would take
  // 100 MB and more.
  const std::string png = Folder() + "/large.png";
  const std::string jpeg = Folder() + "/large-turned.jpg";
  {
    const vips::VImage image = vips::VImage::xyz(6000, 6000)
                                   .extract_band(0)
                                   .cast(VIPS_FORMAT_UCHAR)
                                   .bandjoin_const({7, 9});
    image.write_to_file(png.c_str(), vips::VImage::option()->set("compression", 1));
    vips::VImage turned = image.copy();
    turned.set(VIPS_META_ORIENTATION, 6);
    turned.write_to_file(jpeg.c_str());
  }
  const Way ways[] = {
      {"stretched nearest", 0, 0}, {"filled nearest", 2, 0}, {"original size", 3, 0}};
  for (const std::string& path : {png, jpeg}) {
    for (const Way& way : ways) {
      SCOPED_TRACE(::testing::Message() << path << ", " << way.name);
      const Drawn d = Draw(path, 6000, 6000, way, {160, 120}, 48LL << 20);
      EXPECT_TRUE(d.result.picture.ok()) << d.result.picture.message();
      EXPECT_TRUE(d.withinMemory) << d.peak / (1 << 20) << " MB";
    }
  }
}

}  // namespace
}  // namespace vendaro
