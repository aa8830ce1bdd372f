#include "compose/edge_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compose/placement.h"

namespace vendaro {
namespace {

constexpr ColorValue kBackground = Rgb(9, 9, 9);

ColorValue At(const Canvas& c, int x, int y) {
  const std::uint8_t* p = c.row(y) + x * 3;
  return Rgb(p[0], p[1], p[2]);
}

void Set(Canvas& c, int x, int y, ColorValue v) {
  std::uint8_t* p = c.row(y) + x * 3;
  p[0] = RedOf(v);
  p[1] = GreenOf(v);
  p[2] = BlueOf(v);
}

// A canvas in the background colour with a picture rectangle whose every
// pixel has its own colour.
Canvas WithPicture(int sw, int sh, int x0, int y0, int pw, int ph) {
  Canvas c{sw, sh, CanvasBytes(std::size_t(sw) * sh * 3)};
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < sw; ++x) {
      const bool inside = x >= x0 && x < x0 + pw && y >= y0 && y < y0 + ph;
      Set(c, x, y, inside ? Rgb(x - x0 + 20, y - y0 + 40, 200) : kBackground);
    }
  return c;
}

// The rows as letters: A B (top) and C D (bottom) of a 2x2 picture.
std::vector<std::string> Letters(const Canvas& c) {
  std::vector<std::string> rows;
  for (int y = 0; y < c.height; ++y) {
    std::string row;
    for (int x = 0; x < c.width; ++x) {
      const ColorValue v = At(c, x, y);
      row += v == kBackground ? '.' : char('A' + (RedOf(v) - 20) + 2 * (GreenOf(v) - 40));
    }
    rows.push_back(row);
  }
  return rows;
}

// The procedure one pixel at a time, reads outside giving nothing and
// writes outside changing nothing.
Canvas Reference(Canvas c, int x0, int y0, int pw, int ph, int sw, int sh, int align) {
  const Canvas before = c;
  auto read = [&](long x, long y) -> long {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height) return -1;
    return At(before, int(x), int(y));
  };
  auto write = [&](long x, long y, long v) {
    if (v >= 0 && x >= 0 && y >= 0 && x < c.width && y < c.height)
      Set(c, int(x), int(y), ColorValue(v));
  };
  for (long i = 0; i < ph; ++i) {
    for (long x = 0; x < x0; ++x) write(x, y0 + i, read(x0, y0 + i));
    for (long x = x0 + pw; x < c.width; ++x) write(x, y0 + i, read(x0 + pw - 1, y0 + i));
  }
  for (long j = 0; j < pw; ++j) {
    for (long y = 0; y < y0; ++y) write(x0 + j, y, read(x0 + j, y0));
    for (long y = y0 + ph; y < c.height; ++y) write(x0 + j, y, read(x0 + j, y0 + ph - 1));
  }
  struct C {
    long l, t, r, b, sx, sy;
    std::vector<int> aligns;
  };
  const C corners[] = {{0, y0 + ph, x0, sh, x0, y0 + ph - 1, {0, 2, 3, 4}},
                       {0, 0, x0, y0, x0, y0, {0, 4, 5, 6}},
                       {x0 + pw, 0, sw, y0, x0 + pw - 1, y0, {0, 6, 7, 8}},
                       {x0 + pw, y0 + ph, sw, sh, x0 + pw - 1, y0 + ph - 1, {0, 1, 2, 8}}};
  for (const C& k : corners) {
    if (std::find(k.aligns.begin(), k.aligns.end(), align) == k.aligns.end()) continue;
    for (long y = k.t; y < k.b; ++y)
      for (long x = k.l; x < k.r; ++x) write(x, y, read(k.sx, k.sy));
  }
  return c;
}

TEST(CopyEdgesToMargins, CentredTwoByTwoOnSixByFour) {
  const Placement p = PlacePicture(2, 2, 6, 4, 3, 0);
  ASSERT_EQ(p.x, 2);
  ASSERT_EQ(p.y, 1);
  Canvas c = WithPicture(6, 4, p.x, p.y, 2, 2);
  CopyEdgesToMargins(c, p.x, p.y, 2, 2, 6, 4, 0);
  EXPECT_EQ(Letters(c), (std::vector<std::string>{"AAABBB", "AAABBB", "CCCDDD", "CCCDDD"}));
}

TEST(CopyEdgesToMargins, TopLeftFillsRightBottomAndTheirCorner) {
  Canvas c = WithPicture(6, 4, 0, 0, 2, 2);
  CopyEdgesToMargins(c, 0, 0, 2, 2, 6, 4, 1);
  EXPECT_EQ(Letters(c), (std::vector<std::string>{"ABBBBB", "CDDDDD", "CDDDDD", "CDDDDD"}));
}

TEST(CopyEdgesToMargins, EveryAlignmentMatchesThePixelByPixelProcedure) {
  struct Case {
    int sw, sh, pw, ph, mode;
  };
  const Case cases[] = {
      {9, 7, 3, 2, 3},     // margins all round
      {12, 9, 30, 10, 1},  // wider picture: top and bottom only
      {12, 9, 5, 20, 1},   // taller picture: sides only
      {8, 6, 20, 3, 3},    // wider than the screen, not taller
      {8, 6, 3, 20, 3},    // taller than the screen, not wider
      {8, 6, 20, 20, 3},   // larger on both axes: nothing changes
      {10, 10, 1, 1, 3},   // a single pixel
  };
  for (const Case& k : cases)
    for (int align = 0; align <= 8; ++align) {
      const Placement p = PlacePicture(k.pw, k.ph, k.sw, k.sh, k.mode, align);
      SCOPED_TRACE(::testing::Message() << k.pw << "x" << k.ph << " on " << k.sw << "x" << k.sh
                                        << " mode " << k.mode << " align " << align);
      Canvas c = WithPicture(k.sw, k.sh, p.x, p.y, p.w, p.h);
      const Canvas want = Reference(c, p.x, p.y, p.w, p.h, k.sw, k.sh, align);
      CopyEdgesToMargins(c, p.x, p.y, p.w, p.h, k.sw, k.sh, align);
      EXPECT_EQ(c.rgb, want.rgb);
      // Margins are filled wherever a picture pixel could be sampled.
      if (k.pw <= k.sw && k.ph <= k.sh && k.mode == 3) {
        for (std::size_t i = 0; i < c.rgb.size(); i += 3) {
          EXPECT_FALSE(c.rgb[i] == 9 && c.rgb[i + 1] == 9) << "pixel " << i / 3 << " left plain";
        }
      }
    }
}

TEST(CopyEdgesToMargins, LargerPictureLeavesTheCanvasAlone) {
  Canvas c = WithPicture(8, 6, -6, -7, 20, 20);
  const Canvas before = c;
  CopyEdgesToMargins(c, -6, -7, 20, 20, 8, 6, 0);
  EXPECT_EQ(c.rgb, before.rgb);
}

TEST(CopyEdgesToMargins, RectangleOffTheCanvasWritesNothing) {
  // Samples outside the canvas never reach it, wherever the rectangle lies.
  const int rects[][4] = {{10, 2, 3, 3}, {-9, 1, 3, 3}, {2, 9, 3, 3}, {1, -9, 3, 3}};
  for (const auto& r : rects) {
    Canvas c = WithPicture(8, 6, 0, 0, 0, 0);
    const Canvas before = c;
    CopyEdgesToMargins(c, r[0], r[1], r[2], r[3], 8, 6, 0);
    EXPECT_EQ(c.rgb, before.rgb);
  }
}

TEST(MeanColor, HalvesEachChannelRoundingDown) {
  EXPECT_EQ(MeanColor(Rgb(255, 0, 10), Rgb(255, 1, 13)), Rgb(255, 0, 11));
  EXPECT_EQ(MeanColor(Rgb(1, 2, 3), Rgb(1, 2, 3)), Rgb(1, 2, 3));
  EXPECT_EQ(MeanColor(0xAB102030u, 0xCD102030u), Rgb(0x30, 0x20, 0x10));
}

}  // namespace
}  // namespace vendaro
