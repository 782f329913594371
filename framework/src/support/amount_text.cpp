#include "support/amount_text.h"

#include <string>

#include "formhost/decimal.h"
#include "formhost/errors.h"
#include "formhost/functions.h"

namespace zrf {
namespace {

constexpr const char* kDigit[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};
constexpr const char* kPlace[] = {"", "拾", "佰", "仟"};
constexpr int kYuanDigits = 16;  // 18 significant digits, two of them after the point

}  // namespace

fh::Value amount_in_words(std::span<const fh::Value> args) {
  if (args.size() != 1) throw fh::Error("gf_pricetodx_gd takes one amount");
  const fh::Value& amount = args[0];
  if (amount.is_null()) return fh::Value::of_string("");
  if (!amount.is_number()) throw fh::Error("gf_pricetodx_gd takes a number");
  fh::Decimal fen = fh::Dec(amount).as_decimal().round(2);
  const bool negative = fen.is_negative() && !fen.is_zero();
  if (negative) fen = fen.negated();
  // "123.45": the digits of the yuan, then of the jiao and the fen.
  const std::string plain = fen.to_string();
  const std::size_t point = plain.find('.');
  const std::string yuan = plain.substr(0, point);
  if (point == std::string::npos || yuan.size() > kYuanDigits) {
    throw fh::Error("gf_pricetodx_gd: " + plain + " is beyond the amounts it writes");
  }
  const int jiao = plain[point + 1] - '0';
  const int cents = plain[point + 2] - '0';

  std::string out = negative ? "负" : "";
  bool started = false;  // a yuan digit other than 0 is written
  bool zeros = false;    // zeros since the last written digit: one 零 before the next
  for (std::size_t i = 0; i < yuan.size(); ++i) {
    const int place = static_cast<int>(yuan.size() - 1 - i);  // 0: the yuan digit
    const int d = yuan[i] - '0';
    if (d != 0) {
      if (zeros) out += kDigit[0];
      out += kDigit[d];
      out += kPlace[place % 4];
      started = true;
      zeros = false;
    } else if (started) {
      zeros = true;
    }
    if (!started || place % 4 != 0) continue;
    // The end of a group of four: its unit when the group has a digit; 亿
    // always once anything above it is written (壹万亿).
    const std::string group = yuan.substr(i + 1 >= 4 ? i + 1 - 4 : 0, i + 1 >= 4 ? 4 : i + 1);
    const bool group_has_digit = group.find_first_not_of('0') != std::string::npos;
    if (place == 4 || place == 12) {
      if (group_has_digit) out += "万";
    } else if (place == 8) {
      out += "亿";
    } else {
      out += "元";
    }
  }
  if (jiao != 0) {
    if (started && zeros) out += kDigit[0];
    out += kDigit[jiao];
    out += "角";
  } else if (cents != 0 && started) {
    out += kDigit[0];
  }
  if (cents != 0) {
    out += kDigit[cents];
    out += "分";
  } else if (!started && jiao == 0) {
    out += "零元整";
  } else {
    out += "整";
  }
  return fh::Value::of_string(out);
}

}  // namespace zrf
