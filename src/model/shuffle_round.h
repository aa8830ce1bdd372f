#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/entry_list.h"
#include "model/platform_random.h"

namespace vendaro {

// Random order without repeats: every picture of the list once, in an order
// dealt from the program's own generator, before any picture comes again.
// A new round never starts with the picture the last one ended on.  Rounds
// hold paths, so an edited list keeps what it can: pictures taken out leave
// the round, new ones join what is left of it, and those already shown wait
// for the next round.
class ShuffleRound {
 public:
  // The position in `list` of the next picture of the round; nothing for an
  // empty list.  `onScreen` is the path shown now, which a fresh round does
  // not begin with.
  std::optional<std::size_t> Next(const EntryList& list, PlatformRandom& random,
                                  const std::string& onScreen);

  // Goes on with a round of which `shown` were already shown (one kept over
  // a restart): the pictures of `list` not among them are dealt as what is
  // left of it, so pictures gone from the list are dropped and new ones
  // join.  When nothing is left, the next picture begins a new round.
  void Resume(const EntryList& list, PlatformRandom& random, const std::vector<std::string>& shown,
              const std::string& onScreen);

  // The pictures still to come in this round, the next one last.
  const std::vector<std::string>& waiting() const { return waiting_; }
  // The pictures of the list this round has given so far, in no order.
  std::vector<std::string> Given() const;
  // How many rounds were dealt: a new number after Next means it began one.
  std::uint64_t rounds() const { return rounds_; }

 private:
  void FollowList(const EntryList& list, PlatformRandom& random);
  void Deal(const EntryList& list, PlatformRandom& random, const std::string& onScreen);
  void NotFirst(const std::string& onScreen);

  // Still to come, the next at the back so that taking it is cheap.
  std::vector<std::string> waiting_;
  // How many times each path of the list was dealt into this round (a path
  // the list holds twice comes twice).
  std::unordered_map<std::string, std::size_t> dealt_;
  std::size_t fingerprint_ = 0;  // of the list the round followed last
  std::uint64_t rounds_ = 0;
};

}  // namespace vendaro
