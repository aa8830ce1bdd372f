// The resident program end to end on a private Xvfb with no desktop: the
// first wallpaper at start, `vendaro next`, `vendaro quit`.

#include <csignal>

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

TEST_F(ResidentEndToEnd, SessionEndSignalsCloseTheFormFirst) {
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    unsigned long original = x_.SetRootBackground(0x663399);
    resident_.setProcessEnvironment(environment_);
    resident_.start(QString::fromStdString(kProgram), {});
    ASSERT_TRUE(resident_.waitForStarted(30000));
    ASSERT_NE(WaitForRootPixmapOtherThan(original), 0u) << "no wallpaper was set";
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

}  // namespace
}  // namespace vendaro::testing
