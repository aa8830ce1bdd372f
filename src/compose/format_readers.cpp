#include "compose/format_readers.h"

#include <QLoggingCategory>
#include <array>
#include <string_view>

namespace vendaro {
namespace {

struct Readers {
  PictureFormat format;
  const char* qt;
  const char* loader;
  const char* loaderClass;
};

constexpr std::array<Readers, 8> kReaders = {{
    {PictureFormat::Jpeg, "jpeg", "jpegload_source", "VipsForeignLoadJpeg"},
    {PictureFormat::Png, "png", "pngload_source", "VipsForeignLoadPng"},
    {PictureFormat::Gif, "gif", "gifload_source", "VipsForeignLoadNsgif"},
    {PictureFormat::Bmp, "bmp", nullptr, nullptr},
    {PictureFormat::Tiff, "tiff", "tiffload_source", "VipsForeignLoadTiff"},
    {PictureFormat::Webp, "webp", "webpload_source", "VipsForeignLoadWebp"},
    {PictureFormat::Heif, nullptr, "heifload_source", "VipsForeignLoadHeif"},
    {PictureFormat::JpegXl, nullptr, "jxlload_source", "VipsForeignLoadJxl"},
}};

const Readers& Of(PictureFormat format) {
  for (const Readers& readers : kReaders)
    if (readers.format == format) return readers;
  return kReaders[0];
}

}  // namespace

std::optional<PictureFormat> FormatOfFile(const InputFile& file) {
  char head[kSignatureBytes];
  const std::int64_t n = file.ReadAt(head, sizeof head, 0);
  if (n <= 0) return std::nullopt;
  return FormatBySignature(std::string_view(head, std::size_t(n)));
}

const char* QtReaderOf(PictureFormat format) {
  return Of(format).qt;
}

const char* LibraryLoaderOf(PictureFormat format) {
  return Of(format).loader;
}

const char* LibraryLoaderClassOf(PictureFormat format) {
  return Of(format).loaderClass;
}

void QuietQtReaders() {
  QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
}

}  // namespace vendaro
