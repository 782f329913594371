// Reading expression text: the tokens, the grammar, and the expression part
// of a property text.
#include <algorithm>
#include <charconv>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "dw/dw_text.h"
#include "dw/expression_program.h"
#include "formhost/dwexpression.h"
#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"

namespace fh {
namespace dwexpr {
namespace {

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

bool is_name_start(std::string_view s, std::size_t i) {
  return is_ascii_letter(s[i]) || s[i] == '_' || gbk_char_size(s, i) == 2;
}

bool is_name_part(std::string_view s, std::size_t i) {
  return is_name_start(s, i) || is_digit(static_cast<unsigned char>(s[i]));
}

std::size_t skip_digits(std::string_view s, std::size_t i) {
  while (i < s.size() && is_digit(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

std::size_t lex_number(const Tokens& tokens, std::size_t i, Token& t) {
  const std::string_view src = tokens.text();
  std::size_t j = skip_digits(src, i);
  bool point = false;
  if (j < src.size() && src[j] == '.') {
    point = true;
    j = skip_digits(src, j + 1);
  }
  const std::string_view digits = src.substr(i, j - i);
  t.kind = Tok::kNumber;
  std::int32_t n = 0;
  const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (!point && res.ec == std::errc()) {
    t.value = Value::of_long(n);
  } else {
    // A whole number beyond the long range is kept exactly as a decimal.
    const auto d = Decimal::parse(digits);
    if (!d) tokens.fail("number expected", i);
    t.value = Value::of_decimal(*d);
  }
  return j;
}

// '...' or "..." with ~ escapes. A lead byte and its trail byte are one
// character, so a trail byte like '~' or '\' never starts an escape.
std::size_t lex_string(const Tokens& tokens, std::size_t i, Token& t) {
  const std::string_view src = tokens.text();
  const char quote = src[i];
  std::string out;
  std::size_t j = i + 1;
  while (j < src.size()) {
    const char c = src[j];
    if (c == quote) {
      t.kind = Tok::kString;
      t.value = Value::of_string(std::move(out));
      return j + 1;
    }
    if (gbk_char_size(src, j) == 2) {
      out.append(src.substr(j, 2));
      j += 2;
    } else if (c == '~' && j + 1 < src.size()) {
      const std::size_t size = gbk_char_size(src, j + 1);
      switch (src[j + 1]) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        default:
          out.append(src.substr(j + 1, size));
          break;  // ~~ ~' ~" and any other
      }
      j += 1 + size;
    } else {
      out += c;
      ++j;
    }
  }
  tokens.fail(
      std::string("closing ") + quote + " of the string at byte " + std::to_string(i) + " expected",
      src.size());
}

// The token at src[i] (no blank there); answers the index after it.
std::size_t lex_token(const Tokens& tokens, std::size_t i, Token& t) {
  const std::string_view src = tokens.text();
  const std::size_t n = src.size();
  const auto c = static_cast<unsigned char>(src[i]);
  if (is_digit(c) || (c == '.' && i + 1 < n && is_digit(static_cast<unsigned char>(src[i + 1])))) {
    return lex_number(tokens, i, t);
  }
  if (c == '\'' || c == '"') return lex_string(tokens, i, t);
  if (is_name_start(src, i)) {
    std::size_t j = i;
    while (j < n && is_name_part(src, j)) j += gbk_char_size(src, j);
    t.kind = Tok::kName;
    t.lower = text::lower(src.substr(i, j - i));
    return j;
  }
  if (c == '#') {
    const std::size_t j = skip_digits(src, i + 1);
    int number = 0;
    const auto res = std::from_chars(src.data() + i + 1, src.data() + j, number);
    if (j == i + 1 || res.ec != std::errc() || number < 1)
      tokens.fail("column number expected", i + 1);
    t.kind = Tok::kColumnNumber;
    t.number = number;
    return j;
  }
  if (c == '(' || c == ')' || c == ',') {
    t.kind = c == '(' ? Tok::kLParen : c == ')' ? Tok::kRParen : Tok::kComma;
    return i + 1;
  }
  const bool pair = i + 1 < n && ((c == '<' && (src[i + 1] == '>' || src[i + 1] == '=')) ||
                                  (c == '>' && src[i + 1] == '='));
  if (pair || std::string_view("+-*/^=<>").find(static_cast<char>(c)) != std::string_view::npos) {
    t.kind = Tok::kOp;
    t.lower = std::string(src.substr(i, pair ? 2 : 1));
    return i + (pair ? 2 : 1);
  }
  tokens.fail("operand or operator expected", i);
}

}  // namespace

Tokens::Tokens(std::string_view text, std::string_view label) : text_(text), label_(label) {
  std::size_t i = 0;
  for (;;) {
    while (i < text_.size() && dw::is_blank(text_[i])) ++i;
    Token t;
    t.begin = i;
    if (i < text_.size()) i = lex_token(*this, i, t);
    t.end = i;
    const bool end = t.kind == Tok::kEnd;
    tokens_.push_back(std::move(t));
    if (end) return;
  }
}

const Token& Tokens::peek(std::size_t ahead) const {
  return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
}

void Tokens::next() {
  if (tokens_[pos_].kind != Tok::kEnd) ++pos_;
}

std::size_t Tokens::previous_end() const { return pos_ == 0 ? 0 : tokens_[pos_ - 1].end; }

void Tokens::fail(const std::string& what, std::size_t at) const {
  throw Error(std::string(label_) + " '" + std::string(text_) + "': " + what + " at byte " +
              std::to_string(at));
}

namespace {

struct FunctionInfo {
  std::string_view name;
  Op op;
  std::uint8_t min_args;
  std::uint8_t max_args;
};

// clang-format off
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
// clang-format on

bool is_aggregate(Op op) {
  return op == Op::kSum || op == Op::kCount || op == Op::kMax || op == Op::kMin || op == Op::kAvg;
}

// A binary operator: a word (kName) or a symbol (kOp).
struct BinaryOp {
  Tok kind;
  std::string_view text;
  Op op;
};

constexpr BinaryOp kOrOps[] = {{Tok::kName, "or", Op::kOr}};
constexpr BinaryOp kAndOps[] = {{Tok::kName, "and", Op::kAnd}};
constexpr BinaryOp kComparisonOps[] = {{Tok::kOp, "=", Op::kEq}, {Tok::kOp, "<>", Op::kNe},
                                       {Tok::kOp, "<", Op::kLt}, {Tok::kOp, "<=", Op::kLe},
                                       {Tok::kOp, ">", Op::kGt}, {Tok::kOp, ">=", Op::kGe}};
constexpr BinaryOp kAdditiveOps[] = {{Tok::kOp, "+", Op::kAdd}, {Tok::kOp, "-", Op::kSub}};
constexpr BinaryOp kMultiplicativeOps[] = {{Tok::kOp, "*", Op::kMul}, {Tok::kOp, "/", Op::kDiv}};
constexpr BinaryOp kPowerOps[] = {{Tok::kOp, "^", Op::kPower}};

// Deep trees would exhaust the stack when parsed or evaluated recursively:
// each level takes about ten frames, and 500 levels overflowed an 8 MiB
// stack under AddressSanitizer. Real expressions nest a few levels.
constexpr int kMaxDepth = 200;

class Parser {
 public:
  Parser(Tokens& tokens, Program& program) : tokens_(tokens), prog_(program) {}

  // or_expr := and_expr (OR and_expr)*
  std::uint32_t parse_or() {
    return left_to_right(kOrOps, [this] { return parse_and(); });
  }

 private:
  const Token& peek() const { return tokens_.peek(); }

  // Bounds the parser's own recursion, which the node depth does not see
  // for "((((1))))" or "- - - 1".
  void enter() {
    if (++nesting_ > kMaxDepth) tokens_.fail("nesting too deep", peek().begin);
  }
  void leave() { --nesting_; }

  bool is_keyword(std::string_view word) const {
    return peek().kind == Tok::kName && peek().lower == word;
  }
  bool is_op(std::string_view op) const { return peek().kind == Tok::kOp && peek().lower == op; }

  // Operators of one level, ^ included, go left to right: 2^3^2 = 64.
  template <typename Operand>
  std::uint32_t left_to_right(std::span<const BinaryOp> ops, Operand operand) {
    std::uint32_t left = operand();
    for (;;) {
      const auto match = std::find_if(ops.begin(), ops.end(), [&](const BinaryOp& b) {
        return peek().kind == b.kind && peek().lower == b.text;
      });
      if (match == ops.end()) return left;
      tokens_.next();
      left = add(match->op, {left, operand()});
    }
  }

  // and_expr := not_expr (AND not_expr)*
  std::uint32_t parse_and() {
    return left_to_right(kAndOps, [this] { return parse_not(); });
  }

  // not_expr := NOT not_expr | comparison
  std::uint32_t parse_not() {
    if (is_keyword("not")) {
      tokens_.next();
      enter();
      const std::uint32_t operand = parse_not();
      leave();
      return add(Op::kNot, {operand});
    }
    return parse_comparison();
  }

  std::uint32_t parse_comparison() {
    return left_to_right(kComparisonOps, [this] { return parse_additive(); });
  }

  std::uint32_t parse_additive() {
    return left_to_right(kAdditiveOps, [this] { return parse_multiplicative(); });
  }

  std::uint32_t parse_multiplicative() {
    return left_to_right(kMultiplicativeOps, [this] { return parse_power(); });
  }

  std::uint32_t parse_power() {
    return left_to_right(kPowerOps, [this] { return parse_unary(); });
  }

  // Unary minus binds tighter than ^: -2^2 = 4.
  std::uint32_t parse_unary() {
    if (is_op("-") || is_op("+")) {
      const bool minus = is_op("-");
      tokens_.next();
      enter();
      const std::uint32_t operand = parse_unary();
      leave();
      if (minus) {
        Node& node = prog_.nodes[operand];
        if (node.op == Op::kLiteral && prog_.literals[node.data].is_number()) {
          // Fold "-5" into the literal; negating a number cannot fail.
          Value& v = prog_.literals[node.data];
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
        tokens_.next();
        return add(Op::kLiteral, {}, index);
      }
      case Tok::kColumnNumber: {
        const int number = t.number;
        if (std::find(prog_.numbers.begin(), prog_.numbers.end(), number) == prog_.numbers.end()) {
          prog_.numbers.push_back(number);
        }
        tokens_.next();
        return add(Op::kColumnNumber, {}, static_cast<std::uint32_t>(number));
      }
      case Tok::kLParen: {
        tokens_.next();
        enter();
        const std::uint32_t inner = parse_or();
        leave();
        expect(Tok::kRParen, "')'");
        return inner;
      }
      case Tok::kName: {
        if (t.lower == "and" || t.lower == "or" || t.lower == "not") break;
        if (tokens_.peek(1).kind == Tok::kLParen) return parse_call();
        if (t.lower == "true" || t.lower == "false") {
          const std::uint32_t index = literal(Value::of_bool(t.lower == "true"));
          tokens_.next();
          return add(Op::kLiteral, {}, index);
        }
        const std::uint32_t index = column(t.lower);
        tokens_.next();
        return add(Op::kColumn, {}, index);
      }
      default:
        break;
    }
    tokens_.fail("operand expected", t.begin);
  }

  std::uint32_t parse_call() {
    const Token name = peek();
    const auto* info = std::find_if(std::begin(kFunctions), std::end(kFunctions),
                                    [&](const FunctionInfo& f) { return f.name == name.lower; });
    if (info == std::end(kFunctions)) {
      tokens_.fail("unknown function '" +
                       std::string(tokens_.text().substr(name.begin, name.end - name.begin)) + "'",
                   name.begin);
    }
    tokens_.next();  // name
    tokens_.next();  // (
    enter();
    std::vector<std::uint32_t> args;
    if (peek().kind != Tok::kRParen) {
      for (;;) {
        args.push_back(parse_or());
        if (is_aggregate(info->op) && is_keyword("for")) {
          tokens_.next();
          if (!is_keyword("all")) tokens_.fail("'all' expected", peek().begin);
          tokens_.next();
        }
        if (peek().kind != Tok::kComma) break;
        tokens_.next();
      }
    }
    const std::size_t count = args.size();
    const bool date_args = info->op == Op::kDate && count == 2;  // date(x) or date(y, m, d)
    if (count < info->min_args || count > info->max_args || date_args) {
      std::string want = std::to_string(info->min_args);
      if (info->op == Op::kDate) {
        want = "1 or 3";
      } else if (info->max_args != info->min_args) {
        want += " or " + std::to_string(info->max_args);
      }
      tokens_.fail(want + (want == "1" ? " argument" : " arguments") + " for " +
                       std::string(info->name) + "() expected",
                   name.begin);
    }
    expect(Tok::kRParen, "')'");
    leave();
    std::uint32_t data = 0;
    if (is_aggregate(info->op)) data = prog_.aggregates++;
    return add(info->op, args, data);
  }

  void expect(Tok kind, std::string_view what) {
    if (peek().kind != kind) tokens_.fail(std::string(what) + " expected", peek().begin);
    tokens_.next();
  }

  // ---- building ----

  std::uint32_t literal(const Value& v) {
    prog_.literals.push_back(v);
    return static_cast<std::uint32_t>(prog_.literals.size() - 1);
  }

  std::uint32_t column(const std::string& name) {
    const auto it = std::find(prog_.names.begin(), prog_.names.end(), name);
    if (it != prog_.names.end()) return static_cast<std::uint32_t>(it - prog_.names.begin());
    prog_.names.push_back(name);
    return static_cast<std::uint32_t>(prog_.names.size() - 1);
  }

  std::uint32_t add(Op op, const std::vector<std::uint32_t>& children, std::uint32_t data = 0) {
    int depth = 1;
    for (const std::uint32_t c : children) depth = std::max(depth, depths_[c] + 1);
    if (depth > kMaxDepth) tokens_.fail("nesting too deep", peek().begin);
    Node node{op, static_cast<std::uint8_t>(children.size()),
              static_cast<std::uint32_t>(prog_.args.size()), data};
    prog_.args.insert(prog_.args.end(), children.begin(), children.end());
    prog_.nodes.push_back(node);
    depths_.push_back(depth);
    return static_cast<std::uint32_t>(prog_.nodes.size() - 1);
  }

  Tokens& tokens_;
  Program& prog_;
  std::vector<int> depths_;  // per node of prog_
  int nesting_ = 0;          // open parentheses, calls and prefix operators
};

}  // namespace

void parse_expression(Tokens& tokens, Program& program) {
  program.root = Parser(tokens, program).parse_or();
}

}  // namespace dwexpr

DwExpression::DwExpression(std::shared_ptr<const dwexpr::Program> program)
    : program_(std::move(program)) {}

DwExpression DwExpression::parse(std::string_view text) {
  auto program = std::make_shared<dwexpr::Program>();
  program->text = std::string(text);
  dwexpr::Tokens tokens(text, "expression");
  dwexpr::parse_expression(tokens, *program);
  if (tokens.peek().kind != dwexpr::Tok::kEnd) {
    tokens.fail("operator or end of expression expected", tokens.peek().begin);
  }
  return DwExpression(std::move(program));
}

const std::string& DwExpression::text() const { return program_->text; }

std::vector<std::string> DwExpression::columns() const { return program_->names; }

std::vector<int> DwExpression::column_numbers() const { return program_->numbers; }

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
