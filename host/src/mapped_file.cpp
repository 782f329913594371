#include "mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "formhost/errors.h"

namespace fh::detail {

MappedFile::MappedFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error("module '" + path + "' cannot be opened: " + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int why = errno;
    ::close(fd);
    throw Error("module '" + path + "' is not a readable file" +
                (why != 0 ? std::string(": ") + std::strerror(why) : std::string()));
  }
  size_ = static_cast<std::size_t>(st.st_size);
  if (size_ > 0) {
    data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data_ == MAP_FAILED) {
      const int why = errno;
      data_ = nullptr;
      ::close(fd);
      throw Error("module '" + path + "' cannot be mapped: " + std::strerror(why));
    }
  }
  ::close(fd);  // the mapping keeps the file
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(data_, size_);
}

}  // namespace fh::detail
