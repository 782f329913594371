// Trace lines: exact bytes, text converted at the edge, files appended.
#include "formhost/trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "formhost/errors.h"

namespace {

TEST(Trace, LineIsCategoryStatusAndUtf8Text) {
  EXPECT_EQ(fh::format_trace_line({31, -1, "*** WE HAVE A PROBLEM HERE. Error = 61aec78 ***"}),
            "31\t-1\t*** WE HAVE A PROBLEM HERE. Error = 61aec78 ***\n");
  // GBK "警告" becomes UTF-8; a lone lead byte is shown, not dropped.
  EXPECT_EQ(fh::format_trace_line({2, 0, "\xBE\xAF\xB8\xE6"}), "2\t0\t\xE8\xAD\xA6\xE5\x91\x8A\n");
  EXPECT_EQ(fh::format_trace_line({2, 0, "a\x81"}), "2\t0\ta\xEF\xBF\xBD\n");
}

TEST(Trace, FileSinkAppendsWholeLines) {
  const std::string path = ::testing::TempDir() + "trace_test.log";
  std::remove(path.c_str());
  {
    fh::StreamTraceSink sink(path);
    sink.write({31, -5, "one"});
  }
  {
    fh::StreamTraceSink sink(path);
    sink.write({31, -2, "two"});
  }
  std::ifstream in(path);
  std::stringstream all;
  all << in.rdbuf();
  EXPECT_EQ(all.str(), "31\t-5\tone\n31\t-2\ttwo\n");
  std::remove(path.c_str());
  EXPECT_THROW(fh::StreamTraceSink("/nonexistent-dir/trace.log"), fh::Error);
}

}  // namespace
