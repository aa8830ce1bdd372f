// The system's dialogs and message boxes that the settings windows use,
// opened for real and looked at while they wait for the user.
#include "ui/prompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "model/picture_formats.h"

namespace vendaro {
namespace {

// Runs `look` on the modal window that `open` shows, then lets `answer`
// end it; returns what `open` returned.
template <typename Result>
Result WhileShown(const std::function<Result()>& open, const std::function<void(QWidget*)>& look,
                  const std::function<void(QWidget*)>& answer) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    QWidget* shown = QApplication::activeModalWidget();
    if (shown == nullptr) return;
    seen = true;
    look(shown);
    answer(shown);
  });
  Result result = open();
  EXPECT_TRUE(seen) << "no modal window was shown";
  return result;
}

void Cancel(QWidget* dialog) {
  static_cast<QDialog*>(dialog)->reject();
}

QFileDialog* AsFileDialog(QWidget* shown) {
  auto* dialog = qobject_cast<QFileDialog*>(shown);
  EXPECT_NE(dialog, nullptr);
  return dialog;
}

const QStringList kListFilters{"Lista tapet (*.vdl)", "Wszystkie pliki (*.*)"};

TEST(FileDialogs, OfferTheirFiltersAndModes) {
  const Prompts prompts = Prompts::System();
  WhileShown<QStringList>(
      [&] { return prompts.choosePictures(nullptr, QDir::tempPath()); },
      [](QWidget* shown) {
        QFileDialog* dialog = AsFileDialog(shown);
        if (dialog == nullptr) return;
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles) << "several files at once";
        // Every extension of the format table, and nothing else.
        EXPECT_EQ(dialog->nameFilters(),
                  QStringList({QString::fromStdString("Obrazki (" + ExtensionPatterns() + ")"),
                               "Wszystkie pliki (*.*)"}));
      },
      Cancel);
  WhileShown<QString>([&] { return prompts.chooseListToLoad(nullptr, QDir::tempPath()); },
                      [](QWidget* shown) {
                        QFileDialog* dialog = AsFileDialog(shown);
                        if (dialog == nullptr) return;
                        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
                        EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile)
                            << "a typed name need not exist";
                        EXPECT_EQ(dialog->nameFilters(), kListFilters);
                      },
                      Cancel);
  const QString start = QDir::tempPath();
  WhileShown<QString>([&] { return prompts.chooseListToSave(nullptr, start); },
                      [&start](QWidget* shown) {
                        QFileDialog* dialog = AsFileDialog(shown);
                        if (dialog == nullptr) return;
                        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
                        EXPECT_EQ(dialog->defaultSuffix(), QString("vdl"));
                        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
                        EXPECT_EQ(dialog->nameFilters(), kListFilters);
                        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(),
                                  QDir(start).canonicalPath());
                      },
                      Cancel);
}

TEST(FileDialogs, FolderBrowserPicksFoldersAndMakesNone) {
  const Prompts prompts = Prompts::System();
  const QString last = QDir::tempPath();
  const QString chosen = WhileShown<QString>(
      [&] { return prompts.chooseFolder(nullptr, last); },
      [&last](QWidget* shown) {
        QFileDialog* dialog = AsFileDialog(shown);
        if (dialog == nullptr) return;
        EXPECT_EQ(dialog->windowTitle(), QString("Wybierz katalog"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
        EXPECT_TRUE(dialog->testOption(QFileDialog::ReadOnly)) << "no folder can be made";
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(last).canonicalPath())
            << "the last folder is preselected";
      },
      Cancel);
  EXPECT_TRUE(chosen.isEmpty()) << "cancelling chooses nothing";
}

QMessageBox* AsMessageBox(QWidget* shown) {
  auto* box = qobject_cast<QMessageBox*>(shown);
  EXPECT_NE(box, nullptr);
  return box;
}

void Press(QWidget* shown, QMessageBox::StandardButton which) {
  if (auto* box = qobject_cast<QMessageBox*>(shown)) box->button(which)->click();
}

TEST(MessageBoxes, CaptionsIconsAndButtons) {
  const Prompts prompts = Prompts::System();
  for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
    const bool removed = WhileShown<bool>(
        [&] { return prompts.askRemoveMissing(nullptr, "Nie znaleziono pliku\n/x.png"); },
        [](QWidget* shown) {
          QMessageBox* box = AsMessageBox(shown);
          if (box == nullptr) return;
          EXPECT_EQ(box->windowTitle(), QString("Zapytanie"));
          EXPECT_EQ(box->icon(), QMessageBox::Question);
          EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        },
        [answer](QWidget* shown) { Press(shown, answer); });
    EXPECT_EQ(removed, answer == QMessageBox::Yes);
  }
  WhileShown<bool>(
      [&] {
        prompts.showInformation(nullptr, "Brak tapet na liście.");
        return true;
      },
      [](QWidget* shown) {
        QMessageBox* box = AsMessageBox(shown);
        if (box == nullptr) return;
        EXPECT_EQ(box->windowTitle(), QString("Informacja"));
        EXPECT_EQ(box->text(), QString("Brak tapet na liście."));
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      },
      [](QWidget* shown) { Press(shown, QMessageBox::Ok); });
}

TEST(ColorDialog, StartsOnThePanelsColourAndCancelChoosesNothing) {
  const Prompts prompts = Prompts::System();
  const auto chosen = WhileShown<std::optional<QColor>>(
      [&] { return prompts.chooseColor(nullptr, QColor(255, 0, 0)); },
      [](QWidget* shown) {
        auto* dialog = qobject_cast<QColorDialog*>(shown);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->currentColor(), QColor(255, 0, 0));
      },
      Cancel);
  EXPECT_FALSE(chosen.has_value());
}

}  // namespace
}  // namespace vendaro
