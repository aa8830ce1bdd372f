#pragma once

#include <span>

namespace vendaro {

// A field holding one item of a choice.  The settings file stores the item's
// index (the enumerator's value), and reading it, writing it and the tests of
// the file speak in those numbers, so the field converts from and to them;
// the code that acts on a choice names its enumerators.
template <class E>
class Choice {
 public:
  constexpr Choice(E value = E{}) : value_(value) {}
  // The index as the settings file holds it, already checked against the range.
  constexpr Choice(int index) : value_(static_cast<E>(index)) {}
  constexpr operator E() const { return value_; }
  constexpr explicit operator int() const { return static_cast<int>(value_); }
  friend constexpr bool operator==(Choice a, int index) { return static_cast<int>(a) == index; }

 private:
  E value_;
};

// What the user and the command line see of a choice.
struct ChoiceInfo {
  const char* name;                       // vendaro-compose's option without "--"
  const char* title;                      // the window's label above the items
  const char* about;                      // what the choice decides, for --help and the manual
  bool onCommandLine;                     // vendaro-compose takes it as --NAME INDEX
  std::span<const char* const> captions;  // the windows' items, in stored order
  std::span<const char* const> meanings;  // the same items for --help and the manual
  const char* detail = "";                // more for the manual, after the items

  constexpr int maximum() const { return static_cast<int>(captions.size()) - 1; }
};

}  // namespace vendaro
