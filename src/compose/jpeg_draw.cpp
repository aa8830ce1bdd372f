#include "compose/jpeg_draw.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "compose/jpeg_reader.h"
#include "compose/renderer.h"
#include "compose/resample_rows.h"
#include "compose/span.h"
#include "compose/turn.h"

namespace vendaro {
namespace {

// The most source samples one output sample may draw on, which bounds the
// rows held at once.
constexpr int kMostTaps = 256;

// Decoded rows passed from the decoding thread to the resampling one through
// a ring of slots: the decoder waits for a free slot, the resampler for the
// rows it needs, and either can stop both.  The resampler is the faster of
// the two; once it has caught up it sleeps until a batch of rows is ready
// rather than being woken for every row.
class RowRing {
 public:
  static constexpr int kBatch = 16;

  RowRing(std::size_t rowBytes, int rowsAtOnce, int firstRow, int endRow)
      : rowBytes_(rowBytes),
        slots_(rowsAtOnce + 2 * kBatch),
        data_(rowBytes * static_cast<std::size_t>(slots_)),
        end_(endRow),
        published_(firstRow),
        released_(firstRow) {}

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
  std::uint8_t* Slot(int row) {
    return data_.data() + static_cast<std::size_t>(row % slots_) * rowBytes_;
  }

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

// Where resampled rows, in the stored picture's orientation, land on the
// canvas: turned upright into the visible part of the placement, `width` x
// `height` pixels from (left, top).
class RowPlacer {
 public:
  RowPlacer(Canvas& canvas, Turn turn, int left, int top, int width, int height)
      : canvas_(canvas), turn_(turn), left_(left), top_(top), width_(width), height_(height) {}

  // Where stored row `j` can be resampled straight into the canvas, or null
  // when it must go through Place.
  std::uint8_t* Direct(int j) const {
    if (turn_.transposed || turn_.flipX) return nullptr;
    return canvas_.row(top_ + (turn_.flipY ? height_ - 1 - j : j)) +
           static_cast<std::size_t>(left_) * 3;
  }

  void Place(int j, const std::uint8_t* row) const {
    if (!turn_.transposed) {
      std::uint8_t* to = canvas_.row(top_ + (turn_.flipY ? height_ - 1 - j : j)) +
                         static_cast<std::size_t>(left_ + width_) * 3;
      for (int i = 0; i < width_; ++i, row += 3) std::memcpy(to -= 3, row, 3);
      return;
    }
    // A stored row is an upright column.
    const std::size_t x = static_cast<std::size_t>(left_ + (turn_.flipX ? width_ - 1 - j : j)) * 3;
    for (int i = 0; i < height_; ++i, row += 3)
      std::memcpy(canvas_.row(top_ + (turn_.flipY ? height_ - 1 - i : i)) + x, row, 3);
  }

 private:
  Canvas& canvas_;
  const Turn turn_;
  const int left_, top_, width_, height_;
};

// Resamples the rows as they arrive and places them on the canvas.  Its
// buffers are made before its thread starts, so nothing there can fail.
class Resampler {
 public:
  Resampler(const AxisTaps& rows, const AxisTaps& columns, const RowPlacer& placer)
      : rows_(rows),
        columns_(columns),
        placer_(placer),
        inFirst_(columns.first.front()),
        blended_(static_cast<std::size_t>(columns.end(columns.first.size() - 1) - inFirst_) * 3 +
                 1),
        sources_(static_cast<std::size_t>(rows.count)),
        turned_(columns.first.size() * 3) {}

  void Run(RowRing& ring) {
    const std::size_t outputRows = rows_.first.size();
    for (std::size_t j = 0; j < outputRows; ++j) {
      if (!ring.WaitFor(rows_.end(j))) return;
      for (int k = 0; k < rows_.count; ++k)
        sources_[static_cast<std::size_t>(k)] =
            ring.Row(rows_.first[j] + k) + static_cast<std::size_t>(inFirst_) * 3;
      BlendRows(sources_.data(), &rows_.weight[j * static_cast<std::size_t>(rows_.count)],
                rows_.count, blended_.data(), blended_.size() - 1);
      std::uint8_t* direct = placer_.Direct(static_cast<int>(j));
      BlendColumns(blended_.data(), inFirst_, columns_, direct ? direct : turned_.data());
      if (!direct) placer_.Place(static_cast<int>(j), turned_.data());
      ring.Release(j + 1 < outputRows ? rows_.first[j + 1] : INT_MAX);
    }
  }

 private:
  const AxisTaps& rows_;
  const AxisTaps& columns_;
  const RowPlacer& placer_;
  const int inFirst_;
  std::vector<float> blended_;
  std::vector<const std::uint8_t*> sources_;
  std::vector<std::uint8_t> turned_;
};

// Decodes the rows the resampler needs into the ring.
Status DecodeInto(JpegReader& reader, RowRing& ring, int firstRow, int endRow) {
  if (Status skipped = reader.SkipRows(firstRow); !skipped) return skipped;
  for (int row = firstRow; row < endRow; ++row) {
    std::uint8_t* slot = ring.SlotFor(row);
    if (!slot) break;
    if (Status read = reader.ReadRow(slot); !read) return read;
    ring.Publish(row + 1);
  }
  return Status::Ok();
}

}  // namespace

Result<PathOutcome> DrawJpegScaled(Canvas& canvas, const std::string& path, const Placement& p,
                                   Choice<ScaleFilter> interpolation) {
  JpegReader reader;
  if (!reader.Open(path) || !reader.drawable(kMaxPicturePixels)) return PathOutcome::NotMine;
  const Turn turn = TurnOf(reader.orientation());
  const std::int64_t storedWidth = reader.width(), storedHeight = reader.height();
  const std::int64_t width = turn.transposed ? storedHeight : storedWidth;
  const std::int64_t height = turn.transposed ? storedWidth : storedHeight;

  // The outputs of the placed rectangle that land on the canvas.
  const Span xs = Visible(p.x, p.w, canvas.width).Shifted(-p.x);
  const Span ys = Visible(p.y, p.h, canvas.height).Shifted(-p.y);
  if (xs.empty() || ys.empty()) return PathOutcome::Drawn;

  const int shrink = JpegShrinkFor(std::min(double(width) / p.w, double(height) / p.h));
  if (Status started = reader.Start(shrink); !started) return started;
  const ResampleKernel kernel =
      interpolation == ScaleFilter::Bilinear ? ResampleKernel::Linear : ResampleKernel::Cubic;
  // Resampled in the stored orientation, over the outputs that land on the
  // canvas once turned.  Scales come from the stored size: a decoded pixel
  // covers `shrink` stored pixels, the last one perhaps fewer.
  const std::int64_t alongX = turn.transposed ? p.h : p.w;
  const std::int64_t alongY = turn.transposed ? p.w : p.h;
  const Span outX = turn.transposed ? ys.Flipped(p.h, turn.flipY) : xs.Flipped(p.w, turn.flipX);
  const Span outY = turn.transposed ? xs.Flipped(p.w, turn.flipX) : ys.Flipped(p.h, turn.flipY);
  const AxisTaps columns =
      MakeAxisTaps(kernel, double(storedWidth) / (double(shrink) * double(alongX)), outX.first,
                   outX.end, reader.outputWidth());
  const AxisTaps rows =
      MakeAxisTaps(kernel, double(storedHeight) / (double(shrink) * double(alongY)), outY.first,
                   outY.end, reader.outputHeight());

  // A far stronger shrink on one axis than the other (a tall picture
  // squeezed into a strip) needs a kernel spanning too many rows to hold;
  // the library shrinks such pictures in steps.
  if (rows.count > kMostTaps || columns.count > kMostTaps) return PathOutcome::NotMine;

  const int firstRow = rows.first.front();
  const int endRow = rows.end(rows.first.size() - 1);
  RowRing ring(static_cast<std::size_t>(reader.outputWidth()) * 3, rows.count, firstRow, endRow);
  const RowPlacer placer(canvas, turn, static_cast<int>(p.x + xs.first),
                         static_cast<int>(p.y + ys.first), static_cast<int>(xs.end - xs.first),
                         static_cast<int>(ys.end - ys.first));
  Resampler resampler(rows, columns, placer);
  Status decoded;
  {
    std::jthread thread([&] { resampler.Run(ring); });
    // However decoding ends, the resampler is released before the thread
    // is joined.
    struct StopAtEnd {
      RowRing& ring;
      ~StopAtEnd() { ring.Stop(); }
    } stop{ring};
    decoded = DecodeInto(reader, ring, firstRow, endRow);
  }
  if (!decoded) return decoded;
  return PathOutcome::Drawn;
}

}  // namespace vendaro
