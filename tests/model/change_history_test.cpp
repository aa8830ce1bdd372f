#include "model/change_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>

#include "support/test_environment.h"
#include "system/files.h"

namespace vendaro {
namespace {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Steps "+p" a picture landed, "<" Back, ">" Forward; the pictures in
// `gone` are out of the list.  Which picture each Back or Forward gave ("-"
// for none), then the paths kept.
std::string Walk(const std::string& steps, const std::string& gone) {
  const std::vector<std::string> out = Words(gone);
  auto known = [&](const std::string& path) { return std::ranges::find(out, path) == out.end(); };
  ChangeHistory history;
  std::string answers;
  for (const std::string& step : Words(steps)) {
    if (step[0] == '+') {
      history.Landed(step.substr(1));
      continue;
    }
    const auto got = step == "<" ? history.Back(known) : history.Forward(known);
    answers += got.value_or("-") + " ";
    // Where a step leads, the picture is shown: the change lands on it.
    if (got) history.Landed(*got);
  }
  answers += "|";
  for (const std::string& path : history.paths()) answers += " " + path;
  return answers;
}

TEST(ChangeHistory, StepsBackAndForwardAndForgetsAheadOnANewPicture) {
  const struct {
    const char *steps, *gone, *expected;
  } rows[] = {
      {"+a +b +c < < > > >", "", "b a b c - | a b c"},
      {"+a < <", "", "- - | a"},                 // the oldest stays
      {"+a +b +c < < +d >", "", "b a - | a d"},  // what lay ahead is dropped
      {"+a +a +b <", "", "a | a b"},
      {"+a +b +c +d < <", "c b", "a - | a d"},  // gone ones skipped and forgotten
      {"+a +b +c < < > >", "c", "b a b - | a b"},
  };
  for (const auto& row : rows) EXPECT_EQ(Walk(row.steps, row.gone), row.expected) << row.steps;
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

// A damaged or missing file is an empty history; a good one is read back in
// the scheduler's restart tests.
TEST(ChangeHistory, DamagedOrMissingFileIsAnEmptyHistory) {
  const std::string folder = testing::MakeTempDir("history") + "/";
  testing::WriteFileBytes(folder + kHistoryFileName, "damaged\n");
  EXPECT_TRUE(LoadChangeHistory(folder).empty());
  EXPECT_TRUE(LoadChangeHistory(folder + "missing/").empty());
}

}  // namespace
}  // namespace vendaro
