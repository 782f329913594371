// A file mapped read-only into memory: only the pages that are read get
// loaded, so finding a module's exports and container costs a few pages, not
// the whole file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fh::detail {

class MappedFile {
 public:
  // Throws fh::Error naming the file when it cannot be opened or mapped.
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace fh::detail
