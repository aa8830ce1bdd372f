#include "model/kept_round.h"

#include "model/path_lines.h"
#include "system/files.h"

namespace vendaro {
namespace {

constexpr std::string_view kHeader = "vendaro-round 1";
// 200,000 pictures with paths of 300 bytes fit; a larger file is not read
// (a new round begins) rather than held whole in memory.
constexpr std::int64_t kMaxFileBytes = 64 << 20;

}  // namespace

std::optional<GivenInRound> GivenFromRoundText(std::string_view text) {
  const TextLines split = SplitLines(text);
  const std::vector<std::string_view>& lines = split.lines;
  // The header must be whole: a file cut inside it was never a round.
  if (lines.empty() || lines[0] != kHeader || (split.cutShort && lines.size() == 1))
    return std::nullopt;
  GivenInRound given;
  given.cutShort = split.cutShort;
  const std::size_t whole = lines.size() - (split.cutShort ? 1 : 0);
  given.paths.reserve(whole - 1);
  for (std::size_t i = 1; i < whole; ++i) {
    std::optional<std::string> path = PathOfLine(lines[i]);
    if (!path) return std::nullopt;
    given.paths.push_back(std::move(*path));
  }
  return given;
}

std::string RoundText(const std::vector<std::string>& paths) {
  std::string text(kHeader);
  text += '\n';
  for (const std::string& path : paths) text += RoundLine(path);
  return text;
}

std::string RoundLine(const std::string& path) {
  return PathLine(path) + '\n';
}

std::optional<std::size_t> KeptRound::Next(const std::string& folder, const EntryList& list,
                                           PlatformRandom& random, const std::string& onScreen) {
  // An empty list (one not read yet, say) has no round to go on with.
  if (!read_ && !list.empty()) Read(folder, list, random, onScreen);
  const std::uint64_t rounds = round_.rounds();
  const std::optional<std::size_t> at = round_.Next(list, random, onScreen);
  if (at && !folder.empty()) Keep(folder, list[*at].path, round_.rounds() != rounds);
  return at;
}

// A file that is missing, unreadable, too large, foreign or damaged leaves
// the round to be dealt afresh, and the first picture of it rewrites the file.
void KeptRound::Read(const std::string& folder, const EntryList& list, PlatformRandom& random,
                     const std::string& onScreen) {
  read_ = true;
  if (folder.empty()) return;
  const FileBytes file = ReadWholeFile(folder + kRoundFileName, kMaxFileBytes);
  const std::optional<GivenInRound> given =
      file.error == 0 ? GivenFromRoundText(file.bytes) : std::nullopt;
  if (!given) return;
  round_.Resume(list, random, given->paths, onScreen);
  rewrite_ = given->cutShort;
}

void KeptRound::Keep(const std::string& folder, const std::string& path, bool newRound) {
  const std::string file = folder + kRoundFileName;
  if (!newRound && !rewrite_ && AppendToFile(file, RoundLine(path)) == 0) return;
  // A round that cannot be written is only a round that may begin again
  // after the next restart; the next picture tries once more.
  const std::string text = RoundText(newRound ? std::vector{path} : round_.Given());
  rewrite_ = ReplaceFileContents(file, text) != 0;
}

}  // namespace vendaro
