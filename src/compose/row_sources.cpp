#include "compose/row_sources.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "compose/jpeg_reader.h"
#include "compose/qt_picture.h"
#include "compose/renderer.h"

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

// One axis of the kept samples: the upright positions wanted, and the
// stored positions they lie on, ascending.  Turning maps an axis onto a
// stored one either way round, so the i-th upright position is the i-th
// stored one or the i-th from the end.
class SampledAxis {
 public:
  SampledAxis(const std::vector<std::int64_t>& upright, std::int64_t storedSize, bool flip)
      : flip_(flip) {
    stored_.reserve(upright.size());
    for (const std::int64_t p : upright) stored_.push_back(flip ? storedSize - 1 - p : p);
    if (flip) std::reverse(stored_.begin(), stored_.end());
  }
  std::size_t size() const { return stored_.size(); }
  const std::vector<std::int64_t>& stored() const { return stored_; }
  // Where the i-th upright position's samples are kept.
  std::size_t KeptIndex(std::size_t i) const { return flip_ ? stored_.size() - 1 - i : i; }

 private:
  bool flip_;
  std::vector<std::int64_t> stored_;
};

class TurnedRows : public RowSource {
 public:
  TurnedRows(Turn turn, std::int64_t storedWidth, std::int64_t storedHeight,
             const PicturePart& part)
      : turn_(turn),
        storedWidth_(storedWidth),
        storedHeight_(storedHeight),
        part_(part),
        // The upright axis that lies on the stored rows (X unless turned a
        // quarter), and the one across them.
        along_(turn.transposed ? part.rows : part.columns, storedWidth,
               turn.transposed ? turn.flipY : turn.flipX),
        down_(turn.transposed ? part.columns : part.rows, storedHeight,
              turn.transposed ? turn.flipX : turn.flipY) {}

  Status Keep(RowSource& stored) {
    if (part_.empty()) return Status::Ok();
    kept_.resize(along_.size() * down_.size() * 3);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(storedWidth_) * 3);
    std::int64_t next = 0;  // the next stored row
    std::uint8_t* to = kept_.data();
    for (const std::int64_t y : down_.stored()) {
      if (Status skipped = stored.Skip(static_cast<int>(y - next)); !skipped) return skipped;
      if (Status read = stored.Read(row.data()); !read) return read;
      next = y + 1;
      for (const std::int64_t x : along_.stored()) {
        std::memcpy(to, &row[static_cast<std::size_t>(x) * 3], 3);
        to += 3;
      }
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
    while (nextRow_ < part_.rows.size() && part_.rows[nextRow_] < v) ++nextRow_;
    if (nextRow_ == part_.rows.size() || part_.rows[nextRow_] != v) return Status::Ok();
    const std::size_t j = nextRow_;
    for (std::size_t i = 0; i < part_.columns.size(); ++i) {
      const std::size_t x = turn_.transposed ? along_.KeptIndex(j) : along_.KeptIndex(i);
      const std::size_t y = turn_.transposed ? down_.KeptIndex(i) : down_.KeptIndex(j);
      std::memcpy(row + part_.columns[i] * 3, &kept_[(y * along_.size() + x) * 3], 3);
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
  const SampledAxis along_, down_;
  std::vector<std::uint8_t> kept_;  // down_.size() rows of along_.size() pixels
  std::int64_t next_ = 0;
  std::size_t nextRow_ = 0;
};

class QtRows : public RowSource {
 public:
  QtRows(QImage image, ColorValue background) : image_(std::move(image)), background_(background) {}
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  Status Read(std::uint8_t* row) override {
    const std::uint8_t* from = image_.constScanLine(next_++);
    if (image_.format() == QImage::Format_RGBX8888) {
      for (int x = 0; x < width(); ++x, from += 4, row += 3) std::memcpy(row, from, 3);
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
  auto stored = std::make_unique<JpegRows>(std::move(jpeg));
  if (!turn.transposed && !turn.flipX && !turn.flipY) return ClaimedRows(std::move(stored));
  const std::int64_t w = stored->width(), h = stored->height();
  Result<std::unique_ptr<RowSource>> turned =
      TurnRows(*stored, turn, needed(turn.transposed ? h : w, turn.transposed ? w : h));
  if (!turned) return turned.status();
  return ClaimedRows(std::move(*turned));
}

}  // namespace

Result<std::unique_ptr<RowSource>> TurnRows(RowSource& stored, Turn turn, const PicturePart& part) {
  auto rows = std::make_unique<TurnedRows>(turn, stored.width(), stored.height(), part);
  if (Status kept = rows->Keep(stored); !kept) return kept;
  return std::unique_ptr<RowSource>(std::move(rows));
}

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
