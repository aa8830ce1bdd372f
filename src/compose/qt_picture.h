#pragma once

#include <string>
#include <vips/vips8>

namespace vendaro {

// The picture library has no built-in loader for BMP; Qt decodes those.  The
// path's bytes reach the system unchanged, as everywhere else.
//
// The whole picture as 8-bit sRGB, with an alpha band where the file has
// one.  Throws vips::VError with the reason when it cannot be decoded.
vips::VImage DecodeWithQt(const std::string& path);

}  // namespace vendaro
