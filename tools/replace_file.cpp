#include "replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "formhost/errors.h"

namespace tools {

void replace_file(const std::string& path, std::string_view bytes, mode_t mode) {
  std::string tmp = path + ".tmp-XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    throw fh::Error("cannot create a temporary file beside '" + path +
                    "': " + std::strerror(errno));
  }
  auto give_up = [&](const std::string& what) {
    const int saved = errno;
    ::close(fd);
    ::unlink(tmp.c_str());
    throw fh::Error(what + " '" + tmp + "': " + std::strerror(saved));
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      give_up("cannot write");
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fchmod(fd, mode) != 0) give_up("cannot set the mode of");
  if (::fsync(fd) != 0) give_up("cannot flush");
  if (::close(fd) != 0) {
    const int saved = errno;
    ::unlink(tmp.c_str());
    throw fh::Error("cannot close '" + tmp + "': " + std::strerror(saved));
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    ::unlink(tmp.c_str());
    throw fh::Error("cannot replace '" + path + "': " + std::strerror(saved));
  }
}

}  // namespace tools
