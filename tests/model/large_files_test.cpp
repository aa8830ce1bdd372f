// List and settings files of millions of lines, or of odd line ends, read in
// time and memory in proportion to their size, not to their line count.
#include <gtest/gtest.h>

#include <string>

#include "model/entry_list.h"
#include "model/settings.h"
#include "support/heap_peak.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::HeapPeak;

constexpr std::size_t kTenMegabytes = 10u << 20;
// Beside the file's own bytes, which are read whole.
constexpr std::int64_t kAllowed = 100LL << 20;

// Text of about ten megabytes: `unit` repeated, then `tail`.
std::string Repeated(const std::string& unit, const std::string& tail = "") {
  std::string text;
  text.reserve(kTenMegabytes + tail.size());
  while (text.size() + unit.size() <= kTenMegabytes) text += unit;
  return text + tail;
}

struct LargeFile {
  const char* name;
  std::string bytes;
};

TEST(LargeListFiles, ReadInMemoryInProportionToTheirSize) {
  const std::string dir = testing::MakeTempDir("large-lists");
  const LargeFile cases[] = {
      {"bare-cr", Repeated("\r", "/last.jpg")},
      {"bare-lf", Repeated("\n", "/last.jpg")},
      {"short-lines", Repeated("a\r\n", "/last.jpg")},
  };
  for (const LargeFile& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/" + c.name + ".vdl";
    testing::WriteFileBytes(path, c.bytes);
    int probed = 0;
    EntryList list;
    {
      const HeapPeak peak(kAllowed);
      const auto lines = ReadListFile(path);
      ASSERT_TRUE(lines.ok()) << lines.message();
      EntriesFromPaths(*lines, list, [&](const std::string& p) -> Result<PictureSize> {
        ++probed;
        if (p == "/last.jpg") return PictureSize{4, 3};
        return Status::Error("no picture");
      });
      EXPECT_TRUE(peak.within()) << peak.bytes() / (1 << 20) << " MB";
    }
    EXPECT_EQ(list, EntryList{MakeEntry("/last.jpg", 4, 3)});
    EXPECT_LE(probed, 2);  // each distinct path once
  }
}

TEST(LargeListFiles, EachDistinctPathIsProbedOnce) {
  const std::string dir = testing::MakeTempDir("copies");
  std::string text;
  for (int i = 0; i < 327680; ++i) text += i % 2 ? "/pictures/one.jpg\r\n" : "/pictures/one.jpg\n";
  text += "/pictures/two.jpg\r\n/pictures/one.jpg";
  testing::WriteFileBytes(dir + "/copies.vdl", text);
  std::map<std::string, int> asked;
  EntryList list;
  const auto lines = ReadListFile(dir + "/copies.vdl");
  ASSERT_TRUE(lines.ok()) << lines.message();
  EntriesFromPaths(*lines, list, [&](const std::string& p) -> Result<PictureSize> {
    ++asked[p];
    return PictureSize{8, 6};
  });
  EXPECT_EQ(list, (EntryList{MakeEntry("/pictures/one.jpg", 8, 6),
                             MakeEntry("/pictures/two.jpg", 8, 6)}));
  EXPECT_EQ(asked,
            (std::map<std::string, int>{{"/pictures/one.jpg", 1}, {"/pictures/two.jpg", 1}}));
}

TEST(LargeSettingsFiles, ReadInMemoryInProportionToTheirSize) {
  const std::string dir = testing::MakeTempDir("large-settings");
  const std::string options = "[Zmiany]\r\nRozciagniecie=3\r\nOstatnia pozycja=7\r\n";
  const LargeFile cases[] = {
      {"bare-cr", options + Repeated("\r")},
      {"short-lines", options + Repeated("k=1\n")},
      {"short-lines-before", Repeated("x=1\n") + options},
      {"sections", Repeated("[s]\n") + options},
  };
  for (const LargeFile& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/" + c.name + ".ini";
    testing::WriteFileBytes(path, c.bytes);
    const HeapPeak peak(kAllowed);
    const Settings s = LoadSettings(path);
    EXPECT_TRUE(peak.within()) << peak.bytes() / (1 << 20) << " MB";
    EXPECT_EQ(s.DisplayMode, 3);
    EXPECT_EQ(s.CurrentPosition, 7);
  }
}

TEST(LargeSettingsFiles, BeyondTheLimitReadAsDefaultsAndAreNeverWrittenOver) {
  const std::string path = testing::MakeTempDir("huge-settings") + "/vendaro.ini";
  const std::string bytes = "[Zmiany]\r\nRozciagniecie=3\r\n" + std::string(33u << 20, ' ');
  testing::WriteFileBytes(path, bytes);
  EXPECT_EQ(LoadSettings(path).DisplayMode, 0);
  EXPECT_FALSE(SavePosition(path, 4, 0, {}).ok());
  EXPECT_TRUE(testing::ReadFileBytes(path) == bytes);
}

TEST(LargeListFiles, BeyondTheLimitAreRefusedNamingTheFile) {
  const std::string path = testing::MakeTempDir("huge-list") + "/default.vdl";
  testing::WriteFileBytes(path, std::string(33u << 20, '\r'));
  const auto lines = ReadListFile(path);
  ASSERT_FALSE(lines.ok());
  EXPECT_NE(lines.message().find(path), std::string::npos) << lines.message();
}

}  // namespace
}  // namespace vendaro
