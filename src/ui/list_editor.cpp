// The list side of the settings window: the seven commands, sorting, drops
// and the selection bookkeeping they share.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QStandardItemModel>
#include <QToolButton>

#include "app/resident_session.h"
#include "model/folder_rows.h"
#include "platform/session/folders.h"
#include "platform/session/path_text.h"
#include "system/process.h"
#include "ui/dialog_folder.h"
#include "ui/entry_list_model.h"
#include "ui/icons.h"
#include "ui/list_commands.h"
#include "ui/look.h"
#include "ui/row_painting.h"
#include "ui/settings_window.h"

namespace vendaro {
namespace {

constexpr int kListWidth = 265;
constexpr int kHeaderHeight = 17;
constexpr int kListHeight = 208;
constexpr int kButtonSize = 26;

// The list's own moves of the current row do not count as the user's.
class QuietScope {
 public:
  explicit QuietScope(int& depth) : depth_(depth) { ++depth_; }
  ~QuietScope() { --depth_; }
  QuietScope(const QuietScope&) = delete;
  QuietScope& operator=(const QuietScope&) = delete;

 private:
  int& depth_;
};

}  // namespace

void TForm1::BuildListSide() {
  GroupBox1 = new QGroupBox("Lista zdjęć :", this);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setGeometry(8, 38, 316, 252);
  Panel1 = new QWidget(GroupBox1);
  Panel1->setObjectName("Panel1");
  Panel1->setGeometry(8, 20, kListWidth, kHeaderHeight + kListHeight);

  auto* headerModel = new QStandardItemModel(0, 2, Panel1);
  headerModel->setHorizontalHeaderLabels({"Nazwa", "Rozmiar"});
  HeaderControl1 = new QHeaderView(Qt::Horizontal, Panel1);
  HeaderControl1->setObjectName("HeaderControl1");
  HeaderControl1->setModel(headerModel);
  HeaderControl1->setSectionsClickable(true);
  HeaderControl1->setHighlightSections(false);
  HeaderControl1->setStretchLastSection(false);
  HeaderControl1->setSectionResizeMode(QHeaderView::Interactive);
  HeaderControl1->setSortIndicatorShown(true);
  HeaderControl1->setSortIndicator(-1, Qt::AscendingOrder);
  HeaderControl1->resizeSection(0, 185);
  HeaderControl1->resizeSection(1, 80);
  HeaderControl1->setGeometry(0, 0, kListWidth, kHeaderHeight);

  ListBox1 = new QListView(Panel1);
  ListBox1->setObjectName("ListBox1");
  ListBox1->setModel(model_);
  ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListBox1->setUniformItemSizes(true);
  ListBox1->setFrameShape(QFrame::NoFrame);
  ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListBox1->setFont(UiFont(kTahoma, 11));
  QPalette white = ListBox1->palette();
  white.setColor(QPalette::Base, Qt::white);
  ListBox1->setPalette(white);
  ListBox1->setItemDelegate(
      new ListRowDelegate([this] { return HeaderControl1->sectionSize(0); }, ListBox1));
  ListBox1->setGeometry(0, kHeaderHeight, kListWidth, kListHeight);
  ListBox1->viewport()->installEventFilter(this);

  connect(HeaderControl1, &QHeaderView::sectionResized, ListBox1->viewport(),
          qOverload<>(&QWidget::update));
  connect(HeaderControl1, &QHeaderView::sectionClicked, this, &TForm1::HeaderControl1SectionClick);
  connect(ListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    if (quietList_ == 0) ListBox1Click();
  });
  connect(ListBox1, &QListView::clicked, this, [this](const QModelIndex& index) {
    if (index.row() == rowAtPress_) ListBox1Click();
  });

  PopupMenu1 = new QMenu(ListBox1);
  PopupMenu1->setObjectName("PopupMenu1");
  ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListBox1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(at)); });
  int top = 20;
  const auto next = [&top] { return std::exchange(top, top + kButtonSize + 4); };
  BitBtn3 = AddCommand("BitBtn3", "Dodajzdjciadolisty1", "Dodaj zdjęcia do listy",
                       QKeySequence("Ctrl+A"), 0, &TForm1::BitBtn3Click, next());
  BitBtn10 = AddCommand("BitBtn10", "Dodajzdjciazkatalogu1", "Dodaj zdjęcia z katalogu",
                        QKeySequence("Ctrl+F"), 1, &TForm1::BitBtn10Click, next());
  // The column has no room for another button: the menu holds it.
  auto* follow = PopupMenu1->addAction(SettingsGlyph(1), "Dodaj obserwowany katalog");
  follow->setObjectName("Dodajobserwowanykatalog1");
  follow->setShortcut(QKeySequence("Ctrl+G"));
  follow->setShortcutContext(Qt::WidgetShortcut);
  ListBox1->addAction(follow);
  connect(follow, &QAction::triggered, this, &TForm1::FollowFolderClick);
  PopupMenu1->addSeparator();
  BitBtn4 = AddCommand("BitBtn4", "Usuzlistywybraneobrazki1", "Usuń z listy wybrane obrazki",
                       QKeySequence(Qt::Key_Delete), 2, &TForm1::BitBtn4Click, next());
  PopupMenu1->addSeparator();
  BitBtn1 = AddCommand("BitBtn1", "Przesuopozycjwgr1", "Przesuń o pozycję w górę",
                       QKeySequence("Ctrl+Q"), 3, &TForm1::BitBtn1Click, next());
  BitBtn2 = AddCommand("BitBtn2", "Przesuopozycjwd1", "Przesuń o pozycję w dół",
                       QKeySequence("Ctrl+W"), 4, &TForm1::BitBtn2Click, next());
  PopupMenu1->addSeparator();
  BitBtn9 = AddCommand("BitBtn9", "Odczytajlistzpliku1", "Odczytaj listę z pliku",
                       QKeySequence("Ctrl+O"), 5, &TForm1::BitBtn9Click, next());
  BitBtn7 = AddCommand("BitBtn7", "Zapiszlistdopliku1", "Zapisz listę do pliku",
                       QKeySequence("Ctrl+S"), 6, &TForm1::BitBtn7Click, next());

  thumbnailFrame_ = new QFrame(this);
  thumbnailFrame_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  thumbnailFrame_->setLineWidth(2);
  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setCursor(Qt::PointingHandCursor);
  Image1->setToolTip("Pokaż pełny podgląd tapety");
  Image1->installEventFilter(this);
}

QToolButton* TForm1::AddCommand(const char* buttonName, const char* itemName,
                                const QString& caption, const QKeySequence& shortcut, int glyph,
                                void (TForm1::*handler)(), int top) {
  auto* button = new QToolButton(GroupBox1);
  button->setObjectName(buttonName);
  button->setIcon(SettingsGlyph(glyph));
  button->setToolTip(caption);
  button->setGeometry(8 + kListWidth + 8, top, kButtonSize, kButtonSize);
  button->setFocusPolicy(Qt::NoFocus);
  connect(button, &QToolButton::clicked, this, handler);

  auto* item = PopupMenu1->addAction(SettingsGlyph(glyph), caption);
  item->setObjectName(itemName);
  item->setShortcut(shortcut);
  item->setShortcutContext(Qt::WidgetShortcut);
  ListBox1->addAction(item);
  connect(item, &QAction::triggered, this, handler);
  return button;
}

void TForm1::AddBatch(const std::function<void(EntryList&)>& fill) {
  EntryList added;
  fill(added);
  const int before = model_->rowCount();
  model_->AppendBatch(added);
  if (model_->rowCount() != before) ShowSorted(false);
}

void TForm1::TellLeftOut(const FolderScan& left) {
  const std::string text = LeftOutMessage(left);
  if (!text.empty()) prompts_.showInformation(this, QString::fromStdString(text));
}

void TForm1::ShowSorted(bool sorted) {
  sorted_ = sorted;
  HeaderControl1->setSortIndicator(sorted ? 0 : -1, Qt::AscendingOrder);
}

void TForm1::AddPictureFiles(const QStringList& paths) {
  AddBatch([&](EntryList& added) {
    for (const QString& path : paths) AddPictureFile(added, PathBytes(path), probe_);
  });
}

void TForm1::AddFolder(const QString& folder) {
  std::string path = PathBytes(folder);
  if (!path.ends_with('/')) path += '/';
  LastFolder = path;
  dialogFolder_.UsedFolder(path);
  FolderScan left;
  AddBatch([&](EntryList& added) { left = ScanFolder(path, added, probe_); });
  TellLeftOut(left);
}

void TForm1::AddFollowedFolder(const QString& folder, bool subfolders) {
  std::string path = PathBytes(folder);
  if (!path.ends_with('/')) path += '/';
  dialogFolder_.UsedFolder(path);
  AddBatch([&](EntryList& added) { added.push_back(FollowedFolderRow(path, subfolders)); });
}

void TForm1::DropPaths(const QStringList& paths) {
  FolderScan left;
  AddBatch([&](EntryList& added) {
    for (const QString& path : paths) AddDroppedItem(PathBytes(path), added, probe_, left);
  });
  TellLeftOut(left);
}

void TForm1::LoadList(const QString& path) {
  model_->ReplaceAll({});
  const Result<ListLines> lines = ReadListFile(PathBytes(path));
  if (!lines) {
    prompts_.showError(this, QString::fromStdString(lines.message()));
    return;
  }
  AddBatch([&](EntryList& added) {
    AddListedPictures(added, *lines, probe_);
    // A folder row read from a file counts what its folder holds now.
    for (WallpaperEntry& entry : added) {
      if (const std::optional<FolderRow> row =
              IsFolderRow(entry) ? FolderRowOf(entry.path) : std::nullopt)
        entry = FollowedFolderRow(row->folder, row->subfolders);
    }
  });
}

void TForm1::SaveList(const QString& path) {
  if (Status written = WriteListFile(PathBytes(path), model_->entries()); !written) {
    prompts_.showError(this, QString::fromStdString(written.message()));
  }
}

void TForm1::BitBtn3Click() {
  const QStringList paths = prompts_.choosePictures(this, PathText(dialogFolder_.Start()));
  if (paths.isEmpty()) return;
  dialogFolder_.UsedFile(PathBytes(paths.front()));
  AddPictureFiles(paths);
}

void TForm1::BitBtn10Click() {
  const QString folder = prompts_.chooseFolder(this, PathText(dialogFolder_.Start()));
  if (!folder.isEmpty()) AddFolder(folder);
}

void TForm1::FollowFolderClick() {
  const std::optional<FollowedFolderChoice> chosen =
      prompts_.chooseFollowedFolder(this, PathText(dialogFolder_.Start()));
  if (chosen && !chosen->folder.isEmpty()) AddFollowedFolder(chosen->folder, chosen->subfolders);
}

void TForm1::BitBtn4Click() {
  std::vector<int> rows;
  for (const QModelIndex& index : ListBox1->selectionModel()->selectedIndexes()) {
    rows.push_back(index.row());
  }
  RemoveRowsQuietly(std::move(rows));
}

void TForm1::RemoveRowsQuietly(std::vector<int> rows) {
  const QuietScope quiet(quietList_);
  const int current = CurrentAfterRemoval(rows, CurrentRow(), model_->rowCount());
  model_->RemoveRows(std::move(rows));
  if (CurrentRow() != current) MakeCurrent(current, false);
}

void TForm1::BitBtn1Click() {
  MoveSelection(MoveSelectedUp);
}

void TForm1::BitBtn2Click() {
  MoveSelection(MoveSelectedDown);
}

void TForm1::MoveSelection(bool (*move)(EntryList&, ListSelection&)) {
  ListSelection selection = CurrentSelection();
  const QuietScope quiet(quietList_);
  bool moved = false;
  model_->Reorder([&](EntryList& list) { moved = move(list, selection); });
  if (!moved) return;
  SetSelection(selection);
  ShowSorted(false);
}

void TForm1::BitBtn9Click() {
  const QString path = prompts_.chooseListToLoad(this, PathText(dialogFolder_.Start()));
  if (path.isEmpty()) return;
  dialogFolder_.UsedFile(PathBytes(path));
  LoadList(path);
}

void TForm1::BitBtn7Click() {
  if (model_->rowCount() == 0) {
    prompts_.showInformation(this, "Brak tapet na liście.");
    return;
  }
  const QString path = prompts_.chooseListToSave(this, PathText(dialogFolder_.Start()));
  if (path.isEmpty()) return;
  dialogFolder_.UsedFile(PathBytes(path));
  SaveList(path);
}

// The current row keeps its number, so it now usually holds another entry.
void TForm1::HeaderControl1SectionClick(int section) {
  if (section != 0) {
    // The header turned the arrow to this column itself; only "Nazwa" sorts.
    ShowSorted(sorted_);
    return;
  }
  const QuietScope quiet(quietList_);
  model_->Reorder(SortEntries);
  ListBox1->selectionModel()->clearSelection();
  ShowSorted(true);
}

ListSelection TForm1::CurrentSelection() const {
  ListSelection selection;
  selection.selected.assign(model_->entries().size(), false);
  for (const QModelIndex& index : ListBox1->selectionModel()->selectedIndexes()) {
    selection.selected[static_cast<std::size_t>(index.row())] = true;
  }
  selection.current = CurrentRow();
  return selection;
}

void TForm1::SetSelection(const ListSelection& selection) {
  QItemSelection marks;
  for (std::size_t row = 0; row < selection.selected.size(); ++row) {
    if (!selection.selected[row]) continue;
    const QModelIndex index = model_->index(static_cast<int>(row));
    marks.select(index, index);
  }
  QItemSelectionModel* selectionModel = ListBox1->selectionModel();
  selectionModel->setCurrentIndex(model_->index(selection.current), QItemSelectionModel::NoUpdate);
  selectionModel->select(marks, QItemSelectionModel::ClearAndSelect);
}

int TForm1::CurrentRow() const {
  const QModelIndex current = ListBox1->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void TForm1::MakeCurrent(int row, bool select) {
  const QuietScope quiet(quietList_);
  const auto flags = select ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
  ListBox1->selectionModel()->setCurrentIndex(model_->index(row), flags);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  event->acceptProposedAction();
  DropPaths(paths);
}

}  // namespace vendaro
