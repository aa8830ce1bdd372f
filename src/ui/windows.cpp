#include "ui/windows.h"

#include <QCoreApplication>

#include "ui/about_window.h"
#include "ui/settings_window.h"

namespace vendaro {

void ShowSettingsWindow(ResidentSession& session, bool firstStart) {
  TForm1 settings(session);
  if (firstStart) settings.ShowFirstStartHint();
  settings.exec();
}

QWidget* CreateSplash() {
  auto* splash = new TForm6;
  splash->show();
  splash->repaint();
  QCoreApplication::processEvents();
  return splash;
}

void ShowAboutModal() {
  TForm6 about;
  about.exec();
}

}  // namespace vendaro
