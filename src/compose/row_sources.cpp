#include "compose/row_sources.h"

#include <cstring>
#include <vector>

#include "compose/jpeg_reader.h"
#include "compose/qt_picture.h"
#include "compose/renderer.h"
#include "compose/span.h"
#include "compose/turn.h"

namespace vendaro {
namespace {

// Qt decodes a picture whole; beyond this size the library's streaming
// decoders keep memory lower.
constexpr std::int64_t kLargestForQt = 4096LL * 2304LL;

class JpegRows : public RowSource {
 public:
  explicit JpegRows(std::unique_ptr<JpegReader> reader) : reader_(std::move(reader)) {}
  int width() const override { return reader_->outputWidth(); }
  int height() const override { return reader_->outputHeight(); }
  Status Read(std::uint8_t* row) override { return reader_->ReadRow(row); }
  Status Skip(int rows) override { return reader_->SkipRows(rows); }

 private:
  std::unique_ptr<JpegReader> reader_;
};

// A JPEG picture stored turned.  Its upright rows run across the stored
// ones, so the stored rows covering the part needed are decoded first and
// that part kept (by Keep): what the canvas shows, or for nearest-neighbour
// scaling the span its samples come from.
class TurnedJpegRows : public RowSource {
 public:
  TurnedJpegRows(const JpegReader& reader, Turn turn, const PicturePart& part)
      : turn_(turn),
        storedWidth_(reader.outputWidth()),
        storedHeight_(reader.outputHeight()),
        part_(part) {}

  Status Keep(JpegReader& reader) {
    if (part_.empty()) return Status::Ok();
    // The stored box holding the part: upright X lies on the stored rows
    // when turned a quarter, and either axis may run backwards.
    const Span across{part_.left, part_.right}, down{part_.top, part_.bottom};
    const auto [x0, x1] = turn_.transposed ? down.Flipped(storedWidth_, turn_.flipY)
                                           : across.Flipped(storedWidth_, turn_.flipX);
    const auto [y0, y1] = turn_.transposed ? across.Flipped(storedHeight_, turn_.flipX)
                                           : down.Flipped(storedHeight_, turn_.flipY);
    box_ = {x0, x1, y0, y1};
    kept_.resize(static_cast<std::size_t>((x1 - x0) * (y1 - y0) * 3));
    std::vector<std::uint8_t> row(static_cast<std::size_t>(storedWidth_) * 3);
    if (Status skipped = reader.SkipRows(static_cast<int>(y0)); !skipped) return skipped;
    const std::size_t keptBytes = static_cast<std::size_t>(x1 - x0) * 3;
    for (std::int64_t y = y0; y < y1; ++y) {
      if (Status read = reader.ReadRow(row.data()); !read) return read;
      std::memcpy(&kept_[static_cast<std::size_t>(y - y0) * keptBytes], &row[x0 * 3], keptBytes);
    }
    return Status::Ok();
  }

  int width() const override {
    return static_cast<int>(turn_.transposed ? storedHeight_ : storedWidth_);
  }
  int height() const override {
    return static_cast<int>(turn_.transposed ? storedWidth_ : storedHeight_);
  }
  Status Read(std::uint8_t* row) override {
    const std::int64_t v = next_++;
    if (v < part_.top || v >= part_.bottom) return Status::Ok();
    const std::int64_t keptWidth = box_.right - box_.left;
    for (std::int64_t u = part_.left; u < part_.right; ++u) {
      std::int64_t x = turn_.transposed ? v : u, y = turn_.transposed ? u : v;
      if (turn_.transposed ? turn_.flipY : turn_.flipX) x = storedWidth_ - 1 - x;
      if (turn_.transposed ? turn_.flipX : turn_.flipY) y = storedHeight_ - 1 - y;
      std::memcpy(row + u * 3,
                  &kept_[static_cast<std::size_t>((y - box_.top) * keptWidth + x - box_.left) * 3],
                  3);
    }
    return Status::Ok();
  }
  Status Skip(int rows) override {
    next_ += rows;
    return Status::Ok();
  }

 private:
  const Turn turn_;
  const std::int64_t storedWidth_, storedHeight_;
  const PicturePart part_;
  PicturePart box_;  // in stored coordinates
  std::vector<std::uint8_t> kept_;
  std::int64_t next_ = 0;
};

class QtRows : public RowSource {
 public:
  QtRows(QImage image, ColorValue background) : image_(std::move(image)), background_(background) {}
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  Status Read(std::uint8_t* row) override {
    const std::uint8_t* from = image_.constScanLine(next_++);
    if (image_.format() == QImage::Format_RGB888) {
      std::memcpy(row, from, static_cast<std::size_t>(width()) * 3);
      return Status::Ok();
    }
    const int back[3] = {RedOf(background_), GreenOf(background_), BlueOf(background_)};
    for (int x = 0; x < width(); ++x, from += 4, row += 3) {
      const int a = from[3];
      for (int c = 0; c < 3; ++c)
        row[c] = std::uint8_t((from[c] * a + back[c] * (255 - a) + 127) / 255);
    }
    return Status::Ok();
  }
  Status Skip(int rows) override {
    next_ += rows;
    return Status::Ok();
  }

 private:
  QImage image_;
  ColorValue background_;
  int next_ = 0;
};

using ClaimedRows = Claimed<std::unique_ptr<RowSource>>;

Result<ClaimedRows> JpegSource(std::unique_ptr<JpegReader> jpeg, const PartNeeded& needed) {
  if (Status started = jpeg->Start(1); !started) return started;
  const Turn turn = TurnOf(jpeg->orientation());
  if (!turn.transposed && !turn.flipX && !turn.flipY)
    return ClaimedRows(std::make_unique<JpegRows>(std::move(jpeg)));
  const std::int64_t w = jpeg->outputWidth(), h = jpeg->outputHeight();
  auto rows = std::make_unique<TurnedJpegRows>(
      *jpeg, turn, needed(turn.transposed ? h : w, turn.transposed ? w : h));
  if (Status kept = rows->Keep(*jpeg); !kept) return kept;
  return ClaimedRows(std::move(rows));
}

}  // namespace

Result<ClaimedRows> OpenRows(const std::string& path, ColorValue background,
                             const PartNeeded& needed) {
  auto jpeg = std::make_unique<JpegReader>();
  if (jpeg->Open(path)) {
    if (!jpeg->drawable(kMaxPicturePixels)) return ClaimedRows::NotMine();
    return JpegSource(std::move(jpeg), needed);
  }
  Result<Claimed<QImage>> picture = ReadWithQt(path, true, kLargestForQt);
  if (!picture) return picture.status();
  if (!picture->mine()) return ClaimedRows::NotMine();
  return ClaimedRows(std::make_unique<QtRows>(std::move(picture->value()), background));
}

}  // namespace vendaro
