#include "test_pictures.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>
#include <vips/vips8>

#include "compose/renderer.h"

namespace vendaro::testing {

using vips::VImage;

namespace {

VImage FromPixels(int width, int height, int bands, const PixelAt& at) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(std::size_t(width) * height * bands);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba p = at(x, y);
      const std::uint8_t all[4] = {p.r, p.g, p.b, p.a};
      bytes.insert(bytes.end(), all, all + bands);
    }
  VipsImage* image = vips_image_new_from_memory_copy(bytes.data(), bytes.size(), width, height,
                                                     bands, VIPS_FORMAT_UCHAR);
  if (!image) throw std::runtime_error("cannot make a test picture");
  return VImage(image);
}

}  // namespace

void WritePicture(const std::string& path, int width, int height, int bands, const PixelAt& at,
                  int orientation) {
  if (!StartPictureLibrary()) throw std::runtime_error("no picture library");
  VImage image = FromPixels(width, height, bands, at);
  if (orientation != 1) {
    image = image.copy();
    image.set(VIPS_META_ORIENTATION, orientation);
  }
  image.write_to_file(path.c_str());
}

void WritePages(const std::string& path, int width, int height, const Rgba* colours, int pages) {
  if (!StartPictureLibrary()) throw std::runtime_error("no picture library");
  VImage image =
      FromPixels(width, height * pages, 3, [&](int, int y) { return colours[y / height]; }).copy();
  image.set("page-height", height);
  image.write_to_file(path.c_str());
}

ColorValue PixelOf(const Canvas& canvas, int x, int y) {
  const std::uint8_t* p = canvas.row(y) + x * 3;
  return Rgb(p[0], p[1], p[2]);
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::string PngWithOrientation(std::string png, int orientation) {
  const auto big32 = [](std::uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
  };
  std::string exif("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 26);
  exif[19] = char(orientation);
  const std::string chunk = "eXIf" + exif;
  png.insert(png.find("IDAT") - 4, big32(std::uint32_t(exif.size())) + chunk + big32(Crc32(chunk)));
  return png;
}

std::string TurnedPngOf(const std::string& jpeg, int orientation) {
  const std::string stored = jpeg + ".png";
  VImage::new_from_file(jpeg.c_str()).write_to_file(stored.c_str());
  const std::string png = jpeg + ".turned.png";
  std::ifstream in(stored, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::ofstream(png, std::ios::binary) << PngWithOrientation(bytes, orientation);
  return png;
}

}  // namespace vendaro::testing
