#include "compose/picture_helpers.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <utility>

#include "compose/placement.h"
#include "compose/renderer.h"

namespace vendaro {
namespace {

std::string Number(long long value) {
  return std::to_string(value);
}

}  // namespace

PictureBudget BudgetFor(ScreenSize screen) {
  const long long pixels = std::max(1LL, static_cast<long long>(screen.width) * screen.height);
  const double scale = std::max(1.0, static_cast<double>(pixels) / kBasePixels);
  PictureBudget budget;
  const auto extraPixels = static_cast<std::uint64_t>(std::max(0LL, pixels - kBasePixels));
  budget.addressSpaceBytes = kBaseAddressSpaceBytes + extraPixels * 3 * kCanvasCopies;
  budget.cpuSeconds = static_cast<int>(std::ceil(kBaseSeconds * scale));
  budget.wall = std::chrono::milliseconds(budget.cpuSeconds * 1000LL);
  return budget;
}

PictureBudget ProbeBudget() {
  return BudgetFor({1920, 1080});
}

PictureHelpers::PictureHelpers(std::string program) : program_(std::move(program)) {}

PictureHelpers::~PictureHelpers() {
  CancelAll();
}

std::unique_ptr<BoundedChild> PictureHelpers::Take() {
  std::lock_guard lock(mutex_);
  std::unique_ptr<BoundedChild> helper;
  // One that ended while idle (killed from outside) is not handed out: its
  // next picture would be blamed for it.
  while (!idle_.empty() && !helper) {
    helper = std::move(idle_.back());
    idle_.pop_back();
    if (!helper->Alive()) helper.reset();
  }
  if (!helper) helper = std::make_unique<BoundedChild>();
  busy_.push_back(helper.get());
  return helper;
}

void PictureHelpers::Give(std::unique_ptr<BoundedChild> helper) {
  std::lock_guard lock(mutex_);
  busy_.erase(std::find(busy_.begin(), busy_.end(), helper.get()));
  // A helper that ended is not worth keeping: the next call starts one.
  if (helper->running()) idle_.push_back(std::move(helper));
}

void PictureHelpers::CancelAll() {
  std::lock_guard lock(mutex_);
  for (BoundedChild* helper : busy_) helper->Cancel();
  idle_.clear();
}

void PictureHelpers::KeepIdle(std::size_t keep) {
  std::lock_guard lock(mutex_);
  if (idle_.size() > keep) idle_.resize(keep);
}

Status PictureHelpers::StartHelper(BoundedChild& helper) {
  if (Status started = helper.Start(program_, {kPictureHelperArgument}); !started) return started;
  // Its start (loading its libraries on a busy machine) is not the first
  // picture's time; a program that does not greet as a helper is none.
  std::string bytes;
  DecodedRecord decoded;
  if (helper.Exchange(EncodeRecord({"hello"}), RecordLength, bytes, kHelperStartLimit) !=
          BoundedChild::Outcome::Answered ||
      DecodeRecord(bytes, decoded) != RecordState::Whole || decoded.fields != Record{"ok"}) {
    helper.Stop();
    return Status::Error(program_ + " nie odpowiada jak proces dekodujący");
  }
  return Status::Ok();
}

PictureHelpers::Answer PictureHelpers::Ask(
    const Record& request, const PictureBudget& budget,
    const std::function<bool(const Answer&, int memory)>& shared) {
  std::unique_ptr<BoundedChild> helper = Take();
  Answer answer;
  if (!helper->running()) {
    answer.status = StartHelper(*helper);
    if (!answer.status) {
      answer.status = Status::Error("Nie można uruchomić procesu dekodującego obrazy: " +
                                    answer.status.message());
      Give(std::move(helper));
      return answer;
    }
  }
  const BoundedChild::Outcome outcome =
      helper->Exchange(EncodeRecord(request), RecordLength, answer.bytes, budget.wall);
  std::size_t used = 0;
  if (outcome != BoundedChild::Outcome::Answered ||
      DecodeRecordViews(answer.bytes, answer.fields, used) != RecordState::Whole ||
      answer.fields.empty()) {
    // Whatever the helper did, it is not to be trusted with another picture.
    helper->Stop();
    answer.status = Status::Error(kBeyondLimitsReason);
  } else if (shared && !shared(answer, helper->sharedMemory())) {
    helper->Stop();
    answer.status = Status::Error(kBeyondLimitsReason);
  }
  Give(std::move(helper));
  return answer;
}

namespace {

// All `size` bytes from the start of the memory file.
bool ReadShared(int memory, std::uint8_t* to, std::size_t size) {
  std::size_t at = 0;
  while (at < size) {
    const ssize_t n = ::pread(memory, to + at, size - at, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadInt(std::string_view text, int& value) {
  const auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && ptr == text.data() + text.size();
}

}  // namespace

Result<PictureSize> PictureHelpers::Probe(const std::string& path) {
  const PictureBudget budget = ProbeBudget();
  Answer answer = Ask({"probe", path, Number(static_cast<long long>(budget.addressSpaceBytes)),
                       Number(budget.cpuSeconds)},
                      budget);
  if (!answer.status) return answer.status;
  const std::vector<std::string_view>& f = answer.fields;
  PictureSize size;
  if (f[0] == "ok" && f.size() == 3 && ReadInt(f[1], size.width) && ReadInt(f[2], size.height))
    return size;
  if (f[0] == "no" && f.size() == 2) return Status::Error(std::string(f[1]));
  return Status::Error(kBeyondLimitsReason);
}

RenderResult PictureHelpers::Render(const WallpaperEntry& entry, const Options& options,
                                    ScreenSize screen) {
  const PictureBudget budget = BudgetFor(screen);
  const ColorValue background = ResolveFillColor(options.FillColor, nullptr);
  RenderResult result;
  result.placement = PlacePicture(entry.width, entry.height, screen.width, screen.height,
                                  options.DisplayMode, options.Alignment);
  const std::size_t bytes = static_cast<std::size_t>(screen.width) * screen.height * 3;
  // The canvas comes in the shared memory, its size in the answer.
  const auto readCanvas = [&](const Answer& a, int memory) {
    if (a.fields[0] != "ok") return true;
    if (a.fields.size() != 3 || a.fields[2] != Number(static_cast<long long>(bytes)) || memory < 0)
      return false;
    result.canvas.rgb.resize(bytes);
    const bool read = ReadShared(memory, result.canvas.rgb.data(), bytes);
    // Its pages go back now, not when the helper draws again.
    if (::ftruncate(memory, 0) != 0) return false;
    return read;
  };
  Answer answer = Ask(
      {"draw", entry.path, Number(entry.width), Number(entry.height),
       Number(static_cast<int>(options.DisplayMode)), Number(static_cast<int>(options.Alignment)),
       Number(static_cast<int>(options.GapFill)), Number(static_cast<int>(options.Interpolation)),
       Number(background), Number(screen.width), Number(screen.height),
       Number(static_cast<long long>(budget.addressSpaceBytes)), Number(budget.cpuSeconds)},
      budget, readCanvas);
  const std::vector<std::string_view>& f = answer.fields;
  if (answer.status && f[0] == "ok") {
    result.canvas.width = screen.width;
    result.canvas.height = screen.height;
    result.picture = f[1].empty() ? Status::Ok() : Status::Error(std::string(f[1]));
    return result;
  }
  result.canvas = MakeCanvas(screen.width, screen.height, background);
  if (!answer.status)
    result.picture = answer.status;
  else if (f[0] == "no" && f.size() == 2)
    result.picture = Status::Error(std::string(f[1]));
  else
    result.picture = Status::Error(kBeyondLimitsReason);
  return result;
}

}  // namespace vendaro
