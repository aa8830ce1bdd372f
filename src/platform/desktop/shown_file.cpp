#include "platform/desktop/shown_file.h"

#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "model/bmp_writer.h"
#include "system/files.h"

namespace vendaro {
namespace {

// zlib level 1: a 4K canvas is written in a fraction of the time of the
// default level, and the file only lives for one wallpaper.
constexpr int kFastPngQuality = 80;

std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// Encoded in memory and written through the byte path, so a folder name that
// is not UTF-8 works too.
Status WriteEncoded(const Canvas& canvas, const std::string& path, const char* format) {
  if (!canvas.hasPixels()) return Status::Error("Brak obrazu do zapisania");
  const QImage image(canvas.rgb.data(), canvas.width, canvas.height, canvas.width * 3,
                     QImage::Format_RGB888);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(kFastPngQuality);
  if (!writer.write(image)) {
    return Status::Error("Nie można zapisać pliku " + path + ": " +
                         writer.errorString().toStdString());
  }
  if (int error =
          ReplaceFileContents(path, std::string_view(bytes.constData(), std::size_t(bytes.size())));
      error != 0) {
    return Status::Error("Nie można zapisać pliku " + path + ": " + ErrorText(error));
  }
  return Status::Ok();
}

// The composed BMP under the shown name: a hard link, or a copy where the
// file system has none.  Never over an existing file.
int LinkBmp(const std::string& bmpPath, const std::string& path) {
  if (link(bmpPath.c_str(), path.c_str()) == 0) return 0;
  if (errno == EEXIST) return EEXIST;
  FileBytes bytes = ReadWholeFile(bmpPath);
  return bytes.error != 0 ? bytes.error : ReplaceFileContents(path, bytes.bytes);
}

constexpr const char* kShownPrefix = "vendaro-shown-";

// Microseconds since the epoch and our process id: no two processes, and no
// two changes of one process, make the same name.
std::string UniqueStem(int attempt) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  std::string stem = kShownPrefix;
  stem += std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
  stem += '-';
  stem += std::to_string(getpid());
  if (attempt > 0) {
    stem += '-';
    stem += std::to_string(attempt);
  }
  return stem;
}

std::string ReadLoaderCache() {
  if (const char* file = std::getenv("GDK_PIXBUF_MODULE_FILE"); file && *file)
    return ReadWholeFile(file).bytes;
  for (const char* libdir : {"/usr/lib/" VENDARO_LIBRARY_ARCH, "/usr/lib64", "/usr/lib"}) {
    FileBytes text = ReadWholeFile(std::string(libdir) + "/gdk-pixbuf-2.0/2.10.0/loaders.cache");
    if (text.error == 0) return text.bytes;
  }
  return {};
}

}  // namespace

ShownFormat FormatFromLoaderCache(const std::string& cacheText) {
  return cacheText.find("\"image/bmp\"") != std::string::npos ? ShownFormat::Bmp : ShownFormat::Png;
}

ShownFormat GdkPixbufFormat() {
  static const ShownFormat format = FormatFromLoaderCache(ReadLoaderCache());
  return format;
}

Result<std::string> WriteShownFile(const std::string& folder, const std::string& bmpPath,
                                   const Canvas& canvas, ShownFormat format) {
  const char* ext = format == ShownFormat::Png ? ".png" : ".bmp";
  const bool link = format == ShownFormat::Bmp && !bmpPath.empty();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = WithSlash(folder) + UniqueStem(attempt) + ext;
    if (!link) {
      if (access(path.c_str(), F_OK) == 0) continue;
      // A canvas drawn ahead has its pixels only in its file.
      std::optional<Canvas> read;
      if (!canvas.hasPixels() && !bmpPath.empty()) read = PixelsFromFile(bmpPath, canvas);
      const Canvas& pixels = read ? *read : canvas;
      if (Status status = format == ShownFormat::Png ? WriteEncoded(pixels, path, "png")
                                                     : WriteBmp(path, pixels);
          !status)
        return status;
    } else if (int error = LinkBmp(bmpPath, path); error == EEXIST) {
      continue;
    } else if (error != 0) {
      return Status::Error("Nie można zapisać pliku " + path + ": " + ErrorText(error));
    }
    return path;
  }
  return Status::Error("Nie można utworzyć pliku tapety w " + folder);
}

std::optional<Canvas> PixelsFromFile(const std::string& bmpPath, const Canvas& canvas) {
  // Our own composed files are read straight; another BMP through Qt.
  if (std::optional<Canvas> ours = ReadWrittenBmp(bmpPath, {canvas.width, canvas.height}))
    return ours;
  const FileBytes file = ReadWholeFile(bmpPath);
  if (file.error != 0) return std::nullopt;
  QImage image = QImage::fromData(reinterpret_cast<const uchar*>(file.bytes.data()),
                                  static_cast<int>(file.bytes.size()), "BMP");
  if (image.width() != canvas.width || image.height() != canvas.height) return std::nullopt;
  image.convertTo(QImage::Format_RGB888);
  Canvas read{canvas.width, canvas.height, {}};
  read.rgb.resize(static_cast<std::size_t>(read.width) * 3 * static_cast<std::size_t>(read.height));
  for (int y = 0; y < read.height; ++y)
    std::memcpy(read.row(y), image.constScanLine(y), static_cast<std::size_t>(read.width) * 3);
  return read;
}

Result<Wallpapers> WithPixels(const Wallpapers& wallpapers, std::deque<Canvas>& loaded) {
  Wallpapers whole = wallpapers;
  for (MonitorPicture& picture : whole.monitors) {
    if (!picture.canvas || picture.canvas->hasPixels()) continue;
    const Canvas* kept = picture.canvas;
    std::optional<Canvas> read = PixelsFromFile(picture.path, *kept);
    if (!read) return Status::Error("nie można odczytać pliku " + picture.path);
    loaded.push_back(std::move(*read));
    // Monitors sharing the canvas share what was read.
    for (MonitorPicture& same : whole.monitors)
      if (same.canvas == kept) same.canvas = &loaded.back();
  }
  return whole;
}

MonitorSources DistinctPictures(const Wallpapers& wallpapers) {
  MonitorSources found;
  for (const MonitorPicture& picture : wallpapers.monitors) {
    std::size_t index = 0;
    while (index < found.sources.size() && found.sources[index].canvas != picture.canvas) ++index;
    if (index == found.sources.size()) found.sources.push_back({picture.path, picture.canvas, {}});
    found.sourceOf.push_back(index);
  }
  return found;
}

Result<std::vector<std::string>> WriteShownFiles(const std::string& folder,
                                                 const std::vector<ShownSource>& sources,
                                                 ShownFormat format) {
  std::vector<std::string> shown;
  for (const ShownSource& source : sources) {
    Result<std::string> written =
        !source.readied.empty() ? Result<std::string>(source.readied)
        : source.canvas         ? WriteShownFile(folder, source.bmpPath, *source.canvas, format)
                                : Result<std::string>(Status::Error("Brak obrazu do zapisania"));
    if (!written) {
      // Not handed to anyone yet: nothing can be showing them.
      for (const std::string& path : shown) RemoveOwnFile(path);
      return written.status();
    }
    shown.push_back(std::move(*written));
  }
  return shown;
}

std::vector<std::int64_t> WallpapersStamp(const Wallpapers& wallpapers) {
  std::vector<std::int64_t> stamp{wallpapers.background};
  for (const MonitorPicture& picture : wallpapers.monitors) {
    const std::optional<FileIdentity> file = RegularFileIdentity(picture.path);
    if (!file) return {};
    // Not the change time: moving a file into place changes it.
    const Rect& area = picture.monitor.area;
    stamp.insert(stamp.end(), {area.left, area.top, area.width, area.height, file->device,
                               file->inode, file->size, file->modifiedNs});
  }
  return stamp;
}

bool IsShownFileName(const std::string& name) {
  return name.rfind(kShownPrefix, 0) == 0;
}

bool NamesShownFile(const std::string& text) {
  // No byte of the name is ever percent-encoded in a URL.
  return text.find(kShownPrefix) != std::string::npos;
}

std::string FileUrl(const std::string& path) {
  static const char* kHex = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

void RemoveOwnFile(const std::string& path) {
  if (!path.empty()) unlink(path.c_str());
}

}  // namespace vendaro
