#include "ui/option_rules.h"

#include "model/polish_plural.h"

namespace vendaro {

std::string MinuteUnitText(int minutes) {
  return PolishPlural(minutes, "minutę", "minuty", "minut");
}

std::string RemainingTimeText(const RemainingTimeInput& input) {
  const std::string prefix = "Do kolejnej zmiany pozostało : ";
  if (input.activeListEmpty) return "Do kolejnej zmiany pozostało :";
  std::int64_t remaining = 0;
  if (input.trigger == ChangeWhen::AfterInterval) {
    // The counter is compared as its low 32 bits, signed, as the scheduler keeps it.
    const auto elapsed =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(input.elapsedSeconds));
    remaining = static_cast<std::int32_t>(std::int64_t{input.intervalMinutes} * 60 - elapsed);
  } else if (input.trigger == ChangeWhen::OnceADay) {
    remaining = static_cast<std::int64_t>((input.today + 1 - input.now) * 86400);
  } else {
    return prefix;
  }
  const std::int64_t hours = remaining / 60 / 60;
  const std::int64_t minutes = remaining / 60 - hours * 60;
  const std::int64_t seconds = remaining - minutes * 60 - hours * 3600;
  std::string text = prefix;
  if (hours > 0) text += std::to_string(hours) + " h ";
  if (minutes > 0) text += std::to_string(minutes) + " m ";
  if (seconds > 0) text += std::to_string(seconds) + " s";
  return text;
}

ColorValue RowColor(bool selected, int index, ColorValue base) {
  const ColorValue color = selected ? kRowHighlight : base;
  return index % 2 == 0 ? DarkenBy6(color) : color;
}

ColorPanelState ColorPanelForGapFill(Choice<MarginFill> gapFill, ColorValue& chosenColor) {
  switch (MarginFill(gapFill)) {
    case MarginFill::DesktopColour:
      chosenColor = kClBackground;
      return {true, false, kClBackground};
    case MarginFill::ChosenColour:
      return {true, true, chosenColor};
    default:
      return {false, false, chosenColor};
  }
}

}  // namespace vendaro
