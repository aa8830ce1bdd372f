// Writes the hostile inputs of bench/limits/run.sh into a folder: pictures
// claiming far more than they hold, real pictures of the largest size, and
// list and settings files of ten megabytes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vips/vips8>

#include "compose/renderer.h"
#include "hostile_pictures.h"

namespace {

std::filesystem::path out;

void Write(const std::string& name, const std::string& bytes) {
  std::ofstream(out / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Repeated(const std::string& unit, std::size_t size, const std::string& tail = "") {
  std::string text;
  text.reserve(size + tail.size());
  while (text.size() + unit.size() <= size) text += unit;
  return text + tail;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vendaro::testing;
  if (argc != 2 || !vendaro::StartPictureLibrary()) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  // The list names its picture by an absolute path, as lists do.
  out = std::filesystem::absolute(argv[1]);
  using vips::VImage;
  Write("png-text-chunk-2gb.png", PngWithTextClaiming(0x7FFFFFF0u));
  Write("png-text-chunk-2gb-1920x1080.png", PngWithTextClaiming(0x7FFFFFF0u, 1920, 1080));
  Write("png-text-chunk-2gb-3840x2160.png", PngWithTextClaiming(0x7FFFFFF0u, 3840, 2160));
  Write("bmp-rle-16384-empty.bmp", RleBmpClaiming(16384, 16384));
  Write("jpeg-progressive-claims-16384.jpg", ProgressiveJpegClaiming(16384, 16384));
  Write("jpeg-scan-repeated-1000.jpg", ProgressiveJpegRepeatingAScan(1000, 1920, 1080));
  Write("jpeg-cut-and-closed.jpg", JpegCutAndClosed());
  WriteManyScanJpeg((out / "jpeg-4096-300-valid-scans.jpg").string(), 4096, 4096, 300);

  // What the decoders rather than the headers would spend.
  Write("png-text-unpacking-to-3600mb.png", PngWithTextUnpackingTo(7 << 20, 512));
  Write("gif-claims-16384.gif", GifClaiming(16384, 16384));
  Write("webp-claims-8000.webp", WebpClaiming(8000, 8000));
  Write("bmp-rle-8000-filled.bmp", RleBmpFilled(8000, 8000));
  WriteTiledTiff((out / "tiff-65536x4096-tiled.tif").string(), 65536, 4096);
  WriteFloatTiff((out / "tiff-16384-float.tif").string(), 16384, 16384);
  WriteLargeJpeg((out / "jpeg-16384-ycbcr.jpg").string(), 16384, 16384, JpegColours::Ycbcr);
  WriteLargeJpeg((out / "jpeg-16384-cmyk.jpg").string(), 16384, 16384, JpegColours::Cmyk);
  WriteLargeJpeg((out / "jpeg-16384-ycck.jpg").string(), 16384, 16384, JpegColours::Ycck);
  Write("jpeg-header-then-10gb.jpg", JpegHeaderOnly());
  std::filesystem::resize_file(out / "jpeg-header-then-10gb.jpg", 10ULL << 30);  // sparse
  for (const NamedBytes& other : OtherKindsNamedAsPictures())
    Write("other-" + other.name, other.bytes);
  // Two files, one named as the other with options after it.
  VImage::black(64, 48).write_to_file((out / "a.tif").c_str());
  (VImage::black(64, 48) + 255).cast(VIPS_FORMAT_UCHAR).write_to_file((out / "b.tif").c_str());
  std::filesystem::rename(out / "b.tif", out / "a.tif[page=0]");

  // The largest pictures drawn: a pattern that compresses well, as a PNG
  // and as a JPEG stored turned a quarter.
  const VImage xyz = VImage::xyz(16384, 16384);
  const VImage pattern =
      ((xyz[0] ^ xyz[1]) & 255).cast(VIPS_FORMAT_UCHAR).bandjoin_const({90, 160});
  pattern.write_to_file((out / "png-16384.png").c_str(), VImage::option()->set("compression", 1));
  VImage turned = pattern.copy();
  turned.set(VIPS_META_ORIENTATION, 6);
  turned.write_to_file((out / "jpeg-16384-turned.jpg").c_str());
  VImage::black(64, 48, VImage::option()->set("bands", 3))
      .write_to_file((out / "small.jpg").c_str());

  const std::size_t tenMegabytes = 10u << 20;
  const std::string picture = (out / "small.jpg").string();
  Write("list-bare-cr.vdl", Repeated("\r", tenMegabytes, picture));
  Write("list-copies.vdl", Repeated(picture + "\r\n", 327680 * (picture.size() + 2)));
  const std::string options = "[Zmiany]\r\nRozciagniecie=3\r\n";
  Write("settings-bare-cr.ini", options + Repeated("\r", tenMegabytes));
  Write("settings-short-lines.ini", options + Repeated("k=1\n", 2600000 * 4));
  return 0;
}
