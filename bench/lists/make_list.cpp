// vendaro-bench-make-list FOLDER COUNT LIST: a large photo collection as the
// list benchmark needs it.  Sixteen generated photos in FOLDER/originals,
// COUNT distinct names for them in FOLDER/COUNT (hard links, so the
// collection costs no space; sixteen keep each photo's links under the file
// system's limit), and LIST naming them in a shuffled order, as a list file.
// A folder already made is used again.
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

// Soft colour fields with grain: compresses like a photo, not like a fill.
void MakePhoto(const std::string& path, int seed) {
  std::mt19937 random(static_cast<unsigned>(seed));
  QImage photo(2400, 1600, QImage::Format_RGB32);
  QPainter painter(&photo);
  QLinearGradient sky(0, 0, 2400, 1600);
  sky.setColorAt(0, QColor::fromHsv(int(random() % 360), 120, 220));
  sky.setColorAt(1, QColor::fromHsv(int(random() % 360), 200, 90));
  painter.fillRect(photo.rect(), sky);
  painter.end();
  std::uniform_int_distribution<int> grain(-14, 14);
  for (int y = 0; y < photo.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
    for (int x = 0; x < photo.width(); ++x) {
      const int g = grain(random);
      const auto clamp = [g](int c) { return std::clamp(c + g, 0, 255); };
      row[x] = qRgb(clamp(qRed(row[x])), clamp(qGreen(row[x])), clamp(qBlue(row[x])));
    }
  }
  photo.save(QString::fromStdString(path), "JPEG", 88);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s FOLDER COUNT LIST\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  namespace fs = std::filesystem;
  const std::string folder = argv[1];
  const int count = std::stoi(argv[2]);
  const std::string originals = folder + "/originals/";
  fs::create_directories(originals);
  constexpr int kPhotos = 16;
  for (int i = 0; i < kPhotos; ++i) {
    const std::string path = originals + "photo" + std::to_string(i) + ".jpg";
    if (!fs::exists(path)) MakePhoto(path, i);
  }
  const std::string pictures = folder + "/" + std::to_string(count) + "/";
  fs::create_directories(pictures);
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    // Names as cameras and phones give them, in several runs.
    char name[64];
    std::snprintf(name, sizeof name, "%s_%06d.jpg", i % 3 ? "IMG" : "DSC", i);
    const std::string path = pictures + name;
    const std::string original = originals + "photo" + std::to_string(i % kPhotos) + ".jpg";
    if (!fs::exists(path) && link(original.c_str(), path.c_str()) != 0) {
      std::perror(path.c_str());
      return 1;
    }
    names.push_back(path);
  }
  std::shuffle(names.begin(), names.end(), std::mt19937(42));
  std::ofstream list(argv[3], std::ios::binary);
  for (const std::string& name : names) list << name << "\r\n";
  return list ? 0 : 1;
}
