#include "model/canvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace vendaro {
namespace {

constexpr std::size_t kBytes = 4 * 3 * 3;

Canvas InBlock(CanvasMemory& memory, std::size_t bytes = kBytes) {
  Canvas c{4, 3, CanvasBytes(CanvasAllocator<std::uint8_t>(&memory))};
  c.rgb.resize(bytes);
  return c;
}

// A block of shared memory belongs to one canvas at a time, and only to
// that canvas: a helper's drawing must end up in the block, and nothing
// else may be drawn over it meanwhile.
TEST(CanvasMemory, OneCanvasAtATimeLivesInTheBlock) {
  struct Row {
    const char* name;
    // What happens to the canvas first made in the block; gives the canvas
    // to look at afterwards.
    std::function<Canvas(Canvas&, CanvasMemory&)> act;
    bool inBlock;    // the canvas looked at uses the block
    bool stillUsed;  // the first canvas still holds it
    bool drawn;      // the canvas looked at has what was drawn on the first
  };
  const Row rows[] = {
      {"moved", [](Canvas& c, CanvasMemory&) { return std::move(c); }, true, false, true},
      {"a copy", [](Canvas& c, CanvasMemory&) { return c; }, false, true, true},
      {"another canvas while it is used", [](Canvas&, CanvasMemory& m) { return InBlock(m); },
       false, true, false},
      {"another size", [](Canvas&, CanvasMemory& m) { return InBlock(m, kBytes + 3); }, false, true,
       false},
      {"another canvas once the first has gone",
       [](Canvas& c, CanvasMemory& m) {
         c = Canvas{};
         return InBlock(m);
       },
       true, false, false},
      {"grown beyond it",
       [](Canvas& c, CanvasMemory&) {
         c.rgb.resize(kBytes * 2);
         return std::move(c);
       },
       false, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::uint8_t block[kBytes] = {};
    CanvasMemory memory{block, kBytes};
    Canvas first = InBlock(memory);
    ASSERT_EQ(first.rgb.data(), block);
    first.rgb[5] = 7;
    const Canvas looked = row.act(first, memory);
    EXPECT_EQ(looked.rgb.data() == block, row.inBlock);
    EXPECT_EQ(first.rgb.data() == block, row.stillUsed);
    if (row.drawn) {
      EXPECT_EQ(looked.rgb[5], 7);
    }
  }
}

}  // namespace
}  // namespace vendaro
