#include "compose/probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>

namespace vendaro {
namespace {

// The path's bytes go straight to the system: Qt's file names are Unicode
// and would turn a name that is not valid UTF-8 into another name.  Only
// regular files are opened, and without blocking, so a FIFO or a device in a
// list cannot stall start-up.
int OpenRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

PictureSize ProbePicture(const std::string& path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return {};
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return {};
  }
  // Asking for the size reads the header only; no pixels are decoded, so a
  // header claiming a huge picture costs nothing.
  QImageReader reader(&file);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) return {};
  const bool quarterTurn = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
  return quarterTurn ? PictureSize{true, size.height(), size.width()}
                     : PictureSize{true, size.width(), size.height()};
}

}  // namespace vendaro
