// What counts as the user's own change, and how the journal under it stays
// whole when two of our processes share it.
#include "platform/desktop/users_change.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "platform/desktop/journaled_desktop.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

RestoreJournal Journal(Entries entries) {
  RestoreJournal journal;
  journal.kind = DesktopKind::Gnome;
  journal.entries = std::move(entries);
  return journal;
}

const Entries kJournal = {{"uri", "user:'a.jpg'"}, {"options", "user:'zoom'"}, {"file", "/s/1"}};
const Entries kOurs = {{"uri", "user:'/s/vendaro-shown-1.png'"}, {"options", "user:'zoom'"}};

TEST(UsersChange, OnlyAValueThatMovedAwayFromOursAndNamesNothingOfOurs) {
  struct Row {
    const char* name;
    Entries now;
    std::optional<Entries> taken;
    Entries journal = kJournal, afterOurs = kOurs;
  };
  const Row rows[] = {
      {"nothing changed", kOurs, std::nullopt},
      {"the user's picture",
       {{"uri", "user:'b.jpg'"}, {"options", "user:'zoom'"}},
       Entries{{"options", "user:'zoom'"}, {"file", "/s/1"}, {"uri", "user:'b.jpg'"}}},
      {"picture and style",
       {{"uri", "user:'b.jpg'"}, {"options", "user:'centered'"}},
       Entries{{"file", "/s/1"}, {"uri", "user:'b.jpg'"}, {"options", "user:'centered'"}}},
      {"another of our processes showed its file",
       {{"uri", "user:'file:///s/vendaro-shown-9.png'"}, {"options", "user:'zoom'"}},
       std::nullopt},
      {"a key the desktop gained is left to the next change",
       {{"uri", "user:'/s/vendaro-shown-1.png'"}, {"options", "user:'zoom'"}, {"new", "x"}},
       std::nullopt},
      {"a key the journal does not keep",
       {{"uri", "user:'/s/vendaro-shown-1.png'"}, {"color", "#fff"}},
       std::nullopt,
       {{"uri", "user:'a.jpg'"}},
       {{"uri", "user:'/s/vendaro-shown-1.png'"}, {"color", "#000"}}},
      {"lines of one key count together",
       {{"line", "output * bg c.png fill"}},
       Entries{{"line", "output * bg c.png fill"}},
       {{"line", "output A bg a.png fill"}, {"line", "output B bg b.png fill"}},
       {{"line", "output A bg a.png fill"}, {"line", "output B bg b.png fill"}}},
      {"the user went back to what the journal keeps",
       {{"uri", "user:'a.jpg'"}, {"options", "user:'zoom'"}},
       std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::optional<RestoreJournal> taken =
        WithUsersChange(Journal(row.journal), Journal(row.afterOurs), Journal(row.now),
                        [](const std::string& value) { return NamesShownFile(value); });
    ASSERT_EQ(taken.has_value(), row.taken.has_value());
    if (taken) {
      EXPECT_EQ(taken->entries, *row.taken);
    }
  }
}

// A desktop whose one setting is the picture it shows; the user may set it
// too, and it can be made not to answer.
struct Store {
  std::string picture = "user.jpg";
  bool answers = true;
};

class FakeDesktop : public FileShowingDesktop {
 public:
  FakeDesktop(std::string folder, std::shared_ptr<Store> store)
      : FileShowingDesktop(std::move(folder)), store_(std::move(store)) {}
  DesktopKind kind() const override { return DesktopKind::Gnome; }
  Status PutBack(const RestoreJournal& journal, WaitBudget&) override {
    store_->picture = journal.Find("picture").value_or("?");
    return Status::Ok();
  }
  std::optional<ColorValue> Background() { return BackgroundColor(); }

 protected:
  Status Capture(RestoreJournal& journal, WaitBudget&) override {
    if (!store_->answers) return Status::Error("nie odpowiada");
    journal.Add("picture", store_->picture);
    return Status::Ok();
  }
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
              WaitBudget&) override {
    return ShowFile(path, canvas, ShownFormat::Bmp, journal, [this](const std::string& shown) {
      store_->picture = shown;
      return Status::Ok();
    });
  }

 private:
  std::shared_ptr<Store> store_;
};

struct Fixture {
  std::string folder = testing::MakeTempDir("users-change");
  std::shared_ptr<Store> store = std::make_shared<Store>();
  Canvas canvas = testing::SolidCanvas(4, 2, 1, 2, 3);
  std::unique_ptr<FakeDesktop> Desktop() { return std::make_unique<FakeDesktop>(folder, store); }
  bool Set(FakeDesktop& desktop) { return bool(desktop.SetWallpaper("", canvas)); }
};

TEST(UsersChange, WhatTheUserPickedLastIsGivenBack) {
  // Steps: 'o' our change, 'u'/'v' the user picks u.jpg/v.jpg, 'x' the
  // desktop stops answering, 'a' it answers again; then we quit.
  const std::pair<const char*, const char*> rows[] = {
      {"oo", "user.jpg"}, {"ouo", "u.jpg"},   {"ou", "u.jpg"},    {"ouovo", "v.jpg"},
      {"ouv", "v.jpg"},   {"oouuo", "u.jpg"}, {"oxoau", "u.jpg"}, {"oxuo", "user.jpg"},
      {"ouoou", "u.jpg"}, {"", "user.jpg"},
  };
  for (const auto& [steps, givenBack] : rows) {
    SCOPED_TRACE(steps);
    Fixture f;
    auto desktop = f.Desktop();
    for (const char* step = steps; *step; ++step) {
      if (*step == 'o') f.Set(*desktop);
      if (*step == 'u' || *step == 'v') f.store->picture = std::string(1, *step) + ".jpg";
      f.store->answers = *step == 'x' ? false : *step == 'a' ? true : f.store->answers;
    }
    f.store->answers = true;
    ASSERT_TRUE(desktop->RestoreUserWallpaper());
    EXPECT_EQ(f.store->picture, *steps ? givenBack : "user.jpg");
    EXPECT_TRUE(testing::ShownFiles(f.folder).empty());
  }
}

TEST(SharedJournal, AOneOffChangeDuringTheResidentProgramLeavesNothing) {
  Fixture f;
  auto resident = f.Desktop();
  ASSERT_TRUE(f.Set(*resident));
  {
    auto oneOff = f.Desktop();
    oneOff->KeepAfterExit();
    ASSERT_TRUE(f.Set(*oneOff));
  }
  // The one-off's picture is ours, not the user's.
  ASSERT_TRUE(f.Set(*resident));
  ASSERT_TRUE(resident->RestoreUserWallpaper());
  EXPECT_EQ(f.store->picture, "user.jpg");
  EXPECT_EQ(testing::ShownFiles(f.folder), std::vector<std::string>());
  EXPECT_FALSE(testing::FileExists(JournalPath(f.folder)));
}

TEST(SharedJournal, TwoWritersAtOnceLoseNoFile) {
  Fixture f;
  auto first = f.Desktop();
  auto second = f.Desktop();
  auto run = [&f](FakeDesktop& desktop) {
    for (int i = 0; i < 12; ++i) f.Set(desktop);
  };
  std::thread a(run, std::ref(*first));
  std::thread b(run, std::ref(*second));
  a.join();
  b.join();
  EXPECT_LE(testing::ShownFiles(f.folder).size(), 2u) << "the last change and the one before";
  ASSERT_TRUE(first->RestoreUserWallpaper());
  EXPECT_EQ(f.store->picture, "user.jpg");
  EXPECT_EQ(testing::ShownFiles(f.folder), std::vector<std::string>());
}

}  // namespace
}  // namespace vendaro
