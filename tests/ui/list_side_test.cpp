// The settings window's list as a person sees and drives it.
#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <tuple>

#include "model/wallpaper_entry.h"
#include "support/dummy_desktop.h"
#include "support/test_environment.h"
#include "system/files.h"
#include "ui/preview_window.h"
#include "ui/settings_fixture.h"

namespace vendaro {
namespace {

using testing::SettingsWindowFixture;

constexpr int kRowHeight = 16;

QPoint RowPoint(int row, int x = 40) {
  return {x, row * kRowHeight + kRowHeight / 2};
}

void ClickRow(TForm1& window, int row, Qt::KeyboardModifiers modifiers = {}) {
  QTest::mouseClick(window.ListBox1->viewport(), Qt::LeftButton, modifiers, RowPoint(row));
}

QColor RowPixel(TForm1& window, int row, int x = 250) {
  return window.ListBox1->viewport()->grab().toImage().pixelColor(RowPoint(row, x));
}

std::vector<int> SelectedRows(TForm1& window) {
  std::vector<int> rows;
  for (const QModelIndex& index : window.ListBox1->selectionModel()->selectedIndexes()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> Names(const EntryList& list) {
  std::vector<std::string> names;
  for (const auto& entry : list) names.push_back(FileNamePart(entry.path));
  return names;
}

class ListSide : public ::testing::Test, public SettingsWindowFixture {
 protected:
  TForm1& OpenWith(const std::vector<std::string>& names) {
    for (const std::string& name : names) State().list.push_back(MakePicture(name, 8, 6));
    TForm1& window = OpenWindow();
    window.show();
    return window;
  }
};

TEST_F(ListSide, RowsAreStripedAndHighlighted) {
  TForm1& window = OpenWith({"a.png", "b.png", "c.png", "d.png", "e.png"});
  window.ListBox1->clearSelection();
  const QColor even(249, 249, 249), odd(255, 255, 255);
  for (int row = 0; row < 5; ++row) EXPECT_EQ(RowPixel(window, row), row % 2 ? odd : even) << row;

  ClickRow(window, 0);
  EXPECT_EQ(RowPixel(window, 0), QColor(209, 228, 249));
  ClickRow(window, 1);
  EXPECT_EQ(RowPixel(window, 1), QColor(215, 234, 255));
  EXPECT_EQ(RowPixel(window, 0), even);
}

TEST_F(ListSide, DraggingTheHeaderBoundaryMovesTheSizeColumn) {
  TForm1& window = OpenWith({"a-rather-long-picture-name-for-the-band.png"});
  window.ListBox1->clearSelection();
  const auto darkBetween = [&](int from, int to) {
    const QImage rows = window.ListBox1->viewport()->grab().toImage();
    for (int x = from; x <= to; ++x) {
      for (int y = 2; y < kRowHeight - 2; ++y) {
        if (rows.pixelColor(x, y).lightness() < 128) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(darkBetween(112, 117)) << "the name runs on before the drag";

  QWidget* header = window.HeaderControl1->viewport();
  QTest::mousePress(header, Qt::LeftButton, {}, QPoint(184, 8));
  QTest::mouseMove(header, QPoint(150, 8));
  QTest::mouseMove(header, QPoint(119, 8));
  QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(119, 8));
  ASSERT_EQ(window.HeaderControl1->sectionSize(0), 120);

  EXPECT_FALSE(darkBetween(112, 117)) << "the band hides the name from x - 6";
  EXPECT_TRUE(darkBetween(118, 124)) << "the size text starts at the boundary - 2";
  EXPECT_FALSE(darkBetween(160, 260)) << "nothing is left at the old place";
}

TEST_F(ListSide, MoveUpKeepsTheBlockSelected) {
  TForm1& window = OpenWith({"A.png", "B.png", "C.png", "D.png"});
  ClickRow(window, 1);
  ClickRow(window, 2, Qt::ControlModifier);
  QTest::mouseClick(window.BitBtn1, Qt::LeftButton);
  EXPECT_EQ(Names(window.entries()),
            (std::vector<std::string>{"B.png", "C.png", "A.png", "D.png"}));
  EXPECT_EQ(SelectedRows(window), (std::vector<int>{0, 1}));

  ClickRow(window, 0);
  ClickRow(window, 2, Qt::ControlModifier);
  QTest::mouseClick(window.BitBtn1, Qt::LeftButton);
  EXPECT_EQ(Names(window.entries()), (std::vector<std::string>{"B.png", "C.png", "A.png", "D.png"}))
      << "a selected first entry blocks the command";
}

TEST_F(ListSide, ShortcutsBelongToTheList) {
  TForm1& window = OpenWith({"A.png", "B.png", "C.png"});
  QApplication::setActiveWindow(&window);
  window.ListBox1->setFocus();
  ClickRow(window, 2);
  QTest::keyClick(window.ListBox1, Qt::Key_W, Qt::ControlModifier);
  EXPECT_EQ(Names(window.entries()), (std::vector<std::string>{"A.png", "B.png", "C.png"}))
      << "the last entry selected blocks move down";
  QTest::keyClick(window.ListBox1, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(Names(window.entries()), (std::vector<std::string>{"A.png", "C.png", "B.png"}));
  QTest::keyClick(window.ListBox1, Qt::Key_Delete);
  EXPECT_EQ(Names(window.entries()), (std::vector<std::string>{"A.png", "B.png"}));

  int asked = 0;
  window.findChild<QAction*>("Dodajzdjciadolisty1")->setShortcut(QKeySequence("Ctrl+A"));
  prompts.choosePictures = [&asked](QWidget*, const QString&) {
    ++asked;
    return QStringList();
  };
  window.close();
  TForm1& reopened = OpenWindow();
  reopened.show();
  QApplication::setActiveWindow(&reopened);
  reopened.ListBox1->setFocus();
  QTest::keyClick(reopened.ListBox1, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(asked, 1) << "Ctrl+A adds pictures";
  EXPECT_TRUE(SelectedRows(reopened).size() <= 1) << "and does not select all";
}

// Marks `rows` and makes `current` the current row without selecting it.
void Select(TForm1& window, const std::vector<int>& rows, int current) {
  QItemSelection marks;
  for (int row : rows) {
    const QModelIndex index = window.ListBox1->model()->index(row, 0);
    marks.select(index, index);
  }
  QItemSelectionModel* selection = window.ListBox1->selectionModel();
  selection->setCurrentIndex(window.ListBox1->model()->index(current, 0),
                             QItemSelectionModel::NoUpdate);
  selection->select(marks, QItemSelectionModel::ClearAndSelect);
}

TEST_F(ListSide, DeletingASelectionKeepsOrderAndMovesTheCurrentRowUp) {
  struct Row {
    std::vector<int> selected;
    int current;
    std::string left;  // the first letters of the names left
    int currentAfter;
  };
  const Row rows[] = {
      {{1, 3, 5}, 3, "acegh", 1},    // to the nearest row kept above
      {{0, 1, 4}, 1, "cdfgh", 0},    // none kept above: the first row kept
      {{2, 3, 6, 7}, 7, "abef", 3},  // the last rows
      {{1, 6}, 4, "acdefh", 3},      // an unselected current row stays with its entry
      {{2, 3, 4}, 3, "abfgh", 1},    // one block
      {{0, 2}, 0, "bdefgh", 0},      // the first row
      {{0, 1, 2, 3, 4, 5, 6, 7}, 2, "", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.left);
    State().list.clear();
    TForm1& window =
        OpenWith({"a.png", "b.png", "c.png", "d.png", "e.png", "f.png", "g.png", "h.png"});
    Select(window, row.selected, row.current);
    QTest::mouseClick(window.BitBtn4, Qt::LeftButton);
    std::string left;
    for (const std::string& name : Names(window.entries())) left += name[0];
    EXPECT_EQ(left, row.left);
    EXPECT_EQ(window.ListBox1->currentIndex().row(), row.currentAfter);
    EXPECT_TRUE(SelectedRows(window).empty());
    window.close();
  }
}

TEST_F(ListSide, DeletingHalfOfALargeListIsOneModelChange) {
  constexpr int kCount = 60000;
  answerYes = false;  // the pictures are not there
  for (int i = 0; i < kCount; ++i) {
    State().list.push_back(MakeEntry("/pictures/" + std::to_string(i) + ".jpg", 8, 6));
  }
  TForm1& window = OpenWindow();
  window.show();
  std::vector<int> everyOther;
  for (int i = 1; i < kCount; i += 2) everyOther.push_back(i);
  Select(window, everyOther, 1001);
  int changes = 0;
  const auto count = [&changes] { ++changes; };
  QAbstractItemModel* model = window.ListBox1->model();
  QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, count);
  QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, count);
  QObject::connect(model, &QAbstractItemModel::layoutAboutToBeChanged, count);
  QTest::mouseClick(window.BitBtn4, Qt::LeftButton);
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(window.entries().size(), std::size_t{kCount / 2});
  EXPECT_EQ(window.entries()[17].path, "/pictures/34.jpg");
  EXPECT_EQ(window.ListBox1->currentIndex().row(), 500);
}

TEST_F(ListSide, SortByNameHeaderOrdersWholePaths) {
  TForm1& window = OpenWindow();
  window.show();
  const std::string folderB = pictureFolder + "B/", folderA = pictureFolder + "a/";
  std::filesystem::create_directories(folderB);
  std::filesystem::create_directories(folderA);
  MakePicture("B/a.png", 4, 4);
  MakePicture("a/z.png", 4, 4);
  window.AddPictureFiles(
      {QString::fromStdString(folderB + "a.png"), QString::fromStdString(folderA + "z.png")});
  QTest::mouseClick(window.HeaderControl1->viewport(), Qt::LeftButton, {}, QPoint(60, 8));
  EXPECT_EQ(window.entries()[0].path, folderA + "z.png");
  EXPECT_TRUE(SelectedRows(window).empty());
  QTest::mouseClick(window.HeaderControl1->viewport(), Qt::LeftButton, {}, QPoint(220, 8));
  EXPECT_EQ(window.entries()[0].path, folderA + "z.png") << "Rozmiar does not sort";
}

TEST_F(ListSide, DropAddsFilesAndFolderPicturesOnce) {
  TForm1& window = OpenWith({"first.png"});
  const std::string folder = testing::MakeTempDir("dropped") + "/";
  std::filesystem::create_directories(folder + "inner");
  for (const char* name : {"x.png", "y.png", "inner/deeper.png"}) {
    QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(folder + name));
  }
  testing::WriteFileBytes(folder + "notes.txt", "text");
  const std::string first = window.entries()[0].path;
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                QUrl::fromLocalFile(QString::fromStdString(folder + "notes.txt")),
                QUrl::fromLocalFile(QString::fromStdString(folder)),
                QUrl::fromLocalFile(QString::fromStdString(folder + "x.png"))});
  // A drop reaches the window that accepted the drag's entry.
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window, &drop);

  std::vector<std::string> names = Names(window.entries());
  ASSERT_EQ(names.size(), 3u) << "first.png, x.png and y.png, each once";
  EXPECT_EQ(names[0], "first.png");
  std::sort(names.begin() + 1, names.end());
  EXPECT_EQ(names[1], "x.png");
  EXPECT_EQ(names[2], "y.png");
}

TEST_F(ListSide, MissingFileQuestionRemovesOnlyOnYes) {
  TForm1& window = OpenWith({"gone.png", "kept.png", "last.png"});
  const std::string gone = window.entries()[0].path;
  std::filesystem::remove(gone);
  MakePicture("last.png", 8, 6, Qt::red);
  ClickRow(window, 2);
  const QImage before = window.thumbnailPicture();

  answerYes = false;
  ClickRow(window, 0);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].toStdString(),
            "Nie znaleziono pliku\n" + gone + "\nCzy usunąć go z listy ?");
  EXPECT_EQ(window.entries().size(), 3u);

  answerYes = true;
  ClickRow(window, 2);
  ClickRow(window, 0);
  EXPECT_EQ(Names(window.entries()), (std::vector<std::string>{"kept.png", "last.png"}));
  EXPECT_EQ(questions.size(), 2u);
  EXPECT_EQ(window.thumbnailPicture(), before) << "the thumbnail keeps its picture";
}

TEST_F(ListSide, OpeningOutsideTheListSelectsTheFirstEntry) {
  State().settings.CurrentPosition = 7;
  TForm1& window = OpenWith({"a.png", "b.png"});
  EXPECT_EQ(window.ListBox1->currentIndex().row(), 0);
  EXPECT_EQ(SelectedRows(window), (std::vector<int>{0}));
  EXPECT_FALSE(window.thumbnailPicture().isNull());
}

TEST_F(ListSide, ThumbnailsNeverTouchTheWallpaper) {
  State().wallpaperFile = tempFolder + "applied.bmp";
  testing::WriteFileBytes(State().wallpaperFile, "not a picture");
  TForm1& window = OpenWith({"a.png", "b.png"});
  ClickRow(window, 1);
  ASSERT_FALSE(window.thumbnailPicture().isNull());
  EXPECT_EQ(window.thumbnailPicture().size(), QSize(320, 240)) << "composed at screen size";
  EXPECT_EQ(State().wallpaperFile, tempFolder + "applied.bmp");
  EXPECT_EQ(testing::ReadFileBytes(State().wallpaperFile), "not a picture");
  EXPECT_TRUE(static_cast<DummyDesktop*>(session->desktop())->setPaths.empty());
  std::vector<std::string> written;
  for (const auto& file : std::filesystem::directory_iterator(tempFolder)) {
    written.push_back(file.path().filename().string());
  }
  EXPECT_EQ(written, std::vector<std::string>{"applied.bmp"}) << "previews write no files";
}

TEST_F(ListSide, ThumbnailClickOpensTheFullPreview) {
  TForm1& window = OpenWith({"a.png"});
  QString opened;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* preview = window.findChild<TForm3*>(); preview && preview->isVisible()) {
      opened = preview->objectName();
      QTest::mouseClick(preview->Image1, Qt::LeftButton);
    }
  });
  closer.start(10);
  // Through the window, as the system delivers a click: to the widget under it.
  QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, window.Image1->geometry().center());
  EXPECT_EQ(opened, QString("TForm3"));
}

TEST_F(ListSide, SavingAnEmptyListIsRefused) {
  int asked = 0;
  // Before the window opens: it keeps its own copy of the prompts.
  prompts.chooseListToSave = [&asked](QWidget*, const QString&) {
    ++asked;
    return QString();
  };
  TForm1& window = OpenWindow();
  window.show();
  QTest::mouseClick(window.BitBtn7, Qt::LeftButton);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], QString("Brak tapet na liście."));
  EXPECT_EQ(asked, 0) << "no save dialog for an empty list";
}

TEST_F(ListSide, FileDialogsStartInPicturesThenWhereTheLastWasUsedAllRunLong) {
  const std::string trip = root + "/trip/";
  std::filesystem::create_directories(trip);
  for (const char* name : {"b.png", "notes.txt", "A.png", "clip.mp4"}) {
    QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(trip + name), "PNG");
  }
  std::vector<QString> starts;
  // Every dialog notes where it opened; only the folder dialog picks one.
  const auto started = [&starts](QWidget*, const QString& folder) {
    starts.push_back(folder);
    return QString();
  };
  prompts.chooseListToSave = prompts.chooseListToLoad = started;
  prompts.choosePictures = [&](QWidget* parent, const QString& folder) {
    started(parent, folder);
    return QStringList();
  };
  prompts.chooseFolder = [&](QWidget* parent, const QString& folder) {
    started(parent, folder);
    return QString::fromStdString(trip);
  };
  TForm1& window = OpenWith({"a.png"});
  QTest::mouseClick(window.BitBtn7, Qt::LeftButton);
  QTest::mouseClick(window.BitBtn10, Qt::LeftButton);
  QTest::mouseClick(window.BitBtn9, Qt::LeftButton);
  window.close();
  QTest::mouseClick(OpenWindow().BitBtn3, Qt::LeftButton);
  const QString pictures = QString::fromStdString(pictureFolder);
  const QString chosen = QString::fromStdString(trip);
  EXPECT_EQ(starts, (std::vector<QString>{pictures, pictures, chosen, chosen}));
  // The folder's pictures came in name order; the rest was counted once.
  EXPECT_EQ(Names(session->activeList()), (std::vector<std::string>{"a.png"}));
  EXPECT_EQ(questions, (std::vector<QString>{"Pominięto 2 pliki: nieobsługiwany format"}));
}

TEST_F(ListSide, NameArrowShowsWhileTheRowsAreInNameOrder) {
  TForm1& window = OpenWith({"c.png", "a.png", "b.png"});
  QHeaderView& header = *window.HeaderControl1;
  const auto clickColumn = [&header](int x) {
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(x, 8));
  };
  const auto arrow = [&header] {
    return header.isSortIndicatorShown() ? header.sortIndicatorSection() : -1;
  };
  EXPECT_EQ(arrow(), -1) << "the list is in its own order";
  clickColumn(60);
  EXPECT_EQ(arrow(), 0);
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);
  clickColumn(60);
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder) << "a second click sorts the same";
  clickColumn(220);
  EXPECT_EQ(arrow(), 0) << "Rozmiar does not sort";
  Select(window, {2}, 2);
  window.BitBtn4Click();
  EXPECT_EQ(arrow(), 0) << "a removal keeps the order";
  Select(window, {1}, 1);
  window.BitBtn1Click();
  EXPECT_EQ(arrow(), -1) << "a move breaks it";
  clickColumn(60);
  MakePicture("0.png", 4, 4);
  window.AddPictureFiles({QString::fromStdString(pictureFolder + "0.png")});
  EXPECT_EQ(arrow(), -1) << "so does an addition";
}

TEST_F(ListSide, TheWindowShowsTheActiveListUntilEditedAndKeepsItsRowsThroughAChange) {
  const struct {
    const char* name;
    bool edit;
    bool apply;
    std::vector<std::string> windowAfter;
    std::vector<std::string> sessionAfter;
  } rows[] = {
      {"a change while the window is open",
       false,
       false,
       {"a.png", "b.png", "c.png"},
       {"a.png", "c.png"}},
      {"an edit, then Cancel", true, false, {"a.png", "b.png"}, {"a.png", "c.png"}},
      {"an edit, then Apply", true, true, {"a.png", "b.png"}, {"a.png"}},
  };
  for (const auto& row : rows) {
    State().list.clear();
    State().settings.CurrentPosition = 0;
    TForm1& window = OpenWith({"a.png", "b.png", "c.png"});
    EXPECT_EQ(&window.entries(), &session->activeList()) << row.name << ": no copy on opening";
    if (row.edit) {
      Select(window, {2}, 2);
      window.BitBtn4Click();
    }
    // The picture goes; the next change drops it from the active list.
    std::filesystem::remove(pictureFolder + "b.png");
    session->Next();
    if (row.edit && row.apply) {
      window.BitBtn8Click();
    }
    EXPECT_EQ(Names(window.entries()), row.windowAfter) << row.name;
    EXPECT_EQ(window.ListBox1->model()->rowCount(), int(row.windowAfter.size())) << row.name;
    EXPECT_EQ(Names(session->activeList()), row.sessionAfter) << row.name;
    window.reject();
  }
}

TEST_F(ListSide, SavedListLoadsBackAndLoadErrorsLeaveItEmpty) {
  TForm1& window = OpenWith({"one.png", "two.png"});
  const std::string listPath = root + "/saved.vdl";
  window.SaveList(QString::fromStdString(listPath));
  const EntryList saved = window.entries();
  window.LoadList(QString::fromStdString(listPath));
  EXPECT_EQ(window.entries(), saved);

  window.LoadList(QString::fromStdString(root + "/missing.vdl"));
  EXPECT_TRUE(window.entries().empty());
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(ListSide, AFollowedFolderIsOneRowWithItsCountAndFirstPicture) {
  const std::string folder = testing::MakeTempDir("followed") + "/";
  std::filesystem::create_directories(folder + "inner");
  // a.png is first by name; by bytes B.png would be.
  for (const char* name : {"B.png", "a.png", "c.png", "inner/d.png", "inner/e.png"}) {
    QImage picture(32, 24, QImage::Format_RGB32);
    picture.fill(name == std::string("a.png") ? Qt::red : Qt::blue);
    picture.save(QString::fromStdString(folder + name));
  }
  testing::WriteFileBytes(folder + "notes.txt", "text");
  const std::string empty = testing::MakeTempDir("nothing") + "/";
  const std::tuple<std::string, bool, int> rows[] = {
      {folder, false, 3}, {folder, true, 5}, {empty, false, 0}};  // folder, subfolders, count
  for (const auto& [chosen, subfolders, count] : rows) {
    SCOPED_TRACE(chosen + (subfolders ? "**" : ""));
    prompts.chooseFollowedFolder = [&](QWidget*, const QString&) {
      return std::optional<FollowedFolderChoice>({QString::fromStdString(chosen), subfolders});
    };
    window.reset();
    State().list.clear();
    TForm1& window = OpenWith({"x.png"});
    window.findChild<QAction*>("Dodajobserwowanykatalog1")->trigger();
    ASSERT_EQ(window.entries().size(), 2u);
    EXPECT_EQ(window.entries()[1].width, count);
    const QString name = window.ListBox1->model()->index(1, 0).data(Qt::DisplayRole).toString();
    EXPECT_TRUE(
        name.startsWith(QString::fromStdString(FileNamePart(chosen.substr(0, chosen.size() - 1)))))
        << name.toStdString();
    ClickRow(window, 0);
    ClickRow(window, 1);
    const QImage& thumbnail = window.thumbnailPicture();
    ASSERT_EQ(thumbnail.isNull(), count == 0);
    if (count > 0) {
      const QColor centre = thumbnail.pixelColor(thumbnail.width() / 2, thumbnail.height() / 2);
      EXPECT_TRUE(centre.red() > 200 && centre.blue() < 60) << centre.name().toStdString();
    }
    // Saved and loaded back: the same rows, the folder counted again.
    const EntryList shown = window.entries();
    window.SaveList(QString::fromStdString(root + "/followed.vdl"));
    window.LoadList(QString::fromStdString(root + "/followed.vdl"));
    EXPECT_EQ(window.entries(), shown);
  }
}

}  // namespace
}  // namespace vendaro
