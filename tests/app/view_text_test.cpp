// What the command line prints: the text view's escaping, the JSON view and
// trace lines, none of which may carry a character that steers a terminal.
#include "view_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

namespace {

using app::json_safe;
using app::terminal_safe;
using app::trace_line_safe;

// UTF-8 of the characters a terminal acts on although JSON lets them stand raw.
const std::string kNel = "\xC2\x85";       // U+0085
const std::string kCsi = "\xC2\x9B";       // U+009B, a CSI on its own
const std::string kRlo = "\xE2\x80\xAE";   // U+202E right-to-left override
const std::string kRli = "\xE2\x81\xA7";   // U+2067 right-to-left isolate
const std::string kLs = "\xE2\x80\xA8";    // U+2028 line separator
const std::string kTiao = "\xE6\x9D\xA1";  // 条, stays as it is

bool holds_raw_unsafe(const std::string& s) {
  for (const std::string& u : {kNel, kCsi, kRlo, kRli, kLs}) {
    if (s.find(u) != std::string::npos) return true;
  }
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\n') || b == 0x7F) return true;
  }
  return false;
}

TEST(CliOutput, TerminalSafeEscapesWhatSteersATerminal) {
  EXPECT_EQ(terminal_safe(std::string("a\0b\x1b[31m\\\t\r\n", 12)), "a\\0b\\e[31m\\\\\\t\\r\\n");
  EXPECT_EQ(terminal_safe(kNel + kCsi + kRlo + kRli + kLs), "\\u0085\\u009B\\u202E\\u2067\\u2028");
  EXPECT_EQ(terminal_safe(kTiao + "\x7F"), kTiao + "\\x7F");
  // Bytes that are not UTF-8: overlong, surrogate, cut off, a lone trail byte.
  EXPECT_EQ(terminal_safe("\xC0\x80|\xED\xA0\x80|\xE6\x9D|\x80"),
            "\\xC0\\x80|\\xED\\xA0\\x80|\\xE6\\x9D|\\x80");
}

TEST(CliOutput, JsonViewEscapesC1AndBidiControlsAndStaysTheSameJson) {
  const std::string hostile =
      "A" + kNel + kCsi + "31m" + kRlo + "gpj.exe" + kRli + kLs + "\x1b" + kTiao + "\\\"";
  const nlohmann::json view = {{"value", hostile}, {"name" + kRlo, {1, hostile, nullptr}}};
  const std::string out = json_safe(view, 2);
  EXPECT_FALSE(holds_raw_unsafe(out)) << out;
  EXPECT_NE(out.find("A\\u0085\\u009b31m\\u202egpj.exe\\u2067\\u2028\\u001b" + kTiao),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\"name\\u202e\""), std::string::npos) << out;
  EXPECT_EQ(nlohmann::json::parse(out), view);
  // Nothing else changes: what needs no escape is dumped as before.
  const nlohmann::json plain = {{"k", kTiao + "x"}, {"n", 1.5}};
  EXPECT_EQ(json_safe(plain, 2), plain.dump(2));
  EXPECT_EQ(json_safe(plain, -1), plain.dump());
}

TEST(CliOutput, TraceLinesShowTheirTextEscaped) {
  // The record's text is GBK: 条 is 0xCC 0xF5.
  EXPECT_EQ(trace_line_safe({31, -1, "\xCC\xF5\x1b]0;owned\x07\tx\ny"}),
            "31\t-1\t" + kTiao + "\\e]0;owned\\x07\\tx\\ny\n");
  // A byte that is not GBK shows as U+FFFD, as in every trace line.
  EXPECT_EQ(trace_line_safe({90, 0, "a\xFF"}), "90\t0\ta\xEF\xBF\xBD\n");

  // The sink --trace writes with: whole lines, escaped, one after another.
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  app::TerminalTraceSink sink(f);
  sink.write({31, -5, std::string("a\0b\x1b[2J", 7)});
  sink.write({31, 0, "c"});
  std::rewind(f);
  char buf[64] = {};
  const std::size_t n = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  EXPECT_EQ(std::string(buf, n), "31\t-5\ta\\0b\\e[2J\n31\t0\tc\n");
}

}  // namespace
