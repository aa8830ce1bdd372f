#include "model/color.h"

#include <array>
#include <cstdio>

#include "model/text_rules.h"

namespace vendaro {
namespace {

struct NamedColor {
  std::string_view name;
  ColorValue value;
};

constexpr ColorValue System(std::uint8_t index) {
  return 0xFF000000u | index;
}

constexpr std::array<NamedColor, 51> kNamedColors = {{
    {"clBlack", Rgb(0, 0, 0)},
    {"clMaroon", Rgb(128, 0, 0)},
    {"clGreen", Rgb(0, 128, 0)},
    {"clOlive", Rgb(128, 128, 0)},
    {"clNavy", Rgb(0, 0, 128)},
    {"clPurple", Rgb(128, 0, 128)},
    {"clTeal", Rgb(0, 128, 128)},
    {"clGray", Rgb(128, 128, 128)},
    {"clSilver", Rgb(192, 192, 192)},
    {"clRed", Rgb(255, 0, 0)},
    {"clLime", Rgb(0, 255, 0)},
    {"clYellow", Rgb(255, 255, 0)},
    {"clBlue", Rgb(0, 0, 255)},
    {"clFuchsia", Rgb(255, 0, 255)},
    {"clAqua", Rgb(0, 255, 255)},
    {"clWhite", Rgb(255, 255, 255)},
    {"clMoneyGreen", Rgb(192, 220, 192)},
    {"clSkyBlue", Rgb(166, 202, 240)},
    {"clCream", Rgb(255, 251, 240)},
    {"clMedGray", Rgb(160, 160, 164)},
    {"clActiveBorder", System(10)},
    {"clActiveCaption", System(2)},
    {"clAppWorkSpace", System(12)},
    {"clBackground", System(1)},
    {"clBtnFace", System(15)},
    {"clBtnHighlight", System(20)},
    {"clBtnShadow", System(16)},
    {"clBtnText", System(18)},
    {"clCaptionText", System(9)},
    {"clGradientActiveCaption", System(27)},
    {"clGradientInactiveCaption", System(28)},
    {"clGrayText", System(17)},
    {"clHighlight", System(13)},
    {"clHighlightText", System(14)},
    {"clHotLight", System(26)},
    {"clInactiveBorder", System(11)},
    {"clInactiveCaption", System(3)},
    {"clInactiveCaptionText", System(19)},
    {"clInfoBk", System(24)},
    {"clInfoText", System(23)},
    {"clMenu", System(4)},
    {"clMenuBar", System(30)},
    {"clMenuHighlight", System(29)},
    {"clMenuText", System(7)},
    {"clScrollBar", System(0)},
    {"cl3DDkShadow", System(21)},
    {"cl3DLight", System(22)},
    {"clWindow", System(5)},
    {"clWindowFrame", System(6)},
    {"clDefault", 0x20000000u},
    {"clNone", 0x1FFFFFFFu},
}};

}  // namespace

std::string ColorToString(ColorValue value) {
  for (const NamedColor& named : kNamedColors) {
    if (named.value == value) return std::string(named.name);
  }
  char text[10];
  std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(value));
  return text;
}

std::optional<ColorValue> StringToColor(std::string_view text) {
  for (const NamedColor& named : kNamedColors) {
    if (EqualsIgnoringAsciiCase(named.name, text)) return named.value;
  }
  if (const std::optional<std::int32_t> number = ParseInteger(text)) {
    return static_cast<ColorValue>(*number);
  }
  return std::nullopt;
}

ColorValue DarkenBy6(ColorValue value) {
  return Rgb(std::uint8_t(RedOf(value) - 6), std::uint8_t(GreenOf(value) - 6),
             std::uint8_t(BlueOf(value) - 6));
}

}  // namespace vendaro
