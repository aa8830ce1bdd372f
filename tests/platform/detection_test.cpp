#include <gtest/gtest.h>

#include <set>

#include "platform/desktop_probe.h"

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
        DetectRow{"sway", {{"XDG_CURRENT_DESKTOP", "sway"}}, DesktopKind::Wlroots},
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
                  DesktopKind::Wlroots},
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
  std::set<std::string> owners, programs, schemas, displays;
  bool BusNameHasOwner(const std::string& name) override { return owners.count(name) > 0; }
  bool ProgramExists(const std::string& name) override { return programs.count(name) > 0; }
  bool SchemaInstalled(const std::string& schema) override { return schemas.count(schema) > 0; }
  bool XDisplayOpens(const std::string& display) override { return displays.count(display) > 0; }
};

struct ConfirmRow {
  const char* name;
  Environment env;
  FakeProbe probe;
  DesktopKind expected;
};

FakeProbe Probe(std::set<std::string> owners, std::set<std::string> programs,
                std::set<std::string> schemas, std::set<std::string> displays) {
  FakeProbe probe;
  probe.owners = std::move(owners);
  probe.programs = std::move(programs);
  probe.schemas = std::move(schemas);
  probe.displays = std::move(displays);
  return probe;
}

std::string ConfirmRowName(const ::testing::TestParamInfo<ConfirmRow>& row) {
  return row.param.name;
}

class ConfirmDesktopTest : public ::testing::TestWithParam<ConfirmRow> {};

TEST_P(ConfirmDesktopTest, FallsBackWhenTheServiceIsAbsent) {
  ConfirmRow row = GetParam();
  EXPECT_EQ(DesktopKindName(ConfirmDesktop(row.env, row.probe)),
            std::string(DesktopKindName(row.expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfirmDesktopTest,
    ::testing::Values(ConfirmRow{"kde_answers",
                                 {{"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":0"}},
                                 Probe({"org.kde.plasmashell"}, {}, {}, {":0"}),
                                 DesktopKind::Kde},
                      ConfirmRow{"kde_named_but_absent_on_x",
                                 {{"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":0"}},
                                 Probe({}, {}, {}, {":0"}),
                                 DesktopKind::X11},
                      ConfirmRow{"gnome_without_schema_on_x",
                                 {{"XDG_CURRENT_DESKTOP", "GNOME"}, {"DISPLAY", ":0"}},
                                 Probe({}, {}, {}, {":0"}),
                                 DesktopKind::X11},
                      ConfirmRow{"gnome_with_schema",
                                 {{"XDG_CURRENT_DESKTOP", "GNOME"}},
                                 Probe({}, {}, {"org.gnome.desktop.background"}, {}),
                                 DesktopKind::Gnome},
                      ConfirmRow{"mate_needs_its_own_schema",
                                 {{"XDG_CURRENT_DESKTOP", "MATE"}, {"DISPLAY", ":0"}},
                                 Probe({}, {}, {"org.gnome.desktop.background"}, {":0"}),
                                 DesktopKind::X11},
                      ConfirmRow{"cinnamon_schema",
                                 {{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}},
                                 Probe({}, {}, {"org.cinnamon.desktop.background"}, {}),
                                 DesktopKind::Cinnamon},
                      ConfirmRow{"xfce_tool_present",
                                 {{"XDG_CURRENT_DESKTOP", "XFCE"}},
                                 Probe({}, {"xfconf-query"}, {}, {}),
                                 DesktopKind::Xfce},
                      ConfirmRow{"xfce_tool_missing_on_x",
                                 {{"XDG_CURRENT_DESKTOP", "XFCE"}, {"DISPLAY", ":0"}},
                                 Probe({}, {}, {}, {":0"}),
                                 DesktopKind::X11},
                      ConfirmRow{"sway_without_swaybg",
                                 {{"SWAYSOCK", "/s"}, {"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":0"}},
                                 Probe({}, {}, {}, {":0"}),
                                 DesktopKind::Unknown},
                      ConfirmRow{"kde_absent_on_wayland_uses_swaybg",
                                 {{"XDG_CURRENT_DESKTOP", "KDE"}, {"WAYLAND_DISPLAY", "w"}},
                                 Probe({}, {"swaybg"}, {}, {}),
                                 DesktopKind::Wlroots},
                      ConfirmRow{"x_server_gone", kX, Probe({}, {}, {}, {}), DesktopKind::Unknown},
                      ConfirmRow{"no_display_at_all",
                                 {{"XDG_CURRENT_DESKTOP", "KDE"}},
                                 Probe({}, {}, {}, {}),
                                 DesktopKind::Unknown}),
    ConfirmRowName);

}  // namespace
}  // namespace vendaro
