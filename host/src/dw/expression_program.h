// What the expression parser, the evaluator and the sort reader share: the
// compiled tree of an expression and the token stream it is read from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/value.h"

namespace fh::dwexpr {

// clang-format off
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
// clang-format on

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

enum class Tok : std::uint8_t {
  kEnd,
  kNumber,
  kString,
  kName,
  kColumnNumber,
  kOp,
  kLParen,
  kRParen,
  kComma
};

struct Token {
  Tok kind = Tok::kEnd;
  std::size_t begin = 0;  // byte offsets in the text
  std::size_t end = 0;
  std::string lower;  // a name lower-cased, or the operator
  Value value;        // a number or string literal
  int number = 0;     // #N
};

// The tokens of a whole text, read at once; ends with a kEnd token. `label`
// ("expression", "sort") starts every error message.
class Tokens {
 public:
  // Throws fh::Error for text that is no token (an unclosed string, "#x").
  Tokens(std::string_view text, std::string_view label);

  const Token& peek(std::size_t ahead = 0) const;
  void next();
  // End of the token before the current one (0 at the start).
  std::size_t previous_end() const;

  // Throws fh::Error("LABEL 'TEXT': WHAT at byte AT").
  [[noreturn]] void fail(const std::string& what, std::size_t at) const;

  std::string_view text() const { return text_; }

 private:
  std::string_view text_;
  std::string_view label_;
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
};

// Parses one expression from the current token into `program` and sets its
// root; stops at the first token that cannot continue it (the caller decides
// whether that may follow). Throws fh::Error through tokens.fail.
void parse_expression(Tokens& tokens, Program& program);

}  // namespace fh::dwexpr
