#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vendaro {

enum class ResampleKernel { Linear, Cubic };

// The weights of one axis of a separable resampling.  Output sample i reads
// `count` source samples from first[i] on, with weights
// weight[i * count + k]; the range always lies inside the source, samples
// beyond its edges having been folded onto the edge samples.
struct AxisTaps {
  int count = 0;
  std::vector<int> first;
  std::vector<float> weight;

  int end(std::size_t i) const { return first[i] + count; }
};

// Taps for output samples [begin, end) of an axis on which `scale` source
// samples make one output sample.  Centres map onto centres: output sample i
// lies at (i + 0.5) * scale - 0.5 in the source.  When shrinking, the kernel
// is widened by the scale, so every source sample contributes (the
// prefilter of the high-quality modes).
AxisTaps MakeAxisTaps(ResampleKernel kernel, double scale, std::int64_t begin, std::int64_t end,
                      int sourceSize);

// out[i] = sum of weight[k] * rows[k][i] over the `taps` rows, for i < n.
void BlendRows(const std::uint8_t* const* rows, const float* weight, int taps, float* out,
               std::size_t n);

// One row of RGB bytes from a row of blended RGB values: output pixel x is
// the weighted sum of source pixels taps.first[x] ... + count, rounded and
// clamped.  `in` starts at source pixel `inFirst` and has room for one
// value after its last pixel.
void BlendColumns(const float* in, int inFirst, const AxisTaps& taps, std::uint8_t* out);

}  // namespace vendaro
