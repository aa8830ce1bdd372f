#include "compose/qt_picture.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "compose/picture_file.h"
#include "compose/renderer.h"
#include "model/file_io.h"

namespace vendaro {
namespace {

using vips::VError;
using vips::VImage;

// The file opened by its bytes; null when it is not a regular file that can
// be opened.
std::unique_ptr<QFile> OpenPicture(const std::string& path) {
  std::int64_t size = 0;
  FileDescriptor fd(OpenRegularFile(path, size));
  if (fd.get() < 0) return nullptr;
  auto file = std::make_unique<QFile>();
  if (!file->open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return nullptr;
  fd.Release();
  return file;
}

// Only BMP is left to Qt, and named, so that Qt does not load every image
// plugin to ask whether one of them knows the content.
bool IsBmp(QFile& file) {
  return file.peek(2) == "BM";
}

std::uint32_t Le(const QByteArray& bytes, int at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | std::uint8_t(bytes[at + i]);
  return value;
}

// Qt draws a cut-off BMP with its missing rows blank; like every other
// truncated picture it counts as undecodable instead.  Compressed pixel data
// has no size known in advance and is left to the decoder.
bool PixelsCutOff(QFile& file) {
  const QByteArray header = file.peek(34);
  if (header.size() < 26) return true;
  const std::uint32_t headerSize = Le(header, 14, 4);
  std::int64_t width = 0, height = 0, bits = 0;
  if (headerSize == 12) {
    width = Le(header, 18, 2);
    height = Le(header, 20, 2);
    bits = Le(header, 24, 2);
  } else {
    if (header.size() < 34) return true;
    if (Le(header, 30, 4) != 0 && Le(header, 30, 4) != 3) return false;  // compressed
    width = std::int32_t(Le(header, 18, 4));
    height = std::abs(std::int64_t(std::int32_t(Le(header, 22, 4))));
    bits = Le(header, 28, 2);
  }
  const std::int64_t rowBytes = (std::abs(width) * bits + 31) / 32 * 4;
  return file.size() < std::int64_t(Le(header, 10, 4)) + rowBytes * height;
}

[[noreturn]] void Fail(const std::string& path, const QString& reason) {
  throw VError("\"" + path + "\" cannot be decoded: " + reason.toStdString());
}

// Rows stored from the top are marked by a negative height, which Qt passes
// on as the size.
QSize BmpSize(QImageReader& reader) {
  const QSize size = reader.size();
  return {size.width(), std::abs(size.height())};
}

}  // namespace

VImage DecodeWithQt(const std::string& path) {
  const auto file = OpenPicture(path);
  if (!file || !IsBmp(*file)) Fail(path, QStringLiteral("not a BMP file that can be opened"));
  if (PixelsCutOff(*file)) Fail(path, QStringLiteral("the file is cut off"));
  QImageReader reader(file.get(), "bmp");
  const QSize size = BmpSize(reader);
  if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPicturePixels)
    Fail(path, QStringLiteral("no size that can be drawn"));
  // The size was checked above; Qt's own limit would refuse large pictures
  // that are fine.
  reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
  QImage image = reader.read();
  if (image.isNull()) Fail(path, reader.errorString());
  const bool alpha = image.hasAlphaChannel();
  image.convertTo(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);

  // The library takes rows without padding; QImage pads them to four bytes.
  const int bands = alpha ? 4 : 3;
  const std::size_t rowBytes = std::size_t(image.width()) * bands;
  const std::size_t bytes = rowBytes * std::size_t(image.height());
  auto* pixels = static_cast<std::uint8_t*>(std::malloc(bytes));
  if (!pixels) Fail(path, QStringLiteral("out of memory"));
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(pixels + rowBytes * std::size_t(y), image.constScanLine(y), rowBytes);
  const int width = image.width(), height = image.height();
  image = QImage();
  VImage result =
      VImage::new_from_memory_steal(pixels, bytes, width, height, bands, VIPS_FORMAT_UCHAR);
  return result.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

}  // namespace vendaro
