#include "compose/probe_pictures.h"

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <stdexcept>

namespace vendaro::testing {
namespace {

void PutBe32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char((v >> shift) & 0xFF));
}

void PutLe16(std::string& out, unsigned v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char((v >> 8) & 0xFF));
}

void PutLe32(std::string& out, std::uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace

std::string EncodedPicture(const char* format, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(30, 120, 200));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, format))
    throw std::runtime_error(std::string("cannot encode ") + format);
  return bytes.toStdString();
}

std::string TwoFrameGif(int width, int height) {
  std::string gif = "GIF89a";
  PutLe16(gif, unsigned(width));
  PutLe16(gif, unsigned(height));
  gif += std::string("\x80\x00\x00", 3);  // two-colour global table
  gif += std::string("\x00\x00\x00\xff\xff\xff", 6);
  for (int frame = 0; frame < 2; ++frame) {
    const unsigned w = frame == 0 ? unsigned(width) : 2, h = frame == 0 ? unsigned(height) : 2;
    gif.push_back(',');
    PutLe16(gif, 0);
    PutLe16(gif, 0);
    PutLe16(gif, w);
    PutLe16(gif, h);
    gif.push_back('\0');
    gif += std::string("\x02\x02\x44\x01\x00", 5);  // LZW: clear, one pixel, end
  }
  gif.push_back(';');
  return gif;
}

std::string JpegSegment(char marker, const std::string& data) {
  std::string segment = "\xff";
  segment.push_back(marker);
  segment.push_back(char(((data.size() + 2) >> 8) & 0xFF));
  segment.push_back(char((data.size() + 2) & 0xFF));
  return segment + data;
}

std::string JpegWithOrientation(int width, int height, int orientation, int fillerBytes) {
  const std::string jpeg = EncodedPicture("JPEG", width, height);
  std::string exif = "Exif";
  exif += std::string("\0\0", 2);
  exif += std::string("MM\0\x2A\0\0\0\x08", 8);        // big-endian TIFF, first IFD at 8
  exif += std::string("\0\x01", 2);                    // one entry
  exif += std::string("\x01\x12\0\x03\0\0\0\x01", 8);  // Orientation, SHORT, count 1
  exif.push_back('\0');
  exif.push_back(char(orientation));
  exif += std::string("\0\0", 2);
  exif += std::string(4, '\0');  // no next IFD
  std::string filler;
  for (int left = fillerBytes; left > 0; left -= 60000) {
    filler += JpegSegment('\xe2', std::string(std::size_t(std::min(left, 60000)), 'f'));
  }
  return jpeg.substr(0, 2) + filler + JpegSegment('\xe1', exif) + jpeg.substr(2);
}

std::string PngChunk(const std::string& type, const std::string& data) {
  std::string chunk;
  PutBe32(chunk, std::uint32_t(data.size()));
  chunk += type + data;
  PutBe32(chunk, Crc32(type + data));
  return chunk;
}

std::string PngWithText(int width, int height, int textBytes) {
  const std::string png = EncodedPicture("PNG", width, height);
  const std::string text =
      "Comment" + std::string(1, '\0') + std::string(std::size_t(textBytes), 't');
  return png.substr(0, 33) + PngChunk("tEXt", text) + png.substr(33);
}

std::string PngHeaderOnly(unsigned width, unsigned height) {
  std::string chunk = "IHDR";
  PutBe32(chunk, width);
  PutBe32(chunk, height);
  chunk += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  std::string png = "\x89PNG\r\n\x1a\n";
  PutBe32(png, 13);
  png += chunk;
  PutBe32(png, Crc32(chunk));
  return png;
}

std::string BmpHeaderOnly(int width, int height) {
  std::string bmp = "BM";
  PutLe32(bmp, 54);
  PutLe32(bmp, 0);
  PutLe32(bmp, 54);
  PutLe32(bmp, 40);
  PutLe32(bmp, std::uint32_t(width));
  PutLe32(bmp, std::uint32_t(height));
  PutLe16(bmp, 1);
  PutLe16(bmp, 24);
  for (int i = 0; i < 6; ++i) PutLe32(bmp, 0);
  return bmp;
}

// A real JPEG whose frame header is rewritten to claim another size.
std::string JpegClaiming(int width, int height) {
  std::string jpeg = EncodedPicture("JPEG", 16, 16);
  const std::size_t sof = jpeg.find("\xff\xc0");
  if (sof == std::string::npos) throw std::runtime_error("no baseline frame header");
  jpeg[sof + 5] = char(height >> 8);
  jpeg[sof + 6] = char(height & 0xFF);
  jpeg[sof + 7] = char(width >> 8);
  jpeg[sof + 8] = char(width & 0xFF);
  return jpeg;
}

}  // namespace vendaro::testing
