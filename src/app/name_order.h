#pragma once

#include "model/entry_list.h"

namespace vendaro {

// Whole entry strings, ascending, without regard to case, in the user's
// locale order (so by full path, folder first): the order of the list's sort
// and of a folder's pictures.
void SortByName(EntryList& entries);

}  // namespace vendaro
