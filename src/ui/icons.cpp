#include "ui/icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <array>

// A resource of a static library is linked only when something calls its
// initialiser, which must be named outside any namespace.
static void InitUiResources() {
  Q_INIT_RESOURCE(icons);
}

namespace vendaro {
namespace {

QIcon RenderSvg(const QString& name) {
  InitUiResources();
  QSvgRenderer renderer(QStringLiteral(":/ui/icons/%1.svg").arg(name));
  QIcon icon;
  for (int size : {16, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon SettingsGlyph(int index) {
  static const std::array<const char*, 8> kNames = {"add_pictures", "add_folder", "remove",
                                                    "move_up",      "move_down",  "load_list",
                                                    "save_list",    "ok"};
  if (index < 0 || index >= static_cast<int>(kNames.size())) return {};
  return RenderSvg(QString::fromLatin1(kNames[static_cast<std::size_t>(index)]));
}

QIcon AlignmentIcon(int index) {
  if (index < 0 || index > 8) return {};
  return RenderSvg(QStringLiteral("align%1").arg(index));
}

}  // namespace vendaro
