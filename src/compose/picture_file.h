#pragma once

#include <cstdint>
#include <string>

namespace vendaro {

// Opens a picture by its path's bytes: Qt's file names are Unicode and would
// turn a name that is not valid UTF-8 into another name.  Only regular files
// are opened, and without blocking, so a FIFO or a device in a list cannot
// stall the program.  Returns the descriptor and stores the file's size, or
// returns -1.
int OpenRegularFile(const std::string& path, std::int64_t& size);

}  // namespace vendaro
