// Apply on the session itself, as the settings window calls it.
#include <QTimer>
#include <QWidget>
#include <filesystem>

#include "form_fixture.h"
#include "model/wallpaper_entry.h"

namespace vendaro::testing {
namespace {

class SessionApply : public FormTest {
 protected:
  SessionApply() {
    monitorsHook_ = [this] {
      // Asked while a change composes: nothing else may run meanwhile.
      pausedWhileComposing_ = !session_->changeTimer()->isActive() && !window_.isEnabled();
      return MonitorLayout{{"screen", {0, 0, 64, 48}, true}};
    };
    session_ = std::make_unique<ResidentSession>(
        MakeServices(),
        ResidentSession::Hooks{[this](const UserMessage& message) { messages_.push_back(message); },
                               {}});
    session_->state().tempFolder = temp_;
    session_->changeTimer()->start();
  }

  EntryList Pictures(std::initializer_list<const char*> names) {
    EntryList list;
    for (const char* name : names) list.push_back(MakeEntry(Picture(name, 8, 6), 8, 6));
    return list;
  }

  Status Apply(const EntryList& rows, int currentRow, int windowListCount) {
    ApplyRequest request;
    request.options = session_->settings();
    request.rows = &rows;
    request.currentRow = currentRow;
    request.windowListCount = windowListCount;
    return session_->Apply(request, &window_);
  }

  QWidget window_;
  bool pausedWhileComposing_ = false;
  std::unique_ptr<ResidentSession> session_;
};

TEST_F(SessionApply, HandsOverWhatWasWrittenAndComesBack) {
  const struct {
    const char* name;
    const char* refused;  // a folder where this file should be written
    bool emptyList;
    bool failed;
    bool listTaken;
    int setCount;
    int restoreCount;
  } cases[] = {
      {"a new list", nullptr, false, false, true, 1, 0},
      {"no settings file", "vendaro.ini", false, true, false, 0, 0},
      {"no list file: the edits are not lost", "default.vdl", false, true, true, 1, 0},
      {"an empty list gives the desktop back", nullptr, true, false, true, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(data_);
    std::filesystem::create_directory(data_);
    WriteFileBytes(data_ + "default.vdl", "earlier\r\n");
    if (c.refused != nullptr) {
      std::filesystem::remove(data_ + c.refused);
      std::filesystem::create_directory(data_ + c.refused);
    }
    const EntryList before = Pictures({"a.png"});
    session_->state().list = before;
    desktop_->setPaths.clear();
    desktop_->restoreCount = 0;
    const EntryList rows = c.emptyList ? EntryList{} : Pictures({"b.png", "c.png"});

    const Status applied = Apply(rows, 1, 1);
    EXPECT_EQ(!applied, c.failed);
    EXPECT_EQ(session_->activeList(), c.listTaken ? rows : before);
    EXPECT_EQ(desktop_->setPaths.size(), static_cast<std::size_t>(c.setCount));
    EXPECT_EQ(desktop_->restoreCount, c.restoreCount);
    if (c.setCount > 0) {
      EXPECT_TRUE(pausedWhileComposing_);
      EXPECT_EQ(session_->settings().CurrentPosition, 1) << "the focused row becomes current";
    }
    if (c.emptyList) {
      EXPECT_EQ(ReadFileBytes(data_ + "default.vdl"), "earlier\r\n")
          << "an empty list is not saved";
      EXPECT_EQ(session_->settings().IntervalMinutes, 0) << "the timer rests";
    }
    EXPECT_TRUE(window_.isEnabled());
    EXPECT_TRUE(session_->changeTimer()->isActive());
  }
}

TEST_F(SessionApply, RemovesTheBitmapsOfPositionsGone) {
  session_->state().list = Pictures({"a.png", "b.png", "c.png"});
  const char* kept[] = {"1wall.bmp", "4wall.bmp", "01wall.bmp", "wall.bmp", "2wall.bmp.old"};
  const char* removed[] = {"0wall.bmp", "2wall.bmp", "3wall.bmp"};
  for (const char* name : kept) WriteFileBytes(temp_ + name, "b");
  for (const char* name : removed) WriteFileBytes(temp_ + name, "b");
  // The window opened on four entries; two are left, the second current.
  ASSERT_TRUE(Apply(Pictures({"a.png", "b.png"}), 1, 4).ok());
  for (const char* name : kept) EXPECT_TRUE(std::filesystem::exists(temp_ + name)) << name;
  for (const char* name : removed) EXPECT_FALSE(std::filesystem::exists(temp_ + name)) << name;
}

}  // namespace
}  // namespace vendaro::testing
