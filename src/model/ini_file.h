#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/local_date.h"
#include "system/status.h"

namespace vendaro {

// An INI file read and written one key at a time with the semantics of the
// classic private-profile functions: section and key names match without
// regard to case; a missing file, section or key reads as the default; the
// first write creates the file; a value read is cut at 2047 characters; every
// write reaches the disk at once.  Each write replaces the file through a
// temporary file renamed into place, so a crash never leaves half a file.
// Nothing is cached: every call reads the file afresh, in one pass over its
// bytes that holds no copy of its lines, so a large or odd file costs time
// in proportion to its size and no memory beyond it.
class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  // Several keys from one reading of the file: each value as ReadString
  // gives it, or nothing where the key is missing (or the file cannot be
  // read).
  struct Key {
    std::string_view section;
    std::string_view key;
  };
  std::vector<std::optional<std::string>> ReadStrings(const std::vector<Key>& keys) const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // Decimal, or hexadecimal after "$", "0x" or "0X"; anything else gives the
  // default.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  // The locale's short date format; text that does not parse gives the default.
  DateTime ReadDate(std::string_view section, std::string_view key, DateTime defaultValue) const;

  // The rules of ReadInteger and ReadDate for a value already
  // read (nothing: the key is missing).
  static std::int32_t IntegerFrom(const std::optional<std::string>& text,
                                  std::int32_t defaultValue);
  static DateTime DateFrom(const std::optional<std::string>& text, DateTime defaultValue);

  // A refused write returns "Unable to write to <path>"; keys written before
  // stay written.
  Status WriteString(std::string_view section, std::string_view key, std::string_view value);
  Status WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
  Status WriteBool(std::string_view section, std::string_view key, bool value);
  Status WriteDate(std::string_view section, std::string_view key, DateTime value);

 private:
  std::string path_;
};

}  // namespace vendaro
