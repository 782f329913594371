#include "formhost/dwexpression.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"

namespace fh {
namespace dwexpr {

enum class Op : std::uint8_t {
  kLiteral, kColumn, kColumnNumber,
  kNegate, kPlus,
  kPower, kMul, kDiv, kAdd, kSub,
  kEq, kNe, kLt, kLe, kGt, kGe,
  kNot, kAnd, kOr,
  kIf, kIsNull, kMod, kAbs, kCeiling, kInt, kTruncate, kRound,
  kLen, kLeft, kRight, kMid, kPos, kTrim, kLeftTrim, kRightTrim, kUpper, kLower,
  kString, kNumber, kLong, kInteger, kDec, kReal, kDate, kToday, kNow, kYear, kMonth, kDay,
  kRgb, kGetRow, kCurrentRow, kRowCount,
  kSum, kCount, kMax, kMin, kAvg,
};

// One node of the tree. Children are args[arg .. arg + argc); `data` indexes
// the literal, the column name, the aggregate's cache slot, or is the #N.
struct Node {
  Op op;
  std::uint8_t argc;
  std::uint32_t arg;
  std::uint32_t data;
};

struct Program {
  std::string text;
  std::vector<Node> nodes;
  std::vector<std::uint32_t> args;
  std::vector<Value> literals;
  std::vector<std::string> names;  // lower-cased, each once
  std::vector<int> numbers;
  std::uint32_t root = 0;
  std::uint32_t aggregates = 0;
};

namespace {

// ---- parsing ----

struct FunctionInfo {
  std::string_view name;
  Op op;
  std::uint8_t min_args;
  std::uint8_t max_args;
};

constexpr FunctionInfo kFunctions[] = {
    {"if", Op::kIf, 3, 3},           {"isnull", Op::kIsNull, 1, 1},
    {"mod", Op::kMod, 2, 2},         {"abs", Op::kAbs, 1, 1},
    {"ceiling", Op::kCeiling, 1, 1}, {"int", Op::kInt, 1, 1},
    {"truncate", Op::kTruncate, 2, 2}, {"round", Op::kRound, 2, 2},
    {"len", Op::kLen, 1, 1},         {"left", Op::kLeft, 2, 2},
    {"right", Op::kRight, 2, 2},     {"mid", Op::kMid, 2, 3},
    {"pos", Op::kPos, 2, 3},         {"trim", Op::kTrim, 1, 1},
    {"lefttrim", Op::kLeftTrim, 1, 1}, {"righttrim", Op::kRightTrim, 1, 1},
    {"upper", Op::kUpper, 1, 1},     {"lower", Op::kLower, 1, 1},
    {"string", Op::kString, 1, 2},   {"number", Op::kNumber, 1, 1},
    {"long", Op::kLong, 1, 1},       {"integer", Op::kInteger, 1, 1},
    {"dec", Op::kDec, 1, 1},         {"real", Op::kReal, 1, 1},
    {"date", Op::kDate, 1, 3},       {"today", Op::kToday, 0, 0},
    {"now", Op::kNow, 0, 0},         {"year", Op::kYear, 1, 1},
    {"month", Op::kMonth, 1, 1},     {"day", Op::kDay, 1, 1},
    {"rgb", Op::kRgb, 3, 3},         {"getrow", Op::kGetRow, 0, 0},
    {"currentrow", Op::kCurrentRow, 0, 0}, {"rowcount", Op::kRowCount, 0, 0},
    {"sum", Op::kSum, 1, 1},         {"count", Op::kCount, 1, 1},
    {"max", Op::kMax, 1, 1},         {"min", Op::kMin, 1, 1},
    {"avg", Op::kAvg, 1, 1},
};

bool is_aggregate(Op op) {
  return op == Op::kSum || op == Op::kCount || op == Op::kMax || op == Op::kMin ||
         op == Op::kAvg;
}

enum class Tok : std::uint8_t { kEnd, kNumber, kString, kName, kColumnNumber, kOp, kLParen, kRParen, kComma };

struct Token {
  Tok kind = Tok::kEnd;
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string lower;  // a name lower-cased, or the operator
  Value value;        // a number or string literal
  int number = 0;     // #N
};

bool is_ascii_letter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool is_blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Deep trees would exhaust the stack when evaluated recursively.
constexpr int kMaxDepth = 500;

class Parser {
 public:
  Parser(std::string_view src, std::string_view label) : src_(src), label_(label) { lex(); }

  void start(Program* program) {
    prog_ = program;
    depths_.clear();
    nesting_ = 0;
  }

  // or_expr := and_expr (OR and_expr)*
  std::uint32_t parse_or() {
    std::uint32_t left = parse_and();
    while (is_keyword("or")) {
      next();
      left = binary(Op::kOr, left, parse_and());
    }
    return left;
  }

  const Token& peek() const { return tokens_[pos_]; }
  void next() {
    if (tokens_[pos_].kind != Tok::kEnd) ++pos_;
  }
  std::size_t previous_end() const { return pos_ == 0 ? 0 : tokens_[pos_ - 1].end; }

  [[noreturn]] void fail(const std::string& what, std::size_t at) const {
    throw Error(std::string(label_) + " '" + std::string(src_) + "': " + what + " at byte " +
                std::to_string(at));
  }

 private:
  // ---- lexer ----

  void lex() {
    std::size_t i = 0;
    const std::size_t n = src_.size();
    for (;;) {
      while (i < n && is_blank(static_cast<unsigned char>(src_[i]))) ++i;
      Token t;
      t.begin = i;
      if (i >= n) {
        t.end = i;
        tokens_.push_back(std::move(t));
        return;
      }
      const auto c = static_cast<unsigned char>(src_[i]);
      if (is_digit(c) || (c == '.' && i + 1 < n && is_digit(static_cast<unsigned char>(src_[i + 1])))) {
        i = lex_number(i, t);
      } else if (c == '\'' || c == '"') {
        i = lex_string(i, t);
      } else if (is_name_start(i)) {
        std::size_t j = i;
        while (j < n && is_name_part(j)) j += gbk_char_size(src_, j);
        t.kind = Tok::kName;
        t.lower = text::lower(src_.substr(i, j - i));
        i = j;
      } else if (c == '#') {
        std::size_t j = i + 1;
        while (j < n && is_digit(static_cast<unsigned char>(src_[j]))) ++j;
        int number = 0;
        const auto res = std::from_chars(src_.data() + i + 1, src_.data() + j, number);
        if (j == i + 1 || res.ec != std::errc() || number < 1) fail("column number expected", i + 1);
        t.kind = Tok::kColumnNumber;
        t.number = number;
        i = j;
      } else if (c == '(' || c == ')' || c == ',') {
        t.kind = c == '(' ? Tok::kLParen : c == ')' ? Tok::kRParen : Tok::kComma;
        ++i;
      } else if (c == '<' && i + 1 < n && (src_[i + 1] == '>' || src_[i + 1] == '=')) {
        t.kind = Tok::kOp;
        t.lower = std::string(src_.substr(i, 2));
        i += 2;
      } else if (c == '>' && i + 1 < n && src_[i + 1] == '=') {
        t.kind = Tok::kOp;
        t.lower = ">=";
        i += 2;
      } else if (std::string_view("+-*/^=<>").find(static_cast<char>(c)) != std::string_view::npos) {
        t.kind = Tok::kOp;
        t.lower = std::string(1, static_cast<char>(c));
        ++i;
      } else {
        fail("operand or operator expected", i);
      }
      t.end = i;
      tokens_.push_back(std::move(t));
    }
  }

  bool is_name_start(std::size_t i) const {
    const auto c = static_cast<unsigned char>(src_[i]);
    return is_ascii_letter(c) || c == '_' || gbk_char_size(src_, i) == 2;
  }
  bool is_name_part(std::size_t i) const {
    return is_name_start(i) || is_digit(static_cast<unsigned char>(src_[i]));
  }

  std::size_t lex_number(std::size_t i, Token& t) {
    std::size_t j = i;
    while (j < src_.size() && is_digit(static_cast<unsigned char>(src_[j]))) ++j;
    bool point = false;
    if (j < src_.size() && src_[j] == '.') {
      point = true;
      ++j;
      while (j < src_.size() && is_digit(static_cast<unsigned char>(src_[j]))) ++j;
    }
    const std::string_view digits = src_.substr(i, j - i);
    t.kind = Tok::kNumber;
    std::int32_t n = 0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (!point && res.ec == std::errc()) {
      t.value = Value::of_long(n);
    } else {
      // A whole number beyond the long range is kept exactly as a decimal.
      const auto d = Decimal::parse(digits);
      if (!d) fail("number expected", i);
      t.value = Value::of_decimal(*d);
    }
    return j;
  }

  // '...' or "..." with ~ escapes. A lead byte and its trail byte are one
  // character, so a trail byte like '~' or '\' never starts an escape.
  std::size_t lex_string(std::size_t i, Token& t) {
    const char quote = src_[i];
    std::string out;
    std::size_t j = i + 1;
    while (j < src_.size()) {
      const char c = src_[j];
      if (c == quote) {
        t.kind = Tok::kString;
        t.value = Value::of_string(std::move(out));
        return j + 1;
      }
      if (gbk_char_size(src_, j) == 2) {
        out.append(src_.substr(j, 2));
        j += 2;
      } else if (c == '~' && j + 1 < src_.size()) {
        const std::size_t size = gbk_char_size(src_, j + 1);
        switch (src_[j + 1]) {
          case 'n': out += '\n'; break;
          case 't': out += '\t'; break;
          case 'r': out += '\r'; break;
          default: out.append(src_.substr(j + 1, size)); break;  // ~~ ~' ~" and any other
        }
        j += 1 + size;
      } else {
        out += c;
        ++j;
      }
    }
    fail(std::string("closing ") + quote + " of the string at byte " + std::to_string(i) +
             " expected",
         src_.size());
  }

  // ---- grammar ----

  // Bounds the parser's own recursion, which the node depth does not see
  // for "((((1))))" or "- - - 1".
  void enter() {
    if (++nesting_ > kMaxDepth) fail("nesting too deep", peek().begin);
  }
  void leave() { --nesting_; }

  bool is_keyword(std::string_view word) const {
    return peek().kind == Tok::kName && peek().lower == word;
  }
  bool is_op(std::string_view op) const { return peek().kind == Tok::kOp && peek().lower == op; }

  // and_expr := not_expr (AND not_expr)*
  std::uint32_t parse_and() {
    std::uint32_t left = parse_not();
    while (is_keyword("and")) {
      next();
      left = binary(Op::kAnd, left, parse_not());
    }
    return left;
  }

  // not_expr := NOT not_expr | comparison
  std::uint32_t parse_not() {
    if (is_keyword("not")) {
      next();
      enter();
      const std::uint32_t operand = parse_not();
      leave();
      return add(Op::kNot, {operand});
    }
    return parse_comparison();
  }

  std::uint32_t parse_comparison() {
    std::uint32_t left = parse_additive();
    for (;;) {
      Op op;
      if (is_op("=")) op = Op::kEq;
      else if (is_op("<>")) op = Op::kNe;
      else if (is_op("<")) op = Op::kLt;
      else if (is_op("<=")) op = Op::kLe;
      else if (is_op(">")) op = Op::kGt;
      else if (is_op(">=")) op = Op::kGe;
      else return left;
      next();
      left = binary(op, left, parse_additive());
    }
  }

  std::uint32_t parse_additive() {
    std::uint32_t left = parse_multiplicative();
    for (;;) {
      Op op;
      if (is_op("+")) op = Op::kAdd;
      else if (is_op("-")) op = Op::kSub;
      else return left;
      next();
      left = binary(op, left, parse_multiplicative());
    }
  }

  std::uint32_t parse_multiplicative() {
    std::uint32_t left = parse_power();
    for (;;) {
      Op op;
      if (is_op("*")) op = Op::kMul;
      else if (is_op("/")) op = Op::kDiv;
      else return left;
      next();
      left = binary(op, left, parse_power());
    }
  }

  // Operators of one level, ^ included, go left to right: 2^3^2 = 64.
  std::uint32_t parse_power() {
    std::uint32_t left = parse_unary();
    while (is_op("^")) {
      next();
      left = binary(Op::kPower, left, parse_unary());
    }
    return left;
  }

  // Unary minus binds tighter than ^: -2^2 = 4.
  std::uint32_t parse_unary() {
    if (is_op("-") || is_op("+")) {
      const bool minus = is_op("-");
      next();
      enter();
      const std::uint32_t operand = parse_unary();
      leave();
      if (minus) {
        Node& node = prog_->nodes[operand];
        if (node.op == Op::kLiteral && prog_->literals[node.data].is_number()) {
          // Fold "-5" into the literal; negating a number cannot fail.
          Value& v = prog_->literals[node.data];
          v = negate(v);
          return operand;
        }
      }
      return add(minus ? Op::kNegate : Op::kPlus, {operand});
    }
    return parse_primary();
  }

  std::uint32_t parse_primary() {
    const Token& t = peek();
    switch (t.kind) {
      case Tok::kNumber:
      case Tok::kString: {
        const std::uint32_t index = literal(t.value);
        next();
        return add(Op::kLiteral, {}, index);
      }
      case Tok::kColumnNumber: {
        const int number = t.number;
        bool known = false;
        for (const int n : prog_->numbers) known = known || n == number;
        if (!known) prog_->numbers.push_back(number);
        next();
        return add(Op::kColumnNumber, {}, static_cast<std::uint32_t>(number));
      }
      case Tok::kLParen: {
        next();
        enter();
        const std::uint32_t inner = parse_or();
        leave();
        expect(Tok::kRParen, "')'");
        return inner;
      }
      case Tok::kName: {
        if (t.lower == "and" || t.lower == "or" || t.lower == "not") break;
        if (tokens_[pos_ + 1].kind == Tok::kLParen) return parse_call();
        if (t.lower == "true" || t.lower == "false") {
          const std::uint32_t index = literal(Value::of_bool(t.lower == "true"));
          next();
          return add(Op::kLiteral, {}, index);
        }
        const std::uint32_t index = column(t.lower);
        next();
        return add(Op::kColumn, {}, index);
      }
      default: break;
    }
    fail("operand expected", t.begin);
  }

  std::uint32_t parse_call() {
    const Token name = peek();
    const FunctionInfo* info = nullptr;
    for (const FunctionInfo& f : kFunctions) {
      if (f.name == name.lower) info = &f;
    }
    if (!info) {
      fail("unknown function '" + std::string(src_.substr(name.begin, name.end - name.begin)) + "'",
           name.begin);
    }
    next();  // name
    next();  // (
    enter();
    std::vector<std::uint32_t> args;
    if (peek().kind != Tok::kRParen) {
      for (;;) {
        args.push_back(parse_or());
        if (is_aggregate(info->op) && is_keyword("for")) {
          next();
          if (!is_keyword("all")) fail("'all' expected", peek().begin);
          next();
        }
        if (peek().kind != Tok::kComma) break;
        next();
      }
    }
    const std::size_t count = args.size();
    const bool date_args = info->op == Op::kDate && count == 2;  // date(x) or date(y, m, d)
    if (count < info->min_args || count > info->max_args || date_args) {
      std::string want = std::to_string(info->min_args);
      if (info->op == Op::kDate) want = "1 or 3";
      else if (info->max_args != info->min_args) want += " or " + std::to_string(info->max_args);
      fail(want + (want == "1" ? " argument" : " arguments") + " for " + std::string(info->name) +
               "() expected",
           name.begin);
    }
    expect(Tok::kRParen, "')'");
    leave();
    std::uint32_t data = 0;
    if (is_aggregate(info->op)) data = prog_->aggregates++;
    return add(info->op, args, data);
  }

  void expect(Tok kind, std::string_view what) {
    if (peek().kind != kind) fail(std::string(what) + " expected", peek().begin);
    next();
  }

  // ---- building ----

  std::uint32_t literal(const Value& v) {
    prog_->literals.push_back(v);
    return static_cast<std::uint32_t>(prog_->literals.size() - 1);
  }

  std::uint32_t column(const std::string& name) {
    for (std::size_t i = 0; i < prog_->names.size(); ++i) {
      if (prog_->names[i] == name) return static_cast<std::uint32_t>(i);
    }
    prog_->names.push_back(name);
    return static_cast<std::uint32_t>(prog_->names.size() - 1);
  }

  std::uint32_t binary(Op op, std::uint32_t left, std::uint32_t right) {
    return add(op, {left, right});
  }

  std::uint32_t add(Op op, const std::vector<std::uint32_t>& children, std::uint32_t data = 0) {
    int depth = 1;
    for (const std::uint32_t c : children) depth = std::max(depth, depths_[c] + 1);
    if (depth > kMaxDepth) fail("nesting too deep", peek().begin);
    Node node{op, static_cast<std::uint8_t>(children.size()),
              static_cast<std::uint32_t>(prog_->args.size()), data};
    prog_->args.insert(prog_->args.end(), children.begin(), children.end());
    prog_->nodes.push_back(node);
    depths_.push_back(depth);
    return static_cast<std::uint32_t>(prog_->nodes.size() - 1);
  }

  std::string_view src_;
  std::string_view label_;
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  Program* prog_ = nullptr;
  std::vector<int> depths_;  // per node of prog_
  int nesting_ = 0;          // open parentheses, calls and prefix operators
};

// ---- numbers for the functions that functions.h lacks ----

[[noreturn]] void wrong_type(std::string_view fn, const Value& v) {
  throw std::logic_error(std::string(fn) + ": argument of the wrong type: " + describe(v));
}

[[noreturn]] void divide_by_zero() {
  throw RuntimeError(RuntimeCode::kDivideByZero, "division by zero");
}

int rank(const Value& v) {
  switch (v.type()) {
    case Type::kInteger: return 0;
    case Type::kLong: return 1;
    case Type::kDecimal: return 2;
    case Type::kDouble: return 3;
    default: return -1;
  }
}

void need_number(std::string_view fn, const Value& v) {
  if (!v.is_number() && v.type() != Type::kAny) wrong_type(fn, v);
}

// The wider number type of two operands; a null any takes the other's type.
Type wider(std::string_view fn, const Value& a, const Value& b) {
  need_number(fn, a);
  need_number(fn, b);
  return rank(a) >= rank(b) ? a.type() : b.type();
}

Decimal dec_of(const Value& v) { return Dec(v).as_decimal(); }
double double_of(const Value& v) { return Double(v).as_double(); }

// 10 to the power -places, exactly.
Decimal unit(int places) {
  if (places <= 0) return *Decimal::parse("1" + std::string(static_cast<std::size_t>(-places), '0'));
  return *Decimal::parse("0." + std::string(static_cast<std::size_t>(places - 1), '0') + "1");
}

// Cut toward zero to `places` digits after the point.
Decimal truncate(const Decimal& x, int places) {
  Decimal r = x.round(places);
  if (!x.is_negative() && r > x) r = r - unit(places);
  if (x.is_negative() && r < x) r = r + unit(places);
  return r;
}

Decimal floor_of(const Decimal& x) {
  const Decimal t = truncate(x, 0);
  return x < t ? t - Decimal::from_int(1) : t;
}

Decimal ceiling_of(const Decimal& x) {
  const Decimal t = truncate(x, 0);
  return x > t ? t + Decimal::from_int(1) : t;
}

int places_of(const Value& n) {
  std::int64_t p = Long(n).as_long();
  if (p > 30) p = 30;
  if (p < -30) p = -30;
  return static_cast<int>(p);
}

enum class Rounding { kFloor, kCeiling, kTruncate };

// int, ceiling and truncate keep the argument's type.
Value whole(std::string_view fn, Rounding how, const Value& x, int places) {
  need_number(fn, x);
  if (x.is_null()) return x;
  if ((x.type() == Type::kInteger || x.type() == Type::kLong) && places >= 0) return x;
  const Decimal d = dec_of(x);
  Decimal r;
  switch (how) {
    case Rounding::kFloor: r = floor_of(d); break;
    case Rounding::kCeiling: r = ceiling_of(d); break;
    case Rounding::kTruncate: r = truncate(d, places); break;
  }
  switch (x.type()) {
    case Type::kInteger: return Integer(Value::of_decimal(r));
    case Type::kLong: return Long(Value::of_decimal(r));
    case Type::kDecimal: return Value::of_decimal(r);
    default: break;
  }
  const double v = x.as_double();
  if (!std::isfinite(v)) return x;
  switch (how) {
    case Rounding::kFloor: return Value::of_double(std::floor(v));
    case Rounding::kCeiling: return Value::of_double(std::ceil(v));
    case Rounding::kTruncate: break;
  }
  return Value::of_double(r.to_double());
}

Value abs_of(const Value& x) {
  need_number("abs", x);
  if (x.is_null()) return x;
  bool negative = false;
  switch (x.type()) {
    case Type::kInteger: negative = x.as_integer() < 0; break;
    case Type::kLong: negative = x.as_long() < 0; break;
    case Type::kDecimal: negative = x.as_decimal().is_negative(); break;
    default: negative = x.as_double() < 0; break;
  }
  return negative ? negate(x) : x;
}

// Remainder with the sign of the dividend, in the wider type.
Value mod_of(const Value& a, const Value& b) {
  const Type type = wider("mod", a, b);
  if (a.is_null() || b.is_null()) return Value::null_of(type);
  switch (type) {
    case Type::kInteger:
    case Type::kLong: {
      const std::int64_t x = Long(a).as_long();
      const std::int64_t y = Long(b).as_long();
      if (y == 0) divide_by_zero();
      const std::int64_t r = x % y;
      return type == Type::kLong ? Value::of_long(static_cast<std::int32_t>(r))
                                 : Value::of_integer(static_cast<std::int16_t>(r));
    }
    case Type::kDecimal: {
      const Decimal x = dec_of(a);
      const Decimal y = dec_of(b);
      if (y.is_zero()) divide_by_zero();
      return Value::of_decimal(x - y * truncate(x / y, 0));
    }
    default: {
      const double y = double_of(b);
      if (y == 0.0) divide_by_zero();
      return Value::of_double(std::fmod(double_of(a), y));
    }
  }
}

// Exact (decimal) for a whole exponent and no double operand, else double.
Value power_of(const Value& a, const Value& b) {
  const Type type = wider("^", a, b);
  const bool exact = type != Type::kDouble;
  if (a.is_null() || b.is_null()) return Value::null_of(exact ? Type::kDecimal : Type::kDouble);
  if (exact) {
    const Decimal e = dec_of(b);
    const Decimal whole_e = truncate(e, 0);
    const std::int64_t n = whole_e.to_int64();
    if (e == whole_e && n >= -4096 && n <= 4096) {
      Decimal base = dec_of(a);
      Decimal result = Decimal::from_int(1);
      for (std::int64_t k = n < 0 ? -n : n; k > 0; k >>= 1) {
        if (k & 1) result = result * base;
        if (k > 1) base = base * base;
      }
      if (n < 0) result = Decimal::from_int(1) / result;
      return Value::of_decimal(result);
    }
  }
  return Value::of_double(std::pow(double_of(a), double_of(b)));
}

// Text, a date or a datetime to a date; text that is no date gives 1900-01-01.
Value date_of(const Value& x) {
  switch (x.type()) {
    case Type::kDate: return x;
    case Type::kDateTime:
      return x.is_null() ? Value::null_of(Type::kDate) : Value::of_date(x.as_datetime().date);
    case Type::kString:
    case Type::kAny: {
      if (x.is_null()) return Value::null_of(Type::kDate);
      if (const auto d = Date::parse(x.as_string())) return Value::of_date(*d);
      if (const auto dt = DateTime::parse(x.as_string())) return Value::of_date(dt->date);
      return Value::initial(Type::kDate);
    }
    default: wrong_type("date", x);
  }
}

Value date_of(const Value& y, const Value& m, const Value& d) {
  for (const Value* v : {&y, &m, &d}) need_number("date", *v);
  if (y.is_null() || m.is_null() || d.is_null()) return Value::null_of(Type::kDate);
  const auto date = Date::make(Long(y).as_long(), Long(m).as_long(), Long(d).as_long());
  return date ? Value::of_date(*date) : Value::initial(Type::kDate);
}

enum class DatePart { kYear, kMonth, kDay };

Value date_part(std::string_view fn, DatePart part, const Value& x) {
  const Date* date = nullptr;
  switch (x.type()) {
    case Type::kDate:
    case Type::kDateTime:
    case Type::kAny:
      if (x.is_null()) return Value::null_of(Type::kInteger);
      date = x.type() == Type::kDate ? &x.as_date() : &x.as_datetime().date;
      break;
    default: wrong_type(fn, x);
  }
  switch (part) {
    case DatePart::kYear: return Value::of_integer(date->year);
    case DatePart::kMonth: return Value::of_integer(date->month);
    case DatePart::kDay: break;
  }
  return Value::of_integer(date->day);
}

Value rgb_of(const Value& r, const Value& g, const Value& b) {
  for (const Value* v : {&r, &g, &b}) need_number("rgb", *v);
  if (r.is_null() || g.is_null() || b.is_null()) return Value::null_of(Type::kLong);
  const std::int64_t n = std::int64_t{Long(r).as_long()} + 256 * std::int64_t{Long(g).as_long()} +
                         65536 * std::int64_t{Long(b).as_long()};
  return Value::of_long(static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(n))));
}

// '+' adds numbers and joins strings.
Value plus(const Value& a, const Value& b) {
  if (a.type() == Type::kString || b.type() == Type::kString) return concat(a, b);
  return add(a, b);
}

// ---- evaluation ----

const Clock& system_clock() {
  static const SystemClock clock;
  return clock;
}

class Evaluator {
 public:
  Evaluator(const Program& p, const RowSource& rows, const Clock* clock)
      : p_(p), rows_(rows), clock_(clock ? *clock : system_clock()), cache_(p.aggregates) {}

  Value eval(std::uint32_t n, long row) {
    const Node& node = p_.nodes[n];
    const std::uint32_t* a = p_.args.data() + node.arg;
    Value t0;
    Value t1;
    Value t2;
    // Operands by reference: literals are read in place, not copied.
    const auto x = [&](std::size_t i, Value& tmp) -> const Value& { return operand(a[i], row, tmp); };
    switch (node.op) {
      case Op::kLiteral: return p_.literals[node.data];
      case Op::kColumn: return rows_.item(row, p_.names[node.data]);
      case Op::kColumnNumber:
        return rows_.item(row, rows_.column_name(static_cast<int>(node.data)));
      case Op::kNegate: return negate(x(0, t0));
      case Op::kPlus: {
        const Value& v = x(0, t0);
        need_number("+", v);
        return v;
      }
      case Op::kPower: return power_of(x(0, t0), x(1, t1));
      case Op::kMul: return mul(x(0, t0), x(1, t1));
      case Op::kDiv: return div(x(0, t0), x(1, t1));
      case Op::kAdd: return plus(x(0, t0), x(1, t1));
      case Op::kSub: return sub(x(0, t0), x(1, t1));
      case Op::kEq: return eq(x(0, t0), x(1, t1));
      case Op::kNe: return ne(x(0, t0), x(1, t1));
      case Op::kLt: return lt(x(0, t0), x(1, t1));
      case Op::kLe: return le(x(0, t0), x(1, t1));
      case Op::kGt: return gt(x(0, t0), x(1, t1));
      case Op::kGe: return ge(x(0, t0), x(1, t1));
      case Op::kNot: return logical_not(x(0, t0));
      case Op::kAnd: return logical_and(x(0, t0), x(1, t1));
      case Op::kOr: return logical_or(x(0, t0), x(1, t1));
      case Op::kIf: return is_true(x(0, t0)) ? eval(a[1], row) : eval(a[2], row);
      case Op::kIsNull: return Value::of_bool(x(0, t0).is_null());
      case Op::kMod: return mod_of(x(0, t0), x(1, t1));
      case Op::kAbs: return abs_of(x(0, t0));
      case Op::kCeiling: return whole("ceiling", Rounding::kCeiling, x(0, t0), 0);
      case Op::kInt: return whole("int", Rounding::kFloor, x(0, t0), 0);
      case Op::kTruncate: {
        const Value& value = x(0, t0);
        const Value& places = x(1, t1);
        need_number("truncate", places);
        if (places.is_null()) {
          need_number("truncate", value);
          return Value::null_of(value.type());
        }
        return whole("truncate", Rounding::kTruncate, value, places_of(places));
      }
      case Op::kRound: return Round(x(0, t0), x(1, t1));
      case Op::kLen: return Len(x(0, t0));
      case Op::kLeft: return Left(x(0, t0), x(1, t1));
      case Op::kRight: return Right(x(0, t0), x(1, t1));
      case Op::kMid:
        return node.argc == 2 ? Mid(x(0, t0), x(1, t1)) : Mid(x(0, t0), x(1, t1), x(2, t2));
      case Op::kPos:
        return node.argc == 2 ? Pos(x(0, t0), x(1, t1)) : Pos(x(0, t0), x(1, t1), x(2, t2));
      case Op::kTrim: return Trim(x(0, t0));
      case Op::kLeftTrim: return LeftTrim(x(0, t0));
      case Op::kRightTrim: return RightTrim(x(0, t0));
      case Op::kUpper: return Upper(x(0, t0));
      case Op::kLower: return Lower(x(0, t0));
      case Op::kString: return node.argc == 1 ? String(x(0, t0)) : String(x(0, t0), x(1, t1));
      case Op::kNumber:
      case Op::kDec: return Dec(x(0, t0));
      case Op::kLong: return Long(x(0, t0));
      case Op::kInteger: return Integer(x(0, t0));
      case Op::kReal: return Double(x(0, t0));
      case Op::kDate: return node.argc == 1 ? date_of(x(0, t0)) : date_of(x(0, t0), x(1, t1), x(2, t2));
      case Op::kToday: return Today(clock_);
      case Op::kNow: return Now(clock_);
      case Op::kYear: return date_part("year", DatePart::kYear, x(0, t0));
      case Op::kMonth: return date_part("month", DatePart::kMonth, x(0, t0));
      case Op::kDay: return date_part("day", DatePart::kDay, x(0, t0));
      case Op::kRgb: return rgb_of(x(0, t0), x(1, t1), x(2, t2));
      case Op::kGetRow: return Value::of_long(static_cast<std::int32_t>(row));
      case Op::kCurrentRow: return Value::of_long(static_cast<std::int32_t>(rows_.current_row()));
      case Op::kRowCount: return Value::of_long(static_cast<std::int32_t>(rows_.row_count()));
      case Op::kSum:
      case Op::kCount:
      case Op::kMax:
      case Op::kMin:
      case Op::kAvg: return aggregate(node, a[0]);
    }
    throw std::logic_error("expression: unknown node");
  }

 private:
  const Value& operand(std::uint32_t n, long row, Value& tmp) {
    const Node& node = p_.nodes[n];
    if (node.op == Op::kLiteral) return p_.literals[node.data];
    tmp = eval(n, row);
    return tmp;
  }

  // Over all rows, nulls skipped; the answer does not depend on the current
  // row, so it is computed once per evaluation and kept.
  const Value& aggregate(const Node& node, std::uint32_t arg) {
    std::optional<Value>& slot = cache_[node.data];
    if (slot) return *slot;
    const long count_rows = rows_.row_count();
    Value acc;
    Type null_type = Type::kAny;
    std::int32_t count = 0;
    for (long r = 1; r <= count_rows; ++r) {
      Value v = eval(arg, r);
      if (v.is_null()) {
        null_type = v.type();
        continue;
      }
      switch (node.op) {
        case Op::kSum:
        case Op::kAvg:
          // Whole numbers add up exactly as decimals, with no 32-bit wrap.
          need_number(node.op == Op::kSum ? "sum" : "avg", v);
          if (v.type() == Type::kInteger || v.type() == Type::kLong) v = Dec(v);
          acc = count == 0 ? std::move(v) : add(acc, v);
          break;
        case Op::kMax:
          if (count == 0 || is_true(gt(v, acc))) acc = std::move(v);
          break;
        case Op::kMin:
          if (count == 0 || is_true(lt(v, acc))) acc = std::move(v);
          break;
        default: break;
      }
      ++count;
    }
    Value result;
    if (node.op == Op::kCount) {
      result = Value::of_long(count);
    } else if (count == 0) {
      const bool numeric = node.op == Op::kSum || node.op == Op::kAvg;
      result = Value::null_of(numeric && null_type != Type::kDouble ? Type::kDecimal : null_type);
    } else if (node.op == Op::kAvg) {
      result = div(acc, Value::of_long(count));
    } else {
      result = std::move(acc);
    }
    slot = std::move(result);
    return *slot;
  }

  const Program& p_;
  const RowSource& rows_;
  const Clock& clock_;
  std::vector<std::optional<Value>> cache_;
};

// Runs `body`, giving errors the expression's text.
template <typename Body>
auto guarded(const Program& p, Body body) {
  const std::string prefix = "expression '" + p.text + "': ";
  try {
    return body();
  } catch (const RuntimeError& e) {
    throw RuntimeError(e.code(), prefix + e.what());
  } catch (const Error& e) {
    throw Error(prefix + e.what());
  } catch (const std::logic_error& e) {
    throw Error(prefix + e.what());
  }
}

}  // namespace
}  // namespace dwexpr

// ---- DwExpression ----

DwExpression::DwExpression(std::shared_ptr<const dwexpr::Program> program)
    : program_(std::move(program)) {}

DwExpression DwExpression::parse(std::string_view text) {
  auto program = std::make_shared<dwexpr::Program>();
  program->text = std::string(text);
  dwexpr::Parser parser(text, "expression");
  parser.start(program.get());
  program->root = parser.parse_or();
  if (parser.peek().kind != dwexpr::Tok::kEnd) {
    parser.fail("operator or end of expression expected", parser.peek().begin);
  }
  return DwExpression(std::move(program));
}

Value DwExpression::evaluate(const RowSource& rows, long row, const Clock* clock) const {
  return dwexpr::guarded(*program_, [&] {
    dwexpr::Evaluator ev(*program_, rows, clock);
    return ev.eval(program_->root, row);
  });
}

std::vector<Value> DwExpression::evaluate_all(const RowSource& rows, const Clock* clock) const {
  return dwexpr::guarded(*program_, [&] {
    dwexpr::Evaluator ev(*program_, rows, clock);
    std::vector<Value> out;
    const long n = rows.row_count();
    out.reserve(n > 0 ? static_cast<std::size_t>(n) : 0);
    for (long r = 1; r <= n; ++r) out.push_back(ev.eval(program_->root, r));
    return out;
  });
}

const std::string& DwExpression::text() const { return program_->text; }

std::vector<std::string> DwExpression::columns() const { return program_->names; }

std::vector<int> DwExpression::column_numbers() const { return program_->numbers; }

// ---- sorting ----

std::vector<SortKey> parse_sort(std::string_view sort_text) {
  dwexpr::Parser parser(sort_text, "sort");
  std::vector<SortKey> keys;
  if (parser.peek().kind == dwexpr::Tok::kEnd) return keys;
  for (;;) {
    auto program = std::make_shared<dwexpr::Program>();
    parser.start(program.get());
    const std::size_t begin = parser.peek().begin;
    program->root = parser.parse_or();
    program->text = std::string(sort_text.substr(begin, parser.previous_end() - begin));
    bool ascending = true;
    const dwexpr::Token& t = parser.peek();
    if (t.kind == dwexpr::Tok::kName) {
      if (t.lower == "a" || t.lower == "asc") {
        ascending = true;
      } else if (t.lower == "d" || t.lower == "desc") {
        ascending = false;
      } else {
        parser.fail("A or D expected", t.begin);
      }
      parser.next();
    }
    keys.push_back(SortKey{DwExpression(std::move(program)), ascending});
    if (parser.peek().kind == dwexpr::Tok::kEnd) return keys;
    if (parser.peek().kind != dwexpr::Tok::kComma) {
      parser.fail("',' or end of sort expected", parser.peek().begin);
    }
    parser.next();
  }
}

int compare_sort_values(const Value& a, const Value& b) {
  if (a.is_null() || b.is_null()) return (a.is_null() ? 0 : 1) - (b.is_null() ? 0 : 1);
  if (a.type() == Type::kBoolean && b.type() == Type::kBoolean) {
    return (a.as_bool() ? 1 : 0) - (b.as_bool() ? 1 : 0);
  }
  try {
    if (is_true(lt(a, b))) return -1;
    if (is_true(lt(b, a))) return 1;
    return 0;
  } catch (const std::logic_error& e) {
    throw Error(std::string("sort: ") + e.what());
  }
}

int compare_rows(const std::vector<SortKey>& keys, const RowSource& rows, long a, long b) {
  for (const SortKey& k : keys) {
    const Value va = k.key.evaluate(rows, a);
    const Value vb = k.key.evaluate(rows, b);
    int c = 0;
    try {
      c = compare_sort_values(va, vb);
    } catch (const Error& e) {
      throw Error("expression '" + k.key.text() + "': " + e.what());
    }
    if (c != 0) return k.ascending ? c : -c;
  }
  return 0;
}

// ---- property text ----

std::optional<std::string> property_expression(std::string_view property_text) {
  const std::string_view s = property_text;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t after = 0;
    if (s[i] == '\t') {
      after = i + 1;
    } else if (s[i] == '~' && i + 1 < s.size()) {
      if (s[i + 1] == 't') {
        after = i + 2;
      } else {
        i += 1 + gbk_char_size(s, i + 1);  // an escaped character, "~~" included
        continue;
      }
    } else {
      i += gbk_char_size(s, i);
      continue;
    }
    const std::string_view rest = s.substr(after);
    if (rest.find_first_not_of(" \t\r\n") == std::string_view::npos) return std::nullopt;
    return std::string(rest);
  }
  return std::nullopt;
}

}  // namespace fh
