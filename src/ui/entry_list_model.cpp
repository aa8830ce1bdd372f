#include "ui/entry_list_model.h"

#include <algorithm>

#include "model/wallpaper_entry.h"
#include "platform/session/path_text.h"

namespace vendaro {

EntryListModel::EntryListModel(QObject* parent) : QAbstractListModel(parent) {}

int EntryListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const WallpaperEntry& entry = entries_[static_cast<std::size_t>(index.row())];
  if (role == kSizeRole) return QStringLiteral("%1x%2").arg(entry.width).arg(entry.height);
  if (role == Qt::DisplayRole) return PathText(FileNamePart(entry.path));
  return {};
}

void EntryListModel::ReplaceAll(EntryList entries) {
  beginResetModel();
  entries_ = std::move(entries);
  endResetModel();
}

void EntryListModel::AppendBatch(const EntryList& added) {
  EntryList combined = entries_;
  combined.insert(combined.end(), added.begin(), added.end());
  RemoveDuplicateEntries(combined);
  const bool oldRowsKept = combined.size() >= entries_.size() &&
                           std::equal(entries_.begin(), entries_.end(), combined.begin());
  if (!oldRowsKept) {
    ReplaceAll(std::move(combined));
    return;
  }
  if (combined.size() == entries_.size()) return;
  beginInsertRows({}, rowCount(), static_cast<int>(combined.size()) - 1);
  entries_ = std::move(combined);
  endInsertRows();
}

void EntryListModel::RemoveRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (*it < 0 || *it >= rowCount()) continue;
    beginRemoveRows({}, *it, *it);
    entries_.erase(entries_.begin() + *it);
    endRemoveRows();
  }
}

void EntryListModel::Reorder(const std::function<void(EntryList&)>& change) {
  emit layoutAboutToBeChanged();
  change(entries_);
  emit layoutChanged();
}

}  // namespace vendaro
