#include "compose/jpeg_draw.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "compose/jpeg_reader.h"
#include "compose/renderer.h"
#include "compose/resample_rows.h"

namespace vendaro {
namespace {

// Decoded rows passed from the decoding thread to the resampling one through
// a ring of slots: the decoder waits for a free slot, the resampler for the
// rows it needs, and either can stop both.  The resampler is the faster of
// the two; once it has caught up it sleeps until a batch of rows is ready
// rather than being woken for every row.
class RowRing {
 public:
  static constexpr int kBatch = 16;

  RowRing(std::size_t rowBytes, int rowsAtOnce, int firstRow, int endRow)
      : rowBytes_(rowBytes), slots_(rowsAtOnce + 2 * kBatch),
        data_(rowBytes * static_cast<std::size_t>(slots_)), end_(endRow),
        published_(firstRow), released_(firstRow) {}

  // The slot for `row`, once the row it held is no longer needed; null once
  // stopped.
  std::uint8_t* SlotFor(int row) {
    std::unique_lock lock(mutex_);
    released_changed_.wait(lock, [&] { return stopped_ || row < released_ + slots_; });
    return stopped_ ? nullptr : Slot(row);
  }
  void Publish(int rows) {
    std::unique_lock lock(mutex_);
    published_ = rows;
    if (rows < wanted_ && rows < end_) return;
    lock.unlock();
    published_changed_.notify_one();
  }

  // Waits until the rows below `rows` are decoded; false once stopped.
  bool WaitFor(int rows) {
    std::unique_lock lock(mutex_);
    if (published_ >= rows) return true;
    wanted_ = rows + kBatch;
    published_changed_.wait(lock, [&] { return stopped_ || published_ >= rows; });
    wanted_ = 0;
    return published_ >= rows;
  }
  const std::uint8_t* Row(int row) { return Slot(row); }
  void Release(int below) {
    {
      std::lock_guard lock(mutex_);
      released_ = below;
    }
    released_changed_.notify_one();
  }

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    published_changed_.notify_all();
    released_changed_.notify_all();
  }

 private:
  std::uint8_t* Slot(int row) { return data_.data() + static_cast<std::size_t>(row % slots_) * rowBytes_; }

  const std::size_t rowBytes_;
  const int slots_;
  std::vector<std::uint8_t> data_;
  const int end_;
  std::mutex mutex_;
  std::condition_variable published_changed_, released_changed_;
  int published_, released_;
  int wanted_ = 0;
  bool stopped_ = false;
};

// Resamples the rows as they arrive into the canvas, from (x, y) on.  Its
// buffers are made before its thread starts, so nothing there can fail.
class Resampler {
 public:
  Resampler(const AxisTaps& rows, const AxisTaps& columns, Canvas& canvas, int x, int y)
      : rows_(rows), columns_(columns), canvas_(canvas), x_(x), y_(y),
        inFirst_(columns.first.front()),
        blended_(static_cast<std::size_t>(columns.end(columns.first.size() - 1) - inFirst_) * 3 + 1),
        sources_(static_cast<std::size_t>(rows.count)) {}

  void Run(RowRing& ring) {
    const std::size_t outputRows = rows_.first.size();
    for (std::size_t j = 0; j < outputRows; ++j) {
      if (!ring.WaitFor(rows_.end(j))) return;
      for (int k = 0; k < rows_.count; ++k)
        sources_[k] = ring.Row(rows_.first[j] + k) + static_cast<std::size_t>(inFirst_) * 3;
      BlendRows(sources_.data(), &rows_.weight[j * rows_.count], rows_.count, blended_.data(),
                blended_.size() - 1);
      BlendColumns(blended_.data(), inFirst_, columns_,
                   canvas_.row(y_ + static_cast<int>(j)) + static_cast<std::size_t>(x_) * 3);
      ring.Release(j + 1 < outputRows ? rows_.first[j + 1] : INT_MAX);
    }
  }

 private:
  const AxisTaps& rows_;
  const AxisTaps& columns_;
  Canvas& canvas_;
  const int x_, y_, inFirst_;
  std::vector<float> blended_;
  std::vector<const std::uint8_t*> sources_;
};

// Decodes the rows the resampler needs into the ring; returns the problem,
// or empty text.
std::string DecodeInto(JpegReader& reader, RowRing& ring, int firstRow, int endRow) {
  if (!reader.SkipRows(firstRow)) return reader.problem();
  for (int row = firstRow; row < endRow; ++row) {
    std::uint8_t* slot = ring.SlotFor(row);
    if (!slot) break;
    if (!reader.ReadRow(slot)) return reader.problem();
    ring.Publish(row + 1);
  }
  return {};
}

}  // namespace

std::optional<std::string> DrawJpegScaled(Canvas& canvas, const std::string& path,
                                          const Placement& p, int interpolation) {
  JpegReader reader;
  if (!reader.Open(path) || !reader.drawableAsStored(kMaxPicturePixels)) return std::nullopt;
  const std::int64_t width = reader.width(), height = reader.height();

  const std::int64_t left = std::max<std::int64_t>(p.x, 0), top = std::max<std::int64_t>(p.y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{p.x} + p.w, canvas.width);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{p.y} + p.h, canvas.height);
  if (right <= left || bottom <= top) return std::string();

  const int shrink = JpegShrinkFor(std::min(double(width) / p.w, double(height) / p.h));
  if (!reader.Start(shrink)) return reader.problem();
  const ResampleKernel kernel = interpolation == 1 ? ResampleKernel::Linear : ResampleKernel::Cubic;
  // Scales from the stored size: a decoded pixel covers `shrink` stored
  // pixels, the last one perhaps fewer.
  const AxisTaps columns = MakeAxisTaps(kernel, double(width) / (double(shrink) * p.w),
                                        left - p.x, right - p.x, reader.outputWidth());
  const AxisTaps rows = MakeAxisTaps(kernel, double(height) / (double(shrink) * p.h),
                                     top - p.y, bottom - p.y, reader.outputHeight());

  const int firstRow = rows.first.front();
  const int endRow = rows.end(rows.first.size() - 1);
  RowRing ring(static_cast<std::size_t>(reader.outputWidth()) * 3, rows.count, firstRow, endRow);
  Resampler resampler(rows, columns, canvas, static_cast<int>(left), static_cast<int>(top));
  std::string problem;
  {
    std::jthread thread([&] { resampler.Run(ring); });
    // However decoding ends, the resampler is released before the thread
    // is joined.
    struct StopAtEnd {
      RowRing& ring;
      ~StopAtEnd() { ring.Stop(); }
    } stop{ring};
    problem = DecodeInto(reader, ring, firstRow, endRow);
  }
  return problem;
}

}  // namespace vendaro
