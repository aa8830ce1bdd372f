#include "model/change_history.h"

#include <gtest/gtest.h>

#include <set>

#include "support/test_environment.h"
#include "system/files.h"

namespace vendaro {
namespace {

// A history built by a run of steps: "+p" a picture landed, "<" Back, ">"
// Forward; pictures outside `known` are gone from the list.
struct Walk {
  ChangeHistory history;
  std::vector<std::string> answers;  // what each step gave ("-" for nothing)
};

Walk Steps(const std::vector<std::string>& steps, const std::set<std::string>& gone = {}) {
  Walk walk;
  auto known = [&](const std::string& path) { return !gone.contains(path); };
  for (const std::string& step : steps) {
    std::optional<std::string> got;
    if (step[0] == '+') {
      walk.history.Landed(step.substr(1));
      continue;
    }
    got = step == "<" ? walk.history.Back(known) : walk.history.Forward(known);
    walk.answers.push_back(got.value_or("-"));
    // Where a step leads, the picture is shown: the change lands on it.
    if (got) walk.history.Landed(*got);
  }
  return walk;
}

TEST(ChangeHistory, StepsBackAndForwardAndForgetsAheadOnANewPicture) {
  struct Row {
    const char* what;
    std::vector<std::string> steps;
    std::set<std::string> gone;
    std::vector<std::string> answers;
    std::vector<std::string> paths;
  };
  const Row rows[] = {
      {"back twice, forward twice, then past the end",
       {"+a", "+b", "+c", "<", "<", ">", ">", ">"},
       {},
       {"b", "a", "b", "c", "-"},
       {"a", "b", "c"}},
      {"back at the oldest stays", {"+a", "<", "<"}, {}, {"-", "-"}, {"a"}},
      {"a new picture after going back drops what lay ahead",
       {"+a", "+b", "+c", "<", "<", "+d", ">"},
       {},
       {"b", "a", "-"},
       {"a", "d"}},
      {"the same picture twice is one step", {"+a", "+a", "+b", "<"}, {}, {"a"}, {"a", "b"}},
      {"pictures gone from the list are skipped and forgotten",
       {"+a", "+b", "+c", "+d", "<", "<"},
       {"c", "b"},
       {"a", "-"},
       {"a", "d"}},
      {"gone ahead too",
       {"+a", "+b", "+c", "<", "<", ">", ">"},
       {"c"},
       {"b", "a", "b", "-"},
       {"a", "b"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Walk walk = Steps(row.steps, row.gone);
    EXPECT_EQ(walk.answers, row.answers);
    EXPECT_EQ(walk.history.paths(), row.paths);
  }
}

TEST(ChangeHistory, TextReadsBackAnyPathAndRefusesAnythingElse) {
  ChangeHistory history;
  for (const char* path : {"/a b/zdjęcie.jpg", "/x\\y/line\nbreak.png", "/z\\n.png", "/c.png"})
    history.Landed(path);
  history.Back([](const std::string&) { return true; });
  const std::string text = history.Text();
  const std::optional<ChangeHistory> back = ChangeHistory::FromText(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->paths(), history.paths());
  EXPECT_EQ(back->cursor(), history.cursor());

  const std::size_t firstPath = text.find('\n', text.find('\n') + 1) + 1;
  std::string tooMany = text.substr(0, firstPath);
  for (std::size_t i = 0; i <= ChangeHistory::kLimit; ++i) tooMany += "/p\n";
  const std::string bad[] = {
      "",
      text.substr(0, text.size() - 1),                                 // cut inside the last line
      "other-program 1" + text.substr(text.find('\n')),                // not ours
      text.substr(0, firstPath - 2) + "9\n" + text.substr(firstPath),  // cursor past the end
      text.substr(0, firstPath - 2) + "-1\n" + text.substr(firstPath),
      text + "\n",           // an empty path
      text + "/d\\q.png\n",  // an escape we never write
      text + "/d\r\n",
      tooMany,
  };
  for (const std::string& damaged : bad) {
    SCOPED_TRACE(damaged.substr(0, 60));
    EXPECT_FALSE(ChangeHistory::FromText(damaged));
  }
}

TEST(ChangeHistory, FileSurvivesARestartAndADamagedOneIsIgnored) {
  const std::string folder = testing::MakeTempDir("history") + "/";
  ChangeHistory history;
  history.Landed("/a.jpg");
  history.Landed("/b.jpg");
  ASSERT_EQ(SaveChangeHistory(folder, history), 0);
  EXPECT_EQ(LoadChangeHistory(folder).paths(), history.paths());

  testing::WriteFileBytes(folder + kHistoryFileName, "vendaro-history 1\n7\n/a.jpg\n");
  EXPECT_TRUE(LoadChangeHistory(folder).empty());
  EXPECT_TRUE(LoadChangeHistory(folder + "missing/").empty());
}

}  // namespace
}  // namespace vendaro
