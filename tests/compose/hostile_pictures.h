#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
// The same with `data` as its run-length codes.
std::string RleBmp(std::int32_t width, std::int32_t height, const std::string& data);

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

namespace vendaro::testing {

// A PNG (1 x 1) with `chunks` zTXt chunks, each of which unpacks to
// `unpacked` bytes: a file of kilobytes whose text takes gigabytes.  libpng
// drops a chunk that unpacks to more than 8 MB, and keeps every smaller one.
std::string PngWithTextUnpackingTo(std::int64_t unpacked, int chunks);

// A GIF whose screen and only frame claim width x height, with one pixel of
// data.
std::string GifClaiming(std::uint16_t width, std::uint16_t height);

// A lossless WebP whose header claims width x height (at most 16384), with
// a few bytes of data.
std::string WebpClaiming(int width, int height);

// A run-length BMP (8 bits) whose runs fill every pixel of width x height.
std::string RleBmpFilled(std::int32_t width, std::int32_t height);

// A JPEG's header up to its first scan, without the scan.
std::string JpegHeaderOnly();

// Files of other kinds (vector drawing, plain-text and other library
// formats), named as accepted pictures: each name and its bytes.
struct NamedBytes {
  std::string name;
  std::string bytes;
};
std::vector<NamedBytes> OtherKindsNamedAsPictures();

// Large pictures written into `path`, small on disk: black, in 4096 x 4096
// tiles; one band of float samples; a JPEG of stripes, stored as YCbCr,
// CMYK or YCCK (Adobe's transform of CMYK), alike but for the colours.
void WriteTiledTiff(const std::string& path, int width, int height);
void WriteFloatTiff(const std::string& path, int width, int height);
enum class JpegColours { Ycbcr, Cmyk, Ycck };
void WriteLargeJpeg(const std::string& path, int width, int height, JpegColours colours);

}  // namespace vendaro::testing
