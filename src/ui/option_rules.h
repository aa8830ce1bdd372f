#pragma once

#include <cstdint>
#include <string>

#include "model/color.h"
#include "model/local_date.h"
#include "model/options.h"

namespace vendaro {

// The unit label after the interval, as "co 1 minutę", "co 22 minuty",
// "co 25 minut" read.
std::string MinuteUnitText(int minutes);

// What the remaining-time label needs to know.
struct RemainingTimeInput {
  bool activeListEmpty = true;
  Choice<ChangeWhen> trigger;  // the dialog's item
  std::int32_t intervalMinutes = 0;
  std::int64_t elapsedSeconds = 0;
  DateTime today = 0;  // local date at midnight
  DateTime now = 0;    // local date and time
};
std::string RemainingTimeText(const RemainingTimeInput& input);

// Striped rows of the list and of the owner-drawn combos: odd rows in the
// base colour (or the highlight when selected), even rows in DarkenBy6 of it.
inline constexpr ColorValue kRowHighlight = Rgb(215, 234, 255);  // "$00FFEAD7"
ColorValue RowColor(bool selected, int index, ColorValue base);

// The colour swatch of the additional-settings dialog for a gap-fill choice.
// The desktop colour resets the working colour to it.
struct ColorPanelState {
  bool visible = true;
  bool handCursor = false;
  ColorValue color = kClBackground;
};
ColorPanelState ColorPanelForGapFill(Choice<MarginFill> gapFill, ColorValue& chosenColor);

}  // namespace vendaro
