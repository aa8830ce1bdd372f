#pragma once

#include <QDialog>
#include <QTimer>
#include <utility>
#include <vector>

#include "compose/compose_wallpaper.h"
#include "model/options.h"
#include "ui/prompts.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace vendaro {

// The additional-settings dialog beside the settings window (its parent):
// alignment, gap fill with its colour, interpolation, smoothing, the change
// trigger, the notification window and a picture per monitor.  It writes nothing itself; the
// settings window reads it on Apply.
class TForm4 : public QDialog {
  Q_OBJECT

 public:
  TForm4(SystemColorResolver systemColors, Prompts prompts, QWidget* settingsWindow);

  QGroupBox* GroupBox1 = nullptr;
  QComboBox* ComboBox1 = nullptr;  // alignment
  QGroupBox* GroupBox2 = nullptr;
  QComboBox* ComboBox2 = nullptr;  // gap fill
  QLabel* Panel1 = nullptr;        // colour swatch
  QGroupBox* GroupBox3 = nullptr;
  QComboBox* ComboBox3 = nullptr;  // interpolation
  QGroupBox* GroupBox5 = nullptr;
  QComboBox* ComboBox5 = nullptr;  // smoothing
  QGroupBox* GroupBox4 = nullptr;
  QComboBox* ComboBox4 = nullptr;  // change trigger
  QCheckBox* CheckBox1 = nullptr;  // announce a change
  QComboBox* ComboBox6 = nullptr;  // where: the program's window or the desktop's
  QCheckBox* CheckBox2 = nullptr;  // random order without repeats
  QCheckBox* CheckBox3 = nullptr;  // Previous walks the history
  QCheckBox* CheckBox4 = nullptr;  // a picture per monitor

  ColorValue ChosenColor = kClBackground;

  // Shows the options this dialog offers; runs no change handler.
  void SetValues(const Options& options);
  // `options` with the ones chosen here in place of theirs.
  Options Values(Options options) const;
  // Left edge 1 pixel right of the settings window, tops level.
  void PlaceBesideSettingsWindow();

  void Panel1Click();
  // Escape acts as the close box.
  void reject() override;

 signals:
  // A choice that changes the composition: the thumbnail is composed again.
  void compositionChanged();
  void triggerChanged(ChangeWhen trigger);
  // The close box hid the dialog.
  void closedByUser();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A combo box offering the choice, shown and read with the others.
  QComboBox* AddCombo(QWidget* group, const char* name, const ChoiceField& field);
  void WidenForTitles();
  QGroupBox* AddGroup(const char* name, const ChoiceInfo& choice, int top, int height);
  QCheckBox* AddCheckBox(const char* name, const char* caption, const char* tip, int top);
  void ComboBox2Change();
  void ShowColorPanel();

  // The combo boxes and the option each one shows.
  std::vector<std::pair<QComboBox*, ChoiceField>> choices_;
  SystemColorResolver systemColors_;
  Prompts prompts_;
  // Snaps back once a drag of the dialog has ended, not at every step of it.
  QTimer snapBack_;
};

}  // namespace vendaro
