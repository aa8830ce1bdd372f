// A followed folder end to end: the resident program started with a list that
// is one folder row; pictures copied in are shown by the next change, a
// picture removed is never shown again.

#include "resident_fixture.h"

namespace vendaro::testing {
namespace {

using FolderEndToEnd = ResidentEndToEnd;

TEST_F(FolderEndToEnd, PicturesCopiedInAreShownAndRemovedOnesNeverAre) {
  const std::string folder = MakeTempDir("followed") + "/";
  // Written beside the folder and moved in, as a copy that is complete the
  // moment it appears.
  const auto copyIn = [&](std::uint32_t colour, const std::string& name) {
    const std::string outside = folder.substr(0, folder.size() - 1) + "-" + name;
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor::fromRgb(colour));
    ASSERT_TRUE(picture.save(QString::fromStdString(outside), nullptr, 100));
    std::filesystem::rename(outside, folder + name);
  };
  // `vendaro next` until the desktop shows `colour`, within the time a
  // followed folder is given.
  const auto nextUntil = [&](std::uint32_t colour) {
    for (QDeadlineTimer deadline(10000); !deadline.hasExpired();) {
      if (RunCommand("next") != 0) return false;
      if (Near(Corner(), colour)) return true;
    }
    return false;
  };
  copyIn(0xFF0000, "a.png");
  WriteFileBytes(data_ + "default.vdl", folder + "\r\n");
  const unsigned long original = x_.SetRootBackground(0x336699);
  ASSERT_NO_FATAL_FAILURE(StartAndWaitForWallpaper(original));
  ASSERT_TRUE(Near(Corner(), 0xFF0000)) << std::hex << Corner();

  copyIn(0x00FF00, "b.png");
  ASSERT_TRUE(nextUntil(0x00FF00)) << "the copied picture was never shown";
  copyIn(0x0000FF, "c.png");
  ASSERT_TRUE(nextUntil(0x0000FF)) << "the second copied picture was never shown";
  // Green goes while blue is on the desktop: the rest of the rounds are red
  // and blue only.
  std::filesystem::remove(folder + "b.png");
  for (int step = 0; step < 6; ++step) {
    ASSERT_EQ(RunCommand("next"), 0);
    EXPECT_FALSE(Near(Corner(), 0x00FF00)) << "a removed picture was shown at step " << step;
  }
  ASSERT_TRUE(nextUntil(0xFF0000));

  ASSERT_EQ(RunCommand("quit"), 0);
  ASSERT_TRUE(resident_.waitForFinished(60000));
  EXPECT_EQ(resident_.exitCode(), 0);
  // The list file still holds the folder row, nothing else.
  EXPECT_EQ(ReadFileBytes(data_ + "default.vdl"), folder + "\r\n");
}

}  // namespace
}  // namespace vendaro::testing
