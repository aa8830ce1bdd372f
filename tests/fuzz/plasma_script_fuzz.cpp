// Text from outside entering Plasma's scripts: always one plain-ASCII
// string literal, whatever the bytes.
#include "fuzz_support.h"
#include "platform/desktops/kde/kde_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const std::string text(fuzz::Text(data, size));
  const std::string literal = JsStringLiteral(text);
  if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'')
    fuzz::Fail("not a quoted literal");
  bool escaped = false;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    const char c = literal[i];
    if (c < 0x20 || c > 0x7E) fuzz::Fail("not plain ASCII");
    if (c == '\'' && !escaped) fuzz::Fail("an unescaped quote");
    escaped = c == '\\' && !escaped;
  }
  if (escaped) fuzz::Fail("ends in an escape");
  (void)SetImageScript(text);
  (void)RestoreDesktopsScript(text);
  return 0;
}
