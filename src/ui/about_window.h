#pragma once

#include <QDialog>

class QFrame;
class QLabel;

namespace vendaro {

// The About window (also the splash at start): name, version, author and two
// links on a translucent, frameless white panel.  A click anywhere but on a
// link closes it.
class TForm6 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm6(QWidget* parent = nullptr);

  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;

  static QString MailUrl();
  static QString PageUrl();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QLabel* AddLabel(const char* name, int top, const QString& text, QColor color, int pixelSize,
                   bool bold = false);
  void Label4MouseEnter(QLabel* link);
  void Label4MouseLeave(QLabel* link);
  void Label4Click();
  void Label5Click();
};

}  // namespace vendaro
