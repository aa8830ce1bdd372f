// The settings window's thumbnail: composed in preview mode from the
// window's choices, opened full-screen on a click; and the opening state.
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>

#include "app/resident_session.h"
#include "model/folder_rows.h"
#include "model/wallpaper_entry.h"
#include "platform/session/path_text.h"
#include "system/files.h"
#include "ui/additional_settings_dialog.h"
#include "ui/entry_list_model.h"
#include "ui/preview_window.h"
#include "ui/settings_window.h"

namespace vendaro {
namespace {

QImage ImageOfCanvas(const Canvas& canvas) {
  const QImage view(canvas.rgb.data(), canvas.width, canvas.height, canvas.width * 3,
                    QImage::Format_RGB888);
  return view.copy();
}

}  // namespace

void TForm1::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TForm1::FormShow() {
  if (model_->rowCount() == 0) return;
  // A position left outside the list (pictures dropped at start) means the first entry.
  const auto positionInList = [this] {
    int position = session_.settings().CurrentPosition;
    // The position counts pictures; a folder row holds many.
    if (position >= 0 && HasFolderRows(model_->entries()))
      position = RowOfRotation(model_->entries(), static_cast<std::size_t>(position));
    return position >= 0 && position < model_->rowCount() ? position : 0;
  };
  MakeCurrent(positionInList(), false);
  if (IsRegularFile(session_.wallpaperFile())) {
    ShowThumbnail(QImage(PathText(session_.wallpaperFile())));
  } else {
    ListBox1Click();
  }
  if (model_->rowCount() > 0) MakeCurrent(positionInList(), true);
  ListBox1->setFocus();
}

void TForm1::ListBox1Click() {
  const int current = CurrentRow();
  if (current < 0) return;
  const WallpaperEntry& entry = model_->entries()[static_cast<std::size_t>(current)];
  if (IsFolderRow(entry)) {
    const std::optional<WallpaperEntry> first = session_.FirstPictureOf(entry.path);
    if (!first) {
      ShowThumbnail({});
      return;
    }
    const ComposeResult composed = session_.ComposePreview(*first, Values());
    ShowThumbnail(composed.status ? ImageOfCanvas(composed.canvas) : QImage());
    return;
  }
  if (IsRegularFile(entry.path)) {
    const ComposeResult composed = session_.ComposePreview(entry, Values());
    if (composed.status && !composed.canvas.empty()) ShowThumbnail(ImageOfCanvas(composed.canvas));
    return;
  }
  const QString question =
      QStringLiteral("Nie znaleziono pliku\n%1\nCzy usunąć go z listy ?").arg(PathText(entry.path));
  // The thumbnail keeps what it showed: the row moving up is not composed.
  if (prompts_.askRemoveMissing(this, question)) RemoveRowsQuietly({current});
}

void TForm1::ShowThumbnail(QImage picture) {
  thumbnailPicture_ = std::move(picture);
  if (thumbnailPicture_.isNull()) {
    Image1->clear();
    return;
  }
  Image1->setPixmap(QPixmap::fromImage(
      thumbnailPicture_.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TForm1::Image1Click() {
  if (CurrentRow() < 0) return;
  TForm3 preview(thumbnailPicture_, this);
  preview.exec();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
    Image1Click();
    return true;
  }
  if (watched == ListBox1->viewport() && event->type() == QEvent::MouseButtonPress) {
    rowAtPress_ = CurrentRow();
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vendaro
