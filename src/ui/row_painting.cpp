#include "ui/row_painting.h"

#include <QIcon>
#include <QPainter>

#include "model/wallpaper_entry.h"
#include "ui/entry_list_model.h"
#include "ui/icons.h"
#include "ui/option_rules.h"

namespace vendaro {
namespace {

constexpr int kIconSize = 16;

bool IsSelected(const QStyleOptionViewItem& option) {
  return option.state.testFlag(QStyle::State_Selected);
}

void DrawTextAt(QPainter* painter, const QRect& row, int x, const QString& text) {
  const QRect box(x, row.top() + 1, row.right() - x + 1, row.height() - 1);
  painter->drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

QColor ToQColor(ColorValue rgb) {
  return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

ColorValue FromQColor(const QColor& color) {
  return Rgb(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
             static_cast<std::uint8_t>(color.blue()));
}

ListRowDelegate::ListRowDelegate(std::function<int()> nameColumnWidth, QObject* parent)
    : QStyledItemDelegate(parent), nameColumnWidth_(std::move(nameColumnWidth)) {}

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  const QRect row = option.rect;
  const QColor color = ToQColor(RowColor(IsSelected(option), index.row(), Rgb(255, 255, 255)));
  painter->save();
  painter->setFont(option.font);
  painter->fillRect(row, color);
  painter->setPen(Qt::black);
  int nameX = row.left() + 2;
  // A folder row: the folder's glyph before its name tells it from a picture.
  if (index.data(EntryListModel::kFolderRole).toBool()) {
    const int side = row.height() - 2;
    SettingsGlyph(1).paint(painter, QRect(nameX, row.top() + 1, side, side));
    nameX += side + 3;
  }
  DrawTextAt(painter, row, nameX, index.data(Qt::DisplayRole).toString());
  const int x = row.left() + nameColumnWidth_() - 2;
  // The band hides the end of a file name that runs into the size column.
  painter->fillRect(QRect(QPoint(x - 6, row.top()), row.bottomRight()), color);
  DrawTextAt(painter, row, x, index.data(EntryListModel::kSizeRole).toString());
  if (option.state.testFlag(QStyle::State_HasFocus)) {
    painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter->drawRect(row.adjusted(0, 0, -1, -1));
  }
  painter->restore();
}

QSize ListRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return {option.rect.width(), kRowHeight};
}

ComboRowDelegate::ComboRowDelegate(ColorValue base, QObject* parent)
    : QStyledItemDelegate(parent), base_(base) {}

void ComboRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const QRect row = option.rect;
  painter->save();
  painter->setFont(option.font);
  painter->fillRect(row, ToQColor(RowColor(IsSelected(option), index.row(), base_)));
  int textX = row.left() + 2;
  const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
  if (!icon.isNull()) {
    icon.paint(painter, QRect(row.left() + 2, row.top() + 1, kIconSize, kIconSize));
    textX = row.left() + kIconSize + 4;
  }
  painter->setPen(Qt::black);
  DrawTextAt(painter, row, textX, index.data(Qt::DisplayRole).toString());
  painter->restore();
}

QSize ComboRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return {option.rect.width(), kRowHeight};
}

}  // namespace vendaro
