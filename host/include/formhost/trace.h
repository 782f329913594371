// The trace facility: one line a record (category, status, text), switched
// on and off per session.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "formhost/export.h"

namespace fh {

struct TraceRecord {
  int category;
  std::int32_t status;
  std::string text;  // GBK
};

// Category of a failed host operation in a script.
inline constexpr int kTraceScriptFailure = 31;
// Category of a programming error inside a script (a broken precondition):
// written whether the trace switch is on or off.
inline constexpr int kTraceLogicError = 90;

class FH_API TraceSink {
 public:
  virtual ~TraceSink() = default;
  virtual void write(const TraceRecord& record) = 0;
};

// The line for a record: "<category>\t<status>\t<text>\n", the text in UTF-8
// (bytes that are not GBK shown as U+FFFD rather than dropped).
FH_API std::string format_trace_line(const TraceRecord& record);

// Writes lines to a stdio stream (stderr) or to a file it opens for appending.
// Every record is flushed at once, so a crash loses nothing already traced.
class FH_API StreamTraceSink : public TraceSink {
 public:
  explicit StreamTraceSink(std::FILE* stream);  // not owned
  // Throws fh::Error naming the file when it cannot be opened.
  explicit StreamTraceSink(const std::string& path);
  ~StreamTraceSink() override;
  void write(const TraceRecord& record) override;

 private:
  std::mutex mutex_;
  std::FILE* stream_;
  bool owned_;
};

}  // namespace fh
