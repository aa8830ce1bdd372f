#include "compose/placement.h"

#include <bit>
#include <cmath>
#include <limits>

namespace vendaro {
namespace {

// A positive value m * 2^e with a 64-bit significand (top bit set): the
// x87 extended type the ratios were first computed in.  Emulated with 64-bit
// integers so every platform gets the same truncated sizes, also where long
// double is only a double.
struct Extended {
  std::uint64_t m;
  int e;
};

// a*2^ea / (b*2^eb), rounded to nearest-even on 64 significant bits, by long
// division one bit at a time.
Extended Divide(std::uint64_t a, int ea, std::uint64_t b, int eb) {
  const int la = std::countl_zero(a);
  const int lb = std::countl_zero(b);
  a <<= la;
  b <<= lb;
  // a/b now lies in (1/2, 2): the bit of weight 1 and 63 more, or 64 bits
  // after the point, fill the significand.
  const int fractionBits = a >= b ? 63 : 64;
  std::uint64_t q = 0;
  std::uint64_t rest = a;
  if (rest >= b) {
    q = 1;
    rest -= b;
  }
  for (int i = 0; i < fractionBits; ++i) {
    const bool carry = rest >> 63;
    rest <<= 1;
    q <<= 1;
    if (carry || rest >= b) {
      rest -= b;
      q |= 1;
    }
  }
  int e = ea - la - eb + lb - fractionBits;
  const bool carry = rest >> 63;
  const std::uint64_t twiceRest = rest << 1;
  if (carry || twiceRest > b || (twiceRest == b && (q & 1))) {
    if (++q == 0) {
      q = std::uint64_t{1} << 63;
      ++e;
    }
  }
  return {q, e};
}

// The extended value stored into a double: nearest-even on 53 bits.
double ToDouble(Extended v) {
  std::uint64_t top = v.m >> 11;
  const std::uint64_t dropped = v.m & 0x7FF;
  if (dropped > 0x400 || (dropped == 0x400 && (top & 1))) ++top;
  return std::ldexp(static_cast<double>(top), v.e + 11);
}

// PH / (PW / SW): the inner quotient held extended, the outer division
// done extended and then stored as a double, as the original arithmetic did.
double FittedExtent(std::int32_t other, std::int32_t own, std::int32_t screenOwn) {
  const Extended inner =
      Divide(static_cast<std::uint64_t>(own), 0, static_cast<std::uint64_t>(screenOwn), 0);
  return ToDouble(Divide(static_cast<std::uint64_t>(other), 0, inner.m, inner.e));
}

double Ratio(std::int32_t a, std::int32_t b) {
  return ToDouble(Divide(static_cast<std::uint64_t>(a), 0, static_cast<std::uint64_t>(b), 0));
}

enum class Anchor { Start, Centre, End };

Anchor HorizontalAnchor(PictureAlign alignment) {
  switch (alignment) {
    case PictureAlign::TopLeft:
    case PictureAlign::BottomLeft:
    case PictureAlign::LeftCentre:
      return Anchor::Start;
    case PictureAlign::TopRight:
    case PictureAlign::RightCentre:
    case PictureAlign::BottomRight:
      return Anchor::End;
    default:
      return Anchor::Centre;
  }
}

Anchor VerticalAnchor(PictureAlign alignment) {
  switch (alignment) {
    case PictureAlign::TopLeft:
    case PictureAlign::TopCentre:
    case PictureAlign::TopRight:
      return Anchor::Start;
    case PictureAlign::BottomRight:
    case PictureAlign::BottomCentre:
    case PictureAlign::BottomLeft:
      return Anchor::End;
    default:
      return Anchor::Centre;
  }
}

// AnchorOffset(anchor, screen - drawn) with truncation toward zero, computed
// exactly: screen - drawn = n - f with n an integer and 0 <= f < 1, and any
// value strictly between n - 1 and n truncates (halved or not) like n - 1/2.
std::int64_t AnchorOffset(Anchor anchor, std::int32_t screen, double drawn) {
  const double whole = std::floor(drawn);
  const std::int64_t n = screen - static_cast<std::int64_t>(whole);
  const std::int64_t twiceFree = 2 * n - (drawn > whole ? 1 : 0);
  switch (anchor) {
    case Anchor::Start:
      return 0;
    case Anchor::Centre:
      return twiceFree / 4;
    case Anchor::End:
      return twiceFree / 2;
  }
  return 0;
}

// Division by 2 rounded toward minus infinity (an arithmetic shift).
std::int32_t AnchorOffsetInt(Anchor anchor, std::int32_t freeExtent) {
  switch (anchor) {
    case Anchor::Start:
      return 0;
    case Anchor::Centre:
      return freeExtent >> 1;
    case Anchor::End:
      return freeExtent;
  }
  return 0;
}

bool FitsInt32(std::int64_t v) {
  return v >= std::numeric_limits<std::int32_t>::min() &&
         v <= std::numeric_limits<std::int32_t>::max();
}

// A scaled rectangle whose numbers do not fit the 32-bit fields cannot be
// drawn; it places nothing rather than wrapping around.
Placement ScaledOrNothing(std::int64_t x, std::int64_t y, double w, double h, bool edgeFill) {
  const double limit = std::numeric_limits<std::int32_t>::max();
  if (w >= limit + 1.0 || h >= limit + 1.0 || !FitsInt32(x) || !FitsInt32(y)) return {};
  return {PlacementKind::Scaled,        static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
          static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), edgeFill};
}

Placement Stretch(std::int32_t PW, std::int32_t PH, std::int32_t SW, std::int32_t SH) {
  if (PW == SW && PH == SH) return {PlacementKind::Unscaled, 0, 0, PW, PH, false};
  return {PlacementKind::Scaled, 0, 0, SW, SH, false};
}

Placement Fit(std::int32_t PW, std::int32_t PH, std::int32_t SW, std::int32_t SH,
              PictureAlign alignment) {
  const double sr = Ratio(SW, SH);
  const double pr = Ratio(PW, PH);
  if (pr == sr) {
    if (PW == SW && PH == SH) return {PlacementKind::Unscaled, 0, 0, PW, PH, false};
    return {PlacementKind::Scaled, 0, 0, SW, SH, false};
  }
  if (pr > sr) {
    const double hFit = FittedExtent(PH, PW, SW);
    return ScaledOrNothing(0, AnchorOffset(VerticalAnchor(alignment), SH, hFit), SW, hFit, true);
  }
  const double wFit = FittedExtent(PW, PH, SH);
  return ScaledOrNothing(AnchorOffset(HorizontalAnchor(alignment), SW, wFit), 0, wFit, SH, true);
}

Placement FillAndCrop(std::int32_t PW, std::int32_t PH, std::int32_t SW, std::int32_t SH,
                      PictureAlign alignment) {
  const double sr = Ratio(SW, SH);
  const double pr = Ratio(PW, PH);
  if (pr > sr) {
    const double wFit = FittedExtent(PW, PH, SH);
    return ScaledOrNothing(AnchorOffset(HorizontalAnchor(alignment), SW, wFit), 0, wFit, SH, false);
  }
  if (pr < sr) {
    const double hFit = FittedExtent(PH, PW, SW);
    return ScaledOrNothing(0, AnchorOffset(VerticalAnchor(alignment), SH, hFit), SW, hFit, false);
  }
  return {PlacementKind::Scaled, 0, 0, SW, SH, false};
}

Placement Original(std::int32_t PW, std::int32_t PH, std::int32_t SW, std::int32_t SH,
                   PictureAlign alignment) {
  return {PlacementKind::Unscaled,
          AnchorOffsetInt(HorizontalAnchor(alignment), SW - PW),
          AnchorOffsetInt(VerticalAnchor(alignment), SH - PH),
          PW,
          PH,
          true};
}

}  // namespace

Placement PlacePicture(std::int32_t PW, std::int32_t PH, std::int32_t SW, std::int32_t SH,
                       Choice<PictureMode> displayMode, Choice<PictureAlign> alignment) {
  // A size query that failed records 0: nothing to divide by or step with.
  if (PW <= 0 || PH <= 0 || SW <= 0 || SH <= 0) return {};
  switch (PictureMode(displayMode)) {
    case PictureMode::Stretch:
      return Stretch(PW, PH, SW, SH);
    case PictureMode::Fit:
      return Fit(PW, PH, SW, SH, alignment);
    case PictureMode::FillAndCrop:
      return FillAndCrop(PW, PH, SW, SH, alignment);
    case PictureMode::OriginalSize:
      return Original(PW, PH, SW, SH, alignment);
    case PictureMode::Tiles:
      return {PlacementKind::Tiled, 0, 0, PW, PH, false};
  }
  return {};
}

}  // namespace vendaro
