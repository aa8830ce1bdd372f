// A followed folder end to end: the resident program started with a list that
// is one folder row; pictures copied in are shown by the next change, a
// picture removed is never shown again.

#include "resident_fixture.h"

namespace vendaro::testing {
namespace {

class FolderEndToEnd : public ResidentEndToEnd {
 protected:
  void SetUp() override {
    ResidentEndToEnd::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    folder_ = MakeTempDir("followed") + "/";
    ASSERT_TRUE(Save(0xFF0000, folder_ + "a.png"));
    WriteFileBytes(data_ + "default.vdl", folder_ + "\r\n");
  }

  static bool Save(std::uint32_t colour, const std::string& path) {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor::fromRgb(colour));
    return picture.save(QString::fromStdString(path), nullptr, 100);
  }

  // Writes the picture beside the folder and moves it in, as a copy that is
  // complete the moment it appears.
  void CopyIn(std::uint32_t colour, const std::string& name) {
    const std::string outside = folder_.substr(0, folder_.size() - 1) + "-" + name;
    ASSERT_TRUE(Save(colour, outside));
    std::filesystem::rename(outside, folder_ + name);
  }

  // `vendaro next` until the desktop shows `colour`; false when it does not
  // within the time a followed folder is given.
  bool NextUntil(std::uint32_t colour) {
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
      if (RunCommand("next") != 0) return false;
      if (Near(Corner(), colour)) return true;
    }
    return false;
  }

  std::string folder_;
};

TEST_F(FolderEndToEnd, PicturesCopiedInAreShownAndRemovedOnesNeverAre) {
  const unsigned long original = x_.SetRootBackground(0x336699);
  resident_.setProcessEnvironment(environment_);
  resident_.setProcessChannelMode(QProcess::ForwardedChannels);
  resident_.start(QString::fromStdString(kProgram), {});
  ASSERT_TRUE(resident_.waitForStarted(30000));
  ASSERT_NE(WaitForRootPixmapOtherThan(original), 0u) << "no wallpaper was set";
  ASSERT_TRUE(Near(Corner(), 0xFF0000)) << std::hex << Corner();

  CopyIn(0x00FF00, "b.png");
  ASSERT_TRUE(NextUntil(0x00FF00)) << "the copied picture was never shown";
  CopyIn(0x0000FF, "c.png");
  ASSERT_TRUE(NextUntil(0x0000FF)) << "the second copied picture was never shown";

  // Green goes while blue is on the desktop: the rest of the rounds are red
  // and blue only.
  std::filesystem::remove(folder_ + "b.png");
  for (int step = 0; step < 6; ++step) {
    ASSERT_EQ(RunCommand("next"), 0);
    EXPECT_FALSE(Near(Corner(), 0x00FF00)) << "a removed picture was shown at step " << step;
  }
  ASSERT_TRUE(NextUntil(0xFF0000));
  ASSERT_TRUE(NextUntil(0x0000FF));

  ASSERT_EQ(RunCommand("quit"), 0);
  ASSERT_TRUE(resident_.waitForFinished(60000));
  EXPECT_EQ(resident_.exitCode(), 0);
  // The list file still holds the folder row, nothing else.
  EXPECT_EQ(ReadFileBytes(data_ + "default.vdl"), folder_ + "\r\n");
}

}  // namespace
}  // namespace vendaro::testing
