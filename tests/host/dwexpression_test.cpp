#include "formhost/dwexpression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "../value_eq.h"
#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"

namespace fh {
namespace {

Value str(const std::string& s) { return Value::of_string(s); }
Value lng(std::int32_t n) { return Value::of_long(n); }
Value dec(const char* text) { return Value::of_decimal(*Decimal::parse(text)); }
Value null(Type t) { return Value::null_of(t); }
Value date_of(int y, int m, int d) { return Value::of_date(*Date::make(y, m, d)); }

// Rows over a small table; names match case-insensitively as a data window does.
class TableRows final : public RowSource {
 public:
  TableRows(std::vector<std::string> columns, std::vector<std::vector<Value>> rows)
      : columns_(std::move(columns)), rows_(std::move(rows)) {}

  long row_count() const override { return static_cast<long>(rows_.size()); }

  Value item(long row, std::string_view column) const override {
    const auto c = index(column);
    if (c == columns_.size()) throw Error("no column " + std::string(column));
    if (row < 1 || row > row_count()) throw Error("no row " + std::to_string(row));
    return rows_[static_cast<std::size_t>(row - 1)][c];
  }

  bool has_column(std::string_view column) const override {
    return index(column) < columns_.size();
  }

  std::string column_name(int n) const override {
    if (n < 1 || static_cast<std::size_t>(n) > columns_.size()) throw Error("no column number");
    return columns_[static_cast<std::size_t>(n - 1)];
  }

 private:
  std::size_t index(std::string_view column) const {
    const std::string wanted = text::lower(column);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (text::lower(columns_[i]) == wanted) return i;
    }
    return columns_.size();
  }

  std::vector<std::string> columns_;
  std::vector<std::vector<Value>> rows_;
};

const TableRows& no_rows() {
  static const TableRows rows({}, {});
  return rows;
}

Value eval(std::string_view text, const RowSource& rows = no_rows(), long row = 0) {
  return DwExpression::parse(text).evaluate(rows, row);
}

// The message of the fh::Error that parsing `text` throws, "" when none.
std::string parse_error(std::string_view text) {
  try {
    DwExpression::parse(text);
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// Rows 1..n ordered by the sort.
std::vector<long> sorted_rows(std::string_view sort_text, const RowSource& rows) {
  const auto keys = parse_sort(sort_text);
  std::vector<long> order(static_cast<std::size_t>(rows.row_count()));
  std::iota(order.begin(), order.end(), 1L);
  std::stable_sort(order.begin(), order.end(),
                   [&](long a, long b) { return compare_rows(keys, rows, a, b) < 0; });
  return order;
}

// ---- parsing and operators ----

TEST(DwExpressionOperators, PrecedenceAndLeftToRight) {
  EXPECT_EQ(eval("1 + 2 * 3"), lng(7));
  EXPECT_EQ(eval("(1 + 2) * 3"), lng(9));
  EXPECT_EQ(eval("10 - 4 - 3"), lng(3));
  EXPECT_EQ(eval("2 ^ 3 ^ 2"), dec("64"));
  EXPECT_EQ(eval("-2 ^ 2"), dec("4"));
  EXPECT_EQ(eval("2 * 3 ^ 2"), dec("18"));
  EXPECT_EQ(eval("2 ^ -1"), dec("0.5"));
  EXPECT_EQ(eval("10 - 2 * 3 ^ 2 / 6"), dec("7"));
  EXPECT_EQ(eval("- (3 - 5)"), lng(2));
  EXPECT_EQ(eval("7 / 2"), dec("3.5"));
  EXPECT_EQ(eval("1.5 * 2"), dec("3.0"));
  EXPECT_EQ(eval("3000000000 + 1"), dec("3000000001"));
  // Comparison below + and -, NOT below comparison, AND below NOT, OR last.
  EXPECT_EQ(eval("1 + 2 = 3"), Value::of_bool(true));
  EXPECT_EQ(eval("not 1 = 2"), Value::of_bool(true));
  EXPECT_EQ(eval("NOT 1 = 1 And 1 = 1"), Value::of_bool(false));
  EXPECT_EQ(eval("1 = 1 OR 1 = 1 and 1 = 2"), Value::of_bool(true));
  EXPECT_EQ(eval("(1 = 1 or 1 = 1) and 1 = 2"), Value::of_bool(false));
  EXPECT_EQ(eval("not(1 > 2) and not (2 <= 1)"), Value::of_bool(true));
  EXPECT_EQ(eval("2 <> 3 and 2 >= 2 and 3 > 2 and 2 < 3"), Value::of_bool(true));
  EXPECT_EQ(eval("true and not false"), Value::of_bool(true));
}

TEST(DwExpressionOperators, PlusJoinsStringsAndStringsCompareByBytes) {
  EXPECT_EQ(eval("'ab' + \"cd\""), str("abcd"));
  EXPECT_EQ(eval("'n=' + string(1 + 2)"), str("n=3"));
  EXPECT_EQ(eval("'it~'s' + \"~\"q~\"\""), str("it's\"q\""));
  EXPECT_EQ(eval("'a~tb~nc~~d~r'"), str("a\tb\nc~d\r"));
  EXPECT_EQ(eval("'0A' > '0'"), Value::of_bool(true));
  EXPECT_EQ(eval("'' < '0'"), Value::of_bool(true));
  EXPECT_EQ(eval("'a' = 'A'"), Value::of_bool(false));
  EXPECT_EQ(eval("'a ' = 'a'"), Value::of_bool(false));
  // Concatenation of a number to a string is a type error, named with the expression.
  try {
    eval("'a' + 1");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("expression ''a' + 1': ", 0), 0U) << e.what();
  }
}

// ---- rows, nulls and functions ----

class DwExpressionRows : public ::testing::Test {
 protected:
  // Three rows, with nulls in the second; bz is null throughout.
  TableRows rows_{{"mc", "SL", "je", "rq", "bz"},
                  {{str("abc"), lng(2), dec("150.50"), date_of(2026, 12, 7), null(Type::kLong)},
                   {null(Type::kString), null(Type::kLong), null(Type::kDecimal), null(Type::kDate),
                    null(Type::kLong)},
                   {str("Xyz"), lng(0), dec("80"), date_of(2025, 1, 31), null(Type::kLong)}}};
};

TEST_F(DwExpressionRows, ColumnsReadTheRowCaseInsensitively) {
  EXPECT_EQ(DwExpression::parse("MC").evaluate(rows_, 1), str("abc"));
  EXPECT_EQ(DwExpression::parse("sl * 10 + Je").evaluate(rows_, 1), dec("170.50"));
  EXPECT_EQ(DwExpression::parse("#3").evaluate(rows_, 3), dec("80"));
  EXPECT_EQ(DwExpression::parse("getrow() + rowcount()").evaluate(rows_, 2), lng(5));
  // The focused row, whichever row is evaluated; these rows have none.
  EXPECT_EQ(DwExpression::parse("currentrow()").evaluate(rows_, 3), lng(0));

  const auto e = DwExpression::parse("if(JE > 0, mc, MC + upper(#1)) + string(#4, 'yyyy')");
  EXPECT_EQ(e.columns(), (std::vector<std::string>{"je", "mc"}));
  EXPECT_EQ(e.column_numbers(), (std::vector<int>{1, 4}));
  EXPECT_EQ(e.evaluate(rows_, 3), str("Xyz2025"));

  EXPECT_THROW(DwExpression::parse("nosuch + 1").evaluate(rows_, 1), Error);
  EXPECT_THROW(DwExpression::parse("#9").evaluate(rows_, 1), Error);
}

TEST_F(DwExpressionRows, NullOperandGivesNull) {
  const auto at2 = [&](std::string_view text) {
    return DwExpression::parse(text).evaluate(rows_, 2);
  };
  EXPECT_EQ(at2("sl + 1"), null(Type::kLong));
  EXPECT_EQ(at2("mc + 'x'"), null(Type::kString));
  EXPECT_EQ(at2("je * 2"), null(Type::kDecimal));
  EXPECT_EQ(at2("-sl"), null(Type::kLong));
  EXPECT_EQ(at2("sl > 1"), null(Type::kBoolean));
  EXPECT_EQ(at2("not (sl = 1)"), null(Type::kBoolean));
  EXPECT_EQ(at2("sl = 1 or 1 = 1"), null(Type::kBoolean));
  EXPECT_EQ(at2("len(mc)"), null(Type::kLong));
  EXPECT_EQ(at2("upper(mc)"), null(Type::kString));
  EXPECT_EQ(at2("mod(sl, 2)"), null(Type::kLong));
  EXPECT_EQ(at2("rgb(sl, 0, 0)"), null(Type::kLong));
  EXPECT_EQ(at2("year(rq)"), null(Type::kInteger));
  EXPECT_EQ(at2("isnull(sl + 1)"), Value::of_bool(true));
  EXPECT_EQ(DwExpression::parse("isnull(sl)").evaluate(rows_, 1), Value::of_bool(false));
}

TEST_F(DwExpressionRows, IfTakesFalseBranchOnNullAndEvaluatesOnlyOneBranch) {
  const auto yes_no = DwExpression::parse("if(sl = 2, 'yes', 'no')");
  const auto yes_no_ne = DwExpression::parse("if(sl <> 2, 'yes', 'no')");
  EXPECT_EQ(yes_no.evaluate(rows_, 1), str("yes"));
  EXPECT_EQ(yes_no.evaluate(rows_, 2), str("no"));
  EXPECT_EQ(yes_no_ne.evaluate(rows_, 2), str("no"));
  EXPECT_EQ(DwExpression::parse("if(not (sl = 2), 'yes', 'no')").evaluate(rows_, 2), str("no"));

  // Row 3 has sl = 0: the guarded division is never evaluated.
  const auto guarded = DwExpression::parse("if(sl = 0, 0, je / sl)");
  EXPECT_EQ(guarded.evaluate(rows_, 3), lng(0));
  EXPECT_EQ(guarded.evaluate(rows_, 1), dec("75.25"));
  try {
    DwExpression::parse("je / sl").evaluate(rows_, 3);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code(), RuntimeCode::kDivideByZero);
  }
  EXPECT_THROW(DwExpression::parse("mod(10, sl)").evaluate(rows_, 3), RuntimeError);
  // A power beyond the decimal range, and what is made of it, is the runtime
  // error (found by fuzzing: it showed as 0, and inf - inf as NaN).
  for (const char* beyond : {"44444444499^999", "3 - 44444444499^999 * 222 + 44444444499^999"}) {
    try {
      DwExpression::parse(beyond).evaluate(rows_, 1);
      ADD_FAILURE() << beyond << ": no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.code(), RuntimeCode::kDecimalOverflow) << beyond;
    }
  }
  EXPECT_THROW(DwExpression::parse("if(sl, 1, 2)").evaluate(rows_, 1), Error);  // not a condition
}

TEST_F(DwExpressionRows, AggregatesSkipNulls) {
  const auto at = [&](std::string_view text, long row = 1) {
    return DwExpression::parse(text).evaluate(rows_, row);
  };
  EXPECT_EQ(at("sum(je for all)"), dec("230.50"));
  EXPECT_EQ(at("sum(sl for all)"), dec("2"));
  EXPECT_EQ(at("count(je for all)"), lng(2));
  EXPECT_EQ(at("count(mc FOR ALL)"), lng(2));
  EXPECT_EQ(at("avg(je for all)"), dec("115.25"));
  EXPECT_EQ(at("max(je for all)"), dec("150.50"));
  EXPECT_EQ(at("min(sl for all)"), lng(0));
  EXPECT_EQ(at("max(mc for all)"), str("abc"));  // 'a' (0x61) after 'X' (0x58)
  EXPECT_EQ(at("max(rq for all)"), date_of(2026, 12, 7));
  EXPECT_EQ(at("sum(getrow() for all)"), dec("6"));
  EXPECT_EQ(at("sum(je)"), dec("230.50"));  // no range means all rows
  // Only nulls: no value to add up, count zero.
  EXPECT_EQ(at("sum(bz for all)"), null(Type::kDecimal));
  EXPECT_EQ(at("avg(bz for all)"), null(Type::kDecimal));
  EXPECT_EQ(at("count(bz for all)"), lng(0));
  EXPECT_EQ(at("max(bz for all)"), null(Type::kLong));
  EXPECT_EQ(at("je / sum(je for all) * 100", 3), mul(div(dec("80"), dec("230.50")), lng(100)));

  // evaluate_all computes each aggregate once and answers every row.
  const auto share = DwExpression::parse("je - avg(je for all)").evaluate_all(rows_);
  EXPECT_EQ(share, (std::vector<Value>{dec("35.25"), null(Type::kDecimal), dec("-35.25")}));
  const auto nested = DwExpression::parse("sum(je - avg(je for all) for all)");
  EXPECT_EQ(nested.evaluate(rows_, 1), dec("0"));
  EXPECT_THROW(DwExpression::parse("sum(mc for all)").evaluate(rows_, 1), Error);
}

TEST_F(DwExpressionRows, RowColourProperty) {
  const auto text =
      property_expression("536870912~tif(mod(getrow(),2)=0, rgb(240,240,240), rgb(255,255,255))");
  ASSERT_TRUE(text.has_value());
  const auto colour = DwExpression::parse(*text);
  EXPECT_EQ(colour.evaluate(rows_, 1), lng(16777215));
  EXPECT_EQ(colour.evaluate(rows_, 2), lng(15790320));
  EXPECT_EQ(eval("rgb(255, 0, 0)"), lng(255));
  EXPECT_EQ(eval("rgb(0, 128, 0)"), lng(32768));
  EXPECT_EQ(eval("rgb(0, 0, 255)"), lng(16711680));
}

TEST_F(DwExpressionRows, NumberTextAndDateFunctions) {
  EXPECT_EQ(eval("mod(7, 3)"), lng(1));
  EXPECT_EQ(eval("mod(-7, 3)"), lng(-1));
  EXPECT_EQ(eval("mod(7.5, 2)"), dec("1.5"));
  EXPECT_EQ(eval("abs(-3)"), lng(3));
  EXPECT_EQ(eval("abs(-2.50)"), dec("2.50"));
  EXPECT_EQ(eval("int(-2.5)"), dec("-3"));
  EXPECT_EQ(eval("int(2.5)"), dec("2"));
  EXPECT_EQ(eval("ceiling(2.1)"), dec("3"));
  EXPECT_EQ(eval("ceiling(-2.1)"), dec("-2"));
  EXPECT_EQ(eval("truncate(2.567, 2)"), dec("2.56"));
  EXPECT_EQ(eval("truncate(-2.567, 2)"), dec("-2.56"));
  EXPECT_EQ(eval("truncate(1234, -2)"), lng(1200));
  EXPECT_EQ(eval("round(9.625, 2)"), dec("9.63"));
  EXPECT_EQ(eval("round(-9.625, 2)"), dec("-9.63"));
  EXPECT_EQ(eval("number('12.5') + 1"), dec("13.5"));
  EXPECT_EQ(eval("long('3ABC')"), lng(0));
  EXPECT_EQ(eval("integer('42')"), Value::of_integer(42));
  EXPECT_EQ(eval("real('0.5')"), Value::of_double(0.5));
  EXPECT_EQ(eval("left('abcdef', 2) + right('abcdef', 2) + mid('abcdef', 3, 2) + mid('abc', 9)"),
            str("abefcd"));
  EXPECT_EQ(eval("pos('abcabc', 'c') + pos('abcabc', 'c', 4)"), lng(9));
  EXPECT_EQ(eval("'[' + trim('  a  ') + lefttrim(' b ') + righttrim(' c ') + ']'"), str("[ab  c]"));
  EXPECT_EQ(eval("lower('AbC') + UPPER('dEf')"), str("abcDEF"));
  EXPECT_EQ(eval("string(1234.5, '#,##0.00')"), str("1,234.50"));
  EXPECT_EQ(DwExpression::parse("string(rq, 'yyyy.mm.dd')").evaluate(rows_, 1), str("2026.12.07"));
  EXPECT_EQ(eval("date('2026-12-07')"), date_of(2026, 12, 7));
  EXPECT_EQ(eval("date(2026, 2, 28)"), date_of(2026, 2, 28));
  EXPECT_EQ(eval("date('not a date')"), date_of(1900, 1, 1));
  EXPECT_EQ(eval("year(date('2026-12-07 08:30'))"), Value::of_integer(2026));
  EXPECT_EQ(eval("year(date('2026-12-07')) * 10000 + month(date('2026-12-07')) * 100 + "
                 "day(date('2026-12-07'))"),
            lng(20261207));

  const FixedClock clock(*DateTime::parse("2026-12-07 14:05:00"));
  EXPECT_EQ(DwExpression::parse("today()").evaluate(rows_, 1, &clock), date_of(2026, 12, 7));
  EXPECT_EQ(DwExpression::parse("string(now(), 'hh:mm')").evaluate(rows_, 1, &clock), str("14:05"));
  EXPECT_EQ(DwExpression::parse("rq < today()").evaluate(rows_, 3, &clock), Value::of_bool(true));
}

// ---- GBK text ----

TEST(DwExpressionGbk, TrailBytesInsideQuotesNeverEscapeOrClose) {
  // 亊 is 0x81 0x7E (trail looks like ~), 乗 is 0x81 0x5C (trail looks like \).
  const std::string ji = "\x81\x7E";
  const std::string cheng = "\x81\x5C";
  EXPECT_EQ(eval("'" + ji + "'"), str(ji));
  EXPECT_EQ(eval("\"" + ji + "\""), str(ji));
  EXPECT_EQ(eval("'" + cheng + "'"), str(cheng));
  EXPECT_EQ(eval("len('" + ji + cheng + "')"), lng(4));
  EXPECT_EQ(eval("'" + ji + "' + '~'" + cheng + "'"), str(ji + "'" + cheng));
  EXPECT_EQ(eval("upper('\x81\x61"
                 "b')"),
            str("\x81\x61"
                "B"));

  // A GBK column name (金额) and GBK text in a row.
  const std::string je = utf8_to_gbk("金额", "test");
  const std::string mc = utf8_to_gbk("衬衫", "test");
  const TableRows rows({je, "mc"}, {{lng(120), str(mc + ji)}});
  const auto e = DwExpression::parse(je + " > 100 and mc = '" + mc + ji + "'");
  EXPECT_EQ(e.evaluate(rows, 1), Value::of_bool(true));
  EXPECT_EQ(e.columns(), (std::vector<std::string>{je, "mc"}));

  // 際 (0xEB 0x48) and 雋 (0xEB 0x68): two names, only the ASCII letters fold.
  const std::string ji_h = "\xEB\x48";
  const std::string jun = "\xEB\x68";
  const TableRows pair({"sl" + ji_h, "sl" + jun}, {{lng(1), lng(2)}});
  const auto both = DwExpression::parse("SL" + ji_h + " * 10 + Sl" + jun);
  EXPECT_EQ(both.columns(), (std::vector<std::string>{"sl" + ji_h, "sl" + jun}));
  EXPECT_EQ(both.evaluate(pair, 1), lng(12));
  EXPECT_EQ(eval("lower('A" + ji_h + "B')"), str("a" + ji_h + "b"));
}

// ---- errors ----

TEST(DwExpressionParse, ErrorsNameTheTextAndBytePosition) {
  EXPECT_EQ(parse_error("1 +"), "expression '1 +': operand expected at byte 3");
  EXPECT_EQ(parse_error("(1 + 2"), "expression '(1 + 2': ')' expected at byte 6");
  EXPECT_EQ(parse_error("1 2"),
            "expression '1 2': operator or end of expression expected at byte 2");
  EXPECT_EQ(parse_error("a and or b"), "expression 'a and or b': operand expected at byte 6");
  EXPECT_EQ(parse_error("x + foo(1)"), "expression 'x + foo(1)': unknown function 'foo' at byte 4");
  EXPECT_EQ(parse_error("mid('a')"),
            "expression 'mid('a')': 2 or 3 arguments for mid() expected at byte 0");
  EXPECT_EQ(parse_error("date(1, 2)"),
            "expression 'date(1, 2)': 1 or 3 arguments for date() expected at byte 0");
  EXPECT_EQ(parse_error("sum(je for group 1)"),
            "expression 'sum(je for group 1)': 'all' expected at byte 11");
  EXPECT_EQ(parse_error("'abc"),
            "expression ''abc': closing ' of the string at byte 0 expected at byte 4");
  // ~' is an escaped quote, so the string is not closed.
  EXPECT_EQ(parse_error("'abc~'"),
            "expression ''abc~'': closing ' of the string at byte 0 expected at byte 6");
  EXPECT_EQ(parse_error("a ! b"), "expression 'a ! b': operand or operator expected at byte 2");
  EXPECT_EQ(parse_error("#0"), "expression '#0': column number expected at byte 1");
  EXPECT_EQ(parse_error(""), "expression '': operand expected at byte 0");
  // A lead byte without its trail byte is not a character.
  EXPECT_EQ(parse_error("a = \x81"),
            "expression 'a = \x81': operand or operator expected at byte 4");

  std::string deep(600, '(');
  deep += "1" + std::string(600, ')');
  EXPECT_EQ(parse_error(deep), "expression '" + deep + "': nesting too deep at byte 201");
  std::string chain = "1";
  for (int i = 0; i < 600; ++i) chain += "+1";
  EXPECT_NE(parse_error(chain).find("nesting too deep"), std::string::npos);
  std::string minus(600, '-');
  EXPECT_NE(parse_error(minus + "1").find("nesting too deep"), std::string::npos);
}

// ---- sorting ----

class DwSort : public ::testing::Test {
 protected:
  // Chinese names: 啊 (0xB0 0xA1) before 中 (0xD6 0xD0) in byte order; ASCII first.
  const std::string a_ = "\xB0\xA1";
  const std::string zhong_ = "\xD6\xD0";
  TableRows rows_{{"mc", "sl"},
                  {{str(zhong_), lng(3)},
                   {str("b"), null(Type::kLong)},
                   {str(a_), lng(1)},
                   {null(Type::kString), lng(3)},
                   {str("B"), lng(1)}}};
};

TEST_F(DwSort, ParsesKeysAndDirections) {
  const auto keys = parse_sort(" sl A, upper(mc) d ,mid(mc, 1, 2) DESC, #1 asc, getrow()");
  ASSERT_EQ(keys.size(), 5U);
  EXPECT_EQ(keys[0].key.text(), "sl");
  EXPECT_TRUE(keys[0].ascending);
  EXPECT_EQ(keys[1].key.text(), "upper(mc)");
  EXPECT_FALSE(keys[1].ascending);
  EXPECT_EQ(keys[2].key.text(), "mid(mc, 1, 2)");
  EXPECT_FALSE(keys[2].ascending);
  EXPECT_EQ(keys[3].key.column_numbers(), std::vector<int>{1});
  EXPECT_TRUE(keys[3].ascending);
  EXPECT_TRUE(keys[4].ascending);
  EXPECT_TRUE(parse_sort("  ").empty());

  const auto error = [](std::string_view sort_text) {
    try {
      parse_sort(sort_text);
    } catch (const Error& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(error("sl X"), "sort 'sl X': A or D expected at byte 3");
  EXPECT_EQ(error("sl A,"), "sort 'sl A,': operand expected at byte 5");
  EXPECT_EQ(error("sl A mc D"), "sort 'sl A mc D': ',' or end of sort expected at byte 5");
}

TEST_F(DwSort, OrdersRowsWithNullsFirstAscending) {
  // Ascending: null first, then byte order: "B" (0x42) < "b" < 啊 < 中.
  EXPECT_EQ(sorted_rows("mc A", rows_), (std::vector<long>{4, 5, 2, 3, 1}));
  // Descending reverses everything, nulls included.
  EXPECT_EQ(sorted_rows("mc D", rows_), (std::vector<long>{1, 3, 2, 5, 4}));
  // Two keys: ties on sl are broken by mc descending.
  EXPECT_EQ(sorted_rows("sl A, mc D", rows_), (std::vector<long>{2, 3, 5, 1, 4}));
  EXPECT_EQ(sorted_rows("#2 D, #1", rows_), (std::vector<long>{4, 1, 5, 3, 2}));
  EXPECT_EQ(sorted_rows("upper(mc) A, getrow() D", rows_), (std::vector<long>{4, 5, 2, 3, 1}));
  EXPECT_EQ(sorted_rows("sl > 1 D, getrow()", rows_), (std::vector<long>{1, 4, 3, 5, 2}));

  EXPECT_LT(compare_sort_values(Value(), lng(0)), 0);
  EXPECT_EQ(compare_sort_values(null(Type::kLong), Value()), 0);
  EXPECT_EQ(compare_sort_values(lng(2), dec("2.0")), 0);
  EXPECT_GT(compare_sort_values(str("0A"), str("0")), 0);
  EXPECT_THROW(compare_sort_values(str("1"), lng(1)), Error);
}

// ---- property text ----

TEST(DwPropertyExpression, SplitsAtTheFirstTabSeparator) {
  EXPECT_EQ(property_expression("536870912~tif(getrow() = 1, 255, 0)"),
            std::optional<std::string>("if(getrow() = 1, 255, 0)"));
  EXPECT_EQ(property_expression("0\tif(a > 1, 1, 0)"),
            std::optional<std::string>("if(a > 1, 1, 0)"));
  EXPECT_EQ(property_expression("0~tif(a = '~t', 1, 0)"),
            std::optional<std::string>("if(a = '~t', 1, 0)"));
  EXPECT_EQ(property_expression("536870912"), std::nullopt);
  EXPECT_EQ(property_expression("a~~tb"), std::nullopt);       // escaped tilde, then 't'
  EXPECT_EQ(property_expression("\x81\x7Etx"), std::nullopt);  // 亊 then 't'
  EXPECT_EQ(property_expression("\x81\x7E~ty"), std::optional<std::string>("y"));
  EXPECT_EQ(property_expression("0~t  "), std::nullopt);
  EXPECT_EQ(property_expression(""), std::nullopt);
}

}  // namespace
}  // namespace fh
