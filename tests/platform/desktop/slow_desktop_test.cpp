// A desktop that answers after the time limit: a change it takes late is
// no failure, and one it never takes is told as not confirmed.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "platform/desktop/journaled_desktop.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

// Never answers within the time limit; takes the picture `landsAfterMs`
// after it was asked (never for a negative value).
class SlowDesktop : public FileShowingDesktop {
 public:
  SlowDesktop(std::string folder, int landsAfterMs)
      : FileShowingDesktop(std::move(folder)), landsAfterMs_(landsAfterMs) {}
  ~SlowDesktop() override {
    if (late_.joinable()) late_.join();
  }
  DesktopKind kind() const override { return DesktopKind::Gnome; }
  Status PutBack(const RestoreJournal&, WaitBudget&) override { return Status::Ok(); }

 protected:
  Status Capture(RestoreJournal& journal, WaitBudget&) override {
    const std::lock_guard lock(mutex_);
    journal.Add("picture", picture_);
    return Status::Ok();
  }
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
              WaitBudget& budget) override {
    return ShowFile(path, canvas, ShownFormat::Bmp, journal, [&](const std::string& shown) {
      if (landsAfterMs_ >= 0) {
        late_ = std::thread([this, shown] {
          std::this_thread::sleep_for(std::chrono::milliseconds(landsAfterMs_));
          const std::lock_guard lock(mutex_);
          picture_ = shown;
        });
      }
      budget.Spend(std::chrono::milliseconds(kChangeLimitMs));
      return WaitBudget::TimedOut("usługa ustawień");
    });
  }

 private:
  std::mutex mutex_;  // the picture shown, set by the desktop's own late thread
  std::string picture_ = "user.jpg";
  int landsAfterMs_;
  std::thread late_;
};

TEST(SlowDesktop, AChangeThatLandsLateIsNoFailure) {
  struct Row {
    const char* name;
    int landsAfterMs;
    bool ok;
  };
  const Row rows[] = {
      {"taken, only the answer was late", 0, true},
      {"taken a moment later", 200, true},
      {"never taken", -1, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string folder = testing::MakeTempDir("slow");
    SlowDesktop desktop(folder, row.landsAfterMs);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(bool(desktop.SetWallpaper("", testing::SolidCanvas(2, 2, 1, 2, 3))), row.ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500))
        << "the second look is short";
    // Whatever the outcome, the file stays for the desktop and goes at the end.
    EXPECT_EQ(testing::ShownFiles(folder).size(), 1u);
    EXPECT_TRUE(desktop.RestoreUserWallpaper());
    EXPECT_TRUE(testing::ShownFiles(folder).empty());
  }
}

}  // namespace
}  // namespace vendaro
