#pragma once

#include <QAbstractListModel>
#include <functional>
#include <string>
#include <vector>

#include "model/entry_list.h"

namespace vendaro {

struct FolderRow;

// "N obrazów": what a folder row shows in the size column.
std::string PictureCount(int count);
// A folder row's name: the folder's own, and whether it takes subfolders.
std::string FolderRowName(const FolderRow& row);

// The edited list itself: the settings window's list control shows these
// entries and every command changes them here, so no second copy exists.
// Until the first edit the rows may be another's list, shown without a copy
// (Show); the owner of that list calls Detach before changing it.
class EntryListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  // A row's recorded size as "WxH", for the row painter (the display role is
  // the file name).
  static constexpr int kSizeRole = Qt::UserRole + 1;
  // True for a row standing for a folder's pictures.
  static constexpr int kFolderRole = Qt::UserRole + 2;

  explicit EntryListModel(QObject* parent = nullptr);

  const EntryList& entries() const { return shown_ != nullptr ? *shown_ : own_; }
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void ReplaceAll(EntryList entries);
  // Shows `list` as the rows without copying it; it must outlive the model
  // or be let go by Detach or ReplaceAll, and stay as it is until then.
  void Show(const EntryList& list);
  // The rows become the model's own copy (nothing happens when they are).
  void Detach();
  bool shared() const { return shown_ != nullptr; }
  // One batch of additions: the new entries go after the old ones and then
  // duplicates are removed once over the whole list.
  void AppendBatch(const EntryList& added);
  // Removes the given rows (in any order; rows outside the list are
  // ignored).  One block is removed as such; scattered rows reset the model,
  // so views lose their current row (see CurrentAfterRemoval).
  void RemoveRows(std::vector<int> rows);
  // Reorders in place; views keep their current and selected row numbers.
  void Reorder(const std::function<void(EntryList&)>& change);

 private:
  const EntryList* shown_ = nullptr;
  EntryList own_;
};

}  // namespace vendaro
