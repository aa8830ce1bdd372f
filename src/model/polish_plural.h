#pragma once

#include <string>

namespace vendaro {

// The form of a Polish noun that goes with the count n: `one` for 1 ("plik"),
// `few` for counts ending in 2-4 except 12-14 ("pliki"), `many` for the rest
// ("plików", also 0, 5-21, 25-31, 112).  The sign of n does not matter.
// Only the noun comes back; the caller writes the number.
std::string PolishPlural(long n, const char* one, const char* few, const char* many);

}  // namespace vendaro
