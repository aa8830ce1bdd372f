#include "compose/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vendaro {

int OpenRegularFile(const std::string& path, std::int64_t& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  size = st.st_size;
  return fd;
}

}  // namespace vendaro
