#include "system/local_time.h"

#include <langinfo.h>

namespace vendaro {

std::tm LocalTime(std::time_t moment) {
  std::tm tm{};
  localtime_r(&moment, &tm);
  return tm;
}

std::string ShortDateFormat() {
  return nl_langinfo(D_FMT);
}

bool ParseTime(const std::string& text, const std::string& format, std::tm& tm) {
  const char* end = strptime(text.c_str(), format.c_str(), &tm);
  return end != nullptr && end == text.c_str() + text.size();
}

}  // namespace vendaro
