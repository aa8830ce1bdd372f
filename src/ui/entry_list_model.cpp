#include "ui/entry_list_model.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "model/folder_rows.h"
#include "model/polish_plural.h"
#include "model/wallpaper_entry.h"
#include "platform/session/path_text.h"

namespace vendaro {

std::string PictureCount(int count) {
  return std::to_string(count) + " " + PolishPlural(count, "obraz", "obrazy", "obrazów");
}

std::string FolderRowName(const FolderRow& row) {
  std::string_view folder = row.folder;
  if (folder.size() > 1) folder.remove_suffix(1);
  std::string name = FileNamePart(folder);
  if (name.empty()) name = "/";
  return row.subfolders ? name + " (z podfolderami)" : name;
}

EntryListModel::EntryListModel(QObject* parent) : QAbstractListModel(parent) {}

int EntryListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries().size());
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const WallpaperEntry& entry = entries()[static_cast<std::size_t>(index.row())];
  if (const std::optional<FolderRow> folder =
          IsFolderRow(entry) ? FolderRowOf(entry.path) : std::nullopt) {
    if (role == kSizeRole) return PathText(PictureCount(entry.width));
    if (role == Qt::DisplayRole) return PathText(FolderRowName(*folder));
    if (role == kFolderRole) return true;
    return {};
  }
  if (role == kSizeRole) return QStringLiteral("%1x%2").arg(entry.width).arg(entry.height);
  if (role == Qt::DisplayRole) return PathText(FileNamePart(entry.path));
  return {};
}

void EntryListModel::ReplaceAll(EntryList entries) {
  beginResetModel();
  shown_ = nullptr;
  own_ = std::move(entries);
  endResetModel();
}

void EntryListModel::Show(const EntryList& list) {
  beginResetModel();
  shown_ = &list;
  own_ = EntryList();
  endResetModel();
}

void EntryListModel::Detach() {
  // The same rows: views see no change.
  if (shown_ != nullptr) own_ = *std::exchange(shown_, nullptr);
}

void EntryListModel::AppendBatch(const EntryList& added) {
  // The usual case adds rows after the old ones without copying the list.
  std::optional<EntryList> fresh = NewDistinctEntries(entries(), added);
  if (!fresh) {
    EntryList combined = entries();
    combined.insert(combined.end(), added.begin(), added.end());
    RemoveDuplicateEntries(combined);
    ReplaceAll(std::move(combined));
    return;
  }
  if (fresh->empty()) return;
  Detach();
  beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(fresh->size()) - 1);
  own_.insert(own_.end(), std::make_move_iterator(fresh->begin()),
              std::make_move_iterator(fresh->end()));
  endInsertRows();
}

void EntryListModel::RemoveRows(std::vector<int> rows) {
  std::erase_if(rows, [this](int row) { return row < 0 || row >= rowCount(); });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.empty()) return;
  if (rows.back() - rows.front() + 1 == static_cast<int>(rows.size())) {
    beginRemoveRows({}, rows.front(), rows.back());
    if (shown_ != nullptr) {
      // Only the rows kept are copied.
      const EntryList& shown = *std::exchange(shown_, nullptr);
      own_.reserve(shown.size() - rows.size());
      own_.assign(shown.begin(), shown.begin() + rows.front());
      own_.insert(own_.end(), shown.begin() + rows.back() + 1, shown.end());
    } else {
      own_.erase(own_.begin() + rows.front(), own_.begin() + rows.back() + 1);
    }
    endRemoveRows();
    return;
  }
  // Scattered rows taken out one by one would move the rows after each of
  // them, in the list and in every view's bookkeeping: quadratic in a large
  // list.  One reset instead, which leaves the views without a current row.
  beginResetModel();
  Detach();
  RemoveEntriesAt(own_, rows);
  endResetModel();
}

void EntryListModel::Reorder(const std::function<void(EntryList&)>& change) {
  emit layoutAboutToBeChanged();
  Detach();
  change(own_);
  emit layoutChanged();
}

}  // namespace vendaro
