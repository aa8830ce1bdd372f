#include <QTest>
#include <filesystem>

#include "app/folder_watch.h"
#include "form_fixture.h"
#include "model/folder_rows.h"

namespace vendaro::testing {
namespace {

using Names = std::vector<std::string>;

class FolderFollowTest : public FormTest {
 protected:
  FolderFollowTest() {
    std::filesystem::create_directories(pictures_ + "f/sub");
    a_ = Picture("a.png", 4, 3);
    Picture("f/c.png", 4, 3);
    Picture("f/B.png", 5, 3);  // name order, not byte order: B between a and c
    Picture("f/sub/d.png", 6, 3);
    WriteFileBytes(pictures_ + "f/notes.txt", "not a picture");
    z_ = Picture("z.png", 4, 3);
  }

  std::unique_ptr<TForm2> Started(const std::string& folderLine) {
    WriteList("default.vdl", {a_, folderLine, z_});
    WriteIni("");
    AppServices services = MakeServices();
    services.folderSettleMs = 10;
    services.askUser = [](const std::string&) { return true; };
    auto form = std::make_unique<TForm2>(std::move(services));
    EXPECT_TRUE(form->FormCreate());
    return form;
  }

  // The active list's paths, those in the pictures folder without it.
  Names Shown(const EntryList& list) const {
    Names names;
    for (const WallpaperEntry& entry : list)
      names.push_back(entry.path.starts_with(pictures_) ? entry.path.substr(pictures_.size())
                                                        : entry.path);
    return names;
  }

  // The picture the rotation's position stands on.
  std::string Current(ResidentSession& session) const {
    const auto at = static_cast<std::size_t>(session.settings().CurrentPosition);
    return at < session.activeList().size() ? Shown(session.activeList())[at] : "";
  }

  static bool Apply(ResidentSession& session, const EntryList& rows, int currentRow) {
    ApplyRequest request{.options = session.settings(), .rows = &rows, .currentRow = currentRow};
    return session.Apply(request).ok();
  }

  static bool Has(const Names& names, const std::string& name) {
    return std::ranges::find(names, name) != names.end();
  }

  std::string a_, z_;
};

TEST_F(FolderFollowTest, AFolderRowStandsForItsPicturesInNameOrder) {
  std::unique_ptr<TForm2> form = Started(pictures_ + "f/");
  ResidentSession& session = form->session();
  const Names active{"a.png", "f/B.png", "f/c.png", "z.png"};
  EXPECT_EQ(Shown(session.activeList()), active);
  ASSERT_EQ(session.listRows().size(), 3u);
  EXPECT_EQ(session.listRows()[1].path, pictures_ + "f/");
  EXPECT_EQ(session.listRows()[1].width, 2);
  // Apply of the rows as shown writes the list file back as it was read.
  const std::string before = ReadFileBytes(data_ + "default.vdl");
  EXPECT_TRUE(Apply(session, session.listRows(), 2));
  EXPECT_EQ(ReadFileBytes(data_ + "default.vdl"), before);
  EXPECT_EQ(Shown(session.activeList()), active);
  // The row's pictures come first, then the current row: z.png.
  EXPECT_EQ(Current(session), "z.png");
}

TEST_F(FolderFollowTest, PicturesComeAndGoWhileThePositionStaysOnItsPicture) {
  std::unique_ptr<TForm2> form = Started(pictures_ + "f/");
  ResidentSession& session = form->session();
  ASSERT_NE(session.folderWatch(), nullptr);
  session.state().settings.CurrentPosition = 2;  // f/c.png
  // Waits for the rotation `active` and expects the position on `current`.
  const auto expect = [&](const Names& active, const std::string& current) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shown(session.activeList()) == active; }, 5000))
        << ::testing::PrintToString(Shown(session.activeList()));
    EXPECT_EQ(Current(session), current);
  };
  std::filesystem::copy_file(a_, pictures_ + "f/a1.png");
  expect({"a.png", "f/a1.png", "f/B.png", "f/c.png", "z.png"}, "f/c.png");
  std::filesystem::remove(pictures_ + "f/c.png");
  expect({"a.png", "f/a1.png", "f/B.png", "z.png"}, "f/B.png");  // the next change shows z.png
  std::filesystem::rename(pictures_ + "f/a1.png", pictures_ + "f/y.png");
  expect({"a.png", "f/B.png", "f/y.png", "z.png"}, "f/B.png");
  session.Next();
  EXPECT_EQ(Current(session), "f/y.png");
  // The editor's rows count what the folder holds now.
  EXPECT_EQ(session.listRows()[1].width, 2);
}

// A folder no watch follows (here one missing at start, as on a drive not
// mounted yet) is looked at before each change, and watched once it can be.
TEST_F(FolderFollowTest, AFolderNoWatchFollowsIsLookedAtBeforeEachChange) {
  std::unique_ptr<TForm2> form = Started(pictures_ + "later/");
  ResidentSession& session = form->session();
  ASSERT_NE(session.folderWatch(), nullptr);
  EXPECT_EQ(session.folderWatch()->unwatchedRows().size(), 1u);
  EXPECT_EQ(Shown(session.activeList()), (Names{"a.png", "z.png"}));
  std::filesystem::create_directory(pictures_ + "later");
  Picture("later/k.png", 3, 3);
  session.state().settings.CurrentPosition = 0;
  session.Next();
  EXPECT_EQ(Shown(session.activeList()), (Names{"a.png", "later/k.png", "z.png"}));
  EXPECT_EQ(session.settings().CurrentPosition, 1) << "the new picture is the next one";
  EXPECT_TRUE(session.folderWatch()->unwatchedRows().empty());
}

TEST_F(FolderFollowTest, AnAppliedFolderRowIsFollowedWithSubfoldersMadeLater) {
  std::unique_ptr<TForm2> form = Started(a_);
  ResidentSession& session = form->session();
  EXPECT_EQ(session.folderWatch(), nullptr);
  const EntryList rows = {MakeEntry(z_, 4, 3), MakeEntry(pictures_ + "f/**", 0, 0),
                          MakeEntry(a_, 4, 3)};
  EXPECT_TRUE(Apply(session, rows, 1));
  EXPECT_EQ(Shown(session.activeList()),
            (Names{"z.png", "f/B.png", "f/c.png", "f/sub/d.png", "a.png"}));
  EXPECT_EQ(session.settings().CurrentPosition, 1);
  EXPECT_EQ(ReadFileBytes(data_ + "default.vdl"),
            z_ + "\r\n" + pictures_ + "f/**\r\n" + a_ + "\r\n");
  ASSERT_NE(session.folderWatch(), nullptr);
  // Subfolders made later are followed too.
  std::filesystem::create_directory(pictures_ + "f/new");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return Has(session.folderWatch()->watchedFolders(), pictures_ + "f/new/"); }, 5000));
  Picture("f/new/e.png", 3, 3);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return Has(Shown(session.activeList()), "f/new/e.png"); }, 5000));
  // A list without folder rows again: nothing is watched.
  EXPECT_TRUE(Apply(session, {MakeEntry(a_, 4, 3)}, 0));
  EXPECT_EQ(session.folderWatch(), nullptr);
  EXPECT_EQ(&session.listRows(), &session.activeList());
}

// "Usuń z listy" from the tray takes out a row of the list file, never the
// followed folder's row: its picture is only told where it comes from.
TEST_F(FolderFollowTest, RemovingFromTheTrayKeepsTheFolderRow) {
  struct Row {
    const char* shown;
    Names file;  // the list file's lines afterwards
  };
  const Row rows[] = {
      {"f/B.png", {"a.png", "f/", "z.png"}},
      {"z.png", {"a.png", "f/"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shown);
    std::unique_ptr<TForm2> form = Started(pictures_ + "f/");
    ResidentSession& session = form->session();
    const Names active = Shown(session.activeList());
    session.state().settings.CurrentPosition =
        static_cast<std::int32_t>(std::ranges::find(active, row.shown) - active.begin());
    session.ApplyCurrentEntry();
    messages_.clear();
    session.items().Usunzlisty1.Click();
    Names file;
    for (const std::string& line : ReadListFile(data_ + "default.vdl")->Strings())
      file.push_back(line.substr(pictures_.size()));
    EXPECT_EQ(file, row.file);
    EXPECT_EQ(messages_.size(), row.file.size() == 3 ? 1u : 0u);
  }
}

}  // namespace
}  // namespace vendaro::testing
