#pragma once

#include <QDialog>
#include <QImage>
#include <chrono>
#include <functional>
#include <string>

#include "model/entry_list.h"
#include "model/options.h"
#include "ui/prompts.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QHeaderView;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace vendaro {

class EntryListModel;
class ResidentSession;
class TForm4;
class UpDown;
struct FolderScan;
struct ListSelection;
class DialogFolder;

// The settings window: the edited picture list with its commands and
// thumbnail on the left and top, the options and OK / Apply / Cancel below.
// It works on its own controls; only Apply hands anything to the session.
class TForm1 : public QDialog {
  Q_OBJECT

 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;
  TForm1(ResidentSession& session, Prompts prompts = Prompts::System(),
         PictureProbe probe = nullptr, QWidget* parent = nullptr);
  ~TForm1() override;

  // --- list side ---
  QGroupBox* GroupBox1 = nullptr;
  QWidget* Panel1 = nullptr;
  QHeaderView* HeaderControl1 = nullptr;
  QListView* ListBox1 = nullptr;
  QToolButton* BitBtn3 = nullptr;
  QToolButton* BitBtn10 = nullptr;
  QToolButton* BitBtn4 = nullptr;
  QToolButton* BitBtn1 = nullptr;
  QToolButton* BitBtn2 = nullptr;
  QToolButton* BitBtn9 = nullptr;
  QToolButton* BitBtn7 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Hint1 = nullptr;  // where pictures are added, on the first start
  // --- options side ---
  QLabel* Label3 = nullptr;  // the title
  QGroupBox* GroupBox2 = nullptr;
  QLineEdit* Edit1 = nullptr;
  UpDown* UpDown1 = nullptr;
  QLabel* Label2 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QLabel* Label4 = nullptr;
  QComboBox* ComboBox1 = nullptr;  // display mode
  QLabel* Label5 = nullptr;
  QComboBox* ComboBox2 = nullptr;  // autostart
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QLabel* Label1 = nullptr;
  QTimer* Timer1 = nullptr;
  QPushButton* BitBtn5 = nullptr;  // OK
  QPushButton* BitBtn8 = nullptr;  // Zastosuj
  QPushButton* BitBtn6 = nullptr;  // Anuluj
  TForm4* Form4 = nullptr;

  std::string LastFolder;
  int WindowListCount = 0;

  const EntryList& entries() const;
  // The options as both windows show them, and showing given ones.
  Options Values() const;
  void SetValues(const Options& options);
  // The composed picture behind the thumbnail (screen-sized), or none.
  const QImage& thumbnailPicture() const { return thumbnailPicture_; }
  void setClock(Clock clock) { clock_ = std::move(clock); }
  // Says, over the empty list, how pictures get onto it; gone once they do.
  void ShowFirstStartHint();

  // The commands, as the buttons, menu items and shortcuts run them.
  void BitBtn3Click();
  void BitBtn10Click();
  void FollowFolderClick();
  void BitBtn4Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn9Click();
  void BitBtn7Click();
  void HeaderControl1SectionClick(int section);
  // What the commands do once their dialog has answered.
  void AddPictureFiles(const QStringList& paths);
  void AddFolder(const QString& folder);
  void AddFollowedFolder(const QString& folder, bool subfolders);
  void DropPaths(const QStringList& paths);
  void LoadList(const QString& path);
  void SaveList(const QString& path);

  void ListBox1Click();
  void Image1Click();
  void UpDown1Click();
  void Timer1Timer();
  void CheckBox4Click();
  void ComboBox1Change();
  void BitBtn8Click();
  void BitBtn5Click();
  void BitBtn6Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildListSide();
  QToolButton* AddCommand(const char* buttonName, const char* itemName, const QString& caption,
                          const QKeySequence& shortcut, int glyph, void (TForm1::*handler)(),
                          int top);
  void BuildOptionsSide();
  void BuildButtons();
  QComboBox* AddOwnerDrawnCombo(const char* name, const ChoiceInfo& choice, QRect geometry);
  void FormCreate();
  void FormShow();
  void ConnectDialog();
  void SetIntervalControlsEnabled(bool enabled);
  void AddBatch(const std::function<void(EntryList&)>& fill);
  // One message for the files a folder scan left out.
  void TellLeftOut(const FolderScan& left);
  // The "Nazwa" arrow: the rows are in that column's order until an edit
  // other than a removal.
  void ShowSorted(bool sorted);
  void RemoveRowsQuietly(std::vector<int> rows);
  void MoveSelection(bool (*move)(EntryList&, ListSelection&));
  ListSelection CurrentSelection() const;
  void SetSelection(const ListSelection& selection);
  void MakeCurrent(int row, bool select);
  int CurrentRow() const;
  void ShowThumbnail(QImage picture);

  ResidentSession& session_;
  Prompts prompts_;
  PictureProbe probe_;
  Clock clock_;
  EntryListModel* model_ = nullptr;
  QImage thumbnailPicture_;
  QFrame* thumbnailFrame_ = nullptr;
  bool shown_ = false;
  int quietList_ = 0;  // > 0 while the window itself moves the current row
  int rowAtPress_ = -1;
  bool sorted_ = false;
  DialogFolder& dialogFolder_;
};

}  // namespace vendaro
