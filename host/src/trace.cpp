#include "formhost/trace.h"

#include <cerrno>
#include <cstring>

#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {

std::string format_trace_line(const TraceRecord& record) {
  return std::to_string(record.category) + '\t' + std::to_string(record.status) + '\t' +
         gbk_to_utf8_lossy(record.text) + '\n';
}

StreamTraceSink::StreamTraceSink(std::FILE* stream) : stream_(stream), owned_(false) {}

StreamTraceSink::StreamTraceSink(const std::string& path)
    : stream_(std::fopen(path.c_str(), "a")), owned_(true) {
  if (stream_ == nullptr) {
    throw Error("cannot open trace file '" + path + "': " + std::strerror(errno));
  }
}

StreamTraceSink::~StreamTraceSink() {
  if (owned_) std::fclose(stream_);
}

void StreamTraceSink::write(const TraceRecord& record) {
  const std::string line = format_trace_line(record);
  std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), stream_);
  std::fflush(stream_);
}

}  // namespace fh
