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

#include "compose/format_readers.h"
#include "compose/renderer.h"
#include "model/picture_formats.h"
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

// How many leading bytes the header reader needs.  BMP has a fixed header;
// a JPEG whose segments cannot be walked gets what a header may take, not
// the whole file: its reader would otherwise hunt for markers through
// whatever follows (47 s for a header before 10 GB of junk).  Other formats
// get the whole file.
std::int64_t HeaderExtent(PictureFormat format, const QByteArray& head, std::int64_t fileSize) {
  switch (format) {
    case PictureFormat::Jpeg:
      return std::min(JpegExtent(View(head)).value_or(kMaxInMemoryHeader), fileSize);
    case PictureFormat::Png:
      return PngExtent(View(head), fileSize).value_or(fileSize);
    case PictureFormat::Bmp:
      return head.size();
    default:
      // Where Qt has no reader the picture library reads the file itself.
      return QtReaderOf(format) ? fileSize : head.size();
  }
}

// PNG's size is the first chunk's first eight bytes: read there, as no
// reader would stop before unpacking the text chunks that may come next.
Result<PictureSize> PngSize(std::string_view head) {
  if (head.size() < 24 || head.substr(12, 4) != "IHDR") return Status::Error("brak rozmiaru");
  const std::uint32_t width = Be32(head, 16), height = Be32(head, 20);
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
    return Status::Error("brak rozmiaru");
  return PictureSize{int(width), int(height)};
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
Result<PictureSize> SizeFrom(QIODevice& device, PictureFormat format) {
  QImageReader reader(&device, QtReaderOf(format));
  QSize size = reader.size();
  // A BMP stored from the top row down says so with a negative height.
  if (format == PictureFormat::Bmp) size.setHeight(std::abs(size.height()));
  if (!size.isValid() || size.isEmpty()) {
    const bool known = reader.error() != QImageReader::UnsupportedFormatError;
    return Status::Error(known ? "brak rozmiaru" : "nieznany format");
  }
  const bool quarterTurn =
      reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
  return quarterTurn ? PictureSize{size.height(), size.width()}
                     : PictureSize{size.width(), size.height()};
}

Status NotAReadableFile() {
  return Status::Error("to nie jest zwykły plik, który da się odczytać");
}

enum class HeadState { InMemory, TooLarge, Unreadable, Damaged, Unknown };

// Most headers sit in the first few kilobytes: reading just those into
// memory costs hardly more than opening the file.
HeadState ReadHeader(const InputFile& file, std::int64_t fileSize, QByteArray& head,
                     PictureFormat& format) {
  if (!ReadHead(file, head, std::min(fileSize, kFirstRead))) return HeadState::Unreadable;
  const std::optional<PictureFormat> known = FormatBySignature(View(head));
  if (!known) return HeadState::Unknown;
  format = *known;
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
  PictureFormat format = PictureFormat::Jpeg;
  switch (ReadHeader(picture, fileSize, head, format)) {
    case HeadState::Unreadable:
      return NotAReadableFile();
    case HeadState::Unknown:
      return Status::Error(UnknownFormatReason());
    case HeadState::Damaged:
      return Status::Error("blok pliku deklaruje więcej danych, niż plik zawiera");
    case HeadState::InMemory: {
      if (format == PictureFormat::Png) return PngSize(View(head));
      // Qt has no reader for these; the picture library reads their header.
      if (!QtReaderOf(format)) return ProbeWithLibrary(path);
      QBuffer buffer(&head);
      buffer.open(QIODevice::ReadOnly);
      return SizeFrom(buffer, format);
    }
    case HeadState::TooLarge:
      if (format == PictureFormat::Png) return PngSize(View(head));
      if (!QtReaderOf(format)) return ProbeWithLibrary(path);
      break;
  }
  QFile file;
  if (!file.open(picture.handle(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
    return NotAReadableFile();
  picture.ReleaseHandle();
  return SizeFrom(file, format);
}

}  // namespace vendaro
