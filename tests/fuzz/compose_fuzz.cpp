// Whole compositions: the first six bytes choose the options and a small
// screen, the rest is the picture.  Every drawing path is reached, and a
// picture that cannot be drawn leaves the plain background.
#include "compose/compose_wallpaper.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  if (size < 6) return 0;
  Options o;
  o.DisplayMode = std::int8_t(data[0] % 5);
  o.Alignment = std::int8_t(data[1] % 9);
  o.GapFill = std::int8_t(data[2] % 3);
  o.Interpolation = std::int8_t(data[3] % 3);
  o.FillColor = Rgb(data[2], data[3], 77);
  const ScreenSize screen{1 + data[4] % 64, 1 + data[5] % 48};
  const std::string path = fuzz::WriteFile("picture", fuzz::Text(data + 6, size - 6));
  const RenderResult r = RenderEntry(MakeEntry(path, 1 + data[4] % 97, 1 + data[5] % 89), o, screen,
                                     [](int) { return Rgb(1, 2, 3); });
  if (r.canvas.width != screen.width || r.canvas.height != screen.height)
    fuzz::Fail("canvas of another size");
  if (r.picture.ok()) return 0;
  for (std::size_t i = 0; i < r.canvas.rgb.size(); i += 3)
    if (r.canvas.rgb[i] != data[2] || r.canvas.rgb[i + 1] != data[3] || r.canvas.rgb[i + 2] != 77)
      fuzz::Fail("a failed picture left pixels behind");
  return 0;
}
