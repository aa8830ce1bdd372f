#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace vendaro {

// A folder chosen to be followed, and whether its subfolders are too.
struct FollowedFolderChoice {
  QString folder;
  bool subfolders = false;
};

// The questions and dialogs the settings windows put to the user, passed in
// so that tests answer them without a person.  Empty results mean "cancelled".
struct Prompts {
  // Each file dialog opens in the folder given.
  std::function<QStringList(QWidget*, const QString& startFolder)> choosePictures;
  std::function<QString(QWidget*, const QString& startFolder)> chooseFolder;
  std::function<QString(QWidget*, const QString& startFolder)> chooseListToLoad;
  std::function<QString(QWidget*, const QString& startFolder)> chooseListToSave;
  std::function<std::optional<QColor>(QWidget*, const QColor& start)> chooseColor;
  // "Nie znaleziono pliku…": true for Yes.
  std::function<bool(QWidget*, const QString& text)> askRemoveMissing;
  std::function<void(QWidget*, const QString& text)> showInformation;
  std::function<void(QWidget*, const QString& text)> showError;
  std::function<std::optional<FollowedFolderChoice>(QWidget*, const QString& startFolder)>
      chooseFollowedFolder;

  // The system's dialogs and message boxes.
  static Prompts System();
};

}  // namespace vendaro
