#include "ui/entry_list_model.h"

#include <algorithm>
#include <iterator>

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
  // The usual case adds rows after the old ones without copying the list.
  std::optional<EntryList> fresh = NewDistinctEntries(entries_, added);
  if (!fresh) {
    EntryList combined = entries_;
    combined.insert(combined.end(), added.begin(), added.end());
    RemoveDuplicateEntries(combined);
    ReplaceAll(std::move(combined));
    return;
  }
  if (fresh->empty()) return;
  beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(fresh->size()) - 1);
  entries_.insert(entries_.end(), std::make_move_iterator(fresh->begin()),
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
    entries_.erase(entries_.begin() + rows.front(), entries_.begin() + rows.back() + 1);
    endRemoveRows();
    return;
  }
  // Scattered rows taken out one by one would move the rows after each of
  // them, in the list and in every view's bookkeeping: quadratic in a large
  // list.  One reset instead, which leaves the views without a current row.
  beginResetModel();
  RemoveEntriesAt(entries_, rows);
  endResetModel();
}

void EntryListModel::Reorder(const std::function<void(EntryList&)>& change) {
  emit layoutAboutToBeChanged();
  change(entries_);
  emit layoutChanged();
}

}  // namespace vendaro
