#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/entry_list.h"
#include "model/platform_random.h"
#include "model/shuffle_round.h"

namespace vendaro {

// A ShuffleRound kept in the state folder, so that a restart goes on with
// the round instead of dealing a new one (with a change at every system
// start, each start would otherwise be a first pick of a new round: plain
// random, repeats and all).  The file holds the pictures already given in
// this round, one a line: a change adds its line at the end, and only a new
// round writes the file afresh, so a list of 200,000 pictures costs a line a
// change, not the whole round.  Read back, the round is the list minus those
// pictures, dealt again with the generator.
class KeptRound {
 public:
  // As ShuffleRound::Next; the round is read from `folder` (ends with '/')
  // the first time and kept there after each picture.  An empty folder keeps
  // it in memory only.
  std::optional<std::size_t> Next(const std::string& folder, const EntryList& list,
                                  PlatformRandom& random, const std::string& onScreen);

  const ShuffleRound& round() const { return round_; }

 private:
  void Read(const std::string& folder, const EntryList& list, PlatformRandom& random,
            const std::string& onScreen);
  void Keep(const std::string& folder, const std::string& path, bool newRound);

  ShuffleRound round_;
  bool read_ = false;
  // The file cannot take a line at its end (cut short, gone, not written):
  // the next picture writes it whole.
  bool rewrite_ = false;
};

// The round file in the state folder.
inline constexpr const char* kRoundFileName = "round";

// The pictures a round file's text says were given; nothing when it is not
// wholly a round file this program wrote.  A last line without its break (a
// write cut short) is left out, and `cutShort` says there was one.
struct GivenInRound {
  std::vector<std::string> paths;
  bool cutShort = false;
};
std::optional<GivenInRound> GivenFromRoundText(std::string_view text);
// The text of a round file that has given `paths`.
std::string RoundText(const std::vector<std::string>& paths);
// One more picture given, as a line to add at the end of the file.
std::string RoundLine(const std::string& path);

}  // namespace vendaro
