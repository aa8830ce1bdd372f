#pragma once

#include "model/autostart.h"
#include "model/entry_list.h"
#include "model/settings.h"
#include "system/status.h"

class QWidget;

namespace vendaro {

class TForm2;

// What the settings window hands over on Apply, read from its controls and
// from the additional-settings dialog.
struct ApplyRequest {
  Options options;
  AutostartChoice autostart = AutostartChoice::None;
  const EntryList* rows = nullptr;  // the edited list, in row order
  int currentRow = -1;              // the row holding the focus; -1 for none
  int windowListCount = 0;          // entries of the active list when the window opened
};

// The whole Apply: data folder, autostart, settings file, the main form's
// options and list, "default.vdl", the change itself and the clean-up of
// leftover bitmaps.  `window` is disabled and the change timer stopped for the
// duration; both come back however Apply ends.  A failed settings write stops
// Apply there; a failed list write still hands the list over.  The returned
// error is for the user to see.
Status ApplySettings(TForm2& mainForm, const ApplyRequest& request, QWidget* window);

}  // namespace vendaro
