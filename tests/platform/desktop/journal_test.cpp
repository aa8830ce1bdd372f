#include <gtest/gtest.h>

#include "platform/desktop/restore_journal.h"
#include "platform/desktop/shown_file.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::MakeTempDir;

TEST(RestoreJournal, KeepsEveryByteAndTheOrder) {
  const std::string folder = MakeTempDir("journal");
  RestoreJournal journal;
  journal.kind = DesktopKind::Xfce;
  journal.Add("xfconf /backdrop/a=b/last-image", "set:/home/x/new\nline %41 \r\x01\xff=");
  journal.Add("file", "");
  journal.Add("file", "second");
  journal.Add("", "=");
  ASSERT_TRUE(WriteJournal(folder, journal));

  const Result<std::optional<RestoreJournal>> read = ReadJournal(folder);
  ASSERT_TRUE(read) << read.message();
  ASSERT_TRUE(*read);
  EXPECT_EQ(**read, journal);
  EXPECT_EQ((*read)->All("file"), (std::vector<std::string>{"", "second"}));

  ASSERT_TRUE(RemoveJournal(folder));
  const Result<std::optional<RestoreJournal>> none = ReadJournal(folder);
  EXPECT_TRUE(none) << "no journal is not an error";
  EXPECT_FALSE(*none);
  EXPECT_TRUE(RemoveJournal(folder)) << "removing twice is harmless";
}

TEST(RestoreJournal, DamagedFilesAreReportedNotGuessed) {
  for (const char* text : {"", "garbage\n", "backend=nosuch\n", "backend=kde\nno separator\n",
                           "backend=kde\nkey=bad %Z1 escape\n"}) {
    const std::string folder = MakeTempDir("journal");
    testing::WriteFileBytes(JournalPath(folder), text);
    EXPECT_FALSE(ReadJournal(folder)) << text;
    // Recovery reports it and drops it: it can never be put back, and it
    // must not block the journals of later runs.
    EXPECT_FALSE(RecoverFromJournal(folder)) << text;
    EXPECT_FALSE(testing::FileExists(JournalPath(folder))) << text;
  }
}

// Only we write in the private folder: what a killed run left (its composed
// bitmap, a half-written copy, shown files nobody names) goes at the next
// start; anything else stays.
TEST(RestoreJournal, TheNextStartClearsWhatEarlierRunsLeft) {
  const std::string folder = MakeTempDir("left");
  for (const char* name : {"photo.jpg.bmp", "photo.jpg.bmp.Ab12Cd", "vendaro-shown-1-2.bmp",
                           "vendaro-shown-3-4.png", "notes.txt"})
    testing::WriteFileBytes(folder + "/" + name, "x");
  EXPECT_TRUE(RecoverFromJournal(folder));
  EXPECT_TRUE(testing::FileExists(folder + "/notes.txt"));
  for (const char* name :
       {"photo.jpg.bmp", "photo.jpg.bmp.Ab12Cd", "vendaro-shown-1-2.bmp", "vendaro-shown-3-4.png"})
    EXPECT_FALSE(testing::FileExists(folder + "/" + name)) << name;
}

TEST(ShownFormat, BmpOnlyWhereGdkPixbufListsALoaderForIt) {
  const std::pair<const char*, ShownFormat> rows[] = {
      {"\"/usr/lib/gdk-pixbuf-2.0/2.10.0/loaders/libpixbufloader-bmp.so\"\n"
       "\"bmp\" 5 \"gdk-pixbuf\" \"BMP\" \"LGPL\"\n\"image/bmp\" \"image/x-bmp\" \"\"\n",
       ShownFormat::Bmp},
      {"\"png\" 5 \"gdk-pixbuf\" \"PNG\" \"LGPL\"\n\"image/png\" \"\"\n", ShownFormat::Png},
      {"", ShownFormat::Png},
  };
  for (const auto& [cache, format] : rows) EXPECT_EQ(FormatFromLoaderCache(cache), format) << cache;
}

}  // namespace
}  // namespace vendaro
