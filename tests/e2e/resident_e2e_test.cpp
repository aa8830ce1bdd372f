// The resident program end to end on a private Xvfb with no desktop: the
// first wallpaper at start, `vendaro next`, `vendaro quit`.

#include <csignal>
#include <map>

#include "resident_fixture.h"

namespace vendaro::testing {
namespace {

TEST_F(ResidentEndToEnd, StartNextQuit) {
  unsigned long original = x_.SetRootBackground(0x336699);
  ASSERT_TRUE(Near(Corner(), 0x336699));

  resident_.setProcessEnvironment(environment_);
  resident_.setProcessChannelMode(QProcess::ForwardedChannels);
  resident_.start(QString::fromStdString(kProgram), {});
  ASSERT_TRUE(resident_.waitForStarted(30000));

  unsigned long first = WaitForRootPixmapOtherThan(original);
  ASSERT_NE(first, 0u) << "no wallpaper was set";
  EXPECT_TRUE(Near(Corner(), 0xFF0000)) << std::hex << Corner();
  EXPECT_TRUE(FileExists(temp_ + "czerwony.png.bmp"));

  ASSERT_EQ(RunCommand("next"), 0);
  EXPECT_TRUE(Near(Corner(), 0x00FF00)) << std::hex << Corner();
  EXPECT_FALSE(FileExists(temp_ + "czerwony.png.bmp"));
  EXPECT_TRUE(FileExists(temp_ + "zielony.jpg.bmp"));

  ASSERT_EQ(RunCommand("quit"), 0);
  ASSERT_TRUE(resident_.waitForFinished(60000));
  EXPECT_EQ(resident_.exitCode(), 0);
  EXPECT_EQ(x_.RootPixmap(), original);
  EXPECT_TRUE(Near(Corner(), 0x336699)) << std::hex << Corner();
  EXPECT_FALSE(FileExists(temp_ + "zielony.jpg.bmp"));
  EXPECT_EQ(IniFile(ini_).ReadInteger("Zmiany", "Ostatnia pozycja", -1), 1);

  std::string errors;
  EXPECT_EQ(RunCommand("next", &errors), 1);
  EXPECT_NE(errors.find("nie jest uruchomiony"), std::string::npos) << errors;
  EXPECT_EQ(RunCommand("nastepna", &errors), 2);
  EXPECT_NE(errors.find("next|previous|settings|quit"), std::string::npos) << errors;
}

// A picture whose decoder never returns holds neither the program nor the
// commands: `vendaro next` inside the change is answered at once with the
// reason, the change ends at the helper's time limit, and the next good
// picture is shown.
TEST_F(ResidentEndToEnd, AHangingPictureLeavesTheProgramAnswering) {
  environment_.insert("VENDARO_TEST_PICTURE_HANGS", "zielony.jpg");
  unsigned long original = x_.SetRootBackground(0x336699);
  ASSERT_NO_FATAL_FAILURE(StartAndWaitForWallpaper(original));
  ASSERT_TRUE(Near(Corner(), 0xFF0000)) << std::hex << Corner();

  QProcess hanging;
  hanging.setProcessEnvironment(environment_);
  hanging.start(QString::fromStdString(kProgram), {"next"});
  ASSERT_TRUE(hanging.waitForStarted(30000));
  // Let the change begin: its command is answered only when it ends.
  EXPECT_FALSE(hanging.waitForFinished(1500));

  QDeadlineTimer answered(1000);
  std::string errors;
  EXPECT_EQ(RunCommand("next", &errors), 1);
  EXPECT_FALSE(answered.hasExpired()) << "the command waited on the change";
  EXPECT_NE(errors.find("Trwa zmiana tapety"), std::string::npos) << errors;

  ASSERT_TRUE(hanging.waitForFinished(60000));
  EXPECT_EQ(hanging.exitCode(), 0);
  EXPECT_FALSE(Near(Corner(), 0x00FF00)) << std::hex << Corner();
  ASSERT_EQ(RunCommand("next"), 0);
  EXPECT_TRUE(Near(Corner(), 0x0000FF)) << std::hex << Corner();
  ASSERT_EQ(RunCommand("quit"), 0);
  ASSERT_TRUE(resident_.waitForFinished(60000));
}

TEST_F(ResidentEndToEnd, SessionEndSignalsCloseTheFormFirst) {
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    unsigned long original = x_.SetRootBackground(0x663399);
    ASSERT_NO_FATAL_FAILURE(StartAndWaitForWallpaper(original));
    ::kill(static_cast<pid_t>(resident_.processId()), signal);
    ASSERT_TRUE(resident_.waitForFinished(60000));
    EXPECT_EQ(resident_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(resident_.exitCode(), 0);
    EXPECT_EQ(x_.RootPixmap(), original);
    EXPECT_TRUE(Near(Corner(), 0x663399)) << std::hex << Corner();
    EXPECT_FALSE(FileExists(temp_ + "czerwony.png.bmp"));
    EXPECT_EQ(IniFile(ini_).ReadInteger("Zmiany", "Ostatnia pozycja", -1), 0);
  }
}

// With the history chosen, Previous walks back through the pictures shown,
// Next forward again, and a restart keeps the way back.  Each step is S
// start, Q quit, n next or p previous, then the colour it leaves on screen.
TEST_F(ResidentEndToEnd, HistoryWalksBackAcrossARestart) {
  WriteFileBytes(ini_,
                 "[Zmiany]\r\nRozciagniecie=0\r\nOkno informacji=0\r\nHistoria zmian=1\r\n"
                 "[Opcje]\r\nWersja=1\r\n");
  const std::map<char, std::uint32_t> colours{{'r', 0xFF0000}, {'g', 0x00FF00}, {'b', 0x0000FF}};
  const unsigned long original = x_.SetRootBackground(0x336699);
  for (const char* step :
       {"Sr", "ng", "nb", "pg", "pr", "pr", "ng", "Q", "Sg", "pr", "ng", "nb", "nr", "pb", "Q"}) {
    SCOPED_TRACE(step);
    if (step[0] == 'S') {
      ASSERT_NO_FATAL_FAILURE(StartAndWaitForWallpaper(original));
    } else {
      ASSERT_EQ(RunCommand(step[0] == 'n' ? "next" : step[0] == 'p' ? "previous" : "quit"), 0);
    }
    if (step[0] == 'Q') {
      ASSERT_TRUE(resident_.waitForFinished(60000));
    } else {
      EXPECT_TRUE(Near(Corner(), colours.at(step[1]))) << std::hex << Corner();
    }
  }
}

}  // namespace
}  // namespace vendaro::testing
