#include "ui/settings_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "app/resident_session.h"
#include "compose/probe.h"
#include "ui/additional_settings_dialog.h"
#include "ui/choice_items.h"
#include "ui/dialog_folder.h"
#include "ui/entry_list_model.h"
#include "ui/icons.h"
#include "ui/look.h"
#include "ui/option_rules.h"
#include "ui/row_painting.h"
#include "ui/screen_fit.h"
#include "ui/up_down.h"

namespace vendaro {
namespace {

constexpr int kClientWidth = 523;
constexpr int kClientHeight = 474;
constexpr int kThumbnailWidth = 138;
constexpr int kRightColumn = 332;
constexpr int kRightColumnWidth = 183;
constexpr int kChoiceColumnWidth = 250;
constexpr int kChoiceColumnsRight = 516;

}  // namespace

TForm1::TForm1(ResidentSession& session, Prompts prompts, PictureProbe probe, QWidget* parent)
    : QDialog(parent),
      session_(session),
      prompts_(std::move(prompts)),
      probe_(probe ? std::move(probe) : session.pictureProbe()),
      clock_([] { return std::chrono::system_clock::now(); }),
      model_(new EntryListModel(this)),
      dialogFolder_(DialogFolder::OfThisRun()) {
  setObjectName("TForm1");
  setWindowTitle("Ustawienia programu, wybór tapet");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(UiFont(kTahoma, 11));
  BuildListSide();
  BuildOptionsSide();
  BuildButtons();
  FormCreate();
}

TForm1::~TForm1() {
  session_.StopWatchingActiveList(this);
}

const EntryList& TForm1::entries() const {
  return model_->entries();
}

void TForm1::BuildOptionsSide() {
  Label3 = new QLabel("Ustawienia programu", this);
  Label3->setObjectName("Label3");
  Label3->setFont(UiFont(kVerdana, 19, true));
  QPalette titleColors = Label3->palette();
  titleColors.setColor(QPalette::WindowText, QColor(40, 135, 166));
  Label3->setPalette(titleColors);
  Label3->move(12, 6);
  Label3->adjustSize();

  GroupBox2 = new QGroupBox("Zmiana tła co :", this);
  GroupBox2->setObjectName("GroupBox2");
  GroupBox2->setGeometry(kRightColumn, 172, kRightColumnWidth, 52);
  Edit1 = new QLineEdit(GroupBox2);
  Edit1->setObjectName("Edit1");
  Edit1->setReadOnly(true);
  Edit1->setGeometry(10, 20, 56, 22);
  UpDown1 = new UpDown(GroupBox2);
  UpDown1->setObjectName("UpDown1");
  UpDown1->setGeometry(66, 20, 17, 22);
  UpDown1->setRange(1, 6000);
  UpDown1->setBuddy(Edit1);
  Label2 = new QLabel("minut", GroupBox2);
  Label2->setObjectName("Label2");
  Label2->setGeometry(92, 23, 80, 16);
  connect(UpDown1, &UpDown::clicked, this, &TForm1::UpDown1Click);

  CheckBox1 = new QCheckBox("Losowa zmiana zdjęć", this);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setGeometry(kRightColumn + 4, 232, kRightColumnWidth, 20);
  CheckBox4 = new QCheckBox("Dodatkowe ustawienia", this);
  CheckBox4->setObjectName("CheckBox4");
  CheckBox4->setGeometry(kRightColumn + 4, 258, kRightColumnWidth, 20);
  connect(CheckBox4, &QCheckBox::toggled, this, &TForm1::CheckBox4Click);

  Label4 = new QLabel(QString::fromUtf8(kModeChoice.title), this);
  Label4->setObjectName("Label4");
  Label5 = new QLabel(QString::fromUtf8(kAutostartChoice.title), this);
  Label5->setObjectName("Label5");
  // The autostart title is the longer one: where the font is wider than the
  // window was drawn for, its column takes what it needs from the other.
  const int autostartWidth = std::max(kChoiceColumnWidth, Label5->sizeHint().width());
  const int autostartLeft = kChoiceColumnsRight - autostartWidth;
  const int modeWidth = autostartLeft - 16;
  Label4->setGeometry(8, 298, modeWidth, 16);
  ComboBox1 = AddOwnerDrawnCombo("ComboBox1", kModeChoice, QRect(8, 316, modeWidth, 24));
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm1::ComboBox1Change);
  Label5->setGeometry(autostartLeft, 298, autostartWidth, 16);
  ComboBox2 = AddOwnerDrawnCombo("ComboBox2", kAutostartChoice,
                                 QRect(autostartLeft, 316, autostartWidth - 1, 24));

  CheckBox3 = new QCheckBox("Sprawdzaj wersję programu przy starcie", this);
  CheckBox3->setObjectName("CheckBox3");
  CheckBox3->setGeometry(10, 352, 300, 20);

  Label1 = new QLabel("Do kolejnej zmiany pozostało :", this);
  Label1->setObjectName("Label1");
  Label1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Label1->setGeometry(8, 384, 507, 24);
  Label1->setIndent(6);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

QComboBox* TForm1::AddOwnerDrawnCombo(const char* name, const ChoiceInfo& choice, QRect geometry) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(name);
  combo->setFont(UiFont(kVerdana, 11));
  AddChoiceItems(combo, choice);
  combo->setView(new QListView(combo));
  combo->setItemDelegate(new ComboRowDelegate(Rgb(255, 255, 255), combo));
  combo->setGeometry(geometry);
  return combo;
}

void TForm1::BuildButtons() {
  auto* line = new QFrame(this);
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setGeometry(8, 424, 507, 2);
  const struct {
    QPushButton** button;
    const char* name;
    const char* caption;
    int glyph;
    void (TForm1::*handler)();
  } buttons[] = {{&BitBtn5, "BitBtn5", "OK", 7, &TForm1::BitBtn5Click},
                 {&BitBtn8, "BitBtn8", "Zastosuj", 6, &TForm1::BitBtn8Click},
                 {&BitBtn6, "BitBtn6", "Anuluj", 2, &TForm1::BitBtn6Click}};
  int left = 259;
  for (const auto& b : buttons) {
    auto* button = new QPushButton(SettingsGlyph(b.glyph), b.caption, this);
    button->setObjectName(b.name);
    button->setAutoDefault(false);
    button->setGeometry(left, 436, 80, 28);
    connect(button, &QPushButton::clicked, this, b.handler);
    *b.button = button;
    left += 88;
  }
}

void TForm1::FormCreate() {
  setAcceptDrops(true);
  const ScreenSize screen = session_.screenSize();
  // Centred in Qt's own (scaled) coordinates: the screen's size in device
  // pixels put the window off-centre, and its neighbour off-screen, at 200 %.
  CentreOnScreen(this);

  Form4 = new TForm4(session_.systemColors(), prompts_, this);
  Form4->PlaceBesideSettingsWindow();
  ConnectDialog();

  const int thumbnailHeight =
      screen.width > 0 ? kThumbnailWidth * screen.height / screen.width : kThumbnailWidth * 3 / 4;
  Image1->setGeometry(kRightColumn + (kRightColumnWidth - kThumbnailWidth) / 2, 44, kThumbnailWidth,
                      thumbnailHeight);
  thumbnailFrame_->setGeometry(Image1->geometry().adjusted(-3, -3, 3, 3));
  SetIntervalControlsEnabled(session_.settings().ChangeTrigger == ChangeWhen::AfterInterval);

  LastFolder.clear();
  WindowListCount = static_cast<int>(session_.activeList().size());
  // Shown without a copy (some 25 MB at 200,000 pictures) until the user
  // edits it or the session is about to change it.
  model_->Show(session_.listRows());
  session_.WatchActiveList(this, [this] { model_->Detach(); });

  Options shown = session_.settings();
  // The file's flag: the program in memory never changes it.
  shown.VersionCheck = ReadVersionFlag(session_.settingsPath());
  SetValues(shown);
  Timer1Timer();
  Timer1->start();
  ComboBox2->setCurrentIndex(static_cast<int>(session_.autostart()));
}

void TForm1::ShowFirstStartHint() {
  if (model_->rowCount() > 0) return;
  // Over the list itself: its viewport is laid out only when first shown.
  QWidget* list = ListBox1;
  Hint1 = new QLabel(
      "Lista tapet jest pusta.\n\nDodaj zdjęcia przyciskami obok listy "
      "(„Dodaj zdjęcia do listy”, „Dodaj zdjęcia z katalogu”) "
      "albo przeciągnij je tutaj z menedżera plików.",
      list);
  Hint1->setObjectName("Hint1");
  Hint1->setWordWrap(true);
  Hint1->setAlignment(Qt::AlignCenter);
  Hint1->setAttribute(Qt::WA_TransparentForMouseEvents);
  QPalette colors = Hint1->palette();
  colors.setColor(QPalette::WindowText, QColor(40, 135, 166));
  Hint1->setPalette(colors);
  Hint1->setGeometry(list->rect().adjusted(12, 12, -12, -12));
  Hint1->show();
  const auto hideOnceFilled = [this] {
    if (model_->rowCount() > 0) Hint1->hide();
  };
  connect(model_, &QAbstractItemModel::rowsInserted, Hint1, hideOnceFilled);
  connect(model_, &QAbstractItemModel::modelReset, Hint1, hideOnceFilled);
}

void TForm1::SetValues(const Options& options) {
  UpDown1->setPosition(options.IntervalMinutes);
  Edit1->setText(QString::number(UpDown1->position()));
  CheckBox1->setChecked(options.RandomOrder);
  {
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->setCurrentIndex(kModeField.get(options));
  }
  Label2->setText(QString::fromStdString(MinuteUnitText(UpDown1->position())));
  CheckBox3->setChecked(options.VersionCheck);
  Form4->SetValues(options);
}

Options TForm1::Values() const {
  Options options;
  options.IntervalMinutes = UpDown1->position();
  options.RandomOrder = CheckBox1->isChecked();
  kModeField.set(options, ComboBox1->currentIndex());
  options.VersionCheck = CheckBox3->isChecked();
  return Form4->Values(options);
}

void TForm1::ConnectDialog() {
  connect(Form4, &TForm4::compositionChanged, this, &TForm1::ListBox1Click);
  connect(Form4, &TForm4::triggerChanged, this, [this](ChangeWhen trigger) {
    SetIntervalControlsEnabled(trigger == ChangeWhen::AfterInterval);
  });
  connect(Form4, &TForm4::closedByUser, this, [this] { CheckBox4->setChecked(false); });
}

void TForm1::SetIntervalControlsEnabled(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{Edit1, UpDown1, Label2, GroupBox2}) {
    control->setEnabled(enabled);
  }
}

void TForm1::UpDown1Click() {
  Edit1->setText(QString::number(UpDown1->position()));
  Label2->setText(QString::fromStdString(MinuteUnitText(UpDown1->position())));
}

void TForm1::Timer1Timer() {
  const auto moment = clock_();
  RemainingTimeInput input;
  input.activeListEmpty = session_.activeList().empty();
  input.trigger = Form4->Values({}).ChangeTrigger;
  input.intervalMinutes = session_.settings().IntervalMinutes;
  input.elapsedSeconds = session_.settings().ElapsedSeconds;
  input.today = LocalDateOf(moment);
  input.now = LocalDateTimeOf(moment);
  Label1->setText(QString::fromUtf8(RemainingTimeText(input)));
}

void TForm1::CheckBox4Click() {
  if (CheckBox4->isChecked()) {
    Form4->PlaceBesideSettingsWindow();
    Form4->show();
  } else {
    Form4->hide();
  }
}

void TForm1::ComboBox1Change() {
  if (ComboBox1->currentIndex() >= 0) ListBox1Click();
}

void TForm1::BitBtn8Click() {
  ApplyRequest request;
  request.options = Values();
  request.autostart = AutostartChoice(std::max(0, ComboBox2->currentIndex()));
  request.rows = &model_->entries();
  request.currentRow = CurrentRow();
  request.windowListCount = WindowListCount;
  if (Status applied = session_.Apply(request, this); !applied) {
    prompts_.showError(this, QString::fromStdString(applied.message()));
  }
}

void TForm1::BitBtn5Click() {
  hide();
  Form4->hide();
  BitBtn8Click();
  accept();
}

void TForm1::BitBtn6Click() {
  reject();
}

void TForm1::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  Form4->PlaceBesideSettingsWindow();
}

void TForm1::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && Form4 != nullptr) {
    Form4->PlaceBesideSettingsWindow();
  }
}

}  // namespace vendaro
