// Renders each window of the program to a PNG file on the offscreen
// platform, for the README: render_windows OUTPUT_FOLDER [SUFFIX]
// (run with QT_SCALE_FACTOR=2 and the suffix "@2x" for the scaled set).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLinearGradient>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QRadialGradient>
#include <cstdio>
#include <filesystem>

#include "app/notification_window.h"
#include "app/tray_menu.h"
#include "platform/display/windowing.h"
#include "support/test_environment.h"
#include "ui/about_window.h"
#include "ui/additional_settings_dialog.h"
#include "ui/preview_window.h"
#include "ui/settings_fixture.h"

namespace vendaro {
namespace {

struct Picture {
  const char* name;
  int width;
  int height;
  QColor from;
  QColor to;
};

WallpaperEntry MakeGradientPicture(testing::SettingsWindowFixture& fixture,
                                   const Picture& picture) {
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient sky(0, 0, picture.width * 0.3, picture.height);
  sky.setColorAt(0, picture.from);
  sky.setColorAt(1, picture.to);
  painter.fillRect(image.rect(), sky);
  QRadialGradient sun(picture.width * 0.7, picture.height * 0.35, picture.height * 0.25);
  sun.setColorAt(0, QColor(255, 240, 200));
  sun.setColorAt(1, Qt::transparent);
  painter.fillRect(image.rect(), sun);
  painter.end();
  const std::string path = fixture.pictureFolder + picture.name;
  image.save(QString::fromStdString(path));
  return MakeEntry(path, picture.width, picture.height);
}

std::string suffix;

bool Save(const QPixmap& pixmap, const std::string& folder, const char* name) {
  std::string file = name;
  file.insert(file.rfind('.'), suffix);
  const std::string path = folder + "/" + file;
  if (!pixmap.save(QString::fromStdString(path))) {
    std::fprintf(stderr, "render_windows: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

// Followed folders: one row each with its count, the thumbnail of the
// chosen one its first picture; and the list's menu that adds them.
template <std::size_t N>
bool RenderFolderRows(const std::string& out, ScreenSize screen, const Picture (&pictures)[N]) {
  testing::SettingsWindowFixture fixture;
  fixture.screen = screen;
  for (const char* folder : {"Tapety", "Wakacje", "Wakacje/2024", "Wakacje/2025"})
    std::filesystem::create_directories(fixture.pictureFolder + folder);
  const std::pair<const char*, std::size_t> placed[] = {
      {"Tapety/", 0},       {"Tapety/", 1},       {"Tapety/", 3},      {"Wakacje/", 2},
      {"Wakacje/2024/", 4}, {"Wakacje/2024/", 5}, {"Wakacje/2025/", 6}};
  for (const auto& [folder, index] : placed) {
    Picture picture = pictures[index];
    const std::string name = std::string(folder) + picture.name;
    picture.name = name.c_str();
    MakeGradientPicture(fixture, picture);
  }
  fixture.State().list.push_back(MakeGradientPicture(fixture, pictures[4]));
  fixture.State().list.push_back(MakeGradientPicture(fixture, pictures[6]));
  TForm1& window = fixture.OpenWindow();
  window.show();
  for (const auto& [folder, subfolders] : {std::pair{"Tapety", false}, {"Wakacje", true}}) {
    window.AddFollowedFolder(QString::fromStdString(fixture.pictureFolder + folder), subfolders);
  }
  window.ListBox1->setCurrentIndex(window.ListBox1->model()->index(2, 0));
  QApplication::processEvents();
  bool ok = Save(window.grab(), out, "settings-folder-rows.png");
  window.PopupMenu1->popup(window.ListBox1->viewport()->mapToGlobal(QPoint(40, 40)));
  QApplication::processEvents();
  ok = Save(window.PopupMenu1->grab(), out, "list-menu.png") && ok;
  window.PopupMenu1->hide();
  window.hide();
  return ok;
}

int Render(const std::string& out) {
  testing::SettingsWindowFixture fixture;
  fixture.screen = {1280, 800};
  const Picture pictures[] = {
      {"zachod-slonca.jpg", 1600, 1000, QColor(29, 78, 137), QColor(247, 179, 43)},
      {"gory-tatry.png", 1200, 900, QColor(40, 90, 60), QColor(200, 220, 240)},
      {"morze-baltyckie.png", 900, 1200, QColor(0, 96, 100), QColor(224, 247, 250)},
      {"las-jesienia.jpg", 1024, 768, QColor(120, 60, 20), QColor(240, 200, 80)},
      {"panorama-krakowa-noca-z-kopca.png", 2400, 800, QColor(10, 10, 40), QColor(90, 60, 140)},
      {"kwiaty.png", 800, 600, QColor(180, 40, 90), QColor(250, 220, 230)},
      {"jezioro.jpg", 1280, 800, QColor(30, 60, 120), QColor(150, 200, 230)},
  };
  for (const Picture& picture : pictures) {
    fixture.State().list.push_back(MakeGradientPicture(fixture, picture));
  }
  fixture.State().settings.DisplayMode = 1;
  fixture.State().settings.GapFill = 1;
  fixture.State().settings.FillColor = Rgb(32, 48, 64);
  fixture.State().settings.CurrentPosition = 2;
  fixture.State().settings.Notice = NoticeWay::Desktop;
  fixture.State().settings.NoRepeats = true;

  TForm1& window = fixture.OpenWindow();
  window.show();
  QApplication::processEvents();
  bool ok = Save(window.grab(), out, "settings-window.png");

  window.CheckBox4->setChecked(true);
  QApplication::processEvents();
  ok = Save(window.Form4->grab(), out, "additional-settings.png") && ok;
  window.Form4->ComboBox1->showPopup();
  QApplication::processEvents();
  ok = Save(window.Form4->ComboBox1->view()->window()->grab(), out, "alignment-combo.png") && ok;
  window.Form4->ComboBox1->hidePopup();

  TForm3 preview(window.thumbnailPicture());
  preview.resize(window.thumbnailPicture().size());
  ok = Save(preview.grab(), out, "preview.png") && ok;

  TForm5 notification;
  notification.ShowFor(fixture.State().list[0]);
  ok = Save(notification.grab(), out, "notification.png") && ok;

  // Qt's own buttons, in Polish as the program loads them.
  QMessageBox question(QMessageBox::Question, QStringLiteral("Zapytanie"),
                       QStringLiteral("Nie znaleziono pliku\n/home/ola/Tapety/morze.png\n"
                                      "Czy usunąć go z listy ?"),
                       QMessageBox::Yes | QMessageBox::No);
  question.show();
  QApplication::processEvents();
  ok = Save(question.grab(), out, "question-box.png") && ok;
  question.hide();

  // The tray menu with a picture on screen: every item shows.
  TrayItems items;
  TrayMenu tray(items, {[] {}, [] {}});
  tray.Sync();
  tray.PopupMenu1->popup(QPoint(0, 0));
  QApplication::processEvents();
  ok = Save(tray.PopupMenu1->grab(), out, "tray-menu.png") && ok;
  tray.PopupMenu1->hide();

  TForm6 about;
  about.show();
  QApplication::processEvents();
  ok = Save(about.grab(), out, "about.png") && ok;
  about.hide();
  window.hide();

  // The first start: an empty list with the hint where pictures are added.
  testing::SettingsWindowFixture empty;
  empty.screen = fixture.screen;
  TForm1& first = empty.OpenWindow();
  first.ShowFirstStartHint();
  first.show();
  QApplication::processEvents();
  ok = Save(first.grab(), out, "first-start.png") && ok;
  first.hide();
  return RenderFolderRows(out, fixture.screen, pictures) && ok ? 0 : 1;
}

}  // namespace
}  // namespace vendaro

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: render_windows OUTPUT_FOLDER [SUFFIX]\n");
    return 2;
  }
  const std::string out = argv[1];
  if (argc == 3) vendaro::suffix = argv[2];
  // The sandbox sets the plain offscreen platform; a screen given with it
  // stays.
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  vendaro::testing::IsolateEnvironment();
  if (platform.startsWith("offscreen")) qputenv("QT_QPA_PLATFORM", platform);
  QApplication app(argc, argv);
  if (vendaro::Status polish = vendaro::LoadQtPolish(); !polish)
    std::fprintf(stderr, "render_windows: %s\n", polish.message().c_str());
  return vendaro::Render(out);
}
