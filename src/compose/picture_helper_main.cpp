// The helper's side of PictureHelpers: one request at a time from standard
// input, each under the limits it carries, answered on standard output.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "compose/format_readers.h"
#include "compose/picture_helpers.h"
#include "compose/probe.h"
#include "compose/renderer.h"
#include "system/bounded_child.h"
#include "system/mapped_memory.h"
#include "system/process.h"

#ifdef VENDARO_TEST_HOOKS
#include <csignal>
#endif

namespace vendaro {
namespace {

constexpr std::size_t kReadChunk = 65536;
// The caller's wall clock ends a request first (given again while the helper
// waits for a processor); the helper's own alarm is for a caller that is gone.
constexpr int kAlarmSlackSeconds = 2;

template <typename T>
bool ReadNumber(const std::string& text, T& value) {
  const auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && ptr == text.data() + text.size();
}

bool ReadChoice(const std::string& text, const ChoiceInfo& info, int& value) {
  return ReadNumber(text, value) && value >= 0 && value <= info.maximum();
}

// The limits a request carries in its last two fields.  The address space
// is measured afresh only when the budget changes or after a drawing: a
// list's thousands of probes share one.
bool ApplyLimits(const Record& r, bool drawing) {
  static std::uint64_t lastBytes = 0;
  std::uint64_t bytes = 0;
  int seconds = 0;
  if (!ReadNumber(r[r.size() - 2], bytes) || !ReadNumber(r.back(), seconds) || seconds < 1)
    return false;
  LimitTime(seconds, seconds * (1 + BoundedChild::kStarvedLimits) + kAlarmSlackSeconds);
  if (drawing || bytes != lastBytes) LimitAddressSpace(bytes);
  lastBytes = drawing ? 0 : bytes;
  return true;
}

#ifdef VENDARO_TEST_HOOKS
// Tests stand for a decoder that never returns with a picture whose name
// ends as this variable says (drawn, not measured, so a list still holds
// it); the hook exists only in test builds.
void HangForTests(const std::string& path) {
  const char* name = std::getenv("VENDARO_TEST_PICTURE_HANGS");
  if (name && *name && path.ends_with(name))
    for (;;) ::pause();
}
#else
void HangForTests(const std::string&) {}
#endif

Record Probe(const Record& r) {
  if (r.size() != 4 || !ApplyLimits(r, false)) return {"no", "błędne zapytanie"};
  const Result<PictureSize> size = ProbePicture(r[1]);
  if (!size) return {"no", size.message()};
  return {"ok", std::to_string(size->width), std::to_string(size->height)};
}

Record Draw(const Record& r) {
  WallpaperEntry entry;
  Options options;
  ScreenSize screen;
  int mode = 0, align = 0, gap = 0, interp = 0;
  std::uint32_t fill = 0;
  if (r.size() != 13 || !ReadNumber(r[2], entry.width) || !ReadNumber(r[3], entry.height) ||
      !ReadChoice(r[4], kModeChoice, mode) || !ReadChoice(r[5], kAlignChoice, align) ||
      !ReadChoice(r[6], kFillChoice, gap) || !ReadChoice(r[7], kInterpChoice, interp) ||
      !ReadNumber(r[8], fill) || fill > 0xFFFFFFu || !ReadNumber(r[9], screen.width) ||
      !ReadNumber(r[10], screen.height) || screen.width < 1 || screen.height < 1 ||
      static_cast<long long>(screen.width) * screen.height > kMaxPicturePixels ||
      !ApplyLimits(r, true))
    return {"no", "błędne zapytanie"};
  entry.path = r[1];
  options.DisplayMode = mode;
  options.Alignment = align;
  options.GapFill = gap;
  options.Interpolation = interp;
  options.FillColor = fill;
  HangForTests(entry.path);
  // Drawn straight into the memory file the caller shares with us.
  const std::size_t bytes =
      static_cast<std::size_t>(screen.width) * static_cast<std::size_t>(screen.height) * 3;
  SharedMapping shared;
  if (!shared.Map(kSharedMemoryFd, bytes))
    return {"no", "brak pamięci współdzielonej na obraz tapety"};
  CanvasMemory memory{shared.bytes(), shared.size()};
  const RenderResult rendered = RenderEntry(entry, options, screen, nullptr, &memory);
  // A canvas that came to be drawn elsewhere is copied in.
  const CanvasBytes& drawn = rendered.canvas.rgb;
  if (drawn.size() != bytes) return {"no", kBeyondLimitsReason};
  if (drawn.data() != shared.bytes()) std::copy(drawn.begin(), drawn.end(), shared.bytes());
  return {"ok", rendered.picture ? std::string() : rendered.picture.message(),
          std::to_string(bytes)};
}

Record Answer(const Record& request) {
  try {
    if (request.empty()) return {"no", "błędne zapytanie"};
    if (request == Record{"hello"}) return {"ok"};
    if (request[0] == "probe") return Probe(request);
    if (request[0] == "draw") return Draw(request);
    return {"no", "błędne zapytanie"};
  } catch (const std::bad_alloc&) {
    return {"no", kBeyondLimitsReason};
  } catch (const std::exception& error) {
    return {"no", error.what()};
  }
}

bool WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

int RunPictureHelper() {
  QuietQtReaders();
  std::string received;
  char chunk[kReadChunk];
  for (;;) {
    DecodedRecord request;
    const RecordState state = DecodeRecord(received, request);
    if (state == RecordState::Malformed) return EXIT_FAILURE;
    if (state == RecordState::Whole) {
      received.erase(0, request.used);
      const Record answer = Answer(request.fields);
      // One write: the caller wakes once per answer, which a list's
      // thousands of probes feel.  Canvases go through the memory file.
      if (!WriteAll(EncodeRecord(answer))) return EXIT_FAILURE;
      ::alarm(0);
      // After a drawing, the pages its picture took go back before the next;
      // a probe holds too little to be worth the time.
      if (!request.fields.empty() && request.fields.front() == "draw") ReleaseFreeMemory();
      continue;
    }
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return EXIT_SUCCESS;
    received.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace vendaro
