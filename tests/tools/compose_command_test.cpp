#include "tools/compose_command.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "support/test_environment.h"

namespace vendaro {
namespace {

// What --explain's line gives for `name`, by name, so that the tests hold
// whatever other options the line lists.
std::string Explained(const Options& options, const std::string& name) {
  const std::string line = ExplainOptions(options);
  const std::size_t at = line.find(" " + name + "=");
  if (line.rfind("options:", 0) != 0 || at == std::string::npos) return "(not explained)";
  const std::size_t from = at + name.size() + 2;
  return line.substr(from, line.find_first_of(" \n", from) - from);
}

TEST(ParseComposeCommand, DefaultsAreTheSettingsFileDefaults) {
  const ParsedComposeCommand p = ParseComposeCommand({"pic.png"});
  ASSERT_TRUE(p.status.ok()) << p.status.message();
  EXPECT_EQ(ExplainOptions(p.command.options), ExplainOptions(Options{}));
  EXPECT_EQ(p.command.picture, "pic.png");
  EXPECT_TRUE(p.command.output.empty());
  EXPECT_FALSE(p.command.screen);
  EXPECT_FALSE(p.command.recordedSize);
}

TEST(ParseComposeCommand, EveryOptionLandsInItsField) {
  const ParsedComposeCommand p = ParseComposeCommand(
      {"--screen", "1366x768", "--size",    "0x5",     "--mode",    "4",        "--align",
       "8",        "--fill",   "2",         "--color", "$00FFEAD7", "--interp", "1",
       "--smooth", "1",        "--explain", "--set",   "a.jpg",     "out.bmp"});
  ASSERT_TRUE(p.status.ok()) << p.status.message();
  const ComposeCommand& c = p.command;
  const std::pair<const char*, const char*> explained[] = {
      {"mode", "4"},   {"align", "8"},  {"fill", "2"},
      {"interp", "1"}, {"smooth", "1"}, {"color", "$00FFEAD7"},
  };
  for (const auto& [name, value] : explained) EXPECT_EQ(Explained(c.options, name), value) << name;
  EXPECT_TRUE(ExplainOptions(c.options).ends_with("\n"));
  EXPECT_EQ(c.screen->width, 1366);
  EXPECT_EQ(c.screen->height, 768);
  EXPECT_EQ(c.recordedSize->width, 0);
  EXPECT_TRUE(c.explain);
  EXPECT_TRUE(c.set);
  EXPECT_EQ(c.output, "out.bmp");
}

TEST(ParseComposeCommand, SettingsFileThenLaterOptionsOverride) {
  const std::string ini = testing::MakeTempDir("cli") + "/vendaro.ini";
  testing::WriteFileBytes(ini,
                          "[Zmiany]\r\nRozciagniecie=3\r\nWyrownanie=5\r\nBraki=2\r\n"
                          "Kolor=clRed\r\nInterpolacja=9\r\nWygladzenie=1\r\n");
  const ParsedComposeCommand p =
      ParseComposeCommand({"--mode", "1", "--settings", ini, "--align", "2", "p.png"});
  ASSERT_TRUE(p.status.ok()) << p.status.message();
  // The mode before --settings is replaced; interpolation 9 is out of range.
  const std::pair<const char*, const char*> explained[] = {
      {"mode", "3"},   {"align", "2"},  {"fill", "2"},
      {"interp", "0"}, {"smooth", "1"}, {"color", "clRed"},
  };
  for (const auto& [name, value] : explained)
    EXPECT_EQ(Explained(p.command.options, name), value) << name;
}

// Every choice the command line takes, at each end of its range and past it:
// the value lands in its own field and nowhere else.
TEST(ParseComposeCommand, EachChoiceTakesItsWholeRangeAndNoMore) {
  for (const OptionKey& key : kOptionKeys) {
    const auto* choice = std::get_if<ChoiceField>(&key.field);
    if (!choice || !choice->info->onCommandLine) continue;
    const std::string option = std::string("--") + choice->info->name;
    const int last = choice->info->maximum();
    for (const int index : {0, last}) {
      const ParsedComposeCommand p = ParseComposeCommand({option, std::to_string(index), "a.png"});
      ASSERT_TRUE(p.status.ok()) << option << " " << index << ": " << p.status.message();
      EXPECT_EQ(choice->get(p.command.options), index) << option;
      Options expected;
      choice->set(expected, index);
      EXPECT_EQ(ExplainOptions(p.command.options), ExplainOptions(expected)) << option;
    }
    const ParsedComposeCommand past =
        ParseComposeCommand({option, std::to_string(last + 1), "a.png"});
    EXPECT_FALSE(past.status.ok()) << option;
    EXPECT_FALSE(past.misused) << option;
  }
}

TEST(ParseComposeCommand, BadInputIsRefusedWithOneLine) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"a.png", "b.bmp", "c"},
      {"--mode", "5", "a.png"},
      {"--mode", "-1", "a.png"},
      {"--align", "9", "a.png"},
      {"--fill", "x", "a.png"},
      {"--interp", "3", "a.png"},
      {"--smooth", "2", "a.png"},
      {"--screen", "0x768", "a.png"},
      {"--screen", "1024", "a.png"},
      {"--screen", "1024x768x2", "a.png"},
      {"--size", "-1x5", "a.png"},
      {"--color", "clNoSuchColour", "a.png"},
      {"--settings", "/no/such/vendaro.ini", "a.png"},
      {"--bogus", "a.png"},
      {"a.png", "--mode"},
      {"odd</w>name.png"},
  };
  for (const auto& args : cases) {
    const ParsedComposeCommand p = ParseComposeCommand(args);
    EXPECT_FALSE(p.status.ok()) << ::testing::PrintToString(args);
    EXPECT_EQ(p.status.message().find('\n'), std::string::npos);
  }
}

TEST(ExplainPlacement, NamesKindAndRectangle) {
  EXPECT_EQ(ExplainPlacement({PlacementKind::Scaled, -2728, 0, 6480, 768, false}),
            "placement: Scaled x=-2728 y=0 w=6480 h=768 edgeFill=0\n");
  EXPECT_EQ(ExplainPlacement({PlacementKind::Unscaled, 112, 84, 800, 600, true}),
            "placement: Unscaled x=112 y=84 w=800 h=600 edgeFill=1\n");
}

TEST(CommandLayout, ScreenStandsForThePrimary) {
  const Monitor a{"A", {0, 0, 1920, 1080}, false}, b{"B", {1920, 0, 1280, 1024}, true};
  struct Row {
    const char* name;
    std::optional<ScreenSize> screen;
    MonitorLayout display;
    bool every;
    MonitorLayout expected;
  };
  const Row rows[] = {
      {"no display, --screen",
       ScreenSize{800, 600},
       {},
       true,
       {{"screen", {0, 0, 800, 600}, true}}},
      {"no display, no --screen", std::nullopt, {}, true, {}},
      {"every monitor, the primary first", std::nullopt, {a, b}, true, {b, a}},
      {"--screen resizes the primary in place",
       ScreenSize{640, 480},
       {a, b},
       true,
       {{"B", {1920, 0, 640, 480}, true}, a}},
      {"without --set only the primary", std::nullopt, {a, b}, false, {b}},
      {"no primary named: the first", std::nullopt, {a}, false, {{"A", {0, 0, 1920, 1080}, true}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(CommandLayout(row.screen, row.display, row.every), row.expected);
  }
}

TEST(ParseComposeCommand, HelpVersionAndMisuseAreToldApart) {
  struct Row {
    std::vector<std::string> args;
    bool ok;
    ComposeAction action;
    bool misused;  // the usage follows the reason
  };
  const Row rows[] = {
      {{"--help"}, true, ComposeAction::ShowHelp, false},
      {{"--version"}, true, ComposeAction::ShowVersion, false},
      {{"--mode", "2", "--help", "a.png"}, true, ComposeAction::ShowHelp, false},
      {{"--version", "--bogus"}, true, ComposeAction::ShowVersion, false},
      {{"--mode", "9", "--help"}, false, ComposeAction::Compose, false},
      {{"--bogus", "--help"}, false, ComposeAction::Compose, true},
      {{"--bogus", "a.png"}, false, ComposeAction::Compose, true},
      {{"a.png", "--mode"}, false, ComposeAction::Compose, true},
      {{}, false, ComposeAction::Compose, true},
      {{"a.png", "b.bmp", "c"}, false, ComposeAction::Compose, true},
      {{"--mode", "5", "a.png"}, false, ComposeAction::Compose, false},
      {{"--settings", "/no/such/vendaro.ini", "a.png"}, false, ComposeAction::Compose, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    const ParsedComposeCommand p = ParseComposeCommand(row.args);
    EXPECT_EQ(p.status.ok(), row.ok) << p.status.message();
    EXPECT_EQ(p.action, row.action);
    EXPECT_EQ(p.misused, row.misused);
  }
}

TEST(ComposeHelp, ListsEveryOptionOnItsOwnLine) {
  const std::string help = ComposeHelp();
  EXPECT_EQ(help.rfind(ComposeUsage(), 0), 0u) << "the help begins with the usage";
  for (const char* option : {"--screen SxW", "--size SxW", "--mode 0-4", "--align 0-8",
                             "--fill 0-2", "--color TEKST", "--interp 0-2", "--smooth 0-1",
                             "--settings PLIK", "--explain", "--set", "--help", "--version"})
    EXPECT_NE(help.find("\n  " + std::string(option) + " "), std::string::npos) << option;
}

}  // namespace
}  // namespace vendaro
