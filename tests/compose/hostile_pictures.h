#pragma once

#include <cstdint>
#include <string>

namespace vendaro::testing {

// Pictures that probe fine but claim far more than they hold, each the
// smallest of its kind, as the bytes of a file.  Made here, from pictures
// the picture library writes, so tests and benchmarks need no sample files.

// A PNG (1 x 1 unless given) ending in a text chunk that claims `claimed`
// bytes.
std::string PngWithTextClaiming(std::uint32_t claimed, int width = 1, int height = 1);

// A run-length BMP (8 bits) claiming width x height with no pixel data but
// the code that ends the picture.
std::string RleBmpClaiming(std::int32_t width, std::int32_t height);

// A small progressive JPEG whose frame header claims width x height.
std::string ProgressiveJpegClaiming(std::uint16_t width, std::uint16_t height);

// A progressive JPEG (64 x 64 unless given) with its last scan repeated
// `repeats` times.
std::string ProgressiveJpegRepeatingAScan(int repeats, int width = 64, int height = 64);

// A baseline JPEG cut off half-way and closed with an end marker.
std::string JpegCutAndClosed();

// A baseline JPEG (64 x 48) with `blocks` full-size EXIF blocks (APP1,
// 64 KB each) before its picture.
std::string JpegWithExifBlocks(int blocks);

// A progressive JPEG in `path`, grey, width x height, with `scans` valid
// scans (successive approximation spread over the coefficients), no
// warnings: the work of decoding grows with scans x size.
void WriteManyScanJpeg(const std::string& path, int width, int height, int scans);

}  // namespace vendaro::testing
