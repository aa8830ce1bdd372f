#pragma once

// Pictures measured and drawn in helper processes the system bounds (see
// system/bounded_child.h): a picture that hangs, swells or spins a decoder
// costs a helper, never the program that asked, and counts as undecodable.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "compose/compose_wallpaper.h"
#include "compose/helper_protocol.h"
#include "model/entry_list.h"
#include "system/bounded_child.h"

namespace vendaro {

// What one picture may cost its helper.
struct PictureBudget {
  std::uint64_t addressSpaceBytes = 0;  // beyond what the helper maps before the picture
  int cpuSeconds = 0;
  std::chrono::milliseconds wall{0};
};

// A screen of 1920 × 1080 gets these; a larger one gets more in proportion
// to its pixels.  Every accepted format draws a 1080p wallpaper from a
// picture at the 16384² pixel limit within them on a loaded machine, and a
// hostile file is stopped before the machine feels it.
inline constexpr std::uint64_t kBaseAddressSpaceBytes = std::uint64_t{512} << 20;
inline constexpr int kBaseSeconds = 5;
inline constexpr long long kBasePixels = 1920LL * 1080LL;
// A larger screen's canvas is held a few times over while it is drawn.
inline constexpr std::uint64_t kCanvasCopies = 4;

PictureBudget BudgetFor(ScreenSize screen);
// How long a new helper may take to start, before its first picture.
inline constexpr std::chrono::milliseconds kHelperStartLimit{30000};

// Measuring reads a header only: the base budget.
PictureBudget ProbeBudget();

// The reason a picture that broke a limit (or killed its helper) is given.
inline constexpr const char* kBeyondLimitsReason =
    "Obraz przekroczył dopuszczalny czas lub pamięć dekodowania; uznano go za nieczytelny.";

// The argument that turns the program into a helper (RunPictureHelper).
inline constexpr const char* kPictureHelperArgument = "--picture-helper";

// The helpers of one program: each call takes an idle helper (or starts
// one), so calls from several threads run side by side.  Thread-safe.
class PictureHelpers {
 public:
  // `program` is run with kPictureHelperArgument.
  explicit PictureHelpers(std::string program);
  ~PictureHelpers();
  PictureHelpers(const PictureHelpers&) = delete;
  PictureHelpers& operator=(const PictureHelpers&) = delete;

  Result<PictureSize> Probe(const std::string& path);
  // As RenderEntry with a fill colour already resolved to RGB.
  RenderResult Render(const WallpaperEntry& entry, const Options& options, ScreenSize screen);
  // Kills the helpers at work; their callers get kBeyondLimitsReason.
  void CancelAll();
  // Stops the idle helpers beyond `keep`.
  void KeepIdle(std::size_t keep);

 private:
  struct Answer {
    Status status;  // kBeyondLimitsReason or why the helper could not run
    std::string bytes;
    std::vector<std::string_view> fields;  // in `bytes`; at least one when status is Ok
  };
  // `shared`, when given, reads the helper's shared memory before another
  // caller may take the helper.
  Answer Ask(const Record& request, const PictureBudget& budget,
             const std::function<bool(const Answer&, int memory)>& shared = nullptr);
  Status StartHelper(BoundedChild& helper);
  std::unique_ptr<BoundedChild> Take();
  void Give(std::unique_ptr<BoundedChild> helper);

  std::string program_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<BoundedChild>> idle_;
  std::vector<BoundedChild*> busy_;
};

// The helper's side: answers requests on standard input until it closes.
int RunPictureHelper();

}  // namespace vendaro
