#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compose/compose_wallpaper.h"
#include "model/monitors.h"
#include "system/status.h"

namespace vendaro {

// The command line of vendaro-compose, checked but not yet acted on.
struct ComposeCommand {
  Options options;
  std::optional<ScreenSize> screen;        // --screen; the primary screen when absent
  std::optional<ScreenSize> recordedSize;  // --size; the measured size when absent
  bool explain = false;
  bool set = false;
  std::string picture;
  std::string output;  // empty: no file asked for
};

enum class ComposeAction { Compose, ShowHelp, ShowVersion };

struct ParsedComposeCommand {
  Status status;  // the one-line reason when the command line is unusable
  // The command line's shape is wrong (an unknown option, a missing value,
  // too few or too many files), not just a value: the usage follows the
  // reason.
  bool misused = false;
  ComposeAction action = ComposeAction::Compose;
  ComposeCommand command;
};

// Options start at the settings file's defaults; --settings FILE replaces
// every display option with the file's values (as start-up reads them), and
// options after it override those.  --help and --version end the reading
// where they stand: an error before them still counts.
ParsedComposeCommand ParseComposeCommand(const std::vector<std::string>& arguments);

// The monitors to compose for: those of the display (`display`, the primary
// first), with --screen standing for the primary's size; without a display,
// one monitor of --screen's size (none without --screen either).  Only the
// primary unless `everyMonitor` (--set).
MonitorLayout CommandLayout(const std::optional<ScreenSize>& screen, const MonitorLayout& display,
                            bool everyMonitor);

// The synopsis, printed after a misuse; the whole help for --help, every
// option with its meaning.
const char* ComposeUsage();
std::string ComposeHelp();

// The two lines --explain prints, each ending in a newline.
std::string ExplainOptions(const Options& options);
std::string ExplainPlacement(const Placement& placement);

}  // namespace vendaro
