#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "system/files.h"
#include "system/status.h"

namespace vendaro {

// Reads a JPEG file row by row through libjpeg, at full size or at 1/2, 1/4
// or 1/8 of it, as RGB.  libjpeg's errors never leave the reader: each call
// returns them as its Status.  A file that ends early, or whose data is
// corrupt, is a failure, not a picture with a grey lower part; so is one
// that would take more memory or decoding work than the limits in
// decode_limits.h allow.
class JpegReader {
 public:
  JpegReader();
  ~JpegReader();
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  // Opens the file and reads its header.  An error when it is not a JPEG
  // file or its header cannot be read.
  Status Open(const std::string& path);

  // The stored size and the stored orientation (1 to 8, 1 when absent).
  int width() const;
  int height() const;
  int orientation() const { return orientation_; }
  // Whether the colours come out as RGB (colour and grey pictures; not
  // CMYK).
  bool givesRgb() const;
  // Whether the program's own paths draw it: RGB colours, at most
  // `maxPixels` pixels.
  bool drawable(std::int64_t maxPixels) const {
    return givesRgb() && std::int64_t{width()} * height() <= maxPixels;
  }

  // The coefficients libjpeg keeps for the whole picture while it decodes
  // (progressive and other multi-scan files; 0 for one scan, which
  // streams), and an error when they exceed the memory a picture may use.
  std::int64_t HeldCoefficientBytes() const;
  Status CheckMemory() const;

  // For a file another decoder will read: whether it stays within the
  // memory and scan limits, found by reading its scans once (a file of one
  // scan is left alone: it costs what its rows cost).  Ends the reader.
  Status CheckScans();

  // Starts decoding at 1/shrink of the stored size.  A progressive file is
  // read whole here.
  Status Start(int shrink);
  int outputWidth() const;
  int outputHeight() const;

  // The next row (outputWidth() * 3 bytes).
  Status ReadRow(std::uint8_t* row);
  // Passes over the next `rows` rows without producing them.
  Status SkipRows(int rows);

 private:
  struct Decoder;
  std::unique_ptr<Decoder> decoder_;
  InputFile file_;
  int orientation_ = 1;
};

// The largest factor the decoder can shrink by (8, 4, 2 or 1) that does not
// exceed `factor`, the shrink the picture needs.
int JpegShrinkFor(double factor);

// The orientation stored in an EXIF block ("Exif\0\0" and a TIFF
// structure), or 1.
int ExifOrientation(const std::uint8_t* data, std::size_t size);

}  // namespace vendaro
