// The options side of the settings window and its additional-settings dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "model/ini_file.h"
#include "model/wallpaper_entry.h"
#include "support/dummy_desktop.h"
#include "support/test_environment.h"
#include "ui/additional_settings_dialog.h"
#include "ui/settings_fixture.h"
#include "ui/up_down.h"

namespace vendaro {
namespace {

using testing::SettingsWindowFixture;

class OptionsSide : public ::testing::Test, public SettingsWindowFixture {
 protected:
  DummyDesktop& desktop() { return *static_cast<DummyDesktop*>(session->desktop()); }
  QColor PanelColor(TForm1& window) {
    return window.Form4->Panel1->palette().color(QPalette::Window);
  }
};

TEST_F(OptionsSide, SpinButtonsFollowThePluralRule) {
  State().settings.IntervalMinutes = 1;
  TForm1& window = OpenWindow();
  EXPECT_EQ(window.Label2->text(), QString("minutę"));
  QTest::mouseClick(window.UpDown1->upButton(), Qt::LeftButton);
  EXPECT_EQ(window.Edit1->text(), QString("2"));
  EXPECT_EQ(window.Label2->text(), QString("minuty"));
  for (int i = 0; i < 3; ++i) QTest::mouseClick(window.UpDown1->upButton(), Qt::LeftButton);
  EXPECT_EQ(window.Label2->text(), QString("minut"));
  for (int i = 0; i < 10; ++i) QTest::mouseClick(window.UpDown1->downButton(), Qt::LeftButton);
  EXPECT_EQ(window.Edit1->text(), QString("1")) << "the range starts at 1";
}

TEST_F(OptionsSide, RemainingTimeFollowsTheDialogsTrigger) {
  State().list.push_back(MakePicture("a.png", 8, 6));
  TForm1& window = OpenWindow();
  EXPECT_EQ(window.Label1->text(), QString("Do kolejnej zmiany pozostało : 4 m 59 s"));
  window.Form4->ComboBox4->setCurrentIndex(2);
  EXPECT_FALSE(window.GroupBox2->isEnabled());
  EXPECT_FALSE(window.Edit1->isEnabled());
  QTRY_COMPARE(window.Label1->text(), QString("Do kolejnej zmiany pozostało : "));
  window.Form4->ComboBox4->setCurrentIndex(0);
  EXPECT_TRUE(window.GroupBox2->isEnabled());
}

TEST_F(OptionsSide, ApplyWritesEverySettingAndTheList) {
  for (const char* name : {"a.png", "b.png", "c.png"}) {
    State().list.push_back(MakePicture(name, 8, 6));
  }
  TForm1& window = OpenWindow();
  window.show();
  QTest::mouseClick(window.ListBox1->viewport(), Qt::LeftButton, {}, QPoint(30, 16 + 8));
  QTest::mouseClick(window.UpDown1->upButton(), Qt::LeftButton);
  window.CheckBox1->setChecked(true);
  window.ComboBox1->setCurrentIndex(3);
  window.CheckBox3->setChecked(false);
  window.ComboBox2->setCurrentIndex(1);
  window.Form4->ComboBox1->setCurrentIndex(5);
  window.Form4->ComboBox2->setCurrentIndex(2);
  window.Form4->ComboBox3->setCurrentIndex(1);
  window.Form4->ComboBox5->setCurrentIndex(1);
  window.Form4->ComboBox4->setCurrentIndex(1);
  window.Form4->CheckBox1->setChecked(false);
  window.Form4->CheckBox4->setChecked(true);

  QTest::mouseClick(window.BitBtn8, Qt::LeftButton);
  EXPECT_TRUE(errors.empty());
  const IniFile ini(dataFolder + "vendaro.ini");
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } expected[] = {{"Zmiany", "Czas zmian", "6"},
                  {"Zmiany", "Zmiana losowa", "1"},
                  {"Zmiany", "Rozciagniecie", "3"},
                  {"Opcje", "Wersja", "0"},
                  {"Zmiany", "Kolor", "clBackground"},
                  {"Zmiany", "Wyrownanie", "5"},
                  {"Zmiany", "Braki", "2"},
                  {"Zmiany", "Interpolacja", "1"},
                  {"Zmiany", "Wygladzenie", "1"},
                  {"Zmiany", "Okno informacji", "0"},
                  {"Zmiany", "Kiedy zmiana", "1"},
                  {"Zmiany", "Tapeta na monitor", "1"}};
  for (const auto& key : expected) {
    EXPECT_EQ(ini.ReadString(key.section, key.key, "(missing)"), key.value) << key.key;
  }
  EXPECT_NE(ini.ReadString("Zmiany", "Info Zmiany", "(missing)"), "(missing)");

  std::string listText;
  for (const auto& entry : window.entries()) listText += entry.path + "\r\n";
  EXPECT_EQ(testing::ReadFileBytes(dataFolder + "default.vdl"), listText);
  EXPECT_EQ(State().list, window.entries());
  EXPECT_EQ(State().settings.CurrentPosition, 1) << "the focused row becomes current";
  EXPECT_EQ(State().settings.IntervalMinutes, 6);
  EXPECT_EQ(State().settings.Alignment, 5);
  EXPECT_TRUE(State().settings.RandomOrder);
  ASSERT_EQ(desktop().setPaths.size(), 1u) << "the entry is applied at once";
  EXPECT_TRUE(std::filesystem::exists(root + "/autostart-user/Vendaro.desktop"));
  EXPECT_TRUE(window.isEnabled());
  EXPECT_TRUE(session->changeTimer()->isActive());
}

TEST_F(OptionsSide, ApplyShowsAFailedWrite) {
  State().list.push_back(MakePicture("a.png", 8, 6));
  TForm1& window = OpenWindow();
  // A folder where the settings file should be: the write is refused.
  std::filesystem::create_directory(dataFolder + "vendaro.ini");
  QTest::mouseClick(window.BitBtn8, Qt::LeftButton);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_TRUE(window.isEnabled());
}

TEST_F(OptionsSide, CancelChangesNothing) {
  const WallpaperEntry entry = MakePicture("a.png", 8, 6);
  State().list.push_back(entry);
  TForm1& window = OpenWindow();
  window.show();
  window.ListBox1->selectAll();
  QTest::mouseClick(window.BitBtn4, Qt::LeftButton);
  window.ComboBox1->setCurrentIndex(4);
  window.Form4->ComboBox4->setCurrentIndex(2);
  QTest::mouseClick(window.BitBtn6, Qt::LeftButton);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(State().list, EntryList{entry});
  EXPECT_EQ(State().settings.DisplayMode, 0);
  EXPECT_EQ(State().settings.ChangeTrigger, 0);
  EXPECT_FALSE(std::filesystem::exists(dataFolder + "vendaro.ini"));
  EXPECT_FALSE(std::filesystem::exists(dataFolder + "default.vdl"));
}

TEST_F(OptionsSide, ColorPanelFollowsTheGapFill) {
  desktop().backgroundColor = Rgb(10, 20, 30);
  State().settings.GapFill = 1;
  State().settings.FillColor = Rgb(255, 0, 0);
  int chooserRuns = 0;
  prompts.chooseColor = [&chooserRuns](QWidget*, const QColor&) {
    ++chooserRuns;
    return std::optional<QColor>(QColor(0, 0, 255));
  };
  TForm1& window = OpenWindow();
  window.show();
  window.CheckBox4->setChecked(true);
  TForm4& dialog = *window.Form4;
  EXPECT_EQ(PanelColor(window), QColor(255, 0, 0));
  EXPECT_EQ(dialog.Panel1->cursor().shape(), Qt::PointingHandCursor);

  dialog.ComboBox2->setCurrentIndex(0);
  EXPECT_EQ(PanelColor(window), QColor(10, 20, 30)) << "the desktop colour";
  EXPECT_EQ(dialog.Panel1->cursor().shape(), Qt::ArrowCursor);
  QTest::mouseClick(dialog.Panel1, Qt::LeftButton);
  EXPECT_EQ(chooserRuns, 0) << "no colour choice with the desktop colour";

  dialog.ComboBox2->setCurrentIndex(1);
  EXPECT_EQ(PanelColor(window), QColor(10, 20, 30)) << "red does not come back";
  QTest::mouseClick(dialog.Panel1, Qt::LeftButton);
  EXPECT_EQ(chooserRuns, 1);
  EXPECT_EQ(PanelColor(window), QColor(0, 0, 255));
  EXPECT_EQ(dialog.ChosenColor, Rgb(0, 0, 255));

  dialog.ComboBox2->setCurrentIndex(2);
  EXPECT_FALSE(dialog.Panel1->isVisible());
  dialog.ComboBox2->setCurrentIndex(1);
  EXPECT_EQ(PanelColor(window), QColor(0, 0, 255)) << "kept through edge copying";
}

TEST_F(OptionsSide, DialogFollowsTheWindow) {
  TForm1& window = OpenWindow();
  window.move(40, 30);
  window.show();
  QTest::mouseClick(window.CheckBox4, Qt::LeftButton);
  TForm4& dialog = *window.Form4;
  ASSERT_TRUE(dialog.isVisible());
  const auto besideWindow = [&] {
    return QPoint(window.x() + window.frameGeometry().width() + 1, window.y());
  };
  EXPECT_EQ(dialog.pos(), besideWindow());

  window.move(50, 60);
  EXPECT_EQ(dialog.pos(), besideWindow());

  dialog.move(5, 5);
  QTRY_COMPARE(dialog.pos(), besideWindow());

  dialog.close();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(window.CheckBox4->isChecked());
  dialog.ComboBox3->setCurrentIndex(0);
  QTest::mouseClick(window.CheckBox4, Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ComboBox3->currentIndex(), 0) << "choices survive hiding";
}

TEST_F(OptionsSide, OpeningShowsTheStoredChoices) {
  State().settings.DisplayMode = 2;
  State().settings.ChangeTrigger = 1;
  State().settings.Alignment = 7;
  State().settings.RandomOrder = true;
  State().settings.PicturePerMonitor = true;
  ASSERT_TRUE(IniFile(dataFolder + "vendaro.ini").WriteBool("Opcje", "Wersja", false).ok());
  TForm1& window = OpenWindow();
  EXPECT_TRUE(window.Form4->CheckBox4->isChecked());
  EXPECT_EQ(window.ComboBox1->currentIndex(), 2);
  EXPECT_EQ(window.Form4->ComboBox4->currentIndex(), 1);
  EXPECT_EQ(window.Form4->ComboBox1->currentIndex(), 7);
  EXPECT_TRUE(window.CheckBox1->isChecked());
  EXPECT_FALSE(window.CheckBox3->isChecked());
  EXPECT_FALSE(window.GroupBox2->isEnabled());
  EXPECT_EQ(window.ComboBox2->currentIndex(), 0) << "no autostart entry";
  EXPECT_EQ(window.Image1->width(), 138);
  EXPECT_EQ(window.Image1->height(), 103) << "138 x 240 / 320";
}

// The later choices go through Apply to the session and the settings file
// and come back when the window opens again; the way of announcing can only
// be picked while announcing is on.
TEST_F(OptionsSide, LaterChoicesTravelThroughApplyAndBack) {
  using Choices = std::tuple<bool, int, bool, bool>;  // announce, way, no repeats, history
  const auto chosen = [](const Options& o) {
    return Choices{o.ShowChangeWindow, int(o.Notice), o.NoRepeats, o.WalkHistory};
  };
  State().list.push_back(MakePicture("a.png", 8, 6));
  for (const Choices& row :
       {Choices{true, 1, true, false}, {false, 0, false, true}, {true, 0, true, true}}) {
    const auto& [announce, notice, noRepeats, history] = row;
    SCOPED_TRACE(::testing::PrintToString(row));
    TForm1& window = OpenWindow();
    window.show();
    TForm4& dialog = *window.Form4;
    dialog.CheckBox1->setChecked(true);
    dialog.ComboBox6->setCurrentIndex(notice);
    dialog.CheckBox1->setChecked(announce);
    EXPECT_EQ(dialog.ComboBox6->isEnabled(), announce);
    dialog.CheckBox2->setChecked(noRepeats);
    dialog.CheckBox3->setChecked(history);
    QTest::mouseClick(window.BitBtn8, Qt::LeftButton);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(chosen(State().settings), row);
    EXPECT_EQ(chosen(LoadSettings(dataFolder + "vendaro.ini")), row);
    this->window.reset();
    const TForm4& again = *OpenWindow().Form4;
    EXPECT_EQ((Choices{again.ComboBox6->isEnabled(), again.ComboBox6->currentIndex(),
                       again.CheckBox2->isChecked(), again.CheckBox3->isChecked()}),
              row);
    this->window.reset();
  }
}

}  // namespace
}  // namespace vendaro
