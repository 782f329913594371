#include "formhost/functions.h"

#include <array>
#include <charconv>
#include <compare>
#include <initializer_list>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "argument_checks.h"
#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {
namespace detail {

void wrong_type(std::string_view fn, const Value& v) {
  broken_precondition("an argument of the type it takes",
                      std::string(fn) + ": argument of the wrong type: " + describe(v));
}

void need_string(std::string_view fn, const Value& v) {
  if (v.type() != Type::kString && v.type() != Type::kAny) wrong_type(fn, v);
}

void need_number(std::string_view fn, const Value& v) {
  if (!v.is_number() && v.type() != Type::kAny) wrong_type(fn, v);
}

void need_boolean(std::string_view fn, const Value& v) {
  if (v.type() != Type::kBoolean && v.type() != Type::kAny) wrong_type(fn, v);
}

namespace {
int rank(Type t) {
  switch (t) {
    case Type::kInteger:
      return 0;
    case Type::kLong:
      return 1;
    case Type::kDecimal:
      return 2;
    case Type::kDouble:
      return 3;
    default:
      return -1;
  }
}
}  // namespace

Type wider(std::string_view fn, const Value& a, const Value& b) {
  need_number(fn, a);
  need_number(fn, b);
  if (a.type() == Type::kAny) return b.type();
  if (b.type() == Type::kAny) return a.type();
  return rank(a.type()) >= rank(b.type()) ? a.type() : b.type();
}

}  // namespace detail

namespace {

using detail::need_boolean;
using detail::need_number;
using detail::need_string;
using detail::wider;
using detail::wrong_type;

bool any_null(std::initializer_list<const Value*> values) {
  for (const Value* v : values) {
    if (v->is_null()) return true;
  }
  return false;
}

std::int32_t wrap32(std::int64_t n) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(n)));
}

std::int16_t wrap16(std::int64_t n) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(n)));
}

// A double enters decimal arithmetic through its 15-digit text; NaN and
// infinities, which the platform cannot hold, become 0.
Decimal decimal_of_double(double d) { return Decimal::from_double(d).value_or(Decimal()); }

// A non-null number as a decimal, exactly for integers and decimals.
Decimal to_decimal(const Value& v) {
  switch (v.type()) {
    case Type::kInteger:
      return Decimal::from_int(v.as_integer());
    case Type::kLong:
      return Decimal::from_int(v.as_long());
    case Type::kDecimal:
      return v.as_decimal();
    case Type::kDouble:
      return decimal_of_double(v.as_double());
    default:
      wrong_type("decimal conversion", v);
  }
}

double to_double(const Value& v) {
  switch (v.type()) {
    case Type::kInteger:
      return v.as_integer();
    case Type::kLong:
      return v.as_long();
    case Type::kDecimal:
      return v.as_decimal().to_double();
    case Type::kDouble:
      return v.as_double();
    default:
      wrong_type("double conversion", v);
  }
}

// A fraction rounds half away from zero, as assignment to an integer type does.
std::int64_t rounded_int64(const Value& v) {
  switch (v.type()) {
    case Type::kInteger:
      return v.as_integer();
    case Type::kLong:
      return v.as_long();
    default:
      return to_decimal(v).round(0).to_int64();
  }
}

// Counts and positions: any number; huge ones only need to stay huge.
std::int64_t count_of(std::string_view fn, const Value& v) {
  if (!v.is_number()) wrong_type(fn, v);
  return rounded_int64(v);
}

// ---- plain text of values ----

std::string double_text(double d) {
  if (d != d) return "NaN";
  if (d > std::numeric_limits<double>::max()) return "Infinity";
  if (d < -std::numeric_limits<double>::max()) return "-Infinity";
  if (d == 0.0) return "0";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
  std::string out(buf, static_cast<std::size_t>(res.ptr - buf));
  for (char& c : out) {
    if (c == 'e') c = 'E';
  }
  return out;
}

std::string plain_text(const Value& v) {
  switch (v.type()) {
    case Type::kBoolean:
      return v.as_bool() ? "true" : "false";
    case Type::kInteger:
      return std::to_string(v.as_integer());
    case Type::kLong:
      return std::to_string(v.as_long());
    case Type::kDecimal:
      return v.as_decimal().to_string();
    case Type::kDouble:
      return double_text(v.as_double());
    case Type::kString:
      return v.as_string();
    case Type::kDate:
      return v.as_date().iso();
    case Type::kTime:
      return v.as_time().iso();
    case Type::kDateTime:
      return v.as_datetime().iso();
    case Type::kAny:
    case Type::kObject:
      break;
  }
  return "";
}

// ---- number masks ----

struct NumberSection {
  std::string_view prefix;
  std::string_view suffix;
  int min_int = 0;     // '0' before the point
  bool group = false;  // ',' before the point
  int min_frac = 0;    // '0' after the point
  int max_frac = 0;    // '0' and '#' after the point
  bool percent = false;
};

// The number sits between the first and last placeholder; only 0 # . , may
// appear there. Mask punctuation is below 0x40, so no GBK trail byte can be
// mistaken for it.
std::optional<NumberSection> parse_number_section(std::string_view mask) {
  const auto first = mask.find_first_of("0#.");
  const auto last = mask.find_last_of("0#.,");
  if (first == std::string_view::npos || mask.find_first_of("0#") == std::string_view::npos) {
    return std::nullopt;
  }
  NumberSection s;
  s.prefix = mask.substr(0, first);
  s.suffix = mask.substr(last + 1);
  s.percent =
      s.prefix.find('%') != std::string_view::npos || s.suffix.find('%') != std::string_view::npos;
  bool point = false;
  for (const char c : mask.substr(first, last - first + 1)) {
    if (c == '.') {
      if (point) return std::nullopt;
      point = true;
    } else if (c == ',') {
      if (point) return std::nullopt;
      s.group = true;
    } else if (c == '0' || c == '#') {
      if (point) {
        ++s.max_frac;
        if (c == '0') ++s.min_frac;
      } else if (c == '0') {
        ++s.min_int;
      }
    } else {
      return std::nullopt;
    }
  }
  return s;
}

std::vector<std::string_view> split_sections(std::string_view mask) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (;;) {
    const auto at = mask.find(';', start);
    out.push_back(mask.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return out;
    start = at + 1;
  }
}

std::optional<std::string> format_number(const Decimal& value, std::string_view mask) {
  const auto sections = split_sections(mask);
  std::size_t which = 0;
  if (value.is_negative() && sections.size() >= 2) which = 1;
  if (value.is_zero() && sections.size() >= 3) which = 2;
  const auto section = parse_number_section(sections[which]);
  if (!section) {
    if (which == 0 || !parse_number_section(sections[0])) return std::nullopt;
    return std::string(sections[which]);  // a negative or zero section of text only
  }

  Decimal magnitude = value.is_negative() ? value.negated() : value;
  if (section->percent) magnitude = magnitude * Decimal::from_int(100);
  const Decimal rounded = magnitude.round(section->max_frac);
  const std::string digits = rounded.to_string();
  const auto point = digits.find('.');
  std::string whole = digits.substr(0, point);
  std::string frac = point == std::string::npos ? std::string() : digits.substr(point + 1);
  frac.resize(static_cast<std::size_t>(section->max_frac), '0');
  while (static_cast<int>(frac.size()) > section->min_frac && frac.back() == '0') frac.pop_back();
  if (whole == "0" && section->min_int == 0) whole.clear();
  if (static_cast<int>(whole.size()) < section->min_int) {
    whole.insert(0, static_cast<std::size_t>(section->min_int) - whole.size(), '0');
  }
  if (section->group) {
    for (std::size_t i = whole.size(); i > 3; i -= 3) whole.insert(i - 3, 1, ',');
  }

  std::string out;
  if (which == 0 && value.is_negative() && !rounded.is_zero()) out += '-';
  out += section->prefix;
  out += whole;
  if (!frac.empty()) out += '.' + frac;
  out += section->suffix;
  return out;
}

// ---- date and time masks ----

enum class Part { kLiteral, kDay, kMonth, kYear, kHour, kMinute, kSecond, kFraction, kAmPm };

struct Token {
  Part part = Part::kLiteral;
  int width = 0;
  std::string_view text;  // the literal, or the AM/PM marker as written
};

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && text::iequal(s.substr(0, prefix.size()), prefix);
}

std::vector<Token> tokenize(std::string_view mask) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < mask.size()) {
    const std::size_t n = gbk_char_size(mask, i);
    const std::string_view rest = mask.substr(i);
    if (n == 2) {
      // A double-byte character is literal even when its trail byte looks like 'm'.
      tokens.push_back({Part::kLiteral, 0, rest.substr(0, 2)});
      i += 2;
      continue;
    }
    if (starts_with_nocase(rest, "am/pm")) {
      tokens.push_back({Part::kAmPm, 5, rest.substr(0, 5)});
      i += 5;
      continue;
    }
    if (starts_with_nocase(rest, "a/p")) {
      tokens.push_back({Part::kAmPm, 3, rest.substr(0, 3)});
      i += 3;
      continue;
    }
    const char c = mask[i];
    Part part = Part::kLiteral;
    switch (c) {
      case 'd':
        part = Part::kDay;
        break;
      case 'm':
        part = Part::kMonth;
        break;
      case 'y':
        part = Part::kYear;
        break;
      case 'h':
        part = Part::kHour;
        break;
      case 's':
        part = Part::kSecond;
        break;
      case 'f':
        part = Part::kFraction;
        break;
      default:
        break;
    }
    if (part == Part::kLiteral) {
      tokens.push_back({Part::kLiteral, 0, rest.substr(0, 1)});
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < mask.size() && mask[i + run] == c) ++run;
    tokens.push_back({part, static_cast<int>(run), rest.substr(0, run)});
    i += run;
  }
  // m and mm mean minutes right after an hour or right before seconds.
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    if (tokens[k].part != Part::kMonth || tokens[k].width > 2) continue;
    const Token* before = nullptr;
    const Token* after = nullptr;
    for (std::size_t j = k; j-- > 0;) {
      if (tokens[j].part != Part::kLiteral) {
        before = &tokens[j];
        break;
      }
    }
    for (std::size_t j = k + 1; j < tokens.size(); ++j) {
      if (tokens[j].part != Part::kLiteral) {
        after = &tokens[j];
        break;
      }
    }
    if ((before && before->part == Part::kHour) || (after && after->part == Part::kSecond)) {
      tokens[k].part = Part::kMinute;
    }
  }
  return tokens;
}

std::string padded(int n, int width) {
  std::string s = std::to_string(n);
  if (static_cast<int>(s.size()) < width)
    s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
  return s;
}

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

// Formats date and/or time; nullopt when the mask asks for a part the value
// does not have, or for none at all.
std::optional<std::string> format_datetime(const Date* date, const Time* time,
                                           std::string_view mask) {
  const auto tokens = tokenize(mask);
  bool has_date = false;
  bool has_time = false;
  bool twelve = false;
  for (const Token& t : tokens) {
    switch (t.part) {
      case Part::kDay:
      case Part::kMonth:
      case Part::kYear:
        has_date = true;
        break;
      case Part::kAmPm:
        twelve = true;
        [[fallthrough]];
      case Part::kHour:
      case Part::kMinute:
      case Part::kSecond:
      case Part::kFraction:
        has_time = true;
        break;
      case Part::kLiteral:
        break;
    }
  }
  if ((!has_date && !has_time) || (has_date && !date) || (has_time && !time)) return std::nullopt;

  std::string out;
  for (const Token& t : tokens) {
    switch (t.part) {
      case Part::kLiteral:
        out += t.text;
        break;
      case Part::kDay:
        if (t.width <= 2) {
          out += padded(date->day, t.width);
        } else {
          const std::string name = kDayNames[static_cast<std::size_t>(date->day_of_week() - 1)];
          out += t.width == 3 ? name.substr(0, 3) : name;
        }
        break;
      case Part::kMonth:
        if (t.width <= 2) {
          out += padded(date->month, t.width);
        } else {
          const std::string name = kMonthNames[static_cast<std::size_t>(date->month - 1)];
          out += t.width == 3 ? name.substr(0, 3) : name;
        }
        break;
      case Part::kYear:
        out += t.width <= 2 ? padded(date->year % 100, 2) : padded(date->year, 4);
        break;
      case Part::kHour: {
        int hour = time->hour;
        if (twelve) hour = hour % 12 == 0 ? 12 : hour % 12;
        out += padded(hour, t.width >= 2 ? 2 : 1);
        break;
      }
      case Part::kMinute:
        out += padded(time->minute, t.width >= 2 ? 2 : 1);
        break;
      case Part::kSecond:
        out += padded(time->second, t.width >= 2 ? 2 : 1);
        break;
      case Part::kFraction: {
        const int width = t.width > 6 ? 6 : t.width;
        int micro = time->microsecond;
        for (int k = width; k < 6; ++k) micro /= 10;
        out += padded(micro, width);
        break;
      }
      case Part::kAmPm: {
        const bool pm = time->hour >= 12;
        std::string marker = t.width == 5 ? (pm ? "PM" : "AM") : (pm ? "P" : "A");
        if (t.text[0] == 'a') marker = text::lower(marker);  // the mask's case
        out += marker;
        break;
      }
    }
  }
  return out;
}

// ---- text to numbers ----

std::optional<double> parse_double(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  // Plain digits, point and exponent only: no "inf", "nan" or hex.
  if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos ||
      text[0] == '+' || text[0] == '-') {
    return std::nullopt;
  }
  double d = 0;
  const auto res =
      std::from_chars(text.data(), text.data() + text.size(), d, std::chars_format::general);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
  return negative ? -d : d;
}

// ---- operators ----

enum class Op { kAdd, kSub, kMul };

Value arithmetic(std::string_view fn, Op op, const Value& a, const Value& b) {
  const Type type = wider(fn, a, b);
  if (any_null({&a, &b})) return Value::null_of(type);
  const auto apply = [op](auto x, auto y) {
    switch (op) {
      case Op::kAdd:
        return x + y;
      case Op::kSub:
        return x - y;
      case Op::kMul:
        break;
    }
    return x * y;
  };
  switch (type) {
    case Type::kInteger:
      return Value::of_integer(wrap16(apply(rounded_int64(a), rounded_int64(b))));
    case Type::kLong:
      return Value::of_long(wrap32(apply(rounded_int64(a), rounded_int64(b))));
    case Type::kDecimal:
      return Value::of_decimal(apply(to_decimal(a), to_decimal(b)));
    default:
      return Value::of_double(apply(to_double(a), to_double(b)));
  }
}

std::optional<std::partial_ordering> order(std::string_view fn, const Value& a, const Value& b,
                                           bool ordered) {
  const Type ta = a.type();
  const Type tb = b.type();
  const bool numbers = (a.is_number() || ta == Type::kAny) && (b.is_number() || tb == Type::kAny);
  if (!numbers && ta != tb && ta != Type::kAny && tb != Type::kAny) wrong_type(fn, b);
  const Type t = ta == Type::kAny ? tb : ta;
  if (ordered && (t == Type::kBoolean || t == Type::kObject)) wrong_type(fn, a);
  if (any_null({&a, &b})) return std::nullopt;
  if (numbers) {
    if (ta == Type::kDouble || tb == Type::kDouble) return to_double(a) <=> to_double(b);
    if (ta != Type::kDecimal && tb != Type::kDecimal) return rounded_int64(a) <=> rounded_int64(b);
    return to_decimal(a) <=> to_decimal(b);
  }
  switch (t) {
    case Type::kString:
      return text::compare(a.as_string(), b.as_string()) <=> 0;
    case Type::kDate:
      return a.as_date() <=> b.as_date();
    case Type::kTime:
      return a.as_time() <=> b.as_time();
    case Type::kDateTime:
      return a.as_datetime() <=> b.as_datetime();
    case Type::kBoolean:
      return a.as_bool() == b.as_bool() ? std::partial_ordering::equivalent
                                        : std::partial_ordering::unordered;
    case Type::kObject:
      return a.as_object() == b.as_object() ? std::partial_ordering::equivalent
                                            : std::partial_ordering::unordered;
    default:
      wrong_type(fn, a);
  }
}

template <typename Pred>
Value comparison(std::string_view fn, const Value& a, const Value& b, bool ordered, Pred pred) {
  const auto o = order(fn, a, b, ordered);
  if (!o) return Value::null_of(Type::kBoolean);
  return Value::of_bool(pred(*o));
}

}  // namespace

// ---- text ----

namespace {

// Checks the argument types, answers null when one is null, else calls make.
template <typename Make>
Value text_call(std::string_view fn, Type result, std::initializer_list<const Value*> strings,
                std::initializer_list<const Value*> numbers, Make make) {
  for (const Value* v : strings) need_string(fn, *v);
  for (const Value* v : numbers) need_number(fn, *v);
  for (const Value* v : strings) {
    if (v->is_null()) return Value::null_of(result);
  }
  for (const Value* v : numbers) {
    if (v->is_null()) return Value::null_of(result);
  }
  return make();
}

}  // namespace

Value Len(const Value& s) {
  return text_call("Len", Type::kLong, {&s}, {},
                   [&] { return Value::of_long(wrap32(text::len(s.as_string()))); });
}

Value Left(const Value& s, const Value& n) {
  return text_call("Left", Type::kString, {&s}, {&n}, [&] {
    return Value::of_string(text::left(s.as_string(), count_of("Left", n)));
  });
}

Value Right(const Value& s, const Value& n) {
  return text_call("Right", Type::kString, {&s}, {&n}, [&] {
    return Value::of_string(text::right(s.as_string(), count_of("Right", n)));
  });
}

Value Mid(const Value& s, const Value& start) {
  return text_call("Mid", Type::kString, {&s}, {&start}, [&] {
    return Value::of_string(text::mid(s.as_string(), count_of("Mid", start)));
  });
}

Value Mid(const Value& s, const Value& start, const Value& n) {
  return text_call("Mid", Type::kString, {&s}, {&start, &n}, [&] {
    return Value::of_string(text::mid(s.as_string(), count_of("Mid", start), count_of("Mid", n)));
  });
}

Value Pos(const Value& s, const Value& find) {
  return text_call("Pos", Type::kLong, {&s, &find}, {}, [&] {
    return Value::of_long(wrap32(text::pos(s.as_string(), find.as_string())));
  });
}

Value Pos(const Value& s, const Value& find, const Value& start) {
  return text_call("Pos", Type::kLong, {&s, &find}, {&start}, [&] {
    return Value::of_long(
        wrap32(text::pos(s.as_string(), find.as_string(), count_of("Pos", start))));
  });
}

Value Trim(const Value& s) {
  return text_call("Trim", Type::kString, {&s}, {},
                   [&] { return Value::of_string(text::trim(s.as_string())); });
}

Value LeftTrim(const Value& s) {
  return text_call("LeftTrim", Type::kString, {&s}, {},
                   [&] { return Value::of_string(text::left_trim(s.as_string())); });
}

Value RightTrim(const Value& s) {
  return text_call("RightTrim", Type::kString, {&s}, {},
                   [&] { return Value::of_string(text::right_trim(s.as_string())); });
}

Value Upper(const Value& s) {
  return text_call("Upper", Type::kString, {&s}, {},
                   [&] { return Value::of_string(text::upper(s.as_string())); });
}

Value Lower(const Value& s) {
  return text_call("Lower", Type::kString, {&s}, {},
                   [&] { return Value::of_string(text::lower(s.as_string())); });
}

Value Fill(const Value& chars, const Value& n) {
  return text_call("Fill", Type::kString, {&chars}, {&n}, [&] {
    return Value::of_string(text::fill(chars.as_string(), count_of("Fill", n)));
  });
}

Value Replace(const Value& s, const Value& start, const Value& n, const Value& with) {
  return text_call("Replace", Type::kString, {&s, &with}, {&start, &n}, [&] {
    return Value::of_string(text::replace(s.as_string(), count_of("Replace", start),
                                          count_of("Replace", n), with.as_string()));
  });
}

// ---- String ----

Value String(const Value& v) {
  if (v.is_null()) return Value::null_of(Type::kString);
  return Value::of_string(plain_text(v));
}

Value String(const Value& v, const Value& mask) {
  need_string("String", mask);
  if (v.is_null() || mask.is_null()) return Value::null_of(Type::kString);
  return String(v, std::string_view(mask.as_string()));
}

Value String(const Value& v, std::string_view mask) {
  if (v.is_null()) return Value::null_of(Type::kString);
  if (mask.empty() || v.type() == Type::kString) return String(v);
  std::optional<std::string> out;
  switch (v.type()) {
    case Type::kInteger:
    case Type::kLong:
    case Type::kDecimal:
    case Type::kDouble:
      out = format_number(to_decimal(v), mask);
      break;
    case Type::kDate:
      out = format_datetime(&v.as_date(), nullptr, mask);
      break;
    case Type::kTime:
      out = format_datetime(nullptr, &v.as_time(), mask);
      break;
    case Type::kDateTime:
      out = format_datetime(&v.as_datetime().date, &v.as_datetime().time, mask);
      break;
    default:
      break;
  }
  return Value::of_string(out.value_or(std::string()));
}

// ---- numbers ----

namespace {

// The decimal a value converts to, or nullopt for "answers 0".
std::optional<Decimal> number_of(const Value& v) {
  if (v.is_number()) return to_decimal(v);
  if (v.type() == Type::kString) return Decimal::parse(v.as_string());
  return std::nullopt;
}

}  // namespace

Value Long(const Value& v) {
  if (v.is_null()) return Value::null_of(Type::kLong);
  if (v.type() == Type::kLong) return v;
  if (v.type() == Type::kInteger) return Value::of_long(v.as_integer());
  const auto d = number_of(v);
  return Value::of_long(d ? wrap32(d->round(0).to_int64()) : 0);
}

Value Integer(const Value& v) {
  if (v.is_null()) return Value::null_of(Type::kInteger);
  if (v.type() == Type::kInteger) return v;
  if (v.type() == Type::kLong) return Value::of_integer(wrap16(v.as_long()));
  const auto d = number_of(v);
  return Value::of_integer(d ? wrap16(d->round(0).to_int64()) : 0);
}

Value Dec(const Value& v) {
  if (v.is_null()) return Value::null_of(Type::kDecimal);
  return Value::of_decimal(number_of(v).value_or(Decimal()));
}

Value Double(const Value& v) {
  if (v.is_null()) return Value::null_of(Type::kDouble);
  if (v.is_number()) return Value::of_double(to_double(v));
  if (v.type() == Type::kString) return Value::of_double(parse_double(v.as_string()).value_or(0.0));
  return Value::of_double(0.0);
}

Value Long(std::string_view text) { return Long(Value::of_string(std::string(text))); }
Value Integer(std::string_view text) { return Integer(Value::of_string(std::string(text))); }
Value Dec(std::string_view text) { return Dec(Value::of_string(std::string(text))); }
Value Double(std::string_view text) { return Double(Value::of_string(std::string(text))); }

Value Round(const Value& x, const Value& n) {
  need_number("Round", x);
  need_number("Round", n);
  if (any_null({&x, &n})) return Value::null_of(Type::kDecimal);
  std::int64_t places = rounded_int64(n);
  // Beyond a few dozen places nothing changes any more; keep the int in range.
  if (places > 100) places = 100;
  if (places < -100) places = -100;
  return Value::of_decimal(to_decimal(x).round(static_cast<int>(places)));
}

// ---- date and time ----

Value Today(const Clock& clock) { return Value::of_date(clock.today()); }

Value Now(const Clock& clock) { return Value::of_time(clock.now().time); }

// ---- operators ----

Value add(const Value& a, const Value& b) { return arithmetic("+", Op::kAdd, a, b); }
Value sub(const Value& a, const Value& b) { return arithmetic("-", Op::kSub, a, b); }
Value mul(const Value& a, const Value& b) { return arithmetic("*", Op::kMul, a, b); }

Value div(const Value& a, const Value& b) {
  Type type = wider("/", a, b);
  if (type == Type::kInteger || type == Type::kLong) type = Type::kDecimal;
  if (any_null({&a, &b})) return Value::null_of(type);
  if (type == Type::kDouble) {
    const double divisor = to_double(b);
    if (divisor == 0.0) throw RuntimeError(RuntimeCode::kDivideByZero, "division by zero");
    return Value::of_double(to_double(a) / divisor);
  }
  return Value::of_decimal(to_decimal(a) / to_decimal(b));
}

Value negate(const Value& a) {
  need_number("-", a);
  if (a.is_null()) return a;
  switch (a.type()) {
    case Type::kInteger:
      return Value::of_integer(wrap16(-std::int64_t{a.as_integer()}));
    case Type::kLong:
      return Value::of_long(wrap32(-std::int64_t{a.as_long()}));
    case Type::kDecimal:
      return Value::of_decimal(a.as_decimal().negated());
    default:
      return Value::of_double(-a.as_double());
  }
}

Value concat(const Value& a, const Value& b) {
  need_string("+", a);
  need_string("+", b);
  if (any_null({&a, &b})) return Value::null_of(Type::kString);
  return Value::of_string(a.as_string() + b.as_string());
}

Value eq(const Value& a, const Value& b) {
  return comparison("=", a, b, false, [](std::partial_ordering o) { return o == 0; });
}
Value ne(const Value& a, const Value& b) {
  return comparison("<>", a, b, false, [](std::partial_ordering o) { return o != 0; });
}
Value lt(const Value& a, const Value& b) {
  return comparison("<", a, b, true, [](std::partial_ordering o) { return o < 0; });
}
Value le(const Value& a, const Value& b) {
  return comparison("<=", a, b, true, [](std::partial_ordering o) { return o <= 0; });
}
Value gt(const Value& a, const Value& b) {
  return comparison(">", a, b, true, [](std::partial_ordering o) { return o > 0; });
}
Value ge(const Value& a, const Value& b) {
  return comparison(">=", a, b, true, [](std::partial_ordering o) { return o >= 0; });
}

Value logical_and(const Value& a, const Value& b) {
  need_boolean("and", a);
  need_boolean("and", b);
  if (any_null({&a, &b})) return Value::null_of(Type::kBoolean);
  return Value::of_bool(a.as_bool() && b.as_bool());
}

Value logical_or(const Value& a, const Value& b) {
  need_boolean("or", a);
  need_boolean("or", b);
  if (any_null({&a, &b})) return Value::null_of(Type::kBoolean);
  return Value::of_bool(a.as_bool() || b.as_bool());
}

Value logical_not(const Value& a) {
  need_boolean("not", a);
  if (a.is_null()) return Value::null_of(Type::kBoolean);
  return Value::of_bool(!a.as_bool());
}

bool is_true(const Value& condition) {
  if (condition.is_null()) return false;
  if (condition.type() != Type::kBoolean) wrong_type("condition", condition);
  return condition.as_bool();
}

}  // namespace fh
