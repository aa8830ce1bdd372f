#include "compose/direct_draw.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "compose/jpeg_reader.h"
#include "compose/qt_picture.h"
#include "compose/renderer.h"

namespace vendaro {
namespace {

// Qt decodes a picture whole; beyond this size the library's streaming
// decoders keep memory lower.
constexpr std::int64_t kLargestForQt = 4096LL * 2304LL;

// The rows of an upright, opaque RGB picture, from the top.
class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // The next row, width() * 3 bytes, or false with problem() set.
  virtual bool Read(std::uint8_t* row) = 0;
  virtual bool Skip(int rows) = 0;
  virtual std::string problem() const = 0;
};

class JpegRows : public RowSource {
 public:
  explicit JpegRows(std::unique_ptr<JpegReader> reader) : reader_(std::move(reader)) {}
  int width() const override { return reader_->outputWidth(); }
  int height() const override { return reader_->outputHeight(); }
  bool Read(std::uint8_t* row) override { return reader_->ReadRow(row); }
  bool Skip(int rows) override { return reader_->SkipRows(rows); }
  std::string problem() const override { return reader_->problem(); }

 private:
  std::unique_ptr<JpegReader> reader_;
};

class QtRows : public RowSource {
 public:
  QtRows(QImage image, ColorValue background) : image_(std::move(image)), background_(background) {}
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  bool Read(std::uint8_t* row) override {
    const std::uint8_t* from = image_.constScanLine(next_++);
    if (image_.format() == QImage::Format_RGB888) {
      std::memcpy(row, from, static_cast<std::size_t>(width()) * 3);
      return true;
    }
    const int back[3] = {RedOf(background_), GreenOf(background_), BlueOf(background_)};
    for (int x = 0; x < width(); ++x, from += 4, row += 3) {
      const int a = from[3];
      for (int c = 0; c < 3; ++c) row[c] = std::uint8_t((from[c] * a + back[c] * (255 - a) + 127) / 255);
    }
    return true;
  }
  bool Skip(int rows) override {
    next_ += rows;
    return true;
  }
  std::string problem() const override { return {}; }

 private:
  QImage image_;
  ColorValue background_;
  int next_ = 0;
};

// The picture's rows; null when it is not one for this path, else a source
// or the reason it cannot be read.
std::unique_ptr<RowSource> OpenRows(const std::string& path, ColorValue background,
                                    std::string& problem) {
  auto jpeg = std::make_unique<JpegReader>();
  if (jpeg->Open(path)) {
    if (!jpeg->drawableAsStored(kMaxPicturePixels)) return nullptr;
    if (!jpeg->Start(1)) problem = jpeg->problem();
    return std::make_unique<JpegRows>(std::move(jpeg));
  }
  QtPicture picture = ReadWithQt(path, true, kLargestForQt);
  if (!picture.handled) return nullptr;
  problem = picture.problem;
  return std::make_unique<QtRows>(std::move(picture.image), background);
}

struct Span {
  std::int64_t first = 0, end = 0;  // on the canvas
  bool empty() const { return end <= first; }
};
Span Visible(std::int64_t at, std::int64_t size, int canvasSize) {
  return {std::max<std::int64_t>(at, 0), std::min<std::int64_t>(at + size, canvasSize)};
}

std::string DrawUnscaled(Canvas& canvas, RowSource& rows, const Placement& p) {
  const Span xs = Visible(p.x, rows.width(), canvas.width);
  const Span ys = Visible(p.y, rows.height(), canvas.height);
  if (xs.empty() || ys.empty()) return {};
  if (!rows.Skip(static_cast<int>(ys.first - p.y))) return rows.problem();
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rows.width()) * 3);
  for (std::int64_t y = ys.first; y < ys.end; ++y) {
    if (!rows.Read(row.data())) return rows.problem();
    std::memcpy(canvas.row(static_cast<int>(y)) + xs.first * 3, row.data() + (xs.first - p.x) * 3,
                static_cast<std::size_t>(xs.end - xs.first) * 3);
  }
  return {};
}

// One cell of the grid, the picture's top-left part over the background,
// repeated; see the general path for why one cell is enough.
std::string DrawTiled(Canvas& canvas, RowSource& rows, const Placement& p) {
  const int cellWidth = std::min(p.w, canvas.width);
  const int cellHeight = std::min(p.h, canvas.height);
  const int drawnRows = std::min(rows.height(), cellHeight);
  const std::size_t drawnBytes = static_cast<std::size_t>(std::min(rows.width(), cellWidth)) * 3;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rows.width()) * 3);
  for (int y = 0; y < drawnRows; ++y) {
    if (!rows.Read(row.data())) return rows.problem();
    std::memcpy(canvas.row(y), row.data(), drawnBytes);
  }
  RepeatCell(canvas, cellWidth, cellHeight);
  return {};
}

// The picture pixel under the centre of each canvas pixel.
std::int64_t NearestSample(std::int64_t index, std::int64_t size, std::int64_t sourceSize) {
  return (2 * index + 1) * sourceSize / (2 * size);
}

std::string DrawNearest(Canvas& canvas, RowSource& rows, const Placement& p) {
  const Span xs = Visible(p.x, p.w, canvas.width);
  const Span ys = Visible(p.y, p.h, canvas.height);
  if (xs.empty() || ys.empty()) return {};
  std::vector<std::size_t> sourceOffset;
  sourceOffset.reserve(static_cast<std::size_t>(xs.end - xs.first));
  for (std::int64_t x = xs.first; x < xs.end; ++x)
    sourceOffset.push_back(static_cast<std::size_t>(NearestSample(x - p.x, p.w, rows.width())) * 3);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rows.width()) * 3);
  std::int64_t read = -1;  // the source row in `row`
  for (std::int64_t y = ys.first; y < ys.end; ++y) {
    const std::int64_t wanted = NearestSample(y - p.y, p.h, rows.height());
    if (wanted != read) {
      if (!rows.Skip(static_cast<int>(wanted - read - 1)) || !rows.Read(row.data()))
        return rows.problem();
      read = wanted;
    }
    std::uint8_t* to = canvas.row(static_cast<int>(y)) + xs.first * 3;
    for (const std::size_t offset : sourceOffset) {
      std::memcpy(to, row.data() + offset, 3);
      to += 3;
    }
  }
  return {};
}

}  // namespace

std::optional<std::string> DrawDirect(Canvas& canvas, const std::string& path,
                                      const Placement& p, int interpolation,
                                      ColorValue background) {
  if (p.kind == PlacementKind::Scaled && interpolation != 0) return std::nullopt;
  std::string problem;
  const std::unique_ptr<RowSource> rows = OpenRows(path, background, problem);
  if (!rows) return std::nullopt;
  if (!problem.empty()) return problem;
  switch (p.kind) {
    case PlacementKind::Unscaled: return DrawUnscaled(canvas, *rows, p);
    case PlacementKind::Tiled: return DrawTiled(canvas, *rows, p);
    case PlacementKind::Scaled: return DrawNearest(canvas, *rows, p);
    case PlacementKind::Nothing: break;
  }
  return std::string();
}

}  // namespace vendaro
