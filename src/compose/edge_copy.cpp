#include "compose/edge_copy.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace vendaro {
namespace {

struct Pixel {
  std::uint8_t r, g, b;
};

ColorValue ToColor(Pixel p) {
  return Rgb(p.r, p.g, p.b);
}
Pixel ToPixel(ColorValue c) {
  return {RedOf(c), GreenOf(c), BlueOf(c)};
}

// The canvas seen through 64-bit coordinates, so that picture rectangles
// reaching past the 32-bit range clip instead of wrapping.
class Surface {
 public:
  explicit Surface(Canvas& canvas) : canvas_(canvas) {}

  bool Inside(std::int64_t x, std::int64_t y) const {
    return x >= 0 && y >= 0 && x < canvas_.width && y < canvas_.height;
  }
  std::optional<Pixel> Read(std::int64_t x, std::int64_t y) const {
    if (!Inside(x, y)) return std::nullopt;
    const std::uint8_t* p = canvas_.row(static_cast<int>(y)) + x * 3;
    return Pixel{p[0], p[1], p[2]};
  }
  // Fills columns [left, right) of rows [top, bottom), clipped to the canvas.
  void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
            Pixel colour) {
    ClipColumns(left, right);
    top = std::max<std::int64_t>(top, 0);
    bottom = std::min<std::int64_t>(bottom, canvas_.height);
    for (std::int64_t y = top; y < bottom && left < right; ++y) {
      std::uint8_t* p = canvas_.row(static_cast<int>(y)) + left * 3;
      for (std::int64_t x = left; x < right; ++x, p += 3) {
        p[0] = colour.r;
        p[1] = colour.g;
        p[2] = colour.b;
      }
    }
  }
  // Copies `bytes` (RGB of columns [left, right)) into rows [top, bottom).
  void CopyRowInto(const std::vector<std::uint8_t>& bytes, std::int64_t left, std::int64_t top,
                   std::int64_t bottom) {
    top = std::max<std::int64_t>(top, 0);
    bottom = std::min<std::int64_t>(bottom, canvas_.height);
    for (std::int64_t y = top; y < bottom && !bytes.empty(); ++y)
      std::memcpy(canvas_.row(static_cast<int>(y)) + left * 3, bytes.data(), bytes.size());
  }
  void ClipColumns(std::int64_t& left, std::int64_t& right) const {
    left = std::max<std::int64_t>(left, 0);
    right = std::min<std::int64_t>(right, canvas_.width);
  }

 private:
  Canvas& canvas_;
};

// The picture row at `y`, over the columns of the picture that lie on the
// canvas; empty when that row is not on the canvas.
std::vector<std::uint8_t> SampleRow(const Surface& s, std::int64_t y, std::int64_t left,
                                    std::int64_t right) {
  std::vector<std::uint8_t> bytes;
  for (std::int64_t x = left; x < right; ++x) {
    const auto p = s.Read(x, y);
    if (!p) return {};
    bytes.insert(bytes.end(), {p->r, p->g, p->b});
  }
  return bytes;
}

struct Corner {
  std::int64_t left, top, right, bottom;
  std::int64_t sampleX, sampleY;
  bool used;
};

}  // namespace

ColorValue MeanColor(ColorValue a, ColorValue b) {
  auto mean = [](unsigned u, unsigned v) {
    return static_cast<std::uint8_t>(std::min((u + v) >> 1, 255u));
  };
  return Rgb(mean(RedOf(a), RedOf(b)), mean(GreenOf(a), GreenOf(b)), mean(BlueOf(a), BlueOf(b)));
}

void CopyEdgesToMargins(Canvas& canvas, std::int32_t x0, std::int32_t y0, std::int32_t PW,
                        std::int32_t PH, std::int32_t SW, std::int32_t SH,
                        Choice<PictureAlign> alignment) {
  if (canvas.empty() || PW <= 0 || PH <= 0) return;
  Surface s(canvas);
  const std::int64_t left = x0, top = y0;
  const std::int64_t right = left + PW, bottom = top + PH;  // one past the picture
  std::int64_t visibleLeft = left, visibleRight = right;
  s.ClipColumns(visibleLeft, visibleRight);

  // Every sample first: the margins are written from these alone.
  std::vector<std::optional<Pixel>> leftColumn, rightColumn;
  const std::int64_t rowFrom = std::max<std::int64_t>(top, 0);
  const std::int64_t rowTo = std::min<std::int64_t>(bottom, canvas.height);
  for (std::int64_t y = rowFrom; y < rowTo; ++y) {
    leftColumn.push_back(s.Read(left, y));
    rightColumn.push_back(s.Read(right - 1, y));
  }
  const auto topRow = SampleRow(s, top, visibleLeft, visibleRight);
  const auto bottomRow = SampleRow(s, bottom - 1, visibleLeft, visibleRight);
  // A corner is filled where the picture stands away from both of its edges.
  const auto awayFrom = [h = PictureAlign(alignment)](PictureAlign a, PictureAlign b,
                                                      PictureAlign c) {
    return h == PictureAlign::Centre || h == a || h == b || h == c;
  };
  using A = PictureAlign;
  const Corner corners[] = {
      {0, bottom, left, SH, left, bottom - 1, awayFrom(A::TopCentre, A::TopRight, A::RightCentre)},
      {0, 0, left, top, left, top, awayFrom(A::RightCentre, A::BottomRight, A::BottomCentre)},
      {right, 0, SW, top, right - 1, top, awayFrom(A::BottomCentre, A::BottomLeft, A::LeftCentre)},
      {right, bottom, SW, SH, right - 1, bottom - 1,
       awayFrom(A::TopLeft, A::TopCentre, A::LeftCentre)},
  };
  std::optional<Pixel> cornerColours[4];
  for (int i = 0; i < 4; ++i) {
    const auto p = s.Read(corners[i].sampleX, corners[i].sampleY);
    if (p) cornerColours[i] = ToPixel(MeanColor(ToColor(*p), ToColor(*p)));
  }

  for (std::size_t i = 0; i < leftColumn.size(); ++i) {
    const std::int64_t y = rowFrom + static_cast<std::int64_t>(i);
    if (leftColumn[i]) s.Fill(0, y, left, y + 1, *leftColumn[i]);
    if (rightColumn[i]) s.Fill(right, y, canvas.width, y + 1, *rightColumn[i]);
  }
  s.CopyRowInto(topRow, visibleLeft, 0, top);
  s.CopyRowInto(bottomRow, visibleLeft, bottom, canvas.height);
  for (int i = 0; i < 4; ++i) {
    const Corner& c = corners[i];
    if (c.used && cornerColours[i]) s.Fill(c.left, c.top, c.right, c.bottom, *cornerColours[i]);
  }
}

}  // namespace vendaro
