// The tray's commands for the picture on screen, on the session itself.
#include <QApplication>
#include <QWidget>

#include "form_fixture.h"
#include "model/wallpaper_entry.h"

namespace vendaro::testing {
namespace {

class TrayActions : public FormTest {
 protected:
  TrayActions() {
    AppServices services = MakeServices();
    services.askUser = [this](const std::string& question) {
      questions_.push_back(question);
      return answer_;
    };
    session_ = std::make_unique<ResidentSession>(
        std::move(services),
        ResidentSession::Hooks{[this](const UserMessage& message) { messages_.push_back(message); },
                               {}});
    session_->state().tempFolder = temp_;
    session_->state().dataFolder = data_;
  }

  // The list's pictures by name, the one at `current` on the desktop.
  void ShowList(std::initializer_list<const char*> names, int current) {
    EntryList list;
    for (const char* name : names) list.push_back(MakeEntry(Picture(name, 8, 6), 8, 6));
    session_->state().list = list;
    session_->state().settings.CurrentPosition = current;
    session_->ApplyCurrentEntry();
    desktop_->setPaths.clear();
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const WallpaperEntry& entry : session_->activeList())
      names.push_back(FileNamePart(entry.path));
    return names;
  }

  std::unique_ptr<ResidentSession> session_;
  std::vector<std::string> questions_;
  bool answer_ = true;
};

TEST_F(TrayActions, RemovingThePictureOnScreenSavesTheListAndShowsTheNext) {
  struct Row {
    const char* what;
    int current;
    bool answer;
    std::vector<std::string> left;
    const char* shown;  // the name now on the desktop; "" for no change
  };
  const Row rows[] = {
      {"asked and refused", 1, false, {"a.png", "b.png", "c.png"}, ""},
      {"the one in the middle", 1, true, {"a.png", "c.png"}, "c.png"},
      {"the last: the first follows", 2, true, {"a.png", "b.png"}, "a.png"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFileBytes(data_ + "default.vdl", "earlier");
    ShowList({"a.png", "b.png", "c.png"}, row.current);
    questions_.clear();
    answer_ = row.answer;
    session_->items().Usunzlisty1.Click();
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_NE(questions_[0].find(row.current == 1 ? "b.png" : "c.png"), std::string::npos);
    EXPECT_EQ(Names(), row.left);
    std::string saved;
    for (const std::string& name : row.left) saved += pictures_ + name + "\r\n";
    EXPECT_EQ(ReadFileBytes(data_ + "default.vdl"), row.answer ? saved : "earlier");
    EXPECT_EQ(desktop_->setPaths.size(), *row.shown ? 1u : 0u);
    if (*row.shown) {
      EXPECT_EQ(session_->scheduler().shownPath(), pictures_ + row.shown);
    }
  }
}

TEST_F(TrayActions, ItemsForThePictureShowOnlyWhileOneIsOnScreen) {
  TrayItems& items = session_->items();
  session_->scheduler().MenuOpening();
  EXPECT_FALSE(items.Usunzlisty1.visible) << "nothing shown yet";
  ShowList({"a.png"}, 0);
  session_->scheduler().MenuOpening();
  EXPECT_TRUE(items.Usunzlisty1.visible);
  EXPECT_TRUE(items.Pokazwmenedzerze1.visible);
  session_->items().Usunzlisty1.Click();
  session_->scheduler().MenuOpening();
  EXPECT_TRUE(session_->activeList().empty());
  EXPECT_FALSE(items.Usunzlisty1.visible) << "the list has emptied";
  EXPECT_FALSE(items.Pokazwmenedzerze1.visible);
  EXPECT_EQ(desktop_->restoreCount, 1) << "the desktop's own picture comes back";
}

// Announcing through the desktop takes the place of the program's window;
// with no notification service nothing shows and the change goes on.
TEST_F(TrayActions, DesktopNoticeTakesThePlaceOfTheWindow) {
  for (const NoticeWay way : {NoticeWay::OwnWindow, NoticeWay::Desktop}) {
    SCOPED_TRACE(static_cast<int>(way));
    session_->state().settings.ShowChangeWindow = true;
    session_->state().settings.Notice = way;
    ShowList({"a.png", "b.png"}, 0);
    session_->Next();
    EXPECT_EQ(desktop_->setPaths.size(), 1u);
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (!widget->inherits("vendaro::TForm5") || !widget->isVisible()) continue;
      ++windows;
      widget->hide();
    }
    EXPECT_EQ(windows, way == NoticeWay::OwnWindow ? 1 : 0);
  }
}

}  // namespace
}  // namespace vendaro::testing
