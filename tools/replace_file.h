// Writing a build output so that a failure never leaves half a file behind.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace tools {

// Writes `bytes` to a temporary file beside `path`, flushes it, gives it
// `mode` and renames it over `path`. Throws fh::Error naming the file; the
// temporary file is gone either way.
void replace_file(const std::string& path, std::string_view bytes, mode_t mode);

}  // namespace tools
