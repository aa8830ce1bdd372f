#include "model/size_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "support/test_environment.h"

namespace vendaro {
namespace {

namespace fs = std::filesystem;

// A probe that measures a file as (its size, 1), counting what it measured.
struct CountingProbe {
  std::mutex lock;
  std::map<std::string, int> asked;

  PictureProbe Fn() {
    return [this](const std::string& path) -> Result<PictureSize> {
      const std::lock_guard hold(lock);
      ++asked[path];
      std::error_code error;
      const auto bytes = fs::file_size(path, error);
      if (error) return Status::Error("cannot open");
      return PictureSize{static_cast<int>(bytes), 1};
    };
  }
};

struct Collection {
  std::string dir = testing::MakeTempDir("sizes");
  std::string cache = dir + "/cache";
  std::vector<std::string> paths;

  explicit Collection(int count) {
    for (int i = 0; i < count; ++i) {
      paths.push_back(dir + "/p" + std::to_string(i) + ".jpg");
      testing::WriteFileBytes(paths.back(), std::string(static_cast<std::size_t>(10 + i), 'x'));
    }
  }

  // Loads the list through a cache at `cache`, saving it afterwards.
  EntryList Load(CountingProbe& probe, unsigned threads = 1) const {
    PictureSizeCache sizes(cache);
    std::string text;
    for (const std::string& path : paths) text += path + "\n";
    EntryList list;
    EntriesFromPaths(ListLines(text), list, sizes.InFrontOf(probe.Fn()), threads);
    EXPECT_EQ(sizes.Save(), 0);
    return list;
  }
};

ino_t InodeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_ino;
}

TEST(PictureSizeCache, MeasuresAgainOnlyWhatChangedSinceTheLastLoad) {
  const struct {
    const char* change;
    void (*apply)(const std::string& path);
    bool measured;
    bool listed;
  } cases[] = {
      {"nothing", [](const std::string&) {}, false, true},
      {"content rewritten, longer",
       [](const std::string& p) { testing::WriteFileBytes(p, std::string(500, 'y')); }, true, true},
      {"same size, modified later",
       [](const std::string& p) {
         fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(3));
       },
       true, true},
      {"removed", [](const std::string& p) { fs::remove(p); }, true, false},
      {"replaced by a folder",
       [](const std::string& p) {
         fs::remove(p);
         fs::create_directory(p);
       },
       true, false},
  };
  for (const auto& c : cases) {
    const Collection pictures(3);
    CountingProbe first;
    const EntryList before = pictures.Load(first);
    EXPECT_EQ(first.asked.size(), 3u) << c.change;

    const std::string& changed = pictures.paths[1];
    c.apply(changed);
    CountingProbe second;
    const EntryList after = pictures.Load(second);
    EXPECT_EQ(second.asked.count(changed), c.measured ? 1u : 0u) << c.change;
    EXPECT_EQ(second.asked.size(), c.measured ? 1u : 0u) << c.change;
    // What a load without any cache gives.
    CountingProbe plain;
    EntryList expected;
    EntriesFromPaths(pictures.paths, expected, plain.Fn());
    EXPECT_EQ(after, expected) << c.change;
    EXPECT_EQ(after.size(), c.listed ? 3u : 2u) << c.change;
  }
}

TEST(PictureSizeCache, IgnoresAWholeFileThatIsForeignOrWrongInAnyLine) {
  // The first record lies about the size: read, it would show as 999 wide.
  const auto records = [](const Collection& p) {
    std::string text;
    for (std::size_t i = 0; i < 2; ++i) {
      struct stat st {};
      stat(p.paths[i].c_str(), &st);
      const long long ns = st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec;
      text += std::to_string(st.st_size) + " " + std::to_string(ns) + " 999 1 " + p.paths[i] + "\n";
    }
    return text;
  };
  const std::string header = "Vendaro picture sizes 1\n";
  // Each file is `before`, the two records, then `after`.
  const struct {
    const char* what;
    std::string before, after;
  } cases[] = {
      {"another version", "Vendaro picture sizes 2\n", ""},
      {"no header", "", ""},
      {"a picture's bytes", std::string("\x89PNG\r\n\x1a\n", 8), ""},
      {"last line not ended", header, "1 2 3 4 /x"},
      {"negative width", header, "1 2 -3 4 /x\n"},
      {"a word for a number", header, "1 2 three 4 /x\n"},
      {"width beyond an int", header, "1 2 4294967296 4 /x\n"},
      {"a field missing", header, "1 2 3 /x\n"},
      {"an empty path", header, "1 2 3 4 \n"},
      {"tag text in the path", header, "1 2 3 4 /a<n>b\n"},
      {"a NUL in the path", header, std::string("1 2 3 4 /a\0b\n", 13)},
      {"a path twice", header, "1 2 3 4 /x\n1 2 3 4 /x\n"},
  };
  for (const auto& c : cases) {
    const Collection pictures(2);
    testing::WriteFileBytes(pictures.cache, c.before + records(pictures) + c.after);
    CountingProbe probe;
    const EntryList list = pictures.Load(probe);
    EXPECT_EQ(probe.asked.size(), 2u) << c.what;
    ASSERT_EQ(list.size(), 2u) << c.what;
    EXPECT_EQ(list[0].width, 10) << c.what;
    // Rewritten whole: the next load measures nothing.
    CountingProbe next;
    EXPECT_EQ(pictures.Load(next), list) << c.what;
    EXPECT_TRUE(next.asked.empty()) << c.what;
  }
  // The same records, well formed, are believed: the lie shows.
  const Collection pictures(2);
  testing::WriteFileBytes(pictures.cache, header + records(pictures));
  CountingProbe probe;
  EXPECT_EQ(pictures.Load(probe)[0].width, 999);
  EXPECT_TRUE(probe.asked.empty());
}

TEST(PictureSizeCache, RefusesAFileLargerThanItsBound) {
  const Collection pictures(1);
  testing::WriteFileBytes(pictures.cache, "Vendaro picture sizes 1\n");
  ASSERT_EQ(truncate(pictures.cache.c_str(), kMaxSizeCacheBytes + 1), 0);
  EXPECT_EQ(PictureSizeCache(pictures.cache).size(), 0u);
}

TEST(PictureSizeCache, KeepsWhatTheLastLoadLookedUpAndRewritesOnlyOnChange) {
  Collection pictures(4);
  CountingProbe probe;
  pictures.Load(probe, 2);
  EXPECT_EQ(PictureSizeCache(pictures.cache).size(), 4u);

  // Nothing new: the file is left as it was.
  const ino_t written = InodeOf(pictures.cache);
  pictures.Load(probe, 2);
  EXPECT_EQ(InodeOf(pictures.cache), written);

  // A shorter list: the pictures it lost are forgotten.
  pictures.paths.resize(1);
  pictures.Load(probe);
  EXPECT_EQ(PictureSizeCache(pictures.cache).size(), 1u);
}

// Written twice, the path would make the next load distrust the whole file.
TEST(PictureSizeCache, APathMeasuredTwiceIsWrittenOnce) {
  const Collection pictures(1);
  CountingProbe probe;
  PictureSizeCache sizes(pictures.cache);
  const PictureProbe cached = sizes.InFrontOf(probe.Fn());
  EXPECT_TRUE(cached(pictures.paths[0]));
  testing::WriteFileBytes(pictures.paths[0], "longer than before");
  EXPECT_TRUE(cached(pictures.paths[0]));
  ASSERT_EQ(sizes.Save(), 0);
  CountingProbe next;
  EXPECT_EQ(pictures.Load(next)[0].width, 18);
  EXPECT_TRUE(next.asked.empty());
}

}  // namespace
}  // namespace vendaro
