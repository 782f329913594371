// The view as text for a terminal: windows, their controls and data windows
// as small tables.
#pragma once

#include <cstdio>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "formhost/trace.h"

namespace app {

// Text as a terminal may show it: control characters (C0, DEL, C1), the
// bidirectional overrides, bytes that are not UTF-8 and the backslash come out
// as backslash escapes, so a value can neither cut the output nor steer the
// terminal. Everything else passes unchanged.
std::string terminal_safe(std::string_view utf8);

std::string view_as_text(const nlohmann::json& view);

// JSON text of `j` (dump with `indent`) in which the characters terminal_safe
// escapes and JSON allows raw (C1 controls, bidirectional controls, U+2028/9)
// are \u escapes as well: the same JSON, safe to print on a terminal.
std::string json_safe(const nlohmann::json& j, int indent);

// A trace line, "<category>\t<status>\t<text>\n", its text made terminal_safe.
std::string trace_line_safe(const fh::TraceRecord& record);

// Writes trace_line_safe lines to a stream (stderr), flushed at once.
class TerminalTraceSink : public fh::TraceSink {
 public:
  explicit TerminalTraceSink(std::FILE* stream);  // not owned
  void write(const fh::TraceRecord& record) override;

 private:
  std::mutex mutex_;
  std::FILE* stream_;
};

}  // namespace app
