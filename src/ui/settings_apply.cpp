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
  mainForm.TakeOptions(request.options, now);

  const EntryList& rows = *request.rows;
  Status listWritten;
  if (rows.empty()) {
    mainForm.TakeList(rows, request.currentRow);
    mainForm.RestoreUserWallpaper();
  } else {
    listWritten = WriteListFile(mainForm.dataFolder() + kDefaultListName, rows);
    mainForm.TakeList(rows, request.currentRow);
  }
  mainForm.ApplyCurrentEntry();
  RemoveLeftoverBitmaps(mainForm.tempFolder(), static_cast<int>(rows.size()),
                        request.windowListCount);
  return listWritten;
}

}  // namespace vendaro
