#pragma once

#include <QStyledItemDelegate>
#include <functional>

#include "model/color.h"

namespace vendaro {

QColor ToQColor(ColorValue rgb);
ColorValue FromQColor(const QColor& color);

// The picture list's rows: striped by position, the file name in the first
// column and "WxH" at the header's section boundary, drawn from the entry
// string alone (no picture is opened).
class ListRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int kRowHeight = 16;
  // `nameColumnWidth` reads the current width of the header's first section.
  ListRowDelegate(std::function<int()> nameColumnWidth, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  std::function<int()> nameColumnWidth_;
};

// The owner-drawn combo rows: the same striping on the combo's background,
// black text; an item's icon (alignment combo only) before its text.
class ComboRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int kRowHeight = 18;
  ComboRowDelegate(ColorValue base, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  ColorValue base_;
};

}  // namespace vendaro
