#include "ui/settings_fixture.h"

#include <filesystem>

#include "model/wallpaper_entry.h"
#include "platform/session/autostart_store.h"
#include "support/dummy_desktop.h"
#include "support/test_environment.h"
#include "ui/dialog_folder.h"

namespace vendaro::testing {

SettingsWindowFixture::SettingsWindowFixture() : root(MakeTempDir("settings")) {
  dataFolder = root + "/data/";
  tempFolder = root + "/temp/";
  pictureFolder = root + "/pictures/";
  for (const std::string& folder :
       {dataFolder, tempFolder, pictureFolder, root + "/autostart-user", root + "/autostart-all"}) {
    std::filesystem::create_directories(folder);
  }
  AppServices services;
  services.now = [] { return std::chrono::system_clock::time_point(std::chrono::hours(492000)); };
  services.millisecondsSinceBoot = [] { return std::uint64_t{3'600'000}; };
  services.bootId = [] { return std::string("boot-1"); };
  services.screenSize = [this] { return screen; };
  services.desktop = std::make_unique<DummyDesktop>();
  services.autostart =
      std::make_unique<XdgAutostartStore>(root + "/autostart-user", root + "/autostart-all");
  services.executablePath = "/opt/vendaro/vendaro";
  services.dataFolder = dataFolder;
  services.tempFolder = tempFolder;
  session = std::make_unique<ResidentSession>(std::move(services));
  State().dataFolder = dataFolder;
  State().tempFolder = tempFolder;
  State().settings.IntervalMinutes = 5;
  State().settings.ElapsedSeconds = 1;
  State().settings.Interpolation = 2;

  // Each test starts as a new run would, with its own Pictures folder.
  DialogFolder::OfThisRun() = DialogFolder(pictureFolder);
  prompts.choosePictures = [](QWidget*, const QString&) { return QStringList(); };
  prompts.chooseFolder = [](QWidget*, const QString&) { return QString(); };
  prompts.chooseListToLoad = [](QWidget*, const QString&) { return QString(); };
  prompts.chooseListToSave = [](QWidget*, const QString&) { return QString(); };
  prompts.chooseColor = [](QWidget*, const QColor&) { return std::optional<QColor>(); };
  prompts.askRemoveMissing = [this](QWidget*, const QString& text) {
    questions.push_back(text);
    return answerYes;
  };
  prompts.showInformation = [this](QWidget*, const QString& text) { questions.push_back(text); };
  prompts.showError = [this](QWidget*, const QString& text) { errors.push_back(text); };
}

SettingsWindowFixture::~SettingsWindowFixture() {
  window.reset();
  session.reset();
}

WallpaperEntry SettingsWindowFixture::MakePicture(const std::string& name, int width, int height,
                                                  QColor color) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(color);
  const std::string path = pictureFolder + name;
  picture.save(QString::fromStdString(path));
  return MakeEntry(path, width, height);
}

TForm1& SettingsWindowFixture::OpenWindow() {
  window = std::make_unique<TForm1>(*session, prompts);
  return *window;
}

}  // namespace vendaro::testing
