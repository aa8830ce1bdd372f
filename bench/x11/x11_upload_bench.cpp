// Reads a ready screen-sized BMP and makes it the root background through the
// plain X11 backend: the upload alone, for comparing with other setters.
//   vendaro-bench-x11-upload PICTURE.bmp STATE-FOLDER
#include <QImage>

#include <cstdio>
#include <cstring>

#include "platform/desktop_probe.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s PICTURE.bmp STATE-FOLDER\n", argv[0]);
    return 2;
  }
  const QImage image = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB888);
  if (image.isNull()) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  vendaro::Canvas canvas{image.width(), image.height(), {}};
  canvas.rgb.resize(std::size_t(canvas.width) * std::size_t(canvas.height) * 3);
  for (int y = 0; y < canvas.height; ++y) {
    std::memcpy(canvas.row(y), image.constScanLine(y), std::size_t(canvas.width) * 3);
  }
  auto desktop = vendaro::MakeDesktopBackendOf(vendaro::DesktopKind::X11, vendaro::CurrentEnvironment(), argv[2]);
  vendaro::Status status = desktop->SetWallpaper(argv[1], canvas);
  if (!status) {
    std::fprintf(stderr, "%s\n", status.message().c_str());
    return 1;
  }
  return 0;
}
