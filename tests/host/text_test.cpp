#include "formhost/text.h"

#include <gtest/gtest.h>

#include <string>

#include "formhost/errors.h"

namespace fh {
namespace {

// This file is UTF-8; GBK bytes are spelled out.
const std::string kWeiDing01 =
    "\xCE\xB4\xB6\xA8"
    "01";                               // 未定01
const std::string kQiA = "\x81\x61";    // 乤, trail byte looks like 'a'
const std::string kShi = "\x81\x7E";    // 亊, trail byte looks like '~'
const std::string kCheng = "\x81\x5C";  // 乗, trail byte looks like '\'
const std::string kJi = "\xEB\x48";     // 際, trail byte looks like 'H'
const std::string kJun = "\xEB\x68";    // 雋, the same but 'h'
const std::string kMa = "\xB4\x61";     // 碼, trail byte looks like 'a'

// The message of the fh::Error that f throws, or "" when it throws none.
template <typename F>
std::string error_of(F f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

TEST(TextConversion, ChineseRoundTripsThroughCodePage936) {
  const struct {
    const char* utf8;
    std::string gbk;
  } cases[] = {
      {"未定01", kWeiDing01},
      {"确定(&O)", "\xC8\xB7\xB6\xA8(&O)"},
      {"警告", "\xBE\xAF\xB8\xE6"},
      {"有错，不能继续，请纠正再试",
       "\xD3\xD0\xB4\xED\xA3\xAC\xB2\xBB\xC4\xDC\xBC\xCC\xD0\xF8\xA3\xAC\xC7\xEB\xBE\xC0\xD5\xFD"
       "\xD4\xD9\xCA\xD4"},
      {"乤", kQiA},
      {"亊", kShi},
      {"乗", kCheng},
      {"plain ascii ~\\", "plain ascii ~\\"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8_to_gbk(c.utf8, "test"), c.gbk) << c.utf8;
    EXPECT_EQ(gbk_to_utf8(c.gbk, "test"), c.utf8) << c.utf8;
  }
  // Code page 936 has the euro sign at 0x80.
  EXPECT_EQ(gbk_to_utf8("\x80", "test"), "€");
  EXPECT_EQ(utf8_to_gbk("€", "test"), "\x80");
}

TEST(TextConversion, BadGbkNamesTheSourceAndTheByte) {
  EXPECT_EQ(error_of([] { gbk_to_utf8("abc\x81 x", "trace file"); }),
            "invalid GBK text in trace file at byte 3");
  // A lead byte cut off at the end.
  EXPECT_EQ(error_of([] {
              gbk_to_utf8(
                  "\xCE\xB4"
                  "\xB6",
                  "column ls_name");
            }),
            "invalid GBK text in column ls_name at byte 2");
  EXPECT_EQ(error_of([] { gbk_to_utf8("\xFF", "x"); }), "invalid GBK text in x at byte 0");
  // Past the fast path for plain ASCII: the offset counts the text before.
  EXPECT_EQ(error_of([] { gbk_to_utf8(std::string(5000, 'a') + "\x81\x7F", "big"); }),
            "invalid GBK text in big at byte 5000");
}

TEST(TextConversion, BadUtf8NamesTheSourceAndTheByte) {
  EXPECT_EQ(error_of([] { utf8_to_gbk("ok\xC3(", "scenario"); }),
            "invalid UTF-8 text in scenario at byte 2");
  EXPECT_EQ(error_of([] { utf8_to_gbk("\xC0\xAF", "s"); }), "invalid UTF-8 text in s at byte 0");
  EXPECT_EQ(error_of([] { utf8_to_gbk("a\xED\xA0\x80", "s"); }),
            "invalid UTF-8 text in s at byte 1");
  EXPECT_EQ(error_of([] { utf8_to_gbk("警告\xE8\xAD", "s"); }),
            "invalid UTF-8 text in s at byte 6");
  // Valid UTF-8, but no GBK form: a different message.
  EXPECT_EQ(error_of([] { utf8_to_gbk("警告😀", "request"); }),
            "character U+1F600 in request at byte 6 has no GBK form");
  // A tag character, which iconv would drop without a word (found by fuzzing).
  EXPECT_EQ(error_of([] {
              utf8_to_gbk(
                  "警\xF3\xA0\x80\x83"
                  "告",
                  "s");
            }),
            "character U+E0003 in s at byte 3 has no GBK form");
  EXPECT_EQ(utf8_to_gbk_lossy("a\xF3\xA0\x80\x83"
                              "b\xF3\xA0\x81\xBF"),
            "a?b?");
}

TEST(TextConversion, LossyVariantMarksEachBadByte) {
  EXPECT_EQ(gbk_to_utf8_lossy("a\xFF"
                              "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(gbk_to_utf8_lossy(kWeiDing01), "未定01");
  // A lead byte before a non-trail byte: only the lead byte is lost.
  EXPECT_EQ(gbk_to_utf8_lossy("\x81 x\xCE\xB4"), "\xEF\xBF\xBD x未");
  EXPECT_EQ(gbk_to_utf8_lossy("\xCE"), "\xEF\xBF\xBD");
}

TEST(TextConversion, Utf8SequenceReadsOnlyWellFormedCharacters) {
  const struct {
    std::string s;
    std::size_t size;
    char32_t cp;
  } cases[] = {
      {"a", 1, U'a'},
      {std::string(1, '\0'), 1, 0},
      {"\xC2\x85", 2, 0x85},
      {"\xE6\x9D\xA1x", 3, 0x6761},  // 条
      {"\xF0\x9F\x98\x80", 4, 0x1F600},
      {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
      // Not UTF-8: overlong, surrogate, beyond U+10FFFF, cut off, a lone
      // continuation byte, a continuation byte missing.
      {"\xC0\x80", 0, 0},
      {"\xE0\x80\x80", 0, 0},
      {"\xED\xA0\x80", 0, 0},
      {"\xF4\x90\x80\x80", 0, 0},
      {"\xE6\x9D", 0, 0},
      {"\x80", 0, 0},
      {"\xE6x\xA1", 0, 0},
  };
  for (const auto& c : cases) {
    char32_t cp = 0xFFFFFFFF;
    EXPECT_EQ(utf8_sequence(c.s, 0, cp), c.size) << c.s;
    if (c.size > 0) {
      EXPECT_EQ(cp, c.cp) << c.s;
    }
  }
  // From the middle of a text, and at its last byte.
  char32_t cp = 0;
  EXPECT_EQ(utf8_sequence("ab\xC2\x85", 2, cp), 2U);
  EXPECT_EQ(cp, 0x85U);
  EXPECT_EQ(utf8_sequence("ab\xC2", 2, cp), 0U);
}

TEST(TextBytes, LeadAndTrailBytes) {
  EXPECT_FALSE(is_gbk_lead(0x80));
  EXPECT_TRUE(is_gbk_lead(0x81));
  EXPECT_TRUE(is_gbk_lead(0xFE));
  EXPECT_FALSE(is_gbk_lead(0xFF));
  EXPECT_FALSE(is_gbk_lead('a'));
  EXPECT_EQ(gbk_char_size(kQiA, 0), 2u);
  EXPECT_EQ(gbk_char_size("\x81\x7F", 0), 1u);
  EXPECT_EQ(gbk_char_size("\x81", 0), 1u);
  EXPECT_EQ(gbk_char_size("ab", 0), 1u);
}

TEST(TextBytes, LeftRightMidCountBytesAndMaySplitACharacter) {
  const std::string& s = kWeiDing01;  // 6 bytes: CE B4 B6 A8 30 31
  EXPECT_EQ(text::len(s), 6);
  EXPECT_EQ(text::left(s, 2), "\xCE\xB4");
  EXPECT_EQ(text::left(s, 3), "\xCE\xB4\xB6");  // the lone lead byte stays
  EXPECT_EQ(text::left(s, 99), s);
  EXPECT_EQ(text::left(s, 0), "");
  EXPECT_EQ(text::left(s, -1), "");
  EXPECT_EQ(text::right(s, 2), "01");
  EXPECT_EQ(text::right(s, 3),
            "\xA8"
            "01");
  EXPECT_EQ(text::right(s, 99), s);
  EXPECT_EQ(text::mid(s, 3),
            "\xB6\xA8"
            "01");
  EXPECT_EQ(text::mid(s, 2, 2), "\xB4\xB6");  // a trail and a lead byte
  EXPECT_EQ(text::mid(s, 6), "1");
  EXPECT_EQ(text::mid(s, 7), "");
  EXPECT_EQ(text::mid(s, 7, 1), "");
  EXPECT_EQ(text::mid(s, 5, 99), "01");
  EXPECT_EQ(text::mid(s, 0), "");
  EXPECT_EQ(text::mid(s, 1, -1), "");
  EXPECT_EQ(text::mid("", 1), "");
}

TEST(TextBytes, PosMatchesOnlyAtCharacterStarts) {
  EXPECT_EQ(text::pos("\xC8\xB7\xB6\xA8(&O)", "(&O)"), 5);
  EXPECT_EQ(text::pos(kQiA + "a", "a"), 3);  // not inside 乤
  EXPECT_EQ(text::pos(kShi + "~", "~"), 3);
  EXPECT_EQ(text::pos(kCheng + "\\", "\\"), 3);
  EXPECT_EQ(text::pos(kQiA, "a"), 0);
  EXPECT_EQ(text::pos("abcabc", "c"), 3);
  EXPECT_EQ(text::pos("abcabc", "c", 4), 6);
  EXPECT_EQ(text::pos("abcabc", "c", 7), 0);
  EXPECT_EQ(text::pos("abcabc", "c", 0), 0);
  EXPECT_EQ(text::pos("abc", ""), 0);
  EXPECT_EQ(text::pos("abc", "abcd"), 0);
  EXPECT_EQ(text::pos("aBc", "b"), 0);  // case-sensitive
}

TEST(TextBytes, TrimRemovesOnlyBlanks) {
  EXPECT_EQ(text::trim("  a b  "), "a b");
  EXPECT_EQ(text::trim(" \ta\t "), "\ta\t");
  EXPECT_EQ(text::left_trim("  a "), "a ");
  EXPECT_EQ(text::right_trim("  a "), "  a");
  EXPECT_EQ(text::trim("   "), "");
  EXPECT_EQ(text::trim(""), "");
  EXPECT_EQ(text::trim(" \xA1\xA1 "), "\xA1\xA1");  // the double-byte blank stays
}

TEST(TextBytes, UpperAndLowerNeverTouchADoubleByteCharacter) {
  EXPECT_EQ(text::upper(kQiA + "abc"), kQiA + "ABC");
  EXPECT_EQ(text::upper("x" + kQiA + "y"), "X" + kQiA + "Y");
  EXPECT_EQ(text::lower("AB" + kQiA + "CD"), "ab" + kQiA + "cd");
  // 0x81 0x41 is a character whose trail looks like 'A'.
  EXPECT_EQ(text::lower("\x81\x41"
                        "A"),
            "\x81\x41"
            "a");
  // A lead byte that is not followed by a trail byte is a byte of its own.
  EXPECT_EQ(text::upper("\x81 a"), "\x81 A");
  EXPECT_EQ(text::upper("\xFF"
                        "a"),
            "\xFF"
            "A");
  EXPECT_EQ(text::upper("mIxEd 1-z"), "MIXED 1-Z");
  // Characters in use whose trail bytes fall in A-Z and a-z.
  EXPECT_EQ(text::lower("Q" + kJi + "ZZ" + kMa + "X"), "q" + kJi + "zz" + kMa + "x");
  EXPECT_EQ(text::upper("q" + kJun + kMa + "b"), "Q" + kJun + kMa + "B");
}

TEST(TextBytes, IequalIgnoresTheCaseOfAsciiLettersOnly) {
  EXPECT_TRUE(text::iequal("DW_" + kJi + "a", "dw_" + kJi + "A"));
  EXPECT_TRUE(text::iequal("", ""));
  // 際 and 雋 differ only in a trail byte that looks like a letter.
  EXPECT_FALSE(text::iequal("dw_" + kJi, "dw_" + kJun));
  EXPECT_FALSE(text::iequal(kMa, "\xB4\x41"));
  EXPECT_FALSE(text::iequal("ab", "abc"));
  EXPECT_FALSE(text::iequal("a" + kJi,
                            "a\xEB"
                            "h"));
  EXPECT_TRUE(text::iequal("\x81 A", "\x81 a"));  // a lone lead byte
}

TEST(TextBytes, FillAndReplace) {
  EXPECT_EQ(text::fill("ab", 5), "ababa");
  EXPECT_EQ(text::fill("-", 3), "---");
  EXPECT_EQ(text::fill("\xCE\xB4", 3), "\xCE\xB4\xCE");
  EXPECT_EQ(text::fill("", 3), "");
  EXPECT_EQ(text::fill("x", 0), "");
  EXPECT_EQ(text::replace("abcdef", 2, 3, "XY"), "aXYef");
  EXPECT_EQ(text::replace("abcdef", 1, 0, "<"), "<abcdef");
  EXPECT_EQ(text::replace("abcdef", 5, 99, "!"), "abcd!");
  EXPECT_EQ(text::replace("abc", 9, 1, "!"), "abc!");
  EXPECT_EQ(text::replace(kWeiDing01, 1, 2, "X"),
            "X\xB6\xA8"
            "01");
  EXPECT_EQ(text::replace("abc", 0, 1, "!"), "");
  EXPECT_EQ(text::replace("abc", 1, -1, "!"), "");
}

TEST(TextBytes, CompareIsByteOrderThenShorterFirst) {
  EXPECT_GT(text::compare("0A", "0"), 0);
  EXPECT_LT(text::compare("", "0"), 0);
  EXPECT_EQ(text::compare("", ""), 0);
  EXPECT_EQ(text::compare("abc", "abc"), 0);
  EXPECT_GT(text::compare("a", "B"), 0);         // case-sensitive, by byte
  EXPECT_GT(text::compare("a ", "a"), 0);        // trailing blanks count
  EXPECT_GT(text::compare(kWeiDing01, "z"), 0);  // bytes compare unsigned
  EXPECT_LT(text::compare("10", "9"), 0);
}

}  // namespace
}  // namespace fh
