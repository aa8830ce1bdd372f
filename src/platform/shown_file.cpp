#include "platform/shown_file.h"

#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "system/files.h"

namespace vendaro {
namespace {

// zlib level 1: a 4K canvas is written in a fraction of the time of the
// default level, and the file only lives for one wallpaper.
constexpr int kFastPngQuality = 80;

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Encoded in memory and written through the byte path, so a folder name that
// is not UTF-8 works too.
Status WritePng(const Canvas& canvas, const std::string& path) {
  if (canvas.empty()) return Status::Error("Brak obrazu do zapisania");
  const QImage image(canvas.rgb.data(), canvas.width, canvas.height, canvas.width * 3,
                     QImage::Format_RGB888);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
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
// file system has none.
Status LinkBmp(const std::string& bmpPath, const std::string& path) {
  RemoveOwnFile(path);
  if (link(bmpPath.c_str(), path.c_str()) == 0) return Status::Ok();
  FileBytes bytes = ReadWholeFile(bmpPath);
  int error = bytes.error != 0 ? bytes.error : ReplaceFileContents(path, bytes.bytes);
  if (error != 0) return Status::Error("Nie można zapisać pliku " + path + ": " + ErrorText(error));
  return Status::Ok();
}

}  // namespace

Status ShownFiles::Prepare(const std::string& bmpPath, const Canvas& canvas, ShownFormat format,
                           std::string& shownPath) {
  const char* ext = format == ShownFormat::Png ? ".png" : ".bmp";
  const std::string a = FolderOf(bmpPath) + "vendaro-shown-a" + ext;
  const std::string b = FolderOf(bmpPath) + "vendaro-shown-b" + ext;
  // A new process (a one-off change, a start after a crash) may find the
  // desktop still naming "a": then it takes "b".
  const bool useB = current_.empty() ? access(a.c_str(), F_OK) == 0 && access(b.c_str(), F_OK) != 0
                                     : current_ == a;
  pending_ = useB ? b : a;
  Status status =
      format == ShownFormat::Png ? WritePng(canvas, pending_) : LinkBmp(bmpPath, pending_);
  if (!status) {
    pending_.clear();
    return status;
  }
  shownPath = pending_;
  return status;
}

void ShownFiles::Commit() {
  if (pending_.empty()) return;
  if (!current_.empty() && current_ != pending_) RemoveOwnFile(current_);
  current_ = std::move(pending_);
  pending_.clear();
}

void ShownFiles::Discard() {
  if (!pending_.empty() && pending_ != current_) RemoveOwnFile(pending_);
  pending_.clear();
}

void ShownFiles::RemoveAll() {
  Discard();
  if (!current_.empty()) RemoveOwnFile(current_);
  current_.clear();
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
