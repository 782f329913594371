#include "formhost/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "formhost/errors.h"

namespace fh {
namespace {

// glibc's "GBK" is code page 936: the same two-byte table as CP936 and 0x80 as
// the euro sign. GB18030 would wrongly accept four-byte sequences.
constexpr const char* kCodePage = "GBK";

// One converter per direction and thread; iconv_open is too slow for every cell.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1))) {
      throw Error(std::string("text conversion from ") + from + " to " + to +
                  " is not available: " + std::strerror(errno));
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as it can into out. Answers the offset of the first
  // byte it could not convert, or in.size() when all went through.
  std::size_t run(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char buf[4096];
    while (src_left > 0) {
      char* dst = buf;
      std::size_t dst_left = sizeof buf;
      const std::size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buf, static_cast<std::size_t>(dst - buf));
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
        return in.size() - src_left;  // EILSEQ or a sequence cut off at the end
      }
    }
    return in.size();
  }

 private:
  iconv_t cd_;
};

Converter& from_gbk() {
  thread_local Converter c("UTF-8", kCodePage);
  return c;
}

Converter& to_gbk() {
  thread_local Converter c(kCodePage, "UTF-8");
  return c;
}

bool ascii_only(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::size_t utf8_sequence(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  std::size_t n = 0;
  char32_t min = 0;
  if (c < 0x80) {
    cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    n = 2;
    cp = c & 0x1Fu;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3;
    cp = c & 0x0Fu;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4;
    cp = c & 0x07u;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(k) & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

namespace {

std::size_t clamp_size(std::int64_t n, std::size_t limit) {
  if (n <= 0) return 0;
  return static_cast<std::uint64_t>(n) < limit ? static_cast<std::size_t>(n) : limit;
}

std::string map_ascii_letters(std::string_view s, char from, char to, int shift) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t n = gbk_char_size(out, i);
    if (n == 1 && out[i] >= from && out[i] <= to) out[i] = static_cast<char>(out[i] + shift);
    i += n;
  }
  return out;
}

}  // namespace

std::size_t gbk_char_size(std::string_view s, std::size_t i) {
  if (i + 1 < s.size() && is_gbk_lead(static_cast<unsigned char>(s[i])) &&
      is_gbk_trail(static_cast<unsigned char>(s[i + 1]))) {
    return 2;
  }
  return 1;
}

// The double-byte part of the code page as two tables, built once from iconv:
// converting a cell of Chinese text is then a lookup per character rather
// than an iconv call. Anything the tables do not cover goes through iconv.
struct GbkTables {
  std::vector<char16_t> to_unicode = std::vector<char16_t>(126 * 191, 0);  // 0: not a character
  std::vector<std::uint16_t> from_unicode = std::vector<std::uint16_t>(0x10000, 0);
};

std::size_t pair_index(unsigned char lead, unsigned char trail) {
  return static_cast<std::size_t>(lead - 0x81) * 191 + static_cast<std::size_t>(trail - 0x40);
}

const GbkTables& gbk_tables() {
  static const GbkTables tables = [] {
    GbkTables t;
    Converter c("UTF-8", kCodePage);
    std::string out;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        out.clear();
        if (c.run(std::string_view(pair, 2), out) != 2) continue;
        char32_t cp = 0;
        if (utf8_sequence(out, 0, cp) != out.size() || cp > 0xFFFF) continue;
        t.to_unicode[pair_index(static_cast<unsigned char>(lead),
                                static_cast<unsigned char>(trail))] = static_cast<char16_t>(cp);
        if (t.from_unicode[cp] == 0)
          t.from_unicode[cp] = static_cast<std::uint16_t>(lead << 8 | trail);
      }
    }
    return t;
  }();
  return tables;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Table conversions; false when a character needs iconv (or is invalid).
bool gbk_to_utf8_by_table(std::string_view gbk, std::string& out) {
  const GbkTables& t = gbk_tables();
  out.reserve(gbk.size() + gbk.size() / 2);
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    const auto b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      continue;
    }
    if (!is_gbk_lead(b) || i + 1 >= gbk.size()) return false;
    const auto trail = static_cast<unsigned char>(gbk[i + 1]);
    if (!is_gbk_trail(trail)) return false;
    const char16_t cp = t.to_unicode[pair_index(b, trail)];
    if (cp == 0) return false;
    append_utf8(out, cp);
    ++i;
  }
  return true;
}

// Writes in place: a GBK form is never longer than the UTF-8 it comes from.
bool utf8_to_gbk_by_table(std::string_view utf8, std::string& out) {
  static const GbkTables& t = gbk_tables();  // a check in line, not a call per text
  const std::size_t start = out.size();
  out.resize(start + utf8.size());
  char* o = out.data() + start;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      *o++ = static_cast<char>(b);
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t n = utf8_sequence(utf8, i, cp);
    if (n == 0 || cp > 0xFFFF || t.from_unicode[cp] == 0) return false;
    *o++ = static_cast<char>(t.from_unicode[cp] >> 8);
    *o++ = static_cast<char>(t.from_unicode[cp] & 0xFF);
    i += n;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return true;
}

std::string gbk_to_utf8(std::string_view gbk, std::string_view source) {
  if (ascii_only(gbk)) return std::string(gbk);
  std::string out;
  if (gbk_to_utf8_by_table(gbk, out)) return out;
  out.clear();
  out.reserve(gbk.size() + gbk.size() / 2);
  const std::size_t bad = from_gbk().run(gbk, out);
  if (bad < gbk.size()) {
    throw Error("invalid GBK text in " + std::string(source) + " at byte " + std::to_string(bad));
  }
  return out;
}

namespace {

// glibc's iconv skips the tag characters U+E0000-U+E007F instead of refusing
// them: the converters stop before the first one and treat it as unmappable.
std::size_t first_tag_character(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t n = utf8_sequence(utf8, i, cp);
    if (n > 0 && cp >= 0xE0000 && cp <= 0xE007F) return i;
    i += n == 0 ? 1 : n;
  }
  return utf8.size();
}

}  // namespace

std::string utf8_to_gbk(std::string_view utf8, std::string_view source) {
  std::string out;
  utf8_to_gbk(utf8, out, source);
  return out;
}

void utf8_to_gbk(std::string_view utf8, std::string& out, std::string_view source) {
  out.clear();
  if (utf8_to_gbk_by_table(utf8, out)) return;
  out.clear();
  out.reserve(utf8.size());
  const std::size_t tag = first_tag_character(utf8);
  const std::size_t bad = to_gbk().run(utf8.substr(0, tag), out);
  if (bad < utf8.size()) {
    char32_t cp = 0;
    if (utf8_sequence(utf8, bad, cp) == 0) {
      throw Error("invalid UTF-8 text in " + std::string(source) + " at byte " +
                  std::to_string(bad));
    }
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    throw Error("character " + std::string(code) + " in " + std::string(source) + " at byte " +
                std::to_string(bad) + " has no GBK form");
  }
}

std::string gbk_to_utf8_lossy(std::string_view gbk) {
  if (ascii_only(gbk)) return std::string(gbk);
  std::string out;
  while (!gbk.empty()) {
    const std::size_t bad = from_gbk().run(gbk, out);
    if (bad >= gbk.size()) break;
    out += "\xEF\xBF\xBD";
    gbk.remove_prefix(bad + 1);
  }
  return out;
}

std::string utf8_to_gbk_lossy(std::string_view utf8) {
  if (ascii_only(utf8)) return std::string(utf8);
  std::string out;
  while (!utf8.empty()) {
    const std::size_t tag = first_tag_character(utf8);
    const std::size_t bad = to_gbk().run(utf8.substr(0, tag), out);
    if (bad >= utf8.size()) break;
    out += '?';
    char32_t cp = 0;
    const std::size_t n = utf8_sequence(utf8, bad, cp);
    utf8.remove_prefix(bad + (n == 0 ? 1 : n));
  }
  return out;
}

namespace text {

std::string left(std::string_view s, std::int64_t n) {
  return std::string(s.substr(0, clamp_size(n, s.size())));
}

std::string right(std::string_view s, std::int64_t n) {
  const std::size_t count = clamp_size(n, s.size());
  return std::string(s.substr(s.size() - count));
}

std::string mid(std::string_view s, std::int64_t start) {
  if (start < 1 || static_cast<std::uint64_t>(start) > s.size()) return "";
  return std::string(s.substr(static_cast<std::size_t>(start - 1)));
}

std::string mid(std::string_view s, std::int64_t start, std::int64_t n) {
  if (n < 0) return "";
  return left(mid(s, start), n);
}

std::int64_t pos(std::string_view s, std::string_view find, std::int64_t start) {
  if (find.empty() || start < 1 || static_cast<std::uint64_t>(start) > s.size()) return 0;
  const auto from = static_cast<std::size_t>(start - 1);
  // Character starts are only known by walking from the first byte.
  for (std::size_t i = 0; i < s.size(); i += gbk_char_size(s, i)) {
    if (i >= from && s.compare(i, find.size(), find) == 0) {
      return static_cast<std::int64_t>(i) + 1;
    }
  }
  return 0;
}

std::string trim(std::string_view s) { return left_trim(right_trim(s)); }

std::string left_trim(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string right_trim(std::string_view s) {
  // A trail byte is never 0x20, so a blank at the end is a real blank.
  const auto last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string upper(std::string_view s) { return map_ascii_letters(s, 'a', 'z', 'A' - 'a'); }

std::string lower(std::string_view s) { return map_ascii_letters(s, 'A', 'Z', 'a' - 'A'); }

bool iequal(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto lower_byte = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t n = gbk_char_size(a, i);
    if (n == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (lower_byte(a[i]) != lower_byte(b[i])) {
      return false;
    }
    i += n;
  }
  return true;
}

std::string fill(std::string_view chars, std::int64_t n) {
  if (chars.empty() || n <= 0) return "";
  const auto size = static_cast<std::size_t>(n);
  std::string out;
  out.reserve(size);
  while (out.size() < size) out.append(chars.substr(0, size - out.size()));
  return out;
}

std::string replace(std::string_view s, std::int64_t start, std::int64_t n, std::string_view with) {
  if (start < 1 || n < 0) return "";
  const std::size_t at = clamp_size(start - 1, s.size());
  const std::size_t count = clamp_size(n, s.size() - at);
  std::string out(s.substr(0, at));
  out += with;
  out += s.substr(at + count);
  return out;
}

int compare(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  if (n > 0) {
    const int c = std::memcmp(a.data(), b.data(), n);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace text
}  // namespace fh
