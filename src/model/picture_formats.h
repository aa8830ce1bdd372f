#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vendaro {

// The kinds of picture the program accepts.  A file is taken for one by its
// leading bytes alone, never by its name: the name only decides which files
// the list editor and the file dialog offer.
enum class PictureFormat { Jpeg, Png, Gif, Bmp, Tiff, Webp, Heif, JpegXl };

// Which drawing path reads a format first (compose/renderer.h).  Each path
// hands what it does not take on to the next, ending in the picture library.
enum class DrawingPath {
  Jpeg,     // the program's own JPEG reader
  Rows,     // Qt's built-in readers row by row, up to a size (PNG, BMP)
  Library,  // the picture library alone
};

struct PictureFormatInfo {
  PictureFormat format;
  std::string_view name;                         // as the user knows it
  std::span<const std::string_view> extensions;  // lower case, with the dot
  DrawingPath path;
};

// Every accepted format, in the order the file dialog lists them.
std::span<const PictureFormatInfo> PictureFormats();
const PictureFormatInfo& InfoOf(PictureFormat format);

// How many leading bytes FormatBySignature needs to tell every format.
inline constexpr std::size_t kSignatureBytes = 32;

// The format whose signature `head` (a file's first bytes) starts with;
// nothing for a file of any other kind, whatever its name.
std::optional<PictureFormat> FormatBySignature(std::string_view head);

// True when `extension` (with its dot) is one of an accepted format's,
// compared lower-cased.
bool IsAcceptedExtension(std::string_view extension);

// Every accepted extension as a file dialog's pattern: "*.jpg *.jpeg ...".
std::string ExtensionPatterns();

// Why a file whose signature is in none of the formats is refused, for the
// user: names the formats accepted.
std::string UnknownFormatReason();

}  // namespace vendaro
