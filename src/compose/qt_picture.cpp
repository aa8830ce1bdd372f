#include "compose/qt_picture.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "system/files.h"

namespace vendaro {
namespace {

// The file opened by its bytes; null when it is not a regular file that can
// be opened.
std::unique_ptr<QFile> OpenPicture(const std::string& path) {
  InputFile picture(path);
  if (!picture.isOpen()) return nullptr;
  auto file = std::make_unique<QFile>();
  if (!file->open(picture.handle(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
    return nullptr;
  picture.ReleaseHandle();
  return file;
}

// The format is named, so that Qt does not load every image plugin to ask
// whether one of them knows the content.
QByteArray FormatOf(QFile& file) {
  const QByteArray head = file.peek(8);
  if (head.startsWith("BM")) return "bmp";
  if (head == QByteArray("\x89PNG\r\n\x1a\n", 8)) return "png";
  return {};
}

// Whether a PNG file stores an orientation (an eXIf chunk before its
// pixels); Qt would not apply it.
bool PngHasOrientation(QFile& file) {
  const QByteArray head = file.peek(64 * 1024);
  for (qsizetype at = 8; at + 8 <= head.size();) {
    const std::uint32_t length = std::uint32_t(std::uint8_t(head[at])) << 24 |
                                 std::uint32_t(std::uint8_t(head[at + 1])) << 16 |
                                 std::uint32_t(std::uint8_t(head[at + 2])) << 8 |
                                 std::uint8_t(head[at + 3]);
    const QByteArray type = head.mid(at + 4, 4);
    if (type == "eXIf") return true;
    if (type == "IDAT" || type == "IEND") return false;
    at += qsizetype(12) + qsizetype(length);
  }
  return true;  // undecided within the first block: leave it to the library
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
  // Compared by division: a forged header's rows times its height would not
  // fit in 64 bits.
  const std::int64_t pixelBytes = file.size() - std::int64_t(Le(header, 10, 4));
  if (pixelBytes < 0) return true;
  return rowBytes > 0 && height > pixelBytes / rowBytes;
}

// Rows stored from the top are marked by a negative height, which Qt passes
// on as the size.
QSize BmpSize(QImageReader& reader) {
  const QSize size = reader.size();
  return {size.width(), std::abs(size.height())};
}

}  // namespace

Result<Claimed<QImage>> ReadWithQt(const std::string& path, bool png, std::int64_t maxPixels) {
  const auto notMine = Claimed<QImage>::NotMine();
  const auto file = OpenPicture(path);
  if (!file) return notMine;
  const QByteArray format = FormatOf(*file);
  if (format.isEmpty() || (format == "png" && (!png || PngHasOrientation(*file)))) return notMine;
  // Checked before the reader moves through the file.
  const bool cutOff = format == "bmp" && PixelsCutOff(*file);
  QImageReader reader(file.get(), format);
  const QSize size = format == "bmp" ? BmpSize(reader) : reader.size();
  if (size.isValid() && std::int64_t(size.width()) * size.height() > maxPixels) return notMine;
  const auto fail = [&path](const std::string& reason) {
    return Status::Error("\"" + path + "\" cannot be decoded: " + reason);
  };
  if (!size.isValid() || size.isEmpty()) return fail("no size that can be drawn");
  if (cutOff) return fail("the file is cut off");
  // The size was checked above; Qt's own limit would refuse large pictures
  // that are fine.
  reader.setAllocationLimit(int(maxPixels * 8 / (1024 * 1024)) + 1);
  QImage image = reader.read();
  if (image.isNull()) return fail(reader.errorString().toStdString());
  image.convertTo(image.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  return Claimed<QImage>(std::move(image));
}

}  // namespace vendaro
