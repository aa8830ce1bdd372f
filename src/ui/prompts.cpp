#include "ui/prompts.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>

#include "model/picture_formats.h"

namespace vendaro {
namespace {

const QString kListFilter = QStringLiteral("Lista tapet (*.vdl);;Wszystkie pliki (*.*)");

QStringList ChoosePictures(QWidget* parent, const QString& startFolder) {
  return QFileDialog::getOpenFileNames(parent, {}, startFolder,
                                       QStringLiteral("Obrazki (%1);;Wszystkie pliki (*.*)")
                                           .arg(QString::fromStdString(ExtensionPatterns())));
}

QString ChooseFolder(QWidget* parent, const QString& startFolder) {
  const QString start = QDir(startFolder).exists() ? startFolder : QString();
  // Read-only: the browser picks a folder and offers no way to make one.
  return QFileDialog::getExistingDirectory(parent, QStringLiteral("Wybierz katalog"), start,
                                           QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
}

QString ChooseListToLoad(QWidget* parent, const QString& startFolder) {
  QFileDialog dialog(parent, {}, startFolder, kListFilter);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString ChooseListToSave(QWidget* parent, const QString& startFolder) {
  QFileDialog dialog(parent, {}, startFolder, kListFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("vdl"));
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

std::optional<QColor> ChooseColor(QWidget* parent, const QColor& start) {
  const QColor chosen = QColorDialog::getColor(start, parent);
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

bool AskRemoveMissing(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, QStringLiteral("Zapytanie"), text,
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void ShowInformation(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QStringLiteral("Informacja"), text);
}

void ShowError(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QStringLiteral("Vendaro"), text);
}

// The folder browser with a box for the subfolders under its list: Qt's own
// dialog, since a system one takes no box of ours.
std::optional<FollowedFolderChoice> ChooseFollowedFolder(QWidget* parent,
                                                         const QString& startFolder) {
  QFileDialog dialog(parent, QStringLiteral("Wybierz obserwowany katalog"),
                     QDir(startFolder).exists() ? startFolder : QString());
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly |
                    QFileDialog::DontUseNativeDialog);
  auto* subfolders = new QCheckBox(QStringLiteral("z podfolderami"), &dialog);
  subfolders->setObjectName("subfolders");
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(subfolders, grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return FollowedFolderChoice{dialog.selectedFiles().front(), subfolders->isChecked()};
}

}  // namespace

Prompts Prompts::System() {
  return {ChoosePictures,   ChooseFolder,    ChooseListToLoad, ChooseListToSave,    ChooseColor,
          AskRemoveMissing, ShowInformation, ShowError,        ChooseFollowedFolder};
}

}  // namespace vendaro
