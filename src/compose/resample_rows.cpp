#include "compose/resample_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace vendaro {
namespace {

// Catmull-Rom: passes through the samples, the usual "bicubic".
double Cubic(double x) {
  x = std::fabs(x);
  if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
  if (x < 2.0) return ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0;
  return 0.0;
}

double Triangle(double x) {
  x = std::fabs(x);
  return x < 1.0 ? 1.0 - x : 0.0;
}

// The blend loops are the whole cost of a composition; where the processor
// has wider vectors they are compiled for them as well and chosen at start.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define VENDARO_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define VENDARO_VECTOR_CLONES
#endif

[[maybe_unused]] std::uint8_t ToByte(float v) {
  const float rounded = v + 0.5f;
  return rounded <= 0.0f ? 0 : rounded >= 255.0f ? 255 : static_cast<std::uint8_t>(rounded);
}

}  // namespace

AxisTaps MakeAxisTaps(ResampleKernel kernel, double scale, std::int64_t begin, std::int64_t end,
                      int sourceSize) {
  AxisTaps taps;
  if (end <= begin || sourceSize <= 0) return taps;
  const double stretch = std::max(scale, 1.0);
  const double reach = (kernel == ResampleKernel::Cubic ? 2.0 : 1.0) * stretch;
  taps.count = std::min(sourceSize, static_cast<int>(std::ceil(2.0 * reach)) + 1);
  const std::size_t n = static_cast<std::size_t>(end - begin);
  taps.first.resize(n);
  const auto stride = static_cast<std::size_t>(taps.count);
  taps.weight.assign(n * stride, 0.0f);
  std::vector<double> folded(stride);
  for (std::size_t i = 0; i < n; ++i) {
    const double centre =
        (static_cast<double>(begin + static_cast<std::int64_t>(i)) + 0.5) * scale - 0.5;
    const auto lowest = static_cast<std::int64_t>(std::floor(centre - reach)) + 1;
    const auto highest = static_cast<std::int64_t>(std::ceil(centre + reach)) - 1;
    const int clampedLow = static_cast<int>(std::clamp<std::int64_t>(lowest, 0, sourceSize - 1));
    const int first = std::min(clampedLow, sourceSize - taps.count);
    std::fill(folded.begin(), folded.end(), 0.0);
    double sum = 0.0;
    for (std::int64_t s = lowest; s <= highest; ++s) {
      const double offset = (double(s) - centre) / stretch;
      const double w = kernel == ResampleKernel::Cubic ? Cubic(offset) : Triangle(offset);
      const auto at = std::clamp<std::int64_t>(s, 0, sourceSize - 1) - first;
      folded[static_cast<std::size_t>(std::clamp<std::int64_t>(at, 0, taps.count - 1))] += w;
      sum += w;
    }
    taps.first[i] = first;
    for (std::size_t k = 0; k < stride; ++k)
      taps.weight[i * stride + k] = static_cast<float>(sum != 0.0 ? folded[k] / sum : 0.0);
  }
  return taps;
}

VENDARO_VECTOR_CLONES
void BlendRows(const std::uint8_t* const* rows, const float* weight, int taps, float* out,
               std::size_t n) {
  // In blocks that stay in the first-level cache while every row is added.
  constexpr std::size_t kBlock = 2048;
  for (std::size_t start = 0; start < n; start += kBlock) {
    const std::size_t stop = std::min(n, start + kBlock);
    const std::uint8_t* first = rows[0];
    const float w0 = weight[0];
    for (std::size_t i = start; i < stop; ++i) out[i] = w0 * first[i];
    for (int k = 1; k < taps; ++k) {
      const std::uint8_t* row = rows[k];
      const float w = weight[k];
      for (std::size_t i = start; i < stop; ++i) out[i] += w * row[i];
    }
  }
}

#if defined(__SSE2__) || defined(_M_X64)
// A pixel's three values fill three lanes of a four-lane vector; the fourth
// lane picks up the next value and is dropped.  `in` has room for it.
// Two pixels at a time, each summed in two chains, keep the adder busy
// rather than waiting for one long chain of sums.
namespace {

__m128 Tap(const float* from, const float* weight, int k) {
  return _mm_mul_ps(_mm_set1_ps(weight[k]), _mm_loadu_ps(from + 3 * k));
}

void StorePixel(__m128 sum, std::uint8_t* out) {
  __m128i bytes = _mm_cvtps_epi32(sum);
  bytes = _mm_packs_epi32(bytes, bytes);
  bytes = _mm_packus_epi16(bytes, bytes);
  const auto pixel = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
  std::memcpy(out, &pixel, 3);
}

}  // namespace

VENDARO_VECTOR_CLONES
void BlendColumns(const float* in, int inFirst, const AxisTaps& taps, std::uint8_t* out) {
  const int count = taps.count;
  const std::size_t n = taps.first.size();
  const auto source = [&](std::size_t x) {
    return in + static_cast<std::size_t>(taps.first[x] - inFirst) * 3;
  };
  std::size_t x = 0;
  for (; x + 1 < n; x += 2) {
    const float *a = source(x), *b = source(x + 1);
    const float* wa = taps.weight.data() + x * static_cast<std::size_t>(count);
    const float* wb = wa + count;
    __m128 a0 = Tap(a, wa, 0), b0 = Tap(b, wb, 0);
    __m128 a1 = _mm_setzero_ps(), b1 = _mm_setzero_ps();
    int k = 1;
    for (; k + 1 < count; k += 2) {
      a1 = _mm_add_ps(a1, Tap(a, wa, k));
      b1 = _mm_add_ps(b1, Tap(b, wb, k));
      a0 = _mm_add_ps(a0, Tap(a, wa, k + 1));
      b0 = _mm_add_ps(b0, Tap(b, wb, k + 1));
    }
    if (k < count) {
      a1 = _mm_add_ps(a1, Tap(a, wa, k));
      b1 = _mm_add_ps(b1, Tap(b, wb, k));
    }
    StorePixel(_mm_add_ps(a0, a1), out + x * 3);
    StorePixel(_mm_add_ps(b0, b1), out + x * 3 + 3);
  }
  if (x < n) {
    const float* a = source(x);
    const float* wa = taps.weight.data() + x * static_cast<std::size_t>(count);
    __m128 sum = Tap(a, wa, 0);
    for (int k = 1; k < count; ++k) sum = _mm_add_ps(sum, Tap(a, wa, k));
    StorePixel(sum, out + x * 3);
  }
}
#else
void BlendColumns(const float* in, int inFirst, const AxisTaps& taps, std::uint8_t* out) {
  const int count = taps.count;
  const float* weight = taps.weight.data();
  for (std::size_t x = 0; x < taps.first.size(); ++x, weight += count, out += 3) {
    const float* from = in + static_cast<std::size_t>(taps.first[x] - inFirst) * 3;
    float r = 0.0f, g = 0.0f, b = 0.0f;
    for (int k = 0; k < count; ++k, from += 3) {
      r += weight[k] * from[0];
      g += weight[k] * from[1];
      b += weight[k] * from[2];
    }
    out[0] = ToByte(r);
    out[1] = ToByte(g);
    out[2] = ToByte(b);
  }
}
#endif

}  // namespace vendaro
