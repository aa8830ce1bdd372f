#include <sys/stat.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QProcess>
#include <QSysInfo>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/change_scheduler.h"
#include "form_fixture.h"
#include "platform/session/instance_lock.h"
#include "vendaro_paths.h"
#include "vendaro_version.h"

namespace vendaro::testing {
namespace {

using Texts = std::vector<std::string>;

TEST_F(FormTest, FirstStartWithoutFilesUsesDefaults) {
  std::unique_ptr<TForm2> form = MakeForm();
  ASSERT_TRUE(form->FormCreate());
  EXPECT_TRUE(form->resident());
  EXPECT_EQ(form->session().settings().IntervalMinutes, 5);
  EXPECT_TRUE(form->session().activeList().empty());
  EXPECT_TRUE(form->trayIcon()->isVisible());
  EXPECT_TRUE(form->Timer2->isActive());
  // No settings file: the version check runs, and no library lies beside us.
  EXPECT_EQ(MessageTexts(), (Texts{"Nie znaleziono wymaganej biblioteki 'libverdpak.so'",
                                   "Lista plików tła jest pusta."}));
  EXPECT_EQ(messages_[0].caption, "Ostrzeżenie");
  EXPECT_EQ(messages_[1].way, UserMessage::Way::Balloon);
  EXPECT_TRUE(desktop_->setPaths.empty());
}

TEST_F(FormTest, ListFilesAtStart) {
  struct Row {
    const char* name;
    bool legacy;
    bool current;
    std::size_t entries;
    bool legacyLeft;
  };
  const Row rows[] = {
      {"legacy only: moved into place", true, false, 2, false},
      {"both: the legacy file stays untouched", true, true, 1, true},
      {"current only", false, true, 1, false},
  };
  std::string a = Picture("a.png", 8, 6), b = Picture("b.jpg", 6, 8), c = Picture("c.png", 5, 5);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(data_ + "vendaro.cfg");
    std::filesystem::remove(data_ + "default.vdl");
    if (row.legacy) WriteList("vendaro.cfg", {a, pictures_ + "gone.png", b});
    if (row.current) WriteList("default.vdl", {c});
    std::string legacyBefore = ReadFileBytes(data_ + "vendaro.cfg");
    WriteIni("");
    std::unique_ptr<TForm2> form = MakeForm();
    ASSERT_TRUE(form->FormCreate());
    EXPECT_EQ(form->session().activeList().size(), row.entries);
    EXPECT_EQ(FileExists(data_ + "vendaro.cfg"), row.legacyLeft);
    if (row.legacyLeft) {
      EXPECT_EQ(ReadFileBytes(data_ + "vendaro.cfg"), legacyBefore);
    }
    EXPECT_EQ(desktop_->setPaths.size(), 1u);
  }
}

// A list that is not a regular file ends start-up at once: a FIFO would
// otherwise hold it before the remote socket exists.
TEST_F(FormTest, UnreadableListEndsStartUpAndLosesNothing) {
  for (const bool fifo : {false, true}) {
    SCOPED_TRACE(fifo ? "fifo" : "folder");
    const std::string list = data_ + "default.vdl";
    std::filesystem::remove_all(list);
    messages_.clear();
    if (fifo) {
      ASSERT_EQ(::mkfifo(list.c_str(), 0600), 0);
    } else {
      std::filesystem::create_directory(list);
    }
    WriteIni("");
    std::string iniBefore = ReadFileBytes(data_ + "vendaro.ini");
    std::unique_ptr<TForm2> form = MakeForm();
    EXPECT_FALSE(form->FormCreate());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find("default.vdl"), std::string::npos) << messages_[0].text;
    EXPECT_EQ(messages_[0].icon, UserMessage::Icon::Error);
    form->FormClose();
    EXPECT_TRUE(fifo ? std::filesystem::is_fifo(list) : std::filesystem::is_directory(list));
    EXPECT_EQ(ReadFileBytes(data_ + "vendaro.ini"), iniBefore);
    EXPECT_TRUE(desktop_->setPaths.empty());
  }
}

TEST_F(FormTest, SettingsFileThatIsAFifoStartsWithDefaults) {
  WriteList("default.vdl", {Picture("a.png", 4, 4)});
  ASSERT_EQ(::mkfifo((data_ + "vendaro.ini").c_str(), 0600), 0);
  std::unique_ptr<TForm2> form = MakeForm();
  ASSERT_TRUE(form->FormCreate());
  EXPECT_EQ(form->session().settings().IntervalMinutes, Options().IntervalMinutes);
  EXPECT_EQ(form->session().activeList().size(), 1u);
}

TEST_F(FormTest, IntervalBelowOneRunsWithFive) {
  struct Row {
    const char* stored;
    int expected;
  };
  for (const Row& row : {Row{"0", 5}, Row{"-3", 5}, Row{"7", 7}, Row{"junk", 5}}) {
    SCOPED_TRACE(row.stored);
    WriteIni(std::string("Czas zmian=") + row.stored + "\r\n");
    std::unique_ptr<TForm2> form = MakeForm();
    ASSERT_TRUE(form->FormCreate());
    EXPECT_EQ(form->session().settings().IntervalMinutes, row.expected);
  }
}

TEST_F(FormTest, SecondCopyIsRefusedAndTouchesNothing) {
  InstanceLock running(executableName_);
  ASSERT_TRUE(running.TryAcquire());
  std::unique_ptr<TForm2> form = MakeForm();
  EXPECT_FALSE(form->FormCreate());
  ASSERT_EQ(MessageTexts(), Texts{"Program jest już uruchomiony"});
  EXPECT_EQ(messages_[0].caption, "Informacja");
  EXPECT_EQ(messages_[0].icon, UserMessage::Icon::Warning);
  form->FormClose();
  EXPECT_FALSE(FileExists(data_ + "vendaro.ini"));
  EXPECT_EQ(desktop_->restoreCount, 0);
  EXPECT_FALSE(form->trayIcon()->isVisible());

  // Another file name is another program.
  executableName_ = "vendaro-copy";
  std::unique_ptr<TForm2> other = MakeForm();
  EXPECT_TRUE(other->FormCreate());
}

TEST_F(FormTest, LockLeftByADeadCopyDoesNotBlock) {
  QProcess gone;
  gone.start(QStringLiteral("true"), {});
  ASSERT_TRUE(gone.waitForStarted());
  qint64 pid = gone.processId();
  ASSERT_TRUE(gone.waitForFinished());
  InstanceLock probe(executableName_);
  // Written as Qt writes it, naming a process of this executable that has
  // ended, so only the owner's death makes the lock stale.
  WriteFileBytes(probe.path(),
                 QStringLiteral("%1\n%2\n%3\n")
                     .arg(pid)
                     .arg(QCoreApplication::applicationName(), QSysInfo::machineHostName())
                     .toStdString());
  WriteIni("");
  std::unique_ptr<TForm2> form = MakeForm();
  EXPECT_TRUE(form->FormCreate());
  EXPECT_TRUE(messages_.empty() || messages_[0].text != "Program jest już uruchomiony");
}

TEST_F(FormTest, LockThatCannotBeMadeCountsAsNoOtherCopy) {
  // The folder of this lock does not exist, so no copy can hold it.
  InstanceLock unplaceable("no-such-folder/" + executableName_);
  EXPECT_TRUE(unplaceable.TryAcquire());
  InstanceLock held(executableName_);
  ASSERT_TRUE(held.TryAcquire());
  EXPECT_FALSE(InstanceLock(executableName_).TryAcquire());
}

TEST_F(FormTest, VersionCheckAtStart) {
  struct Row {
    const char* name;
    const char* library;  // nullptr: none beside the executable
    bool check;
    bool starts;
    Texts messages;
  };
  const Row rows[] = {
      {"answer 1 ends the program", "returns1", true, false, {}},
      {"answer 256 counts as false", "returns256", true, true, {}},
      {"no entry point: silent", "noentry", true, true, {}},
      {"no library: one warning",
       nullptr,
       true,
       true,
       {"Nie znaleziono wymaganej biblioteki 'libverdpak.so'"}},
      {"option off: not loaded", "returns1", false, true, {}},
  };
  std::string picture = Picture("a.png", 4, 4);
  WriteList("default.vdl", {picture});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(bin_ + "libverdpak.so");
    if (row.library) InstallVersionLibrary(row.library);
    WriteIni("", row.check);
    std::string iniBefore = ReadFileBytes(data_ + "vendaro.ini");
    messages_.clear();
    std::unique_ptr<TForm2> form = MakeForm();
    EXPECT_EQ(form->FormCreate(), row.starts);
    EXPECT_EQ(MessageTexts(), row.messages);
    EXPECT_EQ(form->trayIcon()->isVisible(), row.starts);
    EXPECT_EQ(form->Timer2->isActive(), row.starts);
    EXPECT_EQ(desktop_->setPaths.size(), row.starts ? 1u : 0u);
    if (!row.starts) {
      form->FormClose();
      EXPECT_EQ(ReadFileBytes(data_ + "vendaro.ini"), iniBefore);
      EXPECT_EQ(desktop_->restoreCount, 0);
    }
  }
}

TEST_F(FormTest, VersionLibraryIsFoundBesideTheExecutableOrWhereInstalled) {
  struct Row {
    const char* name;
    const char* beside;  // nullptr: none
    const char* installed;
    bool starts;
  };
  const Row rows[] = {
      {"installed: the private library folder", nullptr, "returns1", false},
      {"a build folder's own library comes first", "noentry", "returns1", true},
  };
  const std::string installed = bin_ + VENDARO_PRIVATE_LIB_DIR "/";
  std::filesystem::create_directories(installed);
  WriteList("default.vdl", {Picture("a.png", 4, 4)});
  WriteIni("", true);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(bin_ + "libverdpak.so");
    if (row.beside) InstallVersionLibrary(row.beside);
    InstallVersionLibrary(row.installed, installed);
    messages_.clear();
    std::unique_ptr<TForm2> form = MakeForm();
    EXPECT_EQ(form->FormCreate(), row.starts);
    EXPECT_EQ(MessageTexts(), Texts{}) << "no warning about a missing library";
    if (!row.starts) form->FormClose();
  }
}

TEST_F(FormTest, CloseGivesBackTheWallpaperRemovesTheBitmapAndStoresThePosition) {
  WriteList("default.vdl",
            {Picture("a.png", 4, 4), Picture("b.png", 4, 4), Picture("c.png", 4, 4)});
  WriteIni("Ostatnia pozycja=1\r\nKiedy zmiana=1\r\n");
  std::unique_ptr<TForm2> form = MakeForm();
  ASSERT_TRUE(form->FormCreate());
  form->session().items().Nastpnatapeta1.Click();
  ASSERT_EQ(desktop_->setPaths.size(), 2u);
  EXPECT_EQ(desktop_->setPaths.back(), temp_ + "c.png.bmp");
  EXPECT_EQ(form->session().wallpaperFile(), temp_ + "c.png.bmp");
  EXPECT_TRUE(FileExists(form->session().wallpaperFile()));
  EXPECT_FALSE(FileExists(temp_ + "b.png.bmp"));

  form->FormClose();
  form->FormClose();
  EXPECT_EQ(desktop_->restoreCount, 1);
  EXPECT_FALSE(FileExists(temp_ + "c.png.bmp"));
  EXPECT_EQ(Ini().ReadInteger("Zmiany", "Ostatnia pozycja", -1), 2);
  EXPECT_NE(Ini().ReadString("Zmiany", "Info Zmiany", ""), "");
  EXPECT_FALSE(form->Timer2->isActive());
}

TEST_F(FormTest, PositionOutsideTheListShowsTheFirstAndStoresZero) {
  WriteList("default.vdl", {Picture("a.png", 4, 4), Picture("b.png", 4, 4)});
  for (const char* stored : {"9", "-2"}) {
    SCOPED_TRACE(stored);
    WriteIni(std::string("Ostatnia pozycja=") + stored + "\r\n");
    std::unique_ptr<TForm2> form = MakeForm();
    ASSERT_TRUE(form->FormCreate());
    EXPECT_EQ(desktop_->setPaths, std::vector<std::string>{temp_ + "a.png.bmp"});
    form->FormClose();
    EXPECT_EQ(Ini().ReadInteger("Zmiany", "Ostatnia pozycja", -1), 0);
  }
}

TEST_F(FormTest, TrayMenuItemsInOrder) {
  std::unique_ptr<TForm2> form = MakeForm();
  QStringList seen;
  for (QAction* action : form->popupMenu()->actions()) {
    seen << (action->isSeparator() ? QStringLiteral("-")
                                   : action->objectName() + "=" + action->text());
  }
  EXPECT_EQ(seen,
            QStringList({"Vendaro1=Vendaro v" VENDARO_VERSION, "-",
                         "Nastpnatapeta1=Następna tapeta", "Poprzedniatapeta1=Poprzednia tapeta",
                         "Pokazwmenedzerze1=Pokaż w menedżerze plików", "Usunzlisty1=Usuń z listy",
                         "-", "Ustawienia1=Ustawienia", "Zamknij1=Zamknij"}));
  for (QAction* action : form->popupMenu()->actions()) {
    if (!action->isSeparator()) {
      EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
    }
  }
}

TEST_F(FormTest, MenuHidesChangeItemsOnAnEmptyList) {
  WriteIni("");
  std::unique_ptr<TForm2> form = MakeForm();
  ASSERT_TRUE(form->FormCreate());
  auto* next = form->popupMenu()->findChild<QAction*>("Nastpnatapeta1");
  auto* previous = form->popupMenu()->findChild<QAction*>("Poprzedniatapeta1");
  emit form->popupMenu()->aboutToShow();
  EXPECT_FALSE(next->isVisible());
  EXPECT_FALSE(previous->isVisible());
  form->session().state().list.push_back(MakeEntry(Picture("a.png", 4, 4), 4, 4));
  emit form->popupMenu()->aboutToShow();
  EXPECT_TRUE(next->isVisible());
  EXPECT_TRUE(previous->isVisible());
}

TEST_F(FormTest, DoubleClickOpensSettingsOnceAtATime) {
  WriteIni("");
  std::unique_ptr<TForm2> form = MakeForm();
  ASSERT_TRUE(form->FormCreate());
  int opened = 0;
  bool openFlag = false, itemEnabled = true;
  TForm2* raw = form.get();
  form->SetWindowHooks({[&] {
                          ++opened;
                          openFlag = raw->session().state().settingsWindowOpen;
                          itemEnabled = raw->session().items().Ustawienia1.enabled;
                          emit raw->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
                          // As the open window's own event loop would.
                          QCoreApplication::processEvents();
                        },
                        {}});
  emit form->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
  QCoreApplication::processEvents();
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(openFlag);
  EXPECT_FALSE(itemEnabled);
  EXPECT_FALSE(form->session().state().settingsWindowOpen);
  EXPECT_TRUE(form->session().items().Ustawienia1.enabled);
  emit form->trayIcon()->activated(QSystemTrayIcon::Trigger);
  QCoreApplication::processEvents();
  EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace vendaro::testing
