#include "compose/placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace vendaro {
namespace {

struct Row {
  int mode, align;
  std::int32_t pw, ph, sw, sh;
  PlacementKind kind;
  std::int32_t x, y, w, h;
  bool edgeFill;
};

constexpr auto U = PlacementKind::Unscaled;
constexpr auto S = PlacementKind::Scaled;
constexpr auto T = PlacementKind::Tiled;
constexpr auto N = PlacementKind::Nothing;

void ExpectPlacement(const Row& r) {
  const Placement p = PlacePicture(r.pw, r.ph, r.sw, r.sh, r.mode, r.align);
  SCOPED_TRACE(::testing::Message() << "mode " << r.mode << " align " << r.align << " picture "
                                    << r.pw << "x" << r.ph << " screen " << r.sw << "x" << r.sh);
  EXPECT_EQ(PlacementKindName(p.kind), std::string(PlacementKindName(r.kind)));
  EXPECT_EQ(p.x, r.x);
  EXPECT_EQ(p.y, r.y);
  EXPECT_EQ(p.w, r.w);
  EXPECT_EQ(p.h, r.h);
  EXPECT_EQ(p.edgeFill, r.edgeFill);
}

TEST(PlacePicture, DocumentedRows) {
  const Row rows[] = {
      {0, 0, 1024, 768, 1024, 768, U, 0, 0, 1024, 768, false},
      {0, 5, 1024, 768, 1024, 768, U, 0, 0, 1024, 768, false},
      {0, 0, 800, 600, 1024, 768, S, 0, 0, 1024, 768, false},
      {0, 7, 800, 600, 1024, 768, S, 0, 0, 1024, 768, false},
      {1, 0, 1000, 500, 1024, 768, S, 0, 128, 1024, 512, true},
      {1, 5, 1000, 500, 1024, 768, S, 0, 256, 1024, 512, true},
      {1, 0, 500, 1000, 1024, 768, S, 320, 0, 384, 768, true},
      {1, 3, 500, 1000, 1024, 768, S, 640, 0, 384, 768, true},
      {1, 0, 800, 600, 1024, 768, S, 0, 0, 1024, 768, false},
      {1, 6, 640, 480, 1024, 768, S, 0, 0, 1024, 768, false},
      {1, 2, 1024, 768, 1024, 768, U, 0, 0, 1024, 768, false},
      {1, 0, 2000, 2250, 1024, 768, S, 170, 0, 682, 768, true},
      {1, 4, 2000, 2250, 1024, 768, S, 341, 0, 682, 768, true},
      {1, 0, 1920, 1080, 1366, 768, S, 0, 0, 1365, 768, true},
      {1, 0, 674, 2696, 1440, 900, S, 607, 0, 225, 900, true},
      {2, 0, 1000, 500, 1024, 768, S, -256, 0, 1536, 768, false},
      {2, 3, 1000, 500, 1024, 768, S, -512, 0, 1536, 768, false},
      {2, 0, 500, 1000, 1024, 768, S, 0, -640, 1024, 2048, false},
      {2, 6, 500, 1000, 1024, 768, S, 0, -1280, 1024, 2048, false},
      {2, 0, 3375, 400, 1024, 768, S, -2728, 0, 6480, 768, false},
      {2, 0, 1920, 1080, 1366, 768, S, 0, 0, 1366, 768, false},
      {2, 0, 1024, 768, 1024, 768, S, 0, 0, 1024, 768, false},
      {3, 0, 800, 600, 1024, 768, U, 112, 84, 800, 600, true},
      {3, 5, 800, 600, 1024, 768, U, 224, 168, 800, 600, true},
      {3, 0, 1029, 771, 1024, 768, U, -3, -2, 1029, 771, true},
      {3, 4, 1280, 1024, 1024, 768, U, -256, -128, 1280, 1024, true},
      {4, 0, 300, 200, 1024, 768, T, 0, 0, 300, 200, false},
      {4, 8, 300, 200, 1024, 768, T, 0, 0, 300, 200, false},
  };
  for (const Row& r : rows) ExpectPlacement(r);
}

TEST(PlacePicture, AlignmentsPickTheirAnchors) {
  // Mode 3 with an 824x668 picture leaves 200 and 100 free: 0, half, all.
  const Row rows[] = {
      {3, 0, 824, 668, 1024, 768, U, 100, 50, 824, 668, true},
      {3, 1, 824, 668, 1024, 768, U, 0, 0, 824, 668, true},
      {3, 2, 824, 668, 1024, 768, U, 100, 0, 824, 668, true},
      {3, 3, 824, 668, 1024, 768, U, 200, 0, 824, 668, true},
      {3, 4, 824, 668, 1024, 768, U, 200, 50, 824, 668, true},
      {3, 5, 824, 668, 1024, 768, U, 200, 100, 824, 668, true},
      {3, 6, 824, 668, 1024, 768, U, 100, 100, 824, 668, true},
      {3, 7, 824, 668, 1024, 768, U, 0, 100, 824, 668, true},
      {3, 8, 824, 668, 1024, 768, U, 0, 50, 824, 668, true},
      // Negative free extents round toward minus infinity when halved.
      {3, 0, 1029, 773, 1024, 768, U, -3, -3, 1029, 773, true},
      {3, 5, 1029, 773, 1024, 768, U, -5, -5, 1029, 773, true},
  };
  for (const Row& r : rows) ExpectPlacement(r);
}

TEST(PlacePicture, UnusableSizesPlaceNothing) {
  const Row rows[] = {
      {0, 0, 0, 768, 1024, 768, N, 0, 0, 0, 0, false},
      {1, 0, 1000, 0, 1024, 768, N, 0, 0, 0, 0, false},
      {2, 0, -5, 100, 1024, 768, N, 0, 0, 0, 0, false},
      {3, 0, 100, -1, 1024, 768, N, 0, 0, 0, 0, false},
      {4, 0, 0, 0, 1024, 768, N, 0, 0, 0, 0, false},
      {1, 0, 100, 100, 0, 768, N, 0, 0, 0, 0, false},
      // A drawn width beyond 32 bits cannot be drawn at all.
      {2, 0, INT32_MAX, 1, 1024, INT32_MAX, N, 0, 0, 0, 0, false},
  };
  for (const Row& r : rows) ExpectPlacement(r);
}

TEST(PlacePicture, ExtremeSizesStayInRange) {
  const std::int32_t big = INT32_MAX;
  const Row rows[] = {
      {1, 0, big, 1, 3840, 2160, S, 0, 1079, 3840, 0, true},
      {1, 0, 1, big, 3840, 2160, S, 1919, 0, 0, 2160, true},
      {2, 0, 1, big, 3840, 2160, N, 0, 0, 0, 0, false},
      {3, 0, big, big, 1, 1, U, -1073741823, -1073741823, big, big, true},
      {3, 5, big, 1, big, 1, U, 0, 0, big, 1, true},
  };
  for (const Row& r : rows) ExpectPlacement(r);
}

#if defined(__x86_64__) || defined(__i386__)
// The original arithmetic on the x87 type: an independent check of the
// integer emulation where long double has a 64-bit significand.
long double Extended(long double v) {
  return v;
}

Placement ReferencePlacement(std::int32_t PW, std::int32_t PH, std::int32_t SW, std::int32_t SH,
                             int mode, int align) {
  static const int hAnchor[9] = {1, 0, 1, 2, 2, 2, 1, 0, 0};
  static const int vAnchor[9] = {1, 0, 0, 0, 1, 2, 2, 2, 1};
  auto offset = [](int anchor, long double d) -> std::int32_t {
    if (anchor == 0) return 0;
    return static_cast<std::int32_t>(std::trunc(anchor == 1 ? d * 0.5L : d));
  };
  const double sr = static_cast<double>(Extended(SW) / SH);
  const double pr = static_cast<double>(Extended(PW) / PH);
  const double hFit = static_cast<double>(Extended(PH) / (Extended(PW) / SW));
  const double wFit = static_cast<double>(Extended(PW) / (Extended(PH) / SH));
  const bool same = PW == SW && PH == SH;
  auto scaled = [](std::int32_t x, std::int32_t y, double w, double h, bool edge) {
    return Placement{PlacementKind::Scaled,        x,   y, static_cast<std::int32_t>(w),
                     static_cast<std::int32_t>(h), edge};
  };
  switch (mode) {
    case 0:
      return same ? Placement{U, 0, 0, PW, PH, false} : Placement{S, 0, 0, SW, SH, false};
    case 1:
      if (pr > sr) return scaled(0, offset(vAnchor[align], Extended(SH) - hFit), SW, hFit, true);
      if (pr < sr) return scaled(offset(hAnchor[align], Extended(SW) - wFit), 0, wFit, SH, true);
      return same ? Placement{U, 0, 0, PW, PH, false} : Placement{S, 0, 0, SW, SH, false};
    case 2:
      if (pr > sr) return scaled(offset(hAnchor[align], Extended(SW) - wFit), 0, wFit, SH, false);
      if (pr < sr) return scaled(0, offset(vAnchor[align], Extended(SH) - hFit), SW, hFit, false);
      return Placement{S, 0, 0, SW, SH, false};
    default:
      return {};
  }
}

TEST(PlacePicture, AgreesWithExtendedArithmeticOnGeneratedCases) {
  const std::int32_t screens[][2] = {{1024, 768},  {1280, 1024}, {1366, 768},  {1440, 900},
                                     {1600, 900},  {1920, 1080}, {1920, 1200}, {2560, 1440},
                                     {3440, 1440}, {3840, 2160}, {800, 600},   {1280, 800}};
  std::mt19937 random(20240607);
  std::uniform_int_distribution<std::int32_t> size(1, 10000);
  // Pictures wider and narrower than their screen take different branches of
  // both modes; the cases are worth little unless they reach each.
  int wider = 0, narrower = 0;
  for (int i = 0; i < 4000; ++i) {
    const auto& screen = screens[i % std::size(screens)];
    const std::int32_t pw = size(random),
                       ph = i % 5 == 0 ? pw * screen[1] / screen[0] + 1 : size(random);
    for (int mode = 1; mode <= 2; ++mode) {
      const int align = static_cast<int>(random() % 9);
      const Placement want = ReferencePlacement(pw, ph, screen[0], screen[1], mode, align);
      const Placement got = PlacePicture(pw, ph, screen[0], screen[1], mode, align);
      ASSERT_TRUE(want.kind == got.kind && want.x == got.x && want.y == got.y && want.w == got.w &&
                  want.h == got.h && want.edgeFill == got.edgeFill)
          << "mode " << mode << " align " << align << " picture " << pw << "x" << ph << " screen "
          << screen[0] << "x" << screen[1] << ": want " << want.x << "," << want.y << " " << want.w
          << "x" << want.h << " got " << got.x << "," << got.y << " " << got.w << "x" << got.h;
      const std::int64_t across = std::int64_t{pw} * screen[1], down = std::int64_t{ph} * screen[0];
      wider += across > down;
      narrower += across < down;
    }
  }
  EXPECT_GT(wider, 1000);
  EXPECT_GT(narrower, 1000);
}
#endif

TEST(PlacePicture, TilesAndOriginalSizeDoNotScale) {
  for (int align = 0; align <= 8; ++align) {
    const Placement tiles = PlacePicture(37, 23, 1920, 1080, 4, align);
    EXPECT_EQ(tiles.kind, T);
    EXPECT_EQ(tiles.x, 0);
    EXPECT_EQ(tiles.w, 37);
    const Placement stretch = PlacePicture(37, 23, 1920, 1080, 0, align);
    EXPECT_EQ(stretch.kind, S);
    EXPECT_EQ(stretch.w, 1920);
  }
}

}  // namespace
}  // namespace vendaro
