#include "model/color.h"

#include <gtest/gtest.h>

#include <set>

namespace vendaro {
namespace {

const char* const kNames[] = {"clBlack",
                              "clMaroon",
                              "clGreen",
                              "clOlive",
                              "clNavy",
                              "clPurple",
                              "clTeal",
                              "clGray",
                              "clSilver",
                              "clRed",
                              "clLime",
                              "clYellow",
                              "clBlue",
                              "clFuchsia",
                              "clAqua",
                              "clWhite",
                              "clMoneyGreen",
                              "clSkyBlue",
                              "clCream",
                              "clMedGray",
                              "clActiveBorder",
                              "clActiveCaption",
                              "clAppWorkSpace",
                              "clBackground",
                              "clBtnFace",
                              "clBtnHighlight",
                              "clBtnShadow",
                              "clBtnText",
                              "clCaptionText",
                              "clGradientActiveCaption",
                              "clGradientInactiveCaption",
                              "clGrayText",
                              "clHighlight",
                              "clHighlightText",
                              "clHotLight",
                              "clInactiveBorder",
                              "clInactiveCaption",
                              "clInactiveCaptionText",
                              "clInfoBk",
                              "clInfoText",
                              "clMenu",
                              "clMenuBar",
                              "clMenuHighlight",
                              "clMenuText",
                              "clScrollBar",
                              "cl3DDkShadow",
                              "cl3DLight",
                              "clWindow",
                              "clWindowFrame",
                              "clDefault",
                              "clNone"};

TEST(ColorNames, All51RoundTripWithDistinctValues) {
  std::set<ColorValue> values;
  for (const char* name : kNames) {
    const auto value = StringToColor(name);
    ASSERT_TRUE(value) << name;
    values.insert(*value);
    EXPECT_EQ(ColorToString(*value), name);
  }
  EXPECT_EQ(values.size(), 51u);
}

TEST(ColorNames, KnownValues) {
  const std::pair<const char*, ColorValue> cases[] = {
      {"clRed", Rgb(255, 0, 0)},         {"clMoneyGreen", Rgb(192, 220, 192)},
      {"clSkyBlue", Rgb(166, 202, 240)}, {"clCream", Rgb(255, 251, 240)},
      {"clMedGray", Rgb(160, 160, 164)}, {"clBackground", 0xFF000001u},
      {"clScrollBar", 0xFF000000u},      {"clMenuBar", 0xFF00001Eu},
      {"clDefault", 0x20000000u},        {"clNone", 0x1FFFFFFFu},
  };
  for (const auto& [name, value] : cases) EXPECT_EQ(StringToColor(name), value) << name;
}

TEST(ColorText, WritesNamesOrDollarHex) {
  EXPECT_EQ(ColorToString(Rgb(255, 0, 0)), "clRed");
  EXPECT_EQ(ColorToString(Rgb(215, 234, 255)), "$00FFEAD7");
  EXPECT_EQ(ColorToString(Rgb(1, 2, 3)), "$00030201");
  EXPECT_EQ(ColorToString(0xFF000063u), "$FF000063");
}

TEST(ColorText, ReadsNamesWithoutCaseAndNumbers) {
  const std::pair<const char*, std::optional<ColorValue>> cases[] = {
      {"CLRED", Rgb(255, 0, 0)},
      {"clbackground", kClBackground},
      {"$00FFEAD7", Rgb(215, 234, 255)},
      {"$00ffead7", Rgb(215, 234, 255)},
      {"0x00FFEAD7", Rgb(215, 234, 255)},
      {"16777215", Rgb(255, 255, 255)},
      {"-1", 0xFFFFFFFFu},
      {"$FF000001", kClBackground},
      {"czerwony", std::nullopt},
      {"", std::nullopt},
      {"clRed ", std::nullopt},
      {"$1FFFFFFFF", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(StringToColor(text), expected) << text;
}

TEST(DarkenBy6, LowersEachChannelModulo256) {
  EXPECT_EQ(DarkenBy6(Rgb(255, 255, 255)), Rgb(249, 249, 249));
  EXPECT_EQ(DarkenBy6(Rgb(215, 234, 255)), Rgb(209, 228, 249));
  EXPECT_EQ(DarkenBy6(Rgb(0, 5, 6)), Rgb(250, 255, 0));
}

}  // namespace
}  // namespace vendaro
