#include "compose/probe.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "system/files.h"

namespace vendaro {
namespace {

// Headers up to this size are read into memory in one go; larger ones, and
// formats whose header may lie anywhere (TIFF), are read by Qt from the file.
constexpr std::int64_t kMaxInMemoryHeader = 1 << 20;
constexpr std::int64_t kFirstRead = 4096;

std::uint32_t Byte(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}
std::uint32_t Be16(std::string_view s, std::size_t i) {
  return Byte(s, i) << 8 | Byte(s, i + 1);
}
std::uint32_t Be32(std::string_view s, std::size_t i) {
  return Be16(s, i) << 16 | Be16(s, i + 2);
}

// JPEG: the segments up to and including the first start of scan.  When the
// walk runs past `head`, the answer is where it has to go on; nothing when
// the structure is unusual, which leaves the whole file to the reader.
std::optional<std::int64_t> JpegExtent(std::string_view head) {
  std::size_t pos = 2;
  for (;;) {
    if (pos + 4 > head.size()) return std::int64_t(pos + 4);
    if (Byte(head, pos) != 0xFF) return std::nullopt;
    const std::uint32_t marker = Byte(head, pos + 1);
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if ((marker >= 0xD0 && marker <= 0xD8) || marker == 0x01) {  // markers without a length
      pos += 2;
      continue;
    }
    pos += 2 + Be16(head, pos + 2);
    if (marker == 0xDA) return std::int64_t(pos);
  }
}

// A header that cannot be read: libpng would allocate what it claims.
constexpr std::int64_t kDamaged = -1;

// PNG: the chunks up to the first image data, where the header reader stops.
// A chunk there claiming more than the file holds would have libpng
// allocate the claim (up to 2 GB) before it finds the file too short.
std::optional<std::int64_t> PngExtent(std::string_view head, std::int64_t fileSize) {
  std::uint64_t pos = 8;
  for (;;) {
    if (pos + 8 > head.size()) return std::int64_t(pos + 8);
    if (head.substr(pos + 4, 4) == "IDAT") return std::int64_t(pos + 8);
    const std::uint32_t length = Be32(head, pos);
    if (length > 0x7FFFFFFFu || std::int64_t(pos + 12 + length) > fileSize) return kDamaged;
    pos += 12 + std::uint64_t(length);
  }
}

std::string_view View(const QByteArray& bytes) {
  return {bytes.constData(), std::size_t(bytes.size())};
}

// The formats recognised by their signature, named as Qt's readers are; the
// name spares Qt asking every reader whether it knows the content.
QByteArray FormatOf(const QByteArray& bytes) {
  const std::string_view head = View(bytes);
  if (head.starts_with("\xFF\xD8\xFF")) return "jpeg";
  if (head.starts_with("\x89PNG\r\n\x1A\n")) return "png";
  if (head.starts_with("BM")) return "bmp";
  return {};
}

// How many leading bytes the header reader needs.  BMP has a fixed header;
// other formats get the whole file.
std::int64_t HeaderExtent(const QByteArray& format, const QByteArray& head, std::int64_t fileSize) {
  if (format == "jpeg") return JpegExtent(View(head)).value_or(fileSize);
  if (format == "png") return PngExtent(View(head), fileSize).value_or(fileSize);
  if (format == "bmp") return head.size();
  return fileSize;
}

// Extends `head` to `length` bytes of the file (fewer at its end).
bool ReadHead(const InputFile& file, QByteArray& head, std::int64_t length) {
  qsizetype have = head.size();
  head.resize(qsizetype(length));
  while (have < head.size()) {
    const std::int64_t n = file.ReadAt(head.data() + have, std::size_t(head.size() - have), have);
    if (n < 0) return false;
    if (n == 0) break;
    have += n;
  }
  head.truncate(have);
  return true;
}

// Asking for the size reads the header only; no pixels are decoded, so a
// header claiming a huge picture costs nothing.
Result<PictureSize> SizeFrom(QIODevice& device, const QByteArray& format) {
  QImageReader reader(&device, format);
  QSize size = reader.size();
  // A BMP stored from the top row down says so with a negative height.
  if (format == "bmp") size.setHeight(std::abs(size.height()));
  if (!size.isValid() || size.isEmpty()) {
    const bool known = reader.error() != QImageReader::UnsupportedFormatError;
    return Status::Error(known ? "no size" : "unknown format");
  }
  const bool quarterTurn =
      reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
  return quarterTurn ? PictureSize{size.height(), size.width()}
                     : PictureSize{size.width(), size.height()};
}

Status NotAReadableFile() {
  return Status::Error("not a regular file that can be read");
}

enum class HeadState { InMemory, TooLarge, Unreadable, Damaged };

// Most headers sit in the first few kilobytes: reading just those into
// memory costs hardly more than opening the file.
HeadState ReadHeader(const InputFile& file, std::int64_t fileSize, QByteArray& head,
                     QByteArray& format) {
  if (!ReadHead(file, head, std::min(fileSize, kFirstRead))) return HeadState::Unreadable;
  format = FormatOf(head);
  for (;;) {
    const std::int64_t extent = HeaderExtent(format, head, fileSize);
    if (extent == kDamaged) return HeadState::Damaged;
    if (extent > kMaxInMemoryHeader) return HeadState::TooLarge;
    if (extent <= head.size() || head.size() >= fileSize) return HeadState::InMemory;
    const qsizetype before = head.size();
    if (!ReadHead(file, head, std::min(fileSize, extent + kFirstRead)))
      return HeadState::Unreadable;
    if (head.size() == before) return HeadState::InMemory;  // the file shrank meanwhile
  }
}

}  // namespace

Result<PictureSize> ProbePicture(const std::string& path) {
  InputFile picture(path);
  if (!picture.isOpen()) return NotAReadableFile();
  const std::int64_t fileSize = picture.size();
  QByteArray head;
  QByteArray format;
  switch (ReadHeader(picture, fileSize, head, format)) {
    case HeadState::Unreadable:
      return NotAReadableFile();
    case HeadState::Damaged:
      return Status::Error("a chunk claims more than the file holds");
    case HeadState::InMemory: {
      QBuffer buffer(&head);
      buffer.open(QIODevice::ReadOnly);
      return SizeFrom(buffer, format);
    }
    case HeadState::TooLarge:
      break;
  }
  QFile file;
  if (!file.open(picture.handle(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
    return NotAReadableFile();
  picture.ReleaseHandle();
  return SizeFrom(file, format);
}

}  // namespace vendaro
