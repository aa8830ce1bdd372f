#include "compose/qt_picture.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "compose/decode_limits.h"
#include "compose/format_readers.h"
#include "compose/png_chunks.h"
#include "system/files.h"

namespace vendaro {
namespace {

// The file opened by its bytes; null when it is not a regular file that can
// be opened.
std::unique_ptr<QFile> OpenPicture(InputFile& picture) {
  if (!picture.isOpen()) return nullptr;
  auto file = std::make_unique<QFile>();
  if (!file->open(picture.handle(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
    return nullptr;
  picture.ReleaseHandle();
  return file;
}

std::uint32_t Le(const QByteArray& bytes, int at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | std::uint8_t(bytes[at + i]);
  return value;
}

// Qt draws a cut-off BMP with its missing rows blank; like every other
// truncated picture it counts as undecodable instead.  Run-length data has
// no size known in advance, but a run of its two bytes draws at most 255
// pixels: a file claiming more pixels than its runs can hold relies on the
// codes that leave the rest blank (an empty 16384 x 16384 picture in a few
// bytes), which no real picture does.  The reason, or empty when the data
// can hold the picture.
std::string PixelsMissing(QFile& file) {
  const std::string cutOff = "plik jest ucięty";
  const QByteArray header = file.peek(34);
  if (header.size() < 26) return cutOff;
  const std::uint32_t headerSize = Le(header, 14, 4);
  std::int64_t width = 0, height = 0, bits = 0, compression = 0;
  if (headerSize == 12) {
    width = Le(header, 18, 2);
    height = Le(header, 20, 2);
    bits = Le(header, 24, 2);
  } else {
    if (header.size() < 34) return cutOff;
    width = std::int32_t(Le(header, 18, 4));
    height = std::abs(std::int64_t(std::int32_t(Le(header, 22, 4))));
    bits = Le(header, 28, 2);
    compression = Le(header, 30, 4);
  }
  // Compared by division: a forged header's rows times its height would not
  // fit in 64 bits.
  const std::int64_t pixelBytes = file.size() - std::int64_t(Le(header, 10, 4));
  if (pixelBytes < 0) return cutOff;
  width = std::abs(width);
  if (compression == 1 || compression == 2) {  // run-length, 8 or 4 bits
    if (width > 0 && height > kMostRunLengthPixels / width)
      return "rozpakowanie jego danych RLE trwałoby za długo";
    const std::int64_t mostPixels = (pixelBytes / 2) * 255;
    if (width > 0 && height > mostPixels / width)
      return "jego dane RLE nie mieszczą obrazka o podanym rozmiarze";
    return {};
  }
  if (compression != 0 && compression != 3) return {};  // left to the decoder
  const std::int64_t rowBytes = (width * bits + 31) / 32 * 4;
  return rowBytes > 0 && height > pixelBytes / rowBytes ? cutOff : std::string();
}

// Rows stored from the top are marked by a negative height, which Qt passes
// on as the size.
QSize BmpSize(QImageReader& reader) {
  const QSize size = reader.size();
  return {size.width(), std::abs(size.height())};
}

}  // namespace

Status PngProblem(PngChunks chunks) {
  switch (chunks) {
    case PngChunks::BeyondTheFile:
      return Status::Error("blok pliku deklaruje więcej danych, niż plik zawiera");
    case PngChunks::Oversized:
      return Status::Error("blok metadanych jest większy, niż obrazek może mieć");
    case PngChunks::TextTooLarge:
      return Status::Error("jego tekst po rozpakowaniu jest większy, niż obrazek może mieć");
    default:
      return Status::Ok();
  }
}

Result<Claimed<QImage>> ReadWithQt(const std::string& path, bool png, std::int64_t maxPixels) {
  const auto notMine = Claimed<QImage>::NotMine();
  InputFile picture(path);
  // The format is named, so that Qt does not ask every image reader whether
  // it knows the content.
  const std::optional<PictureFormat> kind = FormatOfFile(picture);
  const bool pngFile = kind == PictureFormat::Png;
  const PngChunks chunks = pngFile ? WalkPngChunks(picture) : PngChunks::Plain;
  const auto file = OpenPicture(picture);
  if (!file) return notMine;
  const QByteArray format =
      pngFile || kind == PictureFormat::Bmp ? QByteArray(QtReaderOf(*kind)) : QByteArray();
  const auto fail = [&path](const std::string& reason) {
    return Status::Error("nie można zdekodować obrazka „" + path + "”: " + reason);
  };
  if (format == "png" && png) {
    if (Status damaged = PngProblem(chunks); !damaged) return fail(damaged.message());
    if (chunks != PngChunks::Plain) return notMine;
  }
  if (format.isEmpty() || (format == "png" && !png)) return notMine;
  // Checked before the reader moves through the file.
  const std::string missing = format == "bmp" ? PixelsMissing(*file) : std::string();
  QImageReader reader(file.get(), format);
  const QSize size = format == "bmp" ? BmpSize(reader) : reader.size();
  const std::int64_t pixels = std::int64_t(size.width()) * size.height();
  if (size.isValid() && pixels > maxPixels) return notMine;
  if (!size.isValid() || size.isEmpty()) return fail("brak rozmiaru, który da się narysować");
  if (!missing.empty()) return fail(missing);
  // Held as four bytes a pixel once read; Qt's own image may be smaller
  // (indexed colours), so its limit alone would let a 1-bit picture grow
  // thirty-two times on conversion.
  if (pixels > kDecodeMemoryBytes / 4)
    return fail("przy " + std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                " pikseli zająłby więcej pamięci, niż może zająć obrazek");
  reader.setAllocationLimit(int(kDecodeMemoryBytes >> 20));
  QImage image = reader.read();
  if (image.isNull()) return fail("jego dane są uszkodzone albo nieobsługiwane");
  // Same depth as Qt's usual 32-bit result, so converted in place.
  image.convertTo(image.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
  if (image.isNull()) return fail("brak pamięci");
  return Claimed<QImage>(std::move(image));
}

}  // namespace vendaro
