#pragma once

#include <string>

// Picture files made in memory for the probe tests.
namespace vendaro::testing {

// A w x h picture encoded by Qt ("PNG", "JPEG", "BMP", "TIFF").
std::string EncodedPicture(const char* format, int width, int height);

// A GIF whose first frame covers a w x h screen, followed by a smaller one.
std::string TwoFrameGif(int width, int height);

// A JPEG with an EXIF block holding the given orientation (1..8), after
// `fillerBytes` of other application segments (as cameras write).
std::string JpegWithOrientation(int width, int height, int orientation, int fillerBytes = 0);

// A PNG with a text chunk of `textBytes` before its image data.
std::string PngWithText(int width, int height, int textBytes);

// Headers that claim a picture of the given size and hold no pixel data.
std::string PngHeaderOnly(unsigned width, unsigned height);
std::string BmpHeaderOnly(int width, int height);
std::string JpegClaiming(int width, int height);

}  // namespace vendaro::testing
