// The resident program end to end on a private Xvfb with no desktop: the
// first wallpaper at start, `vendaro next`, `vendaro quit`.

#include <sys/stat.h>

#include <csignal>
#include <map>
#include <optional>

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
  // The previous wallpaper's file goes once the change is over.
  QDeadlineTimer gone(60000);
  while (FileExists(temp_ + "czerwony.png.bmp") && !gone.hasExpired())
    resident_.waitForFinished(100);
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

// The next change is drawn while the program rests, and the change moves
// that file into place; a picture rewritten in between is drawn again as it
// is now, and nothing drawn ahead outlives the program.
TEST_F(ResidentEndToEnd, ANextDrawnAheadShowsThePictureAsItIsNow) {
  namespace fs = std::filesystem;
  const auto ahead = [this]() -> std::optional<fs::path> {
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
      for (const auto& file : fs::directory_iterator(temp_))
        if (file.path().filename().string().starts_with("ahead-")) return file.path();
      resident_.waitForFinished(100);
    }
    return std::nullopt;
  };
  const unsigned long original = x_.SetRootBackground(0x336699);
  ASSERT_NO_FATAL_FAILURE(StartAndWaitForWallpaper(original));
  ASSERT_TRUE(ahead()) << "the green picture was not drawn ahead";
  // The second picture of the list becomes yellow after it was drawn.
  const std::string list = ReadFileBytes(data_ + "default.vdl");
  const std::size_t second = list.find("\r\n") + 2;
  const std::string green = list.substr(second, list.find("\r\n", second) - second);
  QImage yellow(64, 48, QImage::Format_RGB32);
  yellow.fill(Qt::yellow);
  ASSERT_TRUE(yellow.save(QString::fromStdString(green), nullptr, 100));
  ASSERT_EQ(RunCommand("next"), 0);
  EXPECT_TRUE(Near(Corner(), 0xFFFF00)) << std::hex << Corner();

  const std::optional<fs::path> blue = ahead();
  ASSERT_TRUE(blue) << "the blue picture was not drawn ahead";
  struct stat drawn {};
  ASSERT_EQ(::stat(blue->c_str(), &drawn), 0);
  ASSERT_EQ(RunCommand("next"), 0);
  EXPECT_TRUE(Near(Corner(), 0x0000FF)) << std::hex << Corner();
  struct stat shown {};
  ASSERT_EQ(::stat((temp_ + "niebieski.png.bmp").c_str(), &shown), 0);
  EXPECT_EQ(shown.st_ino, drawn.st_ino) << "the change drew the picture again";

  ASSERT_TRUE(ahead());
  ASSERT_EQ(RunCommand("quit"), 0);
  ASSERT_TRUE(resident_.waitForFinished(60000));
  for (const auto& file : fs::directory_iterator(temp_))
    EXPECT_FALSE(file.path().filename().string().ends_with(".bmp")) << file.path();
}

}  // namespace
}  // namespace vendaro::testing
