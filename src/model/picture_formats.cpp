#include "model/picture_formats.h"

#include <algorithm>
#include <array>

namespace vendaro {
namespace {

using namespace std::string_view_literals;

constexpr std::array kJpeg = {".jpg"sv, ".jpeg"sv, ".jpe"sv};
constexpr std::array kPng = {".png"sv};
constexpr std::array kGif = {".gif"sv};
constexpr std::array kBmp = {".bmp"sv};
constexpr std::array kTiff = {".tif"sv, ".tiff"sv};
constexpr std::array kWebp = {".webp"sv};
constexpr std::array kHeif = {".avif"sv, ".heic"sv, ".heif"sv};
constexpr std::array kJpegXl = {".jxl"sv};

constexpr std::array<PictureFormatInfo, 8> kFormats = {{
    {PictureFormat::Jpeg, "JPEG", kJpeg, DrawingPath::Jpeg},
    {PictureFormat::Png, "PNG", kPng, DrawingPath::Rows},
    {PictureFormat::Gif, "GIF", kGif, DrawingPath::Library},
    {PictureFormat::Bmp, "BMP", kBmp, DrawingPath::Rows},
    {PictureFormat::Tiff, "TIFF", kTiff, DrawingPath::Library},
    {PictureFormat::Webp, "WebP", kWebp, DrawingPath::Library},
    {PictureFormat::Heif, "AVIF/HEIC", kHeif, DrawingPath::Library},
    {PictureFormat::JpegXl, "JPEG XL", kJpegXl, DrawingPath::Library},
}};

// The brands of the ISO media files that hold a still HEIF or AVIF picture.
constexpr std::array kHeifBrands = {"heic"sv, "heix"sv, "heim"sv, "heis"sv, "hevc"sv,
                                    "hevx"sv, "mif1"sv, "msf1"sv, "avif"sv, "avis"sv};

bool IsHeif(std::string_view head) {
  if (head.size() < 12 || head.substr(4, 4) != "ftyp") return false;
  return std::ranges::find(kHeifBrands, head.substr(8, 4)) != kHeifBrands.end();
}

}  // namespace

std::span<const PictureFormatInfo> PictureFormats() {
  return kFormats;
}

const PictureFormatInfo& InfoOf(PictureFormat format) {
  return *std::ranges::find(kFormats, format, &PictureFormatInfo::format);
}

std::optional<PictureFormat> FormatBySignature(std::string_view head) {
  if (head.starts_with("\xFF\xD8\xFF")) return PictureFormat::Jpeg;
  if (head.starts_with("\x89PNG\r\n\x1A\n")) return PictureFormat::Png;
  if (head.starts_with("GIF87a") || head.starts_with("GIF89a")) return PictureFormat::Gif;
  if (head.starts_with("BM")) return PictureFormat::Bmp;
  // Classic and big TIFF, in either byte order.
  if (head.starts_with("II*\0"sv) || head.starts_with("MM\0*"sv) || head.starts_with("II+\0"sv) ||
      head.starts_with("MM\0+"sv))
    return PictureFormat::Tiff;
  if (head.size() >= 12 && head.starts_with("RIFF") && head.substr(8, 4) == "WEBP")
    return PictureFormat::Webp;
  if (IsHeif(head)) return PictureFormat::Heif;
  // A bare code stream, or the boxed container.
  if (head.starts_with("\xFF\x0A") || head.starts_with("\0\0\0\x0CJXL \r\n\x87\n"sv))
    return PictureFormat::JpegXl;
  return std::nullopt;
}

bool IsAcceptedExtension(std::string_view extension) {
  std::string lower(extension);
  // Only ASCII letters can fold into the accepted names, so ASCII folding
  // gives the same answer as the code page's lower-casing.
  std::ranges::transform(lower, lower.begin(),
                         [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
  return std::ranges::any_of(kFormats, [&lower](const PictureFormatInfo& info) {
    return std::ranges::find(info.extensions, lower) != info.extensions.end();
  });
}

std::string ExtensionPatterns() {
  std::string patterns;
  for (const PictureFormatInfo& info : kFormats)
    for (const std::string_view extension : info.extensions)
      patterns += (patterns.empty() ? "*" : " *") + std::string(extension);
  return patterns;
}

std::string UnknownFormatReason() {
  std::string names;
  for (const PictureFormatInfo& info : kFormats)
    names += (names.empty() ? "" : ", ") + std::string(info.name);
  return "to nie jest obrazek w żadnym z przyjmowanych formatów (" + names + ")";
}

}  // namespace vendaro
