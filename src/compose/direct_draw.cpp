#include "compose/direct_draw.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "compose/repeat.h"
#include "compose/row_sources.h"
#include "compose/span.h"

namespace vendaro {
namespace {

Status DrawUnscaled(Canvas& canvas, RowSource& rows, const Placement& p) {
  const Span xs = Visible(p.x, rows.width(), canvas.width);
  const Span ys = Visible(p.y, rows.height(), canvas.height);
  if (xs.empty() || ys.empty()) return Status::Ok();
  if (Status skipped = rows.Skip(static_cast<int>(ys.first - p.y)); !skipped) return skipped;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rows.width()) * 3);
  for (std::int64_t y = ys.first; y < ys.end; ++y) {
    if (Status read = rows.Read(row.data()); !read) return read;
    std::memcpy(canvas.row(static_cast<int>(y)) + xs.first * 3, row.data() + (xs.first - p.x) * 3,
                static_cast<std::size_t>(xs.end - xs.first) * 3);
  }
  return Status::Ok();
}

// One cell of the grid, the picture's top-left part over the background,
// repeated; see the general path for why one cell is enough.
Status DrawTiled(Canvas& canvas, RowSource& rows, const Placement& p) {
  const int cellWidth = std::min(p.w, canvas.width);
  const int cellHeight = std::min(p.h, canvas.height);
  const int drawnRows = std::min(rows.height(), cellHeight);
  const std::size_t drawnBytes = static_cast<std::size_t>(std::min(rows.width(), cellWidth)) * 3;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rows.width()) * 3);
  for (int y = 0; y < drawnRows; ++y) {
    if (Status read = rows.Read(row.data()); !read) return read;
    std::memcpy(canvas.row(y), row.data(), drawnBytes);
  }
  RepeatCell(canvas, cellWidth, cellHeight);
  return Status::Ok();
}

// The picture pixel under the centre of each canvas pixel.
std::int64_t NearestSample(std::int64_t index, std::int64_t size, std::int64_t sourceSize) {
  return (2 * index + 1) * sourceSize / (2 * size);
}

Status DrawNearest(Canvas& canvas, RowSource& rows, const Placement& p) {
  const Span xs = Visible(p.x, p.w, canvas.width);
  const Span ys = Visible(p.y, p.h, canvas.height);
  if (xs.empty() || ys.empty()) return Status::Ok();
  std::vector<std::size_t> sourceOffset;
  sourceOffset.reserve(static_cast<std::size_t>(xs.end - xs.first));
  for (std::int64_t x = xs.first; x < xs.end; ++x)
    sourceOffset.push_back(static_cast<std::size_t>(NearestSample(x - p.x, p.w, rows.width())) * 3);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rows.width()) * 3);
  std::int64_t read = -1;  // the source row in `row`
  for (std::int64_t y = ys.first; y < ys.end; ++y) {
    const std::int64_t wanted = NearestSample(y - p.y, p.h, rows.height());
    if (wanted != read) {
      if (Status skipped = rows.Skip(static_cast<int>(wanted - read - 1)); !skipped) return skipped;
      if (Status got = rows.Read(row.data()); !got) return got;
      read = wanted;
    }
    std::uint8_t* to = canvas.row(static_cast<int>(y)) + xs.first * 3;
    for (const std::size_t offset : sourceOffset) {
      std::memcpy(to, row.data() + offset, 3);
      to += 3;
    }
  }
  return Status::Ok();
}

// first, first + 1, ..., end - 1.
std::vector<std::int64_t> Range(std::int64_t first, std::int64_t end) {
  std::vector<std::int64_t> values;
  for (std::int64_t v = first; v < end; ++v) values.push_back(v);
  return values;
}

// The picture pixels the visible outputs of an axis sample, once each.
std::vector<std::int64_t> Samples(const Span& outputs, std::int64_t at, std::int64_t size,
                                  std::int64_t sourceSize) {
  std::vector<std::int64_t> values;
  for (std::int64_t o = outputs.first; o < outputs.end; ++o) {
    const std::int64_t sample = NearestSample(o - at, size, sourceSize);
    if (values.empty() || values.back() != sample) values.push_back(sample);
  }
  return values;
}

}  // namespace

PicturePart NeededPart(const Canvas& canvas, const Placement& p, std::int64_t width,
                       std::int64_t height) {
  switch (p.kind) {
    case PlacementKind::Unscaled: {
      const Span xs = Visible(p.x, width, canvas.width), ys = Visible(p.y, height, canvas.height);
      return {Range(xs.first - p.x, xs.end - p.x), Range(ys.first - p.y, ys.end - p.y)};
    }
    case PlacementKind::Tiled:
      return {Range(0, std::min<std::int64_t>(width, std::min(p.w, canvas.width))),
              Range(0, std::min<std::int64_t>(height, std::min(p.h, canvas.height)))};
    case PlacementKind::Scaled:
      return {Samples(Visible(p.x, p.w, canvas.width), p.x, p.w, width),
              Samples(Visible(p.y, p.h, canvas.height), p.y, p.h, height)};
    case PlacementKind::Nothing:
      break;
  }
  return {};
}

Status DrawRows(Canvas& canvas, RowSource& rows, const Placement& p) {
  switch (p.kind) {
    case PlacementKind::Unscaled:
      return DrawUnscaled(canvas, rows, p);
    case PlacementKind::Tiled:
      return DrawTiled(canvas, rows, p);
    case PlacementKind::Scaled:
      return DrawNearest(canvas, rows, p);
    case PlacementKind::Nothing:
      break;
  }
  return Status::Ok();
}

Result<PathOutcome> DrawDirect(Canvas& canvas, const std::string& path, const Placement& p,
                               Choice<ScaleFilter> interpolation, ColorValue background) {
  if (p.kind == PlacementKind::Scaled && interpolation != ScaleFilter::Nearest)
    return PathOutcome::NotMine;
  const auto needed = [&canvas, &p](std::int64_t width, std::int64_t height) {
    return NeededPart(canvas, p, width, height);
  };
  Result<Claimed<std::unique_ptr<RowSource>>> rows = OpenRows(path, background, needed);
  if (!rows) return rows.status();
  if (!rows->mine()) return PathOutcome::NotMine;
  if (Status drawn = DrawRows(canvas, *rows->value(), p); !drawn) return drawn;
  return PathOutcome::Drawn;
}

}  // namespace vendaro
