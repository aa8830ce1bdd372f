#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "app/resident_session.h"
#include "ui/prompts.h"
#include "ui/settings_window.h"

namespace vendaro::testing {

// A resident session on a dummy desktop, a fixed clock and sandbox folders,
// with a settings window whose questions the test answers.
class SettingsWindowFixture {
 public:
  SettingsWindowFixture();
  ~SettingsWindowFixture();

  // Writes a plain picture into the sandbox and returns its entry.
  WallpaperEntry MakePicture(const std::string& name, int width, int height,
                             QColor color = Qt::darkCyan);
  // Creates the settings window on the session's current state.
  TForm1& OpenWindow();
  // The resident program's state, to set up what a running program holds.
  ResidentState& State() { return session->state(); }

  ScreenSize screen{320, 240};
  std::string root;
  std::string dataFolder;
  std::string tempFolder;
  std::string pictureFolder;
  std::unique_ptr<ResidentSession> session;
  std::unique_ptr<TForm1> window;
  Prompts prompts;
  // What the prompts were asked.
  std::vector<QString> questions;
  std::vector<QString> errors;
  bool answerYes = true;
};

}  // namespace vendaro::testing
