#include "model/monitors.h"

#include <algorithm>
#include <cstring>

namespace vendaro {
namespace {

std::string Called(const Monitor& monitor, std::size_t index) {
  return monitor.name.empty() ? "nr " + std::to_string(index + 1) : monitor.name;
}

std::string SizeText(const Rect& area) {
  return std::to_string(area.width) + "×" + std::to_string(area.height);
}

struct Extent {
  long long left = 0;
  long long top = 0;
  long long right = 0;
  long long bottom = 0;

  void Add(const Rect& r) {
    left = std::min(left, static_cast<long long>(r.left));
    top = std::min(top, static_cast<long long>(r.top));
    right = std::max(right, r.right());
    bottom = std::max(bottom, r.bottom());
  }
  static Extent Of(const Rect& r) { return {r.left, r.top, r.right(), r.bottom()}; }
  bool Fits() const { return right - left <= kMaxLayoutExtent && bottom - top <= kMaxLayoutExtent; }
};

}  // namespace

CheckedLayout CheckLayout(const MonitorLayout& layout) {
  CheckedLayout checked;
  Extent extent;
  for (std::size_t i = 0; i < layout.size(); ++i) {
    const Monitor& monitor = layout[i];
    const std::string name = "Monitor " + Called(monitor, i);
    if (monitor.area.empty()) {
      checked.problems.push_back(name + " ma rozmiar " + SizeText(monitor.area) +
                                 " i nie dostanie tapety.");
      continue;
    }
    if (monitor.area.width > kMaxMonitorSide || monitor.area.height > kMaxMonitorSide) {
      checked.problems.push_back(name + " (" + SizeText(monitor.area) + ") jest większy niż " +
                                 std::to_string(kMaxMonitorSide) +
                                 " pikseli w boku i nie dostanie tapety.");
      continue;
    }
    Extent grown = checked.usable.empty() ? Extent::Of(monitor.area) : extent;
    grown.Add(monitor.area);
    if (!grown.Fits()) {
      checked.problems.push_back(name + " leży poza " + std::to_string(kMaxLayoutExtent) +
                                 " pikselami, które może objąć układ monitorów, i nie dostanie "
                                 "tapety.");
      continue;
    }
    extent = grown;
    checked.usable.push_back(monitor);
  }
  if (!checked.usable.empty()) {
    const bool hasPrimary = std::any_of(checked.usable.begin(), checked.usable.end(),
                                        [](const Monitor& m) { return m.primary; });
    if (!hasPrimary) checked.usable.front().primary = true;
    std::stable_partition(checked.usable.begin(), checked.usable.end(),
                          [](const Monitor& m) { return m.primary; });
  }
  return checked;
}

Rect LayoutBounds(const MonitorLayout& layout) {
  if (layout.empty()) return {};
  Extent extent = Extent::Of(layout.front().area);
  for (const Monitor& monitor : layout) extent.Add(monitor.area);
  auto clamp = [](long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
  };
  return {clamp(extent.left), clamp(extent.top), clamp(extent.right - extent.left),
          clamp(extent.bottom - extent.top)};
}

Rect KeepOnScreens(const Rect& window, const std::vector<Rect>& workAreas) {
  if (workAreas.empty()) return window;
  const long long wantWidth = std::min(window.width, 64);
  const long long wantHeight = std::min(window.height, 32);
  for (const Rect& area : workAreas) {
    const long long width =
        std::min(window.right(), area.right()) - std::max<long long>(window.left, area.left);
    const long long height =
        std::min(window.bottom(), area.bottom()) - std::max<long long>(window.top, area.top);
    if (width >= wantWidth && height >= wantHeight && width > 0 && height > 0) return window;
  }
  const Rect& primary = workAreas.front();
  Rect moved = window;
  moved.left = primary.left + std::max(0, (primary.width - window.width) / 2);
  moved.top = primary.top + std::max(0, (primary.height - window.height) / 2);
  return moved;
}

Wallpapers OneScreen(const Canvas& canvas, const std::string& path) {
  // Member by member: GCC 12 warns of a string it thinks uninitialised in
  // the nested braces of an aggregate.
  MonitorPicture picture;
  picture.monitor.area = {0, 0, canvas.width, canvas.height};
  picture.monitor.primary = true;
  picture.canvas = &canvas;
  picture.path = path;
  Wallpapers wallpapers;
  wallpapers.monitors.push_back(std::move(picture));
  return wallpapers;
}

Canvas LayoutPicture(const Wallpapers& wallpapers) {
  MonitorLayout layout;
  for (const MonitorPicture& picture : wallpapers.monitors) layout.push_back(picture.monitor);
  const Rect bounds = LayoutBounds(layout);
  if (bounds.empty() || bounds.width > kMaxLayoutExtent || bounds.height > kMaxLayoutExtent)
    return {};
  Canvas whole;
  whole.width = bounds.width;
  whole.height = bounds.height;
  whole.rgb.resize(static_cast<std::size_t>(whole.width) * static_cast<std::size_t>(whole.height) *
                   3);
  const std::uint8_t fill[3] = {RedOf(wallpapers.background), GreenOf(wallpapers.background),
                                BlueOf(wallpapers.background)};
  for (std::size_t i = 0; i < whole.rgb.size(); i += 3) std::memcpy(&whole.rgb[i], fill, 3);
  for (const MonitorPicture& picture : wallpapers.monitors) {
    if (!picture.canvas || !picture.canvas->hasPixels()) continue;
    const Rect& area = picture.monitor.area;
    const int columns = std::min(area.width, picture.canvas->width);
    const int rows = std::min(area.height, picture.canvas->height);
    const int x = area.left - bounds.left;
    const int y = area.top - bounds.top;
    for (int row = 0; row < rows; ++row) {
      std::memcpy(whole.row(y + row) + static_cast<std::size_t>(x) * 3, picture.canvas->row(row),
                  static_cast<std::size_t>(columns) * 3);
    }
  }
  return whole;
}

std::vector<std::size_t> MonitorPositions(std::int64_t current, std::size_t listSize,
                                          std::size_t monitors) {
  std::vector<std::size_t> positions;
  if (current < 0 || static_cast<std::uint64_t>(current) >= listSize) return positions;
  const auto first = static_cast<std::size_t>(current);
  for (std::size_t k = 0; k < monitors; ++k) positions.push_back((first + k % listSize) % listSize);
  return positions;
}

}  // namespace vendaro
