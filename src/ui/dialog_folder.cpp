#include "ui/dialog_folder.h"

#include <QDir>
#include <QStandardPaths>
#include <utility>

#include "platform/session/path_text.h"
#include "system/files.h"

namespace vendaro {
namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && !folder.ends_with('/')) folder += '/';
  return folder;
}

}  // namespace

DialogFolder::DialogFolder(std::string pictures) : pictures_(WithSlash(std::move(pictures))) {}

std::string DialogFolder::Start() const {
  if (!last_.empty() && IsFolder(last_)) return last_;
  const std::string pictures =
      !pictures_.empty() ? pictures_
                         : WithSlash(PathBytes(
                               QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)));
  if (!pictures.empty() && IsFolder(pictures)) return pictures;
  return WithSlash(PathBytes(QDir::homePath()));
}

void DialogFolder::UsedFile(const std::string& path) {
  if (path.find('/') != std::string::npos) last_ = FolderOfPath(path);
}

void DialogFolder::UsedFolder(const std::string& path) {
  if (!path.empty()) last_ = WithSlash(path);
}

DialogFolder& DialogFolder::OfThisRun() {
  static DialogFolder folder;
  return folder;
}

}  // namespace vendaro
