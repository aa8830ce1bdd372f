#include "platform/kde_desktop.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonDocument>

#include "platform/child_process.h"
#include "platform/desktop_probe.h"
#include "platform/kde_script.h"
#include "platform/restore_journal.h"
#include "platform/shown_file.h"
#include "platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

TEST(JsStringLiteral, EscapesEverythingThatCouldEndOrBendTheString) {
  const std::pair<std::string, std::string> rows[] = {
      {"/plain/path.bmp", "'/plain/path.bmp'"},
      {"it's", "'it\\u0027s'"},
      {"say \"hi\"", "'say \\u0022hi\\u0022'"},
      {"back\\slash", "'back\\u005Cslash'"},
      {"line\nend\r", "'line\\u000Aend\\u000D'"},
      {"sep\xe2\x80\xa8par\xe2\x80\xa9", "'sep\\u2028par\\u2029'"},
      {"\xc5\xbc", "'\\u017C'"},
      {"bad\xff", "'bad\\uFFFD'"},
      {"');evil();('", "'\\u0027);evil();(\\u0027'"},
  };
  for (const auto& [text, literal] : rows) EXPECT_EQ(JsStringLiteral(text), literal) << text;
}

TEST(FileUrl, PercentEncodesEveryByteButTheSafeOnes) {
  EXPECT_EQ(FileUrl("/a b/it's\"\\$\n\xff~x-y_z.png"),
            "file:///a%20b/it%27s%22%5C%24%0A%FF~x-y_z.png");
}

TEST(PlasmaColor, ReadsBothStoredForms) {
  EXPECT_EQ(ParsePlasmaColor("10,20,30"), Rgb(10, 20, 30));
  EXPECT_EQ(ParsePlasmaColor("10,20,30,255"), Rgb(10, 20, 30));
  EXPECT_EQ(ParsePlasmaColor("#0a141e"), Rgb(10, 20, 30));
  EXPECT_EQ(ParsePlasmaColor("a,b,c"), std::nullopt);
  EXPECT_EQ(ParsePlasmaColor(""), std::nullopt);
}

// A session bus of our own with the fake plasmashell on it.
class KdeDesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    busFolder_ = new std::string(MakeTempDir("bus"));
    const std::string address = "unix:path=" + *busFolder_ + "/socket";
    bus_ = new ChildProcess;
    if (!bus_->Start("dbus-daemon",
                     {"--session", "--nofork", "--nopidfile", "--address=" + address}))
      return;
    if (!testing::WaitUntil([] { return FileExists(*busFolder_ + "/socket"); })) return;
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete bus_;
    delete busFolder_;
  }

  void SetUp() override {
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) GTEST_SKIP() << "dbus-daemon is not available";
    WriteFileBytes(shell + "/reply.json", kReply);
    ASSERT_TRUE(fake.Start(VENDARO_BIN_DIR "/platform_fake_plasmashell", {shell}));
    SystemProbe probe;
    ASSERT_TRUE(testing::WaitUntil([&] { return probe.BusNameHasOwner("org.kde.plasmashell"); }));
  }

  std::string Script(int n) {
    return ReadFileBytes(shell + "/script-" + std::to_string(n) + ".js");
  }
  bool HasScript(int n) { return FileExists(shell + "/script-" + std::to_string(n) + ".js"); }

  static constexpr const char* kReply =
      R"([{"id":1,"plugin":"org.kde.slideshow","Image":"file:///home/u/it's.jpg","FillMode":"1","Color":"10,20,30"},)"
      "{\"id\":2,\"plugin\":\"org.kde.image\",\"Image\":\"x\xe2\x80\xa8y\"}]";
  std::string shell = MakeTempDir("plasma");
  std::string state = testing::AwkwardFolder("kde");
  std::string bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");
  ChildProcess fake;
  static std::string* busFolder_;
  static ChildProcess* bus_;
};

std::string* KdeDesktopTest::busFolder_ = nullptr;
ChildProcess* KdeDesktopTest::bus_ = nullptr;

// The JSON between "var saved = " and the first ";\n".
QJsonDocument SavedJson(const std::string& script) {
  const std::string head = "var saved = ";
  const std::string json = script.substr(head.size(), script.find(";\n") - head.size());
  return QJsonDocument::fromJson(QByteArray::fromStdString(json));
}

// The script starts with a literal that holds nothing but URL characters, so
// no byte of the path can end the string or start a statement.
bool IsInertUrlLiteral(const std::string& script) {
  const std::string head = "var url = 'file:///";
  const std::size_t end = script.find("';\n");
  if (script.rfind(head, 0) != 0 || end == std::string::npos) return false;
  const std::string body = script.substr(head.size(), end - head.size());
  return body.find_first_not_of(
             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%/._~-") ==
         std::string::npos;
}

TEST_F(KdeDesktopTest, SetsEveryDesktopAndWritesTheUsersValuesBack) {
  KdeDesktop desktop(state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
  EXPECT_EQ(Script(1), ReadDesktopsScript())
      << "the user's values are read before the first change";
  const std::string shownA = state + "/vendaro-shown-a.bmp";
  EXPECT_EQ(Script(2), SetImageScript(FileUrl(shownA)));
  EXPECT_TRUE(IsInertUrlLiteral(Script(2))) << Script(2);
  EXPECT_EQ(ReadFileBytes(shownA), ReadFileBytes(bmp)) << "Plasma reads the composed BMP itself";

  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 2)));
  EXPECT_EQ(Script(3), SetImageScript(FileUrl(state + "/vendaro-shown-b.bmp")))
      << "a new name to reload";
  EXPECT_FALSE(FileExists(shownA));

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  const std::string restore = Script(4);
  EXPECT_EQ(restore.find("\xe2\x80\xa8"), std::string::npos) << "U+2028 is escaped";
  EXPECT_EQ(SavedJson(restore), QJsonDocument::fromJson(kReply));
  EXPECT_FALSE(FileExists(state + "/vendaro-shown-b.bmp"));
  EXPECT_FALSE(FileExists(JournalPath(state)));
  EXPECT_EQ(desktop.BackgroundColor(), Rgb(10, 20, 30));
}

TEST_F(KdeDesktopTest, AKilledRunIsMendedAtTheNextStart) {
  std::string output;
  ASSERT_TRUE(testing::SetAndGetKilled(DesktopKind::Kde, state, bmp, 4, 4, 1, 2, 3, &output))
      << output;
  ASSERT_TRUE(HasScript(2));
  ASSERT_TRUE(RecoverFromJournal(state));
  EXPECT_EQ(SavedJson(Script(3)), QJsonDocument::fromJson(kReply));
  EXPECT_FALSE(FileExists(JournalPath(state)));
  EXPECT_FALSE(FileExists(state + "/vendaro-shown-a.bmp"));
}

TEST_F(KdeDesktopTest, AShellThatDoesNotAnswerGivesAnErrorAndChangesNothing) {
  WriteFileBytes(shell + "/hang", "");
  KdeDesktop desktop(state);
  Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1));
  EXPECT_FALSE(status);
  EXPECT_FALSE(FileExists(JournalPath(state)));
  fake.Stop();
  status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1));
  EXPECT_FALSE(status) << "no shell on the bus at all";
  EXPECT_TRUE(desktop.RestoreUserWallpaper()) << "nothing was changed, so nothing to give back";
}

}  // namespace
}  // namespace vendaro
