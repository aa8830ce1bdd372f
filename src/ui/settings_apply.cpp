#include "ui/settings_apply.h"

#include <QTimer>
#include <QWidget>
#include <filesystem>

#include "app/main_form.h"

namespace vendaro {
namespace {

// Keeps the window and the change timer off while Apply runs; a change
// started from the timer inside ApplyCurrentEntry would race the new list.
class ApplyPause {
 public:
  ApplyPause(QWidget* window, QTimer* timer) : window_(window), timer_(timer) {
    if (window_ != nullptr) window_->setEnabled(false);
    if (timer_ != nullptr) timer_->stop();
  }
  ~ApplyPause() {
    if (timer_ != nullptr) timer_->start();
    if (window_ != nullptr) window_->setEnabled(true);
  }
  ApplyPause(const ApplyPause&) = delete;
  ApplyPause& operator=(const ApplyPause&) = delete;

 private:
  QWidget* window_;
  QTimer* timer_;
};

void CopyOptions(const OptionValues& values, const ChangeStamp& now, Settings& settings) {
  settings.Alignment = static_cast<std::int8_t>(values.Alignment);
  settings.GapFill = static_cast<std::int8_t>(values.GapFill);
  settings.Interpolation = static_cast<std::int8_t>(values.Interpolation);
  settings.ChangeTrigger = static_cast<std::int8_t>(values.ChangeTrigger);
  settings.Smoothing = static_cast<std::int8_t>(values.Smoothing);
  settings.FillColor = values.FillColor;
  settings.RandomOrder = values.RandomOrder;
  settings.DisplayMode = static_cast<std::int8_t>(values.DisplayMode);
  settings.ShowChangeWindow = values.ShowChangeWindow;
  if (values.ChangeTrigger == 1) settings.LastChangeDate = now.today;
}

void RemoveLeftoverBitmaps(const std::string& tempFolder, int from, int to) {
  for (int n = from; n < to; ++n) {
    std::error_code ignored;  // a missing file is the usual case
    std::filesystem::remove(tempFolder + std::to_string(n) + "wall.bmp", ignored);
  }
}

}  // namespace

Status ApplySettings(TForm2& mainForm, const ApplyRequest& request, QWidget* window) {
  ApplyPause pause(window, mainForm.Timer2);
  mainForm.ResolveDataFolderAgain();
  SyncAutostart(mainForm.autostartStore(), request.autostart, mainForm.executablePath());

  const ChangeStamp now = mainForm.Now();
  if (Status saved = SaveAllOptions(mainForm.settingsPath(), request.options, now); !saved) {
    return saved;
  }
  Settings& settings = mainForm.settings;
  CopyOptions(request.options, now, settings);

  const EntryList& rows = *request.rows;
  mainForm.ActiveList.clear();
  settings.PreviousPosition = settings.CurrentPosition;
  settings.CurrentPosition = request.currentRow >= 0 ? request.currentRow : 0;

  Status listWritten;
  if (rows.empty()) {
    settings.IntervalMinutes = 0;
    mainForm.RestoreUserWallpaper();
  } else {
    listWritten = WriteListFile(mainForm.DataFolder + kDefaultListName, rows);
    mainForm.ActiveList = rows;
    settings.IntervalMinutes = request.options.IntervalMinutes;
    settings.ElapsedSeconds = 1;
  }
  mainForm.ApplyCurrentEntry();
  RemoveLeftoverBitmaps(mainForm.TempFolder, static_cast<int>(rows.size()),
                        request.windowListCount);
  return listWritten;
}

}  // namespace vendaro
