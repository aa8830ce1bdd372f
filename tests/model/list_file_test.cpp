#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "model/entry_list.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> FolderNames(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(dir)) {
    names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct ReadCase {
  std::string bytes;
  Lines lines;
};

// The lines of a list file that must be readable.
Lines LinesOf(const std::string& path) {
  const Result<ListLines> read = ReadListFile(path);
  EXPECT_TRUE(read.ok()) << read.message();
  return read ? read->Strings() : Lines{};
}

TEST(ReadListFile, SplitsAtEveryKindOfLineEnd) {
  const ReadCase cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},  // last line without an end
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\r", {"a", ""}},
      {"\r\n", {""}},
      {"", {}},
      {"  a b  \r\n\tc\t", {"  a b  ", "\tc\t"}},      // nothing is trimmed
      {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},  // stops at the first NUL
      {std::string("\0a\r\n", 4), {}},
      {"\xff\xfe\xc3(\r\n/\xe9t\xe9.jpg", {"\xff\xfe\xc3(", "/\xe9t\xe9.jpg"}},
  };
  const std::string dir = testing::MakeTempDir("read");
  for (const ReadCase& c : cases) {
    testing::WriteFileBytes(dir + "/list.vdl", c.bytes);
    EXPECT_EQ(LinesOf(dir + "/list.vdl"), c.lines) << ::testing::PrintToString(c.bytes);
  }
}

TEST(ReadListFile, TakesLongLinesAndBinaryJunkByteForByte) {
  const std::string dir = testing::MakeTempDir("junk");
  const std::string longLine(100000, 'x');
  testing::WriteFileBytes(dir + "/long.vdl", longLine + "\r\n/b.jpg");
  EXPECT_EQ(LinesOf(dir + "/long.vdl"), (Lines{longLine, "/b.jpg"}));

  std::mt19937 gen(11);
  std::uniform_int_distribution<int> byte(1, 255);
  std::string junk;
  for (int i = 0; i < 200000; ++i) junk.push_back(char(byte(gen)));
  testing::WriteFileBytes(dir + "/junk.vdl", junk);
  const Lines lines = LinesOf(dir + "/junk.vdl");
  std::string rejoined;
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    rejoined += line;
  }
  std::string withoutEnds = junk;
  std::erase_if(withoutEnds, [](char c) { return c == '\r' || c == '\n'; });
  EXPECT_EQ(rejoined, withoutEnds);
}

TEST(ReadListFile, MissingFileFailsNamingIt) {
  const std::string path = testing::MakeTempDir("missing") + "/none.vdl";
  const auto read = ReadListFile(path);
  EXPECT_FALSE(read.ok());
  EXPECT_NE(read.message().find(path), std::string::npos);
}

TEST(WriteListFile, WritesPathsWithCrLfAndReadsBack) {
  const std::string dir = testing::MakeTempDir("write");
  const std::string path = dir + "/default.vdl";
  const EntryList list{MakeEntry("C:\\Foto\\las.jpg", 1024, 768),
                       MakeEntry("/home/u/\xc5\xbc\xff.png", 1, 2), MakeEntry(" sp ", 3, 4)};
  ASSERT_TRUE(WriteListFile(path, list).ok());
  EXPECT_EQ(testing::ReadFileBytes(path),
            "C:\\Foto\\las.jpg\r\n/home/u/\xc5\xbc\xff.png\r\n sp \r\n");
  EXPECT_EQ(LinesOf(path), (Lines{"C:\\Foto\\las.jpg", "/home/u/\xc5\xbc\xff.png", " sp "}));
  EXPECT_EQ(FolderNames(dir), (Lines{"default.vdl"}));
}

TEST(WriteListFile, ReplacesKeepingPermissionsAndLinks) {
  const std::string dir = testing::MakeTempDir("replace");
  const std::string real = dir + "/real.vdl";
  testing::WriteFileBytes(real, "old\r\n");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink("real.vdl", (dir + "/link.vdl").c_str()), 0);
  ASSERT_TRUE(WriteListFile(dir + "/link.vdl", {MakeEntry("/new.jpg", 1, 1)}).ok());
  EXPECT_EQ(testing::ReadFileBytes(real), "/new.jpg\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.vdl"));
  struct stat st {};
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FolderNames(dir), (Lines{"link.vdl", "real.vdl"}));
}

TEST(WriteListFile, FailureNamesTheFileAndLeavesNothing) {
  const std::string dir = testing::MakeTempDir("fail");
  const std::string path = dir + "/no-such-folder/list.vdl";
  const Status status = WriteListFile(path, {MakeEntry("/a.jpg", 1, 1)});
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.message().find(path), std::string::npos);
  EXPECT_TRUE(FolderNames(dir).empty());
}

}  // namespace
}  // namespace vendaro
