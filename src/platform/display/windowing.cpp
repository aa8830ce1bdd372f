#include "platform/display/windowing.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vendaro {
namespace {

bool Set(const Environment& env, const char* name) {
  auto it = env.find(name);
  return it != env.end() && !it->second.empty();
}

}  // namespace

std::optional<std::string> WindowingPlatformFor(const Environment& env) {
  if (Set(env, "QT_QPA_PLATFORM")) return std::nullopt;
  if (Set(env, "WAYLAND_DISPLAY") && Set(env, "DISPLAY")) return "xcb";
  return std::nullopt;
}

void ChooseWindowingPlatform() {
  if (const auto platform = WindowingPlatformFor(CurrentEnvironment()))
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
}

Status LoadQtPolish() {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_pl"), folder)) {
    delete translator;
    return Status::Error("Nie znaleziono polskich tekstów Qt (qtbase_pl.qm) w " +
                         folder.toStdString() +
                         "; przyciski i okna wyboru plików będą po angielsku");
  }
  QCoreApplication::installTranslator(translator);
  return Status::Ok();
}

}  // namespace vendaro
