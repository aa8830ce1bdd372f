#include "platform/session/autostart_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "model/autostart.h"
#include "platform/ipc/child_process.h"
#include "platform/session/desktop_entry.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

// Short names for the three choices.
constexpr AutostartChoice kNoAutostart = AutostartChoice::None;
constexpr AutostartChoice kAutostartCurrentUser = AutostartChoice::CurrentUser;
constexpr AutostartChoice kAutostartAllUsers = AutostartChoice::AllUsers;

using testing::FileExists;
using testing::MakeTempDir;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

struct PathRow {
  const char* name;
  std::string path;
  std::string exec;  // the Exec value as the Desktop Entry rules write it
};

class ExecQuotingTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(ExecQuotingTest, WritesTheRuleAndReadsThePathBack) {
  const PathRow& row = GetParam();
  EXPECT_EQ(ExecValueFor(row.path), row.exec);
  std::optional<std::vector<std::string>> args = ParseExecValue(row.exec);
  ASSERT_TRUE(args);
  EXPECT_EQ(*args, std::vector<std::string>{row.path});
}

std::string PathRowName(const ::testing::TestParamInfo<PathRow>& row) {
  return row.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExecQuotingTest,
    ::testing::Values(PathRow{"plain", "/usr/bin/vendaro", "/usr/bin/vendaro"},
                      PathRow{"space", "/opt/my apps/vendaro", "\"/opt/my apps/vendaro\""},
                      PathRow{"double_quote", "/opt/a\"b/vendaro", "\"/opt/a\\\\\"b/vendaro\""},
                      PathRow{"single_quote", "/opt/it's/vendaro", "\"/opt/it's/vendaro\""},
                      PathRow{"backslash", "/opt/a\\b/vendaro", "\"/opt/a\\\\\\\\b/vendaro\""},
                      PathRow{"dollar_and_backtick", "/opt/$HOME`x`/v",
                              "\"/opt/\\\\$HOME\\\\`x\\\\`/v\""},
                      PathRow{"newline", "/opt/a\nb/v", "\"/opt/a\\nb/v\""},
                      PathRow{"tab", "/opt/a\tb/v", "\"/opt/a\\tb/v\""},
                      PathRow{"percent", "/opt/100%/v", "/opt/100%%/v"},
                      PathRow{"not_utf8", "/opt/\xff\xfe/v", "/opt/\xff\xfe/v"},
                      PathRow{"utf8", "/opt/zażółć/v", "/opt/zażółć/v"}),
    PathRowName);

TEST(ExecParsing, ForeignValuesAreSplitAsLaunchersDo) {
  struct Row {
    std::string exec;
    std::optional<std::vector<std::string>> args;
  };
  const Row rows[] = {
      {"/usr/bin/vendaro --minimized", std::vector<std::string>{"/usr/bin/vendaro", "--minimized"}},
      {"vendaro %U", std::vector<std::string>{"vendaro"}},
      {"\"/a b\" \"\"", std::vector<std::string>{"/a b", ""}},
      {"\"/unterminated", std::nullopt},
      {"/trailing\\", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ParseExecValue(row.exec), row.args) << row.exec;
}

class AutostartStoreTest : public ::testing::Test {
 protected:
  std::string root = MakeTempDir("autostart");
  XdgAutostartStore store{root + "/home/autostart", root + "/etc/autostart"};
  const std::string exe = "/opt/ven daro/\"it's\"/$x\\y\n\xff/vendaro";
};

TEST_F(AutostartStoreTest, AwkwardPathRoundTripsAsOurs) {
  ASSERT_TRUE(store.CanWrite(AutostartScope::CurrentUser)) << "a missing folder is created";
  ASSERT_TRUE(store.Write(AutostartScope::CurrentUser, exe));
  EXPECT_EQ(store.ReadCommand(AutostartScope::CurrentUser), exe);
  const std::string text = ReadFileBytes(store.EntryPath(AutostartScope::CurrentUser));
  EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\nName=Vendaro\nExec=", 0), 0u) << text;
  EXPECT_NE(text.find("\nX-GNOME-Autostart-enabled=true\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8) << "the newline in the path is escaped";
  for (const char* key : {"Icon", "Comment", "Comment[pl]"})
    EXPECT_FALSE(DesktopEntryValue(text, key).value_or("").empty()) << key;
  EXPECT_EQ(DetectAutostart(store, exe), kAutostartCurrentUser);
}

TEST_F(AutostartStoreTest, ForeignEntriesAreNotOursButAreReplaced) {
  ASSERT_TRUE(store.Write(AutostartScope::CurrentUser, exe));
  const std::string path = store.EntryPath(AutostartScope::CurrentUser);
  for (const char* exec :
       {"Exec=/usr/bin/vendaro --hidden\n", "Exec=\"/usr/bin/vendaro\n", "Name=Vendaro\n"}) {
    WriteFileBytes(path, std::string("[Desktop Entry]\n") + exec);
    EXPECT_EQ(DetectAutostart(store, "/usr/bin/vendaro"), kNoAutostart) << exec;
    SyncAutostart(store, kAutostartCurrentUser, "/usr/bin/vendaro");
    EXPECT_EQ(store.ReadCommand(AutostartScope::CurrentUser), "/usr/bin/vendaro") << exec;
  }
}

TEST_F(AutostartStoreTest, AllUsersWinsAndEachChoiceClearsTheOtherPlace) {
  ASSERT_TRUE(store.Write(AutostartScope::CurrentUser, exe));
  ASSERT_TRUE(store.Write(AutostartScope::AllUsers, exe));
  EXPECT_EQ(DetectAutostart(store, exe), kAutostartAllUsers);

  SyncAutostart(store, kAutostartCurrentUser, exe);
  EXPECT_FALSE(store.Exists(AutostartScope::AllUsers));
  EXPECT_EQ(DetectAutostart(store, exe), kAutostartCurrentUser);

  SyncAutostart(store, kAutostartAllUsers, exe);
  EXPECT_FALSE(store.Exists(AutostartScope::CurrentUser));
  EXPECT_EQ(DetectAutostart(store, exe), kAutostartAllUsers);

  SyncAutostart(store, kNoAutostart, exe);
  EXPECT_FALSE(store.Exists(AutostartScope::AllUsers));
  EXPECT_EQ(DetectAutostart(store, exe), kNoAutostart);
}

TEST_F(AutostartStoreTest, UnchangedChoiceWritesNothing) {
  ASSERT_TRUE(store.Write(AutostartScope::CurrentUser, exe));
  const std::string path = store.EntryPath(AutostartScope::CurrentUser);
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  SyncAutostart(store, kAutostartCurrentUser, exe);
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino) << "an atomic rewrite would have made a new file";
}

TEST_F(AutostartStoreTest, NoRightsMeansSilentSkip) {
  // A file where the folder should be: nothing can be created below it,
  // whoever runs the test.
  WriteFileBytes(root + "/etc", "not a folder");
  EXPECT_FALSE(store.CanWrite(AutostartScope::AllUsers));
  EXPECT_FALSE(store.CanRead(AutostartScope::AllUsers));
  SyncAutostart(store, kAutostartAllUsers, exe);
  EXPECT_EQ(DetectAutostart(store, exe), kNoAutostart);
  EXPECT_FALSE(FileExists(root + "/home/autostart/Vendaro.desktop"));
}

// An ordinary user chooses "for all users": the administrator is asked
// (here a stand-in that answers as polkit would), and the user's own entry
// goes only once the one for every user is there.
TEST(AutostartForAllUsers, TheUsersOwnEntryGoesOnlyOnceTheOtherExists) {
  struct Row {
    const char* name;
    bool polkit;     // whether there is a way to ask
    bool answerYes;  // what the administrator answers
    bool inForce;
    AutostartChoice after;
  };
  const Row rows[] = {
      {"the administrator agrees", true, true, true, kAutostartAllUsers},
      {"the administrator refuses", true, false, false, kAutostartCurrentUser},
      {"no way to ask", false, false, false, kAutostartCurrentUser},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string root = MakeTempDir("autostart-admin");
    const std::string exe = "/usr/bin/vendaro";
    // A file where the folder should be: the user cannot make it, whoever
    // runs the test; the administrator can.
    WriteFileBytes(root + "/etc", "not a folder");
    std::vector<std::vector<std::string>> asked;
    XdgAutostartStore::Elevate elevate;
    if (row.polkit) {
      elevate = [&](const std::vector<std::string>& command) {
        asked.push_back(command);
        if (!row.answerYes) return false;
        std::remove((root + "/etc").c_str());
        std::vector<std::string> args(command.begin() + 1, command.end());
        return bool(RunProgram(command.front(), args).status);
      };
    }
    XdgAutostartStore store(root + "/home/autostart", root + "/etc/xdg/autostart", elevate);
    ASSERT_TRUE(store.Write(AutostartScope::CurrentUser, exe));

    EXPECT_EQ(SyncAutostart(store, kAutostartAllUsers, exe), row.inForce);
    EXPECT_EQ(DetectAutostart(store, exe), row.after);
    EXPECT_EQ(store.Exists(AutostartScope::CurrentUser), !row.inForce);
    EXPECT_EQ(asked.size(), row.polkit ? 1u : 0u);
  }
}

TEST(AutostartFolders, FollowTheXdgVariables) {
  const std::string root = MakeTempDir("xdg");
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", (root + "/sys1:" + root + "/sys2").c_str(), 1);
  auto store = MakeAutostartStore();
  EXPECT_EQ(store->EntryPath(AutostartScope::CurrentUser),
            root + "/config/autostart/Vendaro.desktop");
  EXPECT_EQ(store->EntryPath(AutostartScope::AllUsers), root + "/sys1/autostart/Vendaro.desktop");
  unsetenv("XDG_CONFIG_DIRS");
  EXPECT_EQ(MakeAutostartStore()->EntryPath(AutostartScope::AllUsers),
            "/etc/xdg/autostart/Vendaro.desktop");
}

}  // namespace
}  // namespace vendaro
