#include "hostile_pictures.h"

#include <jpeglib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>
#include <vips/vips8>

#include "compose/renderer.h"
#include "test_pictures.h"

namespace vendaro::testing {
namespace {

using vips::VImage;

std::string Big32(std::uint32_t v) {
  return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
}

void PutLittle(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

// The bytes of a picture the library writes: `suffix` names the format and
// its options ("[interlace]").
std::string Written(int width, int height, const char* suffix) {
  if (!StartPictureLibrary()) throw std::runtime_error("no picture library");
  const VImage image = VImage::black(width, height, VImage::option()->set("bands", 3))
                           .linear({1, 1, 1}, {90, 140, 40});
  void* data = nullptr;
  std::size_t size = 0;
  image.cast(VIPS_FORMAT_UCHAR).write_to_buffer(suffix, &data, &size);
  std::string bytes(static_cast<const char*>(data), size);
  g_free(data);
  return bytes;
}

// Where the scans start: each start-of-scan marker, in order.
std::vector<std::size_t> ScanStarts(const std::string& jpeg) {
  std::vector<std::size_t> starts;
  for (std::size_t at = jpeg.find("\xFF\xDA"); at != std::string::npos;
       at = jpeg.find("\xFF\xDA", at + 2))
    starts.push_back(at);
  return starts;
}

// Writes `path` through libjpeg: `set` chooses the colours and scans
// after the defaults, and sample i of row y is `sample(i, y)`.
void CompressJpeg(const std::string& path, int width, int height, int components, J_COLOR_SPACE in,
                  const std::function<void(jpeg_compress_struct&)>& set,
                  const std::function<JSAMPLE(std::size_t, int)>& sample) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  jpeg_stdio_dest(&info, file);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = components;
  info.in_color_space = in;
  jpeg_set_defaults(&info);
  set(info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * std::size_t(components));
  for (int y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = sample(i, y);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}

}  // namespace

std::string PngWithTextClaiming(std::uint32_t claimed, int width, int height) {
  std::string png = Written(width, height, ".png");
  const std::string chunk("tEXtComment\0hello", 17);
  png.insert(png.size() - 12, Big32(claimed) + chunk + Big32(Crc32(chunk)));
  return png;
}

std::string RleBmpClaiming(std::int32_t width, std::int32_t height) {
  return RleBmp(width, height, std::string("\x00\x01", 2));  // end of the picture
}

std::string RleBmp(std::int32_t width, std::int32_t height, const std::string& data) {
  const std::uint32_t offset = 14 + 40 + 256 * 4;
  std::string out = "BM";
  PutLittle(out, offset + std::uint32_t(data.size()), 4);
  PutLittle(out, 0, 4);
  PutLittle(out, offset, 4);
  PutLittle(out, 40, 4);
  PutLittle(out, std::uint32_t(width), 4);
  PutLittle(out, std::uint32_t(height), 4);
  PutLittle(out, 1, 2);
  PutLittle(out, 8, 2);
  PutLittle(out, 1, 4);  // run-length, 8 bits
  PutLittle(out, std::uint32_t(data.size()), 4);
  PutLittle(out, 2835, 4);
  PutLittle(out, 2835, 4);
  PutLittle(out, 256, 4);
  PutLittle(out, 0, 4);
  for (std::uint32_t i = 0; i < 256; ++i) PutLittle(out, i * 0x010101u, 4);
  return out + data;
}

std::string ProgressiveJpegClaiming(std::uint16_t width, std::uint16_t height) {
  std::string jpeg = Written(16, 16, ".jpg[interlace]");
  const std::size_t frame = jpeg.find("\xFF\xC2");
  if (frame == std::string::npos) throw std::runtime_error("not progressive");
  jpeg[frame + 5] = char(height >> 8);
  jpeg[frame + 6] = char(height & 0xFF);
  jpeg[frame + 7] = char(width >> 8);
  jpeg[frame + 8] = char(width & 0xFF);
  return jpeg;
}

std::string ProgressiveJpegRepeatingAScan(int repeats, int width, int height) {
  const std::string jpeg = Written(width, height, ".jpg[interlace]");
  const std::size_t last = ScanStarts(jpeg).back();
  const std::size_t end = jpeg.rfind("\xFF\xD9");
  const std::string scan = jpeg.substr(last, end - last);
  std::string out = jpeg.substr(0, end);
  for (int i = 0; i < repeats; ++i) out += scan;
  return out + "\xFF\xD9";
}

std::string JpegCutAndClosed() {
  const std::string jpeg = Written(64, 48, ".jpg");
  const std::size_t data = ScanStarts(jpeg).front();
  return jpeg.substr(0, data + (jpeg.size() - data) / 2) + "\xFF\xD9";
}

std::string JpegWithExifBlocks(int blocks) {
  const std::string jpeg = Written(64, 48, ".jpg");
  std::string block = "\xFF\xE1\xFF\xFF";
  block += std::string("Exif\0\0", 6);
  block.resize(2 + 0xFFFF, 'x');
  std::string bytes = jpeg.substr(0, 2);
  for (int i = 0; i < blocks; ++i) bytes += block;
  return bytes + jpeg.substr(2);
}

void WriteManyScanJpeg(const std::string& path, int width, int height, int scans) {
  // One DC scan, then a first scan of each AC coefficient with its low bits
  // left out and one refinement scan for each bit: 1 + 63 x (1 + bits).
  if (scans < 64 || scans > 1 + 63 * 14) throw std::invalid_argument("scans");
  std::vector<int> bits(64, 0);
  for (int extra = 0; extra < scans - 64; ++extra) ++bits[1 + extra % 63];
  std::vector<jpeg_scan_info> script;
  script.push_back({1, {0}, 0, 0, 0, 0});
  for (int k = 1; k < 64; ++k) {
    script.push_back({1, {0}, k, k, 0, bits[k]});
    for (int b = bits[k]; b > 0; --b) script.push_back({1, {0}, k, k, b, b - 1});
  }
  CompressJpeg(
      path, width, height, 1, JCS_GRAYSCALE,
      [&script](jpeg_compress_struct& info) {
        info.scan_info = script.data();
        info.num_scans = int(script.size());
      },
      [](std::size_t x, int y) { return JSAMPLE((int(x) * 7 + y * 3) & 0xFF); });
}

namespace {

std::string Chunk(const std::string& type, const std::string& data) {
  const std::string body = type + data;
  return Big32(std::uint32_t(data.size())) + body + Big32(Crc32(body));
}

// `size` zero bytes, deflated as tightly as zlib can.
std::string DeflatedZeros(std::int64_t size) {
  z_stream stream{};
  deflateInit(&stream, 9);
  std::vector<Bytef> zeros(1 << 20, 0);
  std::string out;
  Bytef buffer[65536];
  for (std::int64_t left = size; left > 0 || stream.avail_in > 0;) {
    if (stream.avail_in == 0) {
      const std::int64_t n = std::min<std::int64_t>(left, std::int64_t(zeros.size()));
      stream.next_in = zeros.data();
      stream.avail_in = uInt(n);
      left -= n;
    }
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    deflate(&stream, Z_NO_FLUSH);
    out.append(reinterpret_cast<const char*>(buffer), sizeof buffer - stream.avail_out);
  }
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    result = deflate(&stream, Z_FINISH);
    out.append(reinterpret_cast<const char*>(buffer), sizeof buffer - stream.avail_out);
  }
  deflateEnd(&stream);
  return out;
}

}  // namespace

std::string PngWithTextUnpackingTo(std::int64_t unpacked, int chunks) {
  std::string png = Written(1, 1, ".png");
  const std::string text = Chunk("zTXt", std::string("Comment\0\0", 9) + DeflatedZeros(unpacked));
  std::string all;
  for (int i = 0; i < chunks; ++i) all += text;
  // Before the pixels, where every reader and the probe read it.
  png.insert(png.find("IDAT") - 4, all);
  return png;
}

std::string GifClaiming(std::uint16_t width, std::uint16_t height) {
  std::string gif = "GIF89a";
  PutLittle(gif, width, 2);
  PutLittle(gif, height, 2);
  gif += std::string("\x80\x00\x00", 3);  // two-colour global table
  gif += std::string("\x00\x00\x00\xff\xff\xff", 6);
  gif.push_back(',');
  PutLittle(gif, 0, 4);
  PutLittle(gif, width, 2);
  PutLittle(gif, height, 2);
  gif.push_back('\0');
  gif += std::string("\x02\x02\x44\x01\x00", 5);  // LZW: clear, one pixel, end
  return gif + ";";
}

std::string WebpClaiming(int width, int height) {
  std::string lossless("\x2F", 1);
  PutLittle(lossless,
            std::uint32_t(width - 1) | std::uint32_t(height - 1) << 14 | 1u << 28 /* alpha */, 4);
  lossless += std::string(13, '\0');
  std::string riff = "WEBPVP8L";
  PutLittle(riff, std::uint32_t(lossless.size()), 4);
  riff += lossless;
  std::string out = "RIFF";
  PutLittle(out, std::uint32_t(riff.size()), 4);
  return out + riff;
}

std::string RleBmpFilled(std::int32_t width, std::int32_t height) {
  std::string data;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t left = width; left > 0; left -= 255) {
      data.push_back(char(std::min(left, 255)));
      data.push_back(char(y & 0xFF));
    }
    data += std::string("\0\0", 2);  // end of the row
  }
  return RleBmp(width, height, data + std::string("\0\x01", 2));
}

std::string JpegHeaderOnly() {
  const std::string jpeg = Written(64, 48, ".jpg");
  return jpeg.substr(0, ScanStarts(jpeg).front());
}

std::vector<NamedBytes> OtherKindsNamedAsPictures() {
  std::string fits = "SIMPLE  =                    T";
  fits += std::string(50, ' ') + "BITPIX  =                    8" + std::string(49, ' ');
  fits += "NAXIS   =                    2" + std::string(49, ' ');
  fits += "NAXIS1  =                16384" + std::string(50, ' ');
  fits += "NAXIS2  =                16384" + std::string(50, ' ') + "END";
  fits.resize(2880, ' ');
  std::string matlab = "MATLAB 5.0 MAT-file, Platform: GLNXA64";
  matlab.resize(124, ' ');
  matlab += std::string("\x00\x01IM", 4);
  return {
      {"drawing.png",
       "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
       "width=\"16384\" height=\"16384\"><rect width=\"16384\" height=\"16384\"/>"
       "</svg>\n"},
      {"ascii-ppm-16384.png", "P3\n16384 16384\n255\n"},
      {"binary-ppm-16384.jpg", "P6\n16384 16384\n255\n"},
      {"fits.tif", fits},
      {"document.png", "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\ntrailer << >>\n%%EOF\n"},
      {"matlab.gif", matlab},
      {"radiance.png", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 16384 +X 16384\n"},
  };
}

void WriteTiledTiff(const std::string& path, int width, int height) {
  if (!StartPictureLibrary()) throw std::runtime_error("no picture library");
  VImage::black(width, height, VImage::option()->set("bands", 3))
      .cast(VIPS_FORMAT_UCHAR)
      .tiffsave(path.c_str(), VImage::option()
                                  ->set("tile", true)
                                  ->set("tile_width", 4096)
                                  ->set("tile_height", 4096)
                                  ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
}

void WriteFloatTiff(const std::string& path, int width, int height) {
  if (!StartPictureLibrary()) throw std::runtime_error("no picture library");
  VImage::black(width, height)
      .cast(VIPS_FORMAT_FLOAT)
      .tiffsave(path.c_str(),
                VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
}

void WriteLargeJpeg(const std::string& path, int width, int height, JpegColours colours) {
  const bool rgb = colours == JpegColours::Ycbcr;
  CompressJpeg(
      path, width, height, rgb ? 3 : 4, rgb ? JCS_RGB : JCS_CMYK,
      [colours](jpeg_compress_struct& info) {
        if (colours != JpegColours::Ycbcr)
          jpeg_set_colorspace(&info, colours == JpegColours::Ycck ? JCS_YCCK : JCS_CMYK);
      },
      [](std::size_t i, int y) { return JSAMPLE((i + std::size_t(y)) & 0x3F); });
}

}  // namespace vendaro::testing
