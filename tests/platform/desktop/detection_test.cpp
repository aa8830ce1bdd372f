#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/desktop/desktop_probe.h"

namespace vendaro {
namespace {

struct DetectRow {
  const char* name;
  Environment env;
  DesktopKind expected;
};

std::string RowName(const ::testing::TestParamInfo<DetectRow>& row) {
  return row.param.name;
}

class DetectDesktopTest : public ::testing::TestWithParam<DetectRow> {};

TEST_P(DetectDesktopTest, NamesTheDesktop) {
  EXPECT_EQ(DesktopKindName(DetectDesktop(GetParam().env)),
            std::string(DesktopKindName(GetParam().expected)));
}

const Environment kX{{"DISPLAY", ":0"}};

INSTANTIATE_TEST_SUITE_P(
    Table, DetectDesktopTest,
    ::testing::Values(
        DetectRow{"gnome", {{"XDG_CURRENT_DESKTOP", "GNOME"}}, DesktopKind::Gnome},
        DetectRow{"ubuntu_list", {{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}, DesktopKind::Gnome},
        DetectRow{
            "pop_list_unknown_first", {{"XDG_CURRENT_DESKTOP", "pop:GNOME"}}, DesktopKind::Gnome},
        DetectRow{
            "gnome_classic", {{"XDG_CURRENT_DESKTOP", "GNOME-Classic:GNOME"}}, DesktopKind::Gnome},
        DetectRow{"budgie", {{"XDG_CURRENT_DESKTOP", "Budgie:GNOME"}}, DesktopKind::Gnome},
        DetectRow{"unity", {{"XDG_CURRENT_DESKTOP", "Unity"}}, DesktopKind::Gnome},
        DetectRow{"cinnamon", {{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}}, DesktopKind::Cinnamon},
        DetectRow{"mate", {{"XDG_CURRENT_DESKTOP", "MATE"}}, DesktopKind::Mate},
        DetectRow{"kde", {{"XDG_CURRENT_DESKTOP", "KDE"}}, DesktopKind::Kde},
        DetectRow{"xfce", {{"XDG_CURRENT_DESKTOP", "XFCE"}}, DesktopKind::Xfce},
        DetectRow{"sway", {{"XDG_CURRENT_DESKTOP", "sway"}}, DesktopKind::Sway},
        DetectRow{"hyprland", {{"XDG_CURRENT_DESKTOP", "Hyprland"}}, DesktopKind::Wlroots},
        DetectRow{"lower_case", {{"XDG_CURRENT_DESKTOP", "kde"}}, DesktopKind::Kde},
        DetectRow{"mixed_case", {{"XDG_CURRENT_DESKTOP", "xFcE"}}, DesktopKind::Xfce},
        DetectRow{"first_known_wins", {{"XDG_CURRENT_DESKTOP", "KDE:GNOME"}}, DesktopKind::Kde},
        DetectRow{"empty_items_skipped", {{"XDG_CURRENT_DESKTOP", "::MATE:"}}, DesktopKind::Mate},
        DetectRow{"list_beats_session",
                  {{"XDG_CURRENT_DESKTOP", "GNOME"}, {"DESKTOP_SESSION", "plasma"}},
                  DesktopKind::Gnome},
        DetectRow{"unknown_list_then_session",
                  {{"XDG_CURRENT_DESKTOP", "Foo"}, {"DESKTOP_SESSION", "plasma"}},
                  DesktopKind::Kde},
        DetectRow{"session_xfce", {{"DESKTOP_SESSION", "xfce"}}, DesktopKind::Xfce},
        DetectRow{
            "session_path", {{"DESKTOP_SESSION", "/usr/share/xsessions/plasma"}}, DesktopKind::Kde},
        DetectRow{"session_ubuntu", {{"DESKTOP_SESSION", "ubuntu"}}, DesktopKind::Gnome},
        DetectRow{"session_cinnamon", {{"DESKTOP_SESSION", "cinnamon"}}, DesktopKind::Cinnamon},
        DetectRow{"kde_full_session",
                  {{"KDE_FULL_SESSION", "true"}, {"DISPLAY", ":0"}},
                  DesktopKind::Kde},
        DetectRow{"kde_full_session_false",
                  {{"KDE_FULL_SESSION", "false"}, {"DISPLAY", ":0"}},
                  DesktopKind::X11},
        DetectRow{"swaysock",
                  {{"SWAYSOCK", "/run/user/1/sway.sock"}, {"DISPLAY", ":0"}},
                  DesktopKind::Sway},
        DetectRow{
            "hyprland_signature", {{"HYPRLAND_INSTANCE_SIGNATURE", "abc"}}, DesktopKind::Wlroots},
        DetectRow{"wayland_beats_xwayland",
                  {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
                  DesktopKind::Wlroots},
        DetectRow{"plain_x", kX, DesktopKind::X11},
        DetectRow{"i3_on_x", {{"XDG_CURRENT_DESKTOP", "i3"}, {"DISPLAY", ":0"}}, DesktopKind::X11},
        DetectRow{"empty_values_are_unset",
                  {{"XDG_CURRENT_DESKTOP", ""}, {"WAYLAND_DISPLAY", ""}, {"DISPLAY", ":1"}},
                  DesktopKind::X11},
        DetectRow{"nothing", {}, DesktopKind::Unknown}),
    RowName);

// Answers from a table instead of the system.
class FakeProbe : public DesktopProbe {
 public:
  std::set<std::string> owners, startable, programs, schemas, displays, visibleRoots;
  bool BusNameHasOwner(const std::string& name) override { return owners.count(name) > 0; }
  bool BusNameAvailable(const std::string& name) override {
    return owners.count(name) > 0 || startable.count(name) > 0;
  }
  bool ProgramExists(const std::string& name) override { return programs.count(name) > 0; }
  bool SchemaInstalled(const std::string& schema) override { return schemas.count(schema) > 0; }
  bool XDisplayOpens(const std::string& display) override { return displays.count(display) > 0; }
  bool RootBackgroundVisible(const std::string& display) override {
    return visibleRoots.count(display) > 0;
  }

  // Rows read as a sentence: Probe().Owns("a").Display(":0").
  FakeProbe Owns(const std::string& name) const { return With(&FakeProbe::owners, name); }
  FakeProbe Starts(const std::string& name) const { return With(&FakeProbe::startable, name); }
  FakeProbe Program(const std::string& name) const { return With(&FakeProbe::programs, name); }
  FakeProbe Schema(const std::string& name) const { return With(&FakeProbe::schemas, name); }
  FakeProbe Display(const std::string& name) const { return With(&FakeProbe::displays, name); }
  FakeProbe RootSeen(const std::string& name) const { return With(&FakeProbe::visibleRoots, name); }

 private:
  FakeProbe With(std::set<std::string> FakeProbe::*field, const std::string& name) const {
    FakeProbe copy = *this;
    (copy.*field).insert(name);
    return copy;
  }
};

struct ConfirmRow {
  const char* name;
  Environment env;
  FakeProbe probe;
  DesktopKind expected;
  // Words the reason (for a failure) or the note (for a fallback) holds;
  // empty: nothing to say.
  std::vector<std::string> said;
};

FakeProbe Probe() {
  return {};
}

std::string ConfirmRowName(const ::testing::TestParamInfo<ConfirmRow>& row) {
  return row.param.name;
}

class ConfirmDesktopTest : public ::testing::TestWithParam<ConfirmRow> {};

TEST_P(ConfirmDesktopTest, UsesTheNamedDesktopOrSaysWhyNot) {
  ConfirmRow row = GetParam();
  const DesktopChoice choice = ConfirmDesktop(row.env, row.probe);
  EXPECT_EQ(DesktopKindName(choice.kind), std::string(DesktopKindName(row.expected)));
  if (row.said.empty()) {
    EXPECT_EQ(choice.problem, "");
  }
  for (const std::string& word : row.said)
    EXPECT_NE(choice.problem.find(word), std::string::npos) << choice.problem;
}

const Environment kKdeOnX{{"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":0"}};
const Environment kXfceOnX{{"XDG_CURRENT_DESKTOP", "XFCE"}, {"DISPLAY", ":0"}};

INSTANTIATE_TEST_SUITE_P(
    Table, ConfirmDesktopTest,
    ::testing::Values(
        ConfirmRow{"kde_answers",
                   kKdeOnX,
                   Probe().Owns("org.kde.plasmashell").Display(":0"),
                   DesktopKind::Kde,
                   {}},
        // Without plasmashell nothing draws over the root: it can stand in, said so.
        ConfirmRow{"kde_absent_root_seen",
                   kKdeOnX,
                   Probe().Display(":0").RootSeen(":0"),
                   DesktopKind::X11,
                   {"KDE Plasma", "plasmashell", "okna głównego"}},
        // A desktop window (or a compositor) covers the root: setting it would show nothing.
        ConfirmRow{"kde_absent_root_covered",
                   kKdeOnX,
                   Probe().Display(":0"),
                   DesktopKind::Unknown,
                   {"KDE Plasma", "plasmashell"}},
        ConfirmRow{"gnome_without_schema_on_x",
                   {{"XDG_CURRENT_DESKTOP", "GNOME"}, {"DISPLAY", ":0"}},
                   Probe().Display(":0"),
                   DesktopKind::Unknown,
                   {"GNOME", "org.gnome.desktop.background"}},
        ConfirmRow{"gnome_with_schema",
                   {{"XDG_CURRENT_DESKTOP", "GNOME"}},
                   Probe().Schema("org.gnome.desktop.background"),
                   DesktopKind::Gnome,
                   {}},
        ConfirmRow{"mate_needs_its_own_schema",
                   {{"XDG_CURRENT_DESKTOP", "MATE"}, {"DISPLAY", ":0"}},
                   Probe().Schema("org.gnome.desktop.background").Display(":0"),
                   DesktopKind::Unknown,
                   {"MATE", "org.mate.background"}},
        ConfirmRow{"cinnamon_without_schema",
                   {{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}, {"DISPLAY", ":0"}},
                   Probe().Display(":0"),
                   DesktopKind::Unknown,
                   {"Cinnamon", "org.cinnamon.desktop.background"}},
        ConfirmRow{"cinnamon_schema",
                   {{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}},
                   Probe().Schema("org.cinnamon.desktop.background"),
                   DesktopKind::Cinnamon,
                   {}},
        ConfirmRow{"xfce_service_running",
                   kXfceOnX,
                   Probe().Owns("org.xfce.Xfconf"),
                   DesktopKind::Xfce,
                   {}},
        ConfirmRow{"xfce_service_startable",
                   kXfceOnX,
                   Probe().Starts("org.xfce.Xfconf"),
                   DesktopKind::Xfce,
                   {}},
        ConfirmRow{"xfce_service_missing_under_xfdesktop",
                   kXfceOnX,
                   Probe().Program("xfconf-query").Display(":0"),
                   DesktopKind::Unknown,
                   {"XFCE", "xfconfd"}},
        ConfirmRow{"sway_answers",
                   {{"XDG_CURRENT_DESKTOP", "sway"}, {"SWAYSOCK", "/s"}, {"WAYLAND_DISPLAY", "w"}},
                   Probe().Program("swaymsg").Program("swaybg"),
                   DesktopKind::Sway,
                   {}},
        ConfirmRow{"sway_without_swaymsg",
                   {{"SWAYSOCK", "/s"}, {"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":0"}},
                   Probe().Program("swaybg").Display(":0"),
                   DesktopKind::Unknown,
                   {"sway", "swaymsg"}},
        ConfirmRow{"hyprland_uses_swaybg",
                   {{"XDG_CURRENT_DESKTOP", "Hyprland"}, {"WAYLAND_DISPLAY", "w"}},
                   Probe().Program("swaybg"),
                   DesktopKind::Wlroots,
                   {}},
        ConfirmRow{"wlroots_without_swaybg",
                   {{"WAYLAND_DISPLAY", "w"}},
                   Probe(),
                   DesktopKind::Unknown,
                   {"swaybg"}},
        // KWin on Wayland shows no X root, and swaybg would be drawn under Plasma.
        ConfirmRow{"kde_absent_on_wayland",
                   {{"XDG_CURRENT_DESKTOP", "KDE"}, {"WAYLAND_DISPLAY", "w"}},
                   Probe().Program("swaybg"),
                   DesktopKind::Unknown,
                   {"plasmashell"}},
        ConfirmRow{"plain_x", kX, Probe().Display(":0"), DesktopKind::X11, {}},
        ConfirmRow{"x_server_gone", kX, Probe(), DesktopKind::Unknown, {":0"}},
        ConfirmRow{"no_display_at_all",
                   {{"XDG_CURRENT_DESKTOP", "KDE"}},
                   Probe(),
                   DesktopKind::Unknown,
                   {"plasmashell"}},
        ConfirmRow{"nothing_named", {}, Probe(), DesktopKind::Unknown, {"Nie rozpoznano"}}),
    ConfirmRowName);

}  // namespace
}  // namespace vendaro
