#include "platform/desktop/detection.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace vendaro {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Whether `word` is one of the space-separated words of `list`.
bool ListHas(std::string_view list, std::string_view word) {
  while (!list.empty()) {
    const std::size_t space = list.find(' ');
    if (list.substr(0, space) == word) return true;
    if (space == std::string_view::npos) break;
    list.remove_prefix(space + 1);
  }
  return false;
}

DesktopKind KindOfName(std::string_view name) {
  const std::string lower = Lower(name);
  if (lower.empty()) return DesktopKind::Unknown;
  for (const DesktopRow& row : Desktops()) {
    if (ListHas(row.names, lower)) return row.kind;
  }
  return DesktopKind::Unknown;
}

// A set, non-empty variable's value.
std::string_view Value(const Environment& env, std::string_view name) {
  auto it = env.find(std::string(name));
  return it == env.end() ? std::string_view() : std::string_view(it->second);
}

// Whether any of the space-separated variables is set to a non-empty value,
// or, with `flag`, to "true" in any case.
bool AnySet(const Environment& env, std::string_view variables, bool flag) {
  while (!variables.empty()) {
    const std::size_t space = variables.find(' ');
    const std::string_view value = Value(env, variables.substr(0, space));
    if (flag ? Lower(value) == "true" : !value.empty()) return true;
    if (space == std::string_view::npos) break;
    variables.remove_prefix(space + 1);
  }
  return false;
}

DesktopKind FromCurrentDesktop(std::string_view list) {
  while (!list.empty()) {
    std::size_t colon = list.find(':');
    DesktopKind kind = KindOfName(list.substr(0, colon));
    if (kind != DesktopKind::Unknown) return kind;
    if (colon == std::string_view::npos) break;
    list.remove_prefix(colon + 1);
  }
  return DesktopKind::Unknown;
}

DesktopKind FromSession(std::string_view session) {
  // Old display managers put the session file's path here.
  if (std::size_t slash = session.rfind('/'); slash != std::string_view::npos) {
    session.remove_prefix(slash + 1);
  }
  return KindOfName(session);
}

DesktopKind FromSessionFlags(const Environment& env) {
  for (const DesktopRow& row : Desktops()) {
    if (AnySet(env, row.sessionFlags, true)) return row.kind;
  }
  return DesktopKind::Unknown;
}

}  // namespace

DesktopKind DetectDisplayServer(const Environment& env) {
  for (const DesktopRow& row : Desktops()) {
    if (AnySet(env, row.displayVariables, false)) return row.kind;
  }
  return DesktopKind::Unknown;
}

DesktopKind DetectDesktop(const Environment& env) {
  for (DesktopKind kind : {FromCurrentDesktop(Value(env, "XDG_CURRENT_DESKTOP")),
                           FromSession(Value(env, "DESKTOP_SESSION")), FromSessionFlags(env)}) {
    if (kind != DesktopKind::Unknown) return kind;
  }
  return DetectDisplayServer(env);
}

std::string DesktopProblem(DesktopKind kind, const Environment& env, DesktopProbe& probe) {
  const DesktopRow* row = FindDesktop(kind);
  if (!row) return "nie rozpoznano pulpitu, na którym można ustawić tapetę";
  return row->problem(env, probe);
}

DesktopChoice ConfirmDesktop(const Environment& env, DesktopProbe& probe) {
  const DesktopKind named = DetectDesktop(env);
  const std::string problem = DesktopProblem(named, env, probe);
  if (problem.empty()) return {named, ""};
  const std::string reason = named == DesktopKind::Unknown
                                 ? "Nie rozpoznano pulpitu, na którym można ustawić tapetę"
                                 : std::string("Pulpit ") + DesktopTitle(named) + ": " + problem;
  const DesktopRow* row = FindDesktop(named);
  if (row && row->drawsOwnBackground) {
    const std::string display(Value(env, "DISPLAY"));
    if (!display.empty() && probe.XDisplayOpens(display) && probe.RootBackgroundVisible(display))
      return {DesktopKind::X11, reason + "; tapeta ustawiona w tle okna głównego X"};
  }
  return {DesktopKind::Unknown, reason};
}

}  // namespace vendaro
