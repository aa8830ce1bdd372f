#pragma once

#include <cstdint>

namespace vendaro {

// What decoding one picture may cost, whatever its header claims.  A
// composition runs on the GUI thread at every change, so a picture that
// probes fine but would take gigabytes or minutes to decode is refused with
// a reason instead, like any undecodable picture.

// Memory a decoder may hold for one picture (libjpeg's coefficient buffer
// for progressive files, a picture Qt or the picture library reads whole).
// The canvas and the rows in flight come on top: about 40 MB at 3840 x 2160.
// A 24-megapixel progressive photo needs 72 MB of it.
inline constexpr std::int64_t kDecodeMemoryBytes = 256LL << 20;

// The entropy-decoding work of a progressive JPEG, counted in 8 x 8 blocks
// summed over its scans.  A photo's usual ten scans at 24 megapixels come to
// about 4 million; this allows fifteen times that, about 1.1 s at the 18 ns
// a block measured on two shared cores, where a file that repeats one scan
// a thousand times took a minute.
inline constexpr std::int64_t kMostScanBlocks = 60'000'000;
// And a bound on the number of scans whatever their size, each of which
// costs some setting up: a photo has ten or so, a carefully tuned one a few
// dozen.
inline constexpr int kMostScans = 500;

// Samples wider than a byte (16-bit, float) are converted to bytes in
// several steps over the whole picture, where bytes pass straight through:
// a float TIFF of 16384 x 16384 (11 KB compressed) took 8 to 11 s.  A
// 16-bit photo of 40 megapixels needs 240 MB of them.
inline constexpr std::int64_t kMostWideSampleBytes = 768LL << 20;

// Run-length BMP is unpacked by Qt whole and slowly (5 s and 347 MB for
// 8000 x 8000); the format is a relic of small pictures.
inline constexpr std::int64_t kMostRunLengthPixels = 4096LL * 4096LL;

}  // namespace vendaro
