#include "ui/additional_settings_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QSignalBlocker>
#include <algorithm>
#include <array>
#include <initializer_list>

#include "ui/choice_items.h"
#include "ui/icons.h"
#include "ui/look.h"
#include "ui/option_rules.h"
#include "ui/row_painting.h"
#include "ui/screen_fit.h"

namespace vendaro {
namespace {

constexpr int kGroupLeft = 10;
constexpr int kGroupWidth = 177;
constexpr int kComboWidth = 145;
constexpr int kSnapBackDelayMs = 300;

}  // namespace

TForm4::TForm4(SystemColorResolver systemColors, Prompts prompts, QWidget* settingsWindow)
    : QDialog(settingsWindow),
      systemColors_(std::move(systemColors)),
      prompts_(std::move(prompts)) {
  setObjectName("TForm4");
  setWindowTitle("Ustawienia");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(198, 500);
  setFont(UiFont(kTahoma, 11));

  GroupBox1 = AddGroup("GroupBox1", kAlignChoice, 8, 54);
  ComboBox1 = AddCombo(GroupBox1, "ComboBox1", kAlignField);
  ComboBox1->setIconSize(QSize(16, 16));
  for (int i = 0; i < ComboBox1->count(); ++i) ComboBox1->setItemIcon(i, AlignmentIcon(i));

  GroupBox2 = AddGroup("GroupBox2", kFillChoice, 70, 90);
  ComboBox2 = AddCombo(GroupBox2, "ComboBox2", kFillField);
  Panel1 = new QLabel("Kolor", GroupBox2);
  Panel1->setObjectName("Panel1");
  Panel1->setAlignment(Qt::AlignCenter);
  Panel1->setAutoFillBackground(true);
  Panel1->setGeometry(16, 54, kComboWidth, 25);
  Panel1->installEventFilter(this);

  GroupBox3 = AddGroup("GroupBox3", kInterpChoice, 168, 54);
  ComboBox3 = AddCombo(GroupBox3, "ComboBox3", kInterpField);
  GroupBox5 = AddGroup("GroupBox5", kSmoothChoice, 230, 54);
  ComboBox5 = AddCombo(GroupBox5, "ComboBox5", kSmoothField);
  GroupBox4 = AddGroup("GroupBox4", kTriggerChoice, 292, 54);
  ComboBox4 = AddCombo(GroupBox4, "ComboBox4", kTriggerField);

  CheckBox1 = AddCheckBox(
      "CheckBox1", "Informacja o zmianie tapety",
      "Opcja ta włącza informację o zmianie tapety: okno w prawym dolnym rogu ekranu albo "
      "powiadomienie pulpitu",
      360);
  ComboBox6 = AddCombo(this, "ComboBox6", kNoticeField);
  ComboBox6->setGeometry(kGroupLeft + 22, 384, kComboWidth - 6, 22);
  ComboBox6->setEnabled(false);
  connect(CheckBox1, &QCheckBox::toggled, ComboBox6, &QWidget::setEnabled);
  CheckBox2 = AddCheckBox("CheckBox2", "Losowo bez powtórzeń",
                          "Przy zmianie losowej każda tapeta z listy pojawia się raz, zanim "
                          "którakolwiek pojawi się ponownie",
                          418);
  CheckBox3 = AddCheckBox("CheckBox3", "Historia tapet",
                          "„Poprzednia tapeta” cofa przez ostatnie sto pokazanych tapet, a "
                          "„Następna tapeta” najpierw wraca po nich do przodu",
                          442);
  CheckBox4 = AddCheckBox("CheckBox4", "Różne tapety na monitorach",
                          "Każdy monitor pokazuje inny obrazek z listy, dopasowany do swojego "
                          "rozmiaru; następna tapeta zmienia obrazki na wszystkich monitorach",
                          466);
  WidenForTitles();

  for (QComboBox* combo : {ComboBox1, ComboBox3, ComboBox5}) {
    connect(combo, &QComboBox::currentIndexChanged, this, [this](int index) {
      if (index >= 0) emit compositionChanged();
    });
  }
  connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { ComboBox2Change(); });
  connect(ComboBox4, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) emit triggerChanged(ChangeWhen(index));
  });

  snapBack_.setSingleShot(true);
  snapBack_.setInterval(kSnapBackDelayMs);
  connect(&snapBack_, &QTimer::timeout, this, &TForm4::PlaceBesideSettingsWindow);
}

// Where the font is wider than the dialog was drawn for, the groups, their
// lists and the dialog grow to the widest title.
void TForm4::WidenForTitles() {
  // A check box, as wide as a group, starts 4 pixels further right: it
  // needs its whole hint within that width.
  int needed = 0;
  for (const QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4})
    needed = std::max(needed, box->sizeHint().width());
  for (const QGroupBox* group : {GroupBox1, GroupBox2, GroupBox3, GroupBox4, GroupBox5})
    needed = std::max(needed, group->minimumSizeHint().width());
  const int extra = needed - kGroupWidth;
  if (extra <= 0) return;
  for (QGroupBox* group : {GroupBox1, GroupBox2, GroupBox3, GroupBox4, GroupBox5}) {
    group->resize(group->width() + extra, group->height());
    for (QWidget* inside : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      inside->resize(inside->width() + extra, inside->height());
  }
  for (QWidget* below :
       std::initializer_list<QWidget*>{CheckBox1, CheckBox2, CheckBox3, CheckBox4, ComboBox6})
    below->resize(below->width() + extra, below->height());
  setFixedSize(width() + extra, height());
}

QGroupBox* TForm4::AddGroup(const char* name, const ChoiceInfo& choice, int top, int height) {
  auto* group = new QGroupBox(QString::fromUtf8(choice.title), this);
  group->setObjectName(name);
  group->setGeometry(kGroupLeft, top, kGroupWidth, height);
  return group;
}

QCheckBox* TForm4::AddCheckBox(const char* name, const char* caption, const char* tip, int top) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), this);
  box->setObjectName(name);
  box->setToolTip(QString::fromUtf8(tip));
  box->setGeometry(kGroupLeft + 4, top, kGroupWidth, 20);
  return box;
}

QComboBox* TForm4::AddCombo(QWidget* group, const char* name, const ChoiceField& field) {
  auto* combo = new QComboBox(group);
  combo->setObjectName(name);
  AddChoiceItems(combo, *field.info);
  choices_.emplace_back(combo, field);
  combo->setView(new QListView(combo));
  const ColorValue base = FromQColor(combo->palette().color(QPalette::Base));
  combo->setItemDelegate(new ComboRowDelegate(base, combo));
  combo->setGeometry(16, 22, kComboWidth, 22);
  return combo;
}

void TForm4::SetValues(const Options& options) {
  for (const auto& [combo, field] : choices_) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(field.get(options));
  }
  CheckBox1->setChecked(options.ShowChangeWindow);
  ComboBox6->setEnabled(options.ShowChangeWindow);
  CheckBox2->setChecked(options.NoRepeats);
  CheckBox3->setChecked(options.WalkHistory);
  CheckBox4->setChecked(options.PicturePerMonitor);
  ChosenColor = options.FillColor;
  ShowColorPanel();
}

Options TForm4::Values(Options options) const {
  for (const auto& [combo, field] : choices_) field.set(options, combo->currentIndex());
  options.ShowChangeWindow = CheckBox1->isChecked();
  options.NoRepeats = CheckBox2->isChecked();
  options.WalkHistory = CheckBox3->isChecked();
  options.PicturePerMonitor = CheckBox4->isChecked();
  options.FillColor = ChosenColor;
  return options;
}

void TForm4::ShowColorPanel() {
  const ColorPanelState state =
      ColorPanelForGapFill(MarginFill(ComboBox2->currentIndex()), ChosenColor);
  Panel1->setVisible(state.visible);
  Panel1->setCursor(state.handCursor ? Qt::PointingHandCursor : Qt::ArrowCursor);
  const ColorValue shown =
      IsSystemColor(state.color) && systemColors_ ? systemColors_(state.color & 0xFF) : state.color;
  QPalette colors = Panel1->palette();
  colors.setColor(QPalette::Window, ToQColor(shown));
  // The caption stays readable on a dark colour.
  colors.setColor(QPalette::WindowText, ToQColor(shown).lightness() < 110 ? Qt::white : Qt::black);
  Panel1->setPalette(colors);
}

void TForm4::ComboBox2Change() {
  if (ComboBox2->currentIndex() < 0) return;
  ShowColorPanel();
  emit compositionChanged();
}

void TForm4::Panel1Click() {
  if (MarginFill(ComboBox2->currentIndex()) != MarginFill::ChosenColour) return;
  const std::optional<QColor> chosen =
      prompts_.chooseColor(this, Panel1->palette().color(QPalette::Window));
  if (!chosen) return;
  ChosenColor = FromQColor(*chosen);
  ShowColorPanel();
  emit compositionChanged();
}

void TForm4::PlaceBesideSettingsWindow() {
  const QWidget* anchor = parentWidget();
  if (anchor == nullptr) return;
  const QRect area = AvailableArea(anchor);
  ShrinkToArea(this, area);
  const QSize frame = FrameOf(this).size();
  const QPoint place = PlaceBeside(FrameOf(anchor), frame, area);
  if (place != pos()) move(place);
}

void TForm4::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
  emit closedByUser();
}

void TForm4::reject() {
  close();
}

void TForm4::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  if (isVisible()) snapBack_.start();
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Panel1 && event->type() == QEvent::MouseButtonRelease) {
    Panel1Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vendaro
