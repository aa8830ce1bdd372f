#include "model/wallpaper_entry.h"

#include <gtest/gtest.h>

namespace vendaro {
namespace {

TEST(EntryText, ConcatenatesPathAndDecimalSize) {
  EXPECT_EQ(EntryText(MakeEntry("D:\\Tapety\\morze.png", 800, 600)),
            "<n>D:\\Tapety\\morze.png</n><w>800</w><h>600</h>");
  EXPECT_EQ(EntryText(MakeEntry("/x y/ż.jpg", 0, 0)), "<n>/x y/ż.jpg</n><w>0</w><h>0</h>");
}

struct TagCase {
  const char* entry;
  const char* tag;
  const char* expected;
};

TEST(TagValue, FollowsTheSearchRules) {
  const std::string morze = EntryText(MakeEntry("D:\\Tapety\\morze.png", 800, 600));
  const TagCase cases[] = {
      {morze.c_str(), "<n>", "D:\\Tapety\\morze.png"},
      {morze.c_str(), "<w>", "800"},
      {morze.c_str(), "<h>", "600"},
      {morze.c_str(), "<x>", ""},           // tag the entry lacks
      {"<n>/a.jpg<w>1</w>", "<n>", ""},     // closing tag missing
      {"<n></n><w>1</w>", "<n>", ""},       // empty value
      {"</n><n>/a.jpg</n>", "<n>", ""},     // closing searched from the entry start
      {"<w>5</w><n>/a</n>", "<n>", "/a"},   // order does not matter otherwise
      {"<n>/a</n><n>/b</n>", "<n>", "/a"},  // first occurrence wins
      {"abc<n>", "<n>", ""},                // tag at the very end
      {"", "<n>", ""},
      {morze.c_str(), "", ""},
  };
  for (const TagCase& c : cases) {
    EXPECT_EQ(TagValue(c.entry, c.tag), c.expected) << c.entry << " " << c.tag;
  }
}

TEST(TagValue, KeepsBytesOfLongAndNonUtf8Paths) {
  const std::string path = "/p/" + std::string(40000, 'a') + "\xff\xfe.jpg";
  EXPECT_EQ(TagValue(EntryText(MakeEntry(path, 1, 2)), "<n>"), path);
}

TEST(IsAcceptedPictureName, LowerCasedExtensionMustBeInTheList) {
  const std::pair<const char*, bool> cases[] = {
      {"/a/x.JPEG", true}, {"/a/x.Tiff", true},      {"C:\\Foto\\LAS.JPG", true},
      {"x.bmp", true},     {"x.png", true},          {"x.gif", true},
      {"x.tif", true},     {"/a/.png", true},        {"a.tar.gif", true},
      {"x.jpe", false},    {"x.webp", false},        {"noextension", false},
      {"a.jpg.", false},   {"/dir.jpg/file", false}, {"C:\\dir.png\\file", false},
      {"", false},         {"x.jpg ", false},        {"x.JPG\xff", false},
  };
  for (const auto& [path, accepted] : cases) {
    EXPECT_EQ(IsAcceptedPictureName(path), accepted) << path;
  }
}

TEST(FileNamePart, CutsAfterTheLastSeparator) {
  EXPECT_EQ(FileNamePart("/home/u/a.jpg"), "a.jpg");
  EXPECT_EQ(FileNamePart("C:\\Foto\\las.jpg"), "las.jpg");
  EXPECT_EQ(FileNamePart("C:las.jpg"), "las.jpg");
  EXPECT_EQ(FileNamePart("plain"), "plain");
  EXPECT_EQ(FileNamePart("/dir/"), "");
  // On this system '\\' and ':' belong to names.
  EXPECT_EQ(FileNamePart("/home/u/Zdjecie 12:30.jpg"), "Zdjecie 12:30.jpg");
  EXPECT_EQ(FileNamePart("/home/u/a\\b.jpg"), "a\\b.jpg");
}

TEST(IsStorablePath, RefusesWhatWouldBreakAnEntryOrALine) {
  EXPECT_TRUE(IsStorablePath("/a <b> c.jpg"));
  EXPECT_FALSE(IsStorablePath("/a</n>b.jpg"));
  EXPECT_FALSE(IsStorablePath("/a<w>.jpg"));
  EXPECT_FALSE(IsStorablePath("/a\nb.jpg"));
  EXPECT_FALSE(IsStorablePath("/a\rb.jpg"));
  EXPECT_FALSE(IsStorablePath(std::string("/a\0b.jpg", 8)));
}

}  // namespace
}  // namespace vendaro
