// Text inside the host: every string is GBK bytes (code page 936), as on the
// platform. Conversion to and from UTF-8 happens only at the edges (database,
// front ends, source files). The byte-wise functions count bytes, not
// characters, and never split what they scan over in the middle of a
// double-byte character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formhost/export.h"

namespace fh {

// True for a byte that starts a double-byte GBK character (0x81-0xFE).
constexpr bool is_gbk_lead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// True for a byte that may follow a lead byte (0x40-0xFE except 0x7F). It may
// look like '~', '\\', '[', '|' or a lowercase letter, never like a quote.
constexpr bool is_gbk_trail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// A-Z or a-z. Never true for a byte of a double-byte character at its start,
// but a trail byte may look like one: scan with gbk_char_size.
constexpr bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Bytes of the character starting at s[i]: 2 for a lead byte followed by a
// trail byte, else 1. Every scanner of GBK text steps with this.
FH_API std::size_t gbk_char_size(std::string_view s, std::size_t i);

// Length of the well-formed UTF-8 sequence at s[i] (i < s.size()) and its
// code point in `cp`; 0 when the bytes there are not valid UTF-8 (overlong,
// surrogate, beyond U+10FFFF, cut off), and then `cp` means nothing.
FH_API std::size_t utf8_sequence(std::string_view s, std::size_t i, char32_t& cp);

// GBK to UTF-8. Throws fh::Error naming `source` and the 0-based byte offset
// of the first bad sequence: "invalid GBK text in trace file at byte 7".
FH_API std::string gbk_to_utf8(std::string_view gbk, std::string_view source);

// UTF-8 to GBK. Throws fh::Error naming `source` and the 0-based byte offset,
// both for invalid UTF-8 and for a character that GBK cannot hold.
FH_API std::string utf8_to_gbk(std::string_view utf8, std::string_view source);
// The same into `out` (replaced), reusing its storage: reading many rows.
FH_API void utf8_to_gbk(std::string_view utf8, std::string& out, std::string_view source);

// For diagnostics only: like gbk_to_utf8, but each bad byte becomes U+FFFD.
FH_API std::string gbk_to_utf8_lossy(std::string_view gbk);

// For diagnostics only: UTF-8 to GBK, each bad or unmappable character a '?'.
FH_API std::string utf8_to_gbk_lossy(std::string_view utf8);

// The platform's string functions on raw GBK bytes. Positions are 1-based and
// count bytes. A count that ends inside a double-byte character keeps the lone
// byte, as the platform does. The Value versions live in functions.h.
namespace text {

// Bytes in s.
inline std::int64_t len(std::string_view s) { return static_cast<std::int64_t>(s.size()); }

// The first n bytes (all of s when n exceeds it, "" when n <= 0).
FH_API std::string left(std::string_view s, std::int64_t n);

// The last n bytes (all of s when n exceeds it, "" when n <= 0).
FH_API std::string right(std::string_view s, std::int64_t n);

// From byte `start` to the end, or `n` bytes from it. A start beyond the end,
// a start below 1 or a negative n gives "".
FH_API std::string mid(std::string_view s, std::int64_t start);
FH_API std::string mid(std::string_view s, std::int64_t start, std::int64_t n);

// Byte position of the first `find` at or after `start`, 0 when there is none.
// Matches only at character starts, so "a" is not found inside "乤" (0x81 0x61).
// An empty `find`, a start below 1 or beyond the end gives 0.
FH_API std::int64_t pos(std::string_view s, std::string_view find, std::int64_t start = 1);

// Removes blanks (0x20 only; tabs and other spaces stay).
FH_API std::string trim(std::string_view s);
FH_API std::string left_trim(std::string_view s);
FH_API std::string right_trim(std::string_view s);

// ASCII letters only. Double-byte characters pass unchanged, including a trail
// byte that looks like a letter ("際" is 0xEB 0x48, "碼" 0xB4 0x61). The one
// case mapping of the host: names, keywords and the platform's Upper/Lower.
FH_API std::string upper(std::string_view s);
FH_API std::string lower(std::string_view s);

// True when a and b are equal but for the case of ASCII letters; double-byte
// characters must match byte for byte. How the host matches names.
FH_API bool iequal(std::string_view a, std::string_view b);

// n bytes made by repeating `chars`; "" when n <= 0 or chars is empty.
FH_API std::string fill(std::string_view chars, std::int64_t n);

// Replaces n bytes from byte `start` with `with`. A start beyond the end
// appends; fewer than n bytes left replaces to the end. A start below 1 or a
// negative n gives "" (the platform's failure answer).
FH_API std::string replace(std::string_view s, std::int64_t start, std::int64_t n,
                           std::string_view with);

// The platform's string order: bytes compared as unsigned, then the shorter
// first. Negative, zero or positive. So "0A" > "0" and "" < "0".
FH_API int compare(std::string_view a, std::string_view b);

}  // namespace text
}  // namespace fh
