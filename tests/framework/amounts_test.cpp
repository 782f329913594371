// The amount in words: gf_pricetodx_gd against the rules for bills, and the
// two detail-entry windows that write a document's amount after each save.
// Demo document FL240316001 has rows 41 to 43: 120 x 16.80 + 45.5 x 7.35 +
// 10 x 0.10 = 2351.425.
#include "fixture.h"
#include "formhost/db_faults.h"
#include "formhost/decimal.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;

// ---- gf_pricetodx_gd, as any script calls it ----

class PriceText : public ::testing::Test {
 protected:
  PriceText() { registry.add_module(ZR_FRAME_MODULE); }
  fh::EventResult call(std::vector<Value> args) {
    return ctx.call_function("gf_pricetodx_gd", args);
  }
  std::string words(const Value& amount) {
    const fh::EventResult r = call({amount});
    EXPECT_EQ(r.status, FH_STATUS_OK);
    return r.status == FH_STATUS_OK ? fh::gbk_to_utf8_lossy(r.result.as_string()) : "(failed)";
  }
  static Value amount(const char* text) { return Value::of_decimal(*fh::Decimal::parse(text)); }

  fh::ClassRegistry registry;
  fh::Context ctx{registry};
};

TEST_F(PriceText, WritesAmountsAsTheRulesForBillsDo) {
  const std::pair<const char*, const char*> table[] = {
      // The rules' own examples.
      {"1409.50", "壹仟肆佰零玖元伍角整"},
      {"6007.14", "陆仟零柒元壹角肆分"},
      {"16409.02", "壹万陆仟肆佰零玖元零贰分"},
      {"325.04", "叁佰贰拾伍元零肆分"},
      {"35", "叁拾伍元整"},
      // Zero and under one yuan.
      {"0", "零元整"},
      {"0.00", "零元整"},
      {"0.05", "伍分"},
      {"0.5", "伍角整"},
      {"0.54", "伍角肆分"},
      // Zeros in every position: one 零 for a run, written where it is free.
      {"10", "壹拾元整"},
      {"1000.00", "壹仟元整"},
      {"1001.10", "壹仟零壹元壹角整"},
      {"1680.32", "壹仟陆佰捌拾元零叁角贰分"},
      {"107000.53", "壹拾万零柒仟元零伍角叁分"},
      {"10000.05", "壹万元零伍分"},
      {"100010", "壹拾万零壹拾元整"},
      {"1000001", "壹佰万零壹元整"},
      // The 10^8 and 10^12 boundaries, and the largest amount.
      {"99999999.99", "玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
      {"100000000", "壹亿元整"},
      {"100000001", "壹亿零壹元整"},
      {"100010000", "壹亿零壹万元整"},
      {"999999999999.99", "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
      {"1000000000000", "壹万亿元整"},
      {"1000000050000", "壹万亿零伍万元整"},
      {"1050000000000", "壹万零伍佰亿元整"},
      {"12345678901234.56", "壹拾贰万叁仟肆佰伍拾陆亿柒仟捌佰玖拾万零壹仟贰佰叁拾肆元伍角陆分"},
      {"9999999999999999.99",
       "玖仟玖佰玖拾玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
      // Negatives, and more than two decimals rounded half away from zero.
      {"-35.5", "负叁拾伍元伍角整"},
      {"-0.01", "负壹分"},
      {"-0.004", "零元整"},
      {"0.005", "壹分"},
      {"12.345", "壹拾贰元叁角伍分"},
      {"12.344", "壹拾贰元叁角肆分"},
      {"2.995", "叁元整"},
      {"-2.995", "负叁元整"},
  };
  for (const auto& [number, text] : table) EXPECT_EQ(words(amount(number)), text) << number;
}

TEST_F(PriceText, NullIsEmptyOtherNumbersCountAndWhatItCannotWriteFails) {
  const fh::EventResult null = call({Value::null_of(fh::Type::kDecimal)});
  ASSERT_EQ(null.status, FH_STATUS_OK);
  EXPECT_FALSE(null.result.is_null());
  EXPECT_EQ(null.result.as_string(), "");
  EXPECT_EQ(words(Value::of_long(35)), "叁拾伍元整");
  EXPECT_EQ(words(Value::of_double(0.1 + 0.2)), "叁角整");
  EXPECT_EQ(call({amount("10000000000000000")}).status, fh::kStatusAbandoned);
  EXPECT_EQ(call({Value::of_string("35")}).status, fh::kStatusAbandoned);
  EXPECT_EQ(call({}).status, fh::kStatusAbandoned);
}

// ---- the detail-entry windows ----

class AmountsTest : public zrtest::AppTest {
 protected:
  void TearDown() override {
    if (session) fh::testing::fail_db_call(session->sqlca(), 0, fh::testing::DbFault::kError);
    other_.disconnect();
    AppTest::TearDown();
  }
  // The document's amount text as another station reads it.
  std::string seen(const char* document = "FL240316001") {
    if (!other_.connected()) {
      const std::string schema =
          session->sqlca().is_postgres() ? db_value("select current_schema()") : "";
      EXPECT_EQ(other_.connect(session->sqlca().connection()), 0) << other_.sqlerrtext();
      if (!schema.empty()) {
        EXPECT_EQ(other_.execute("set search_path to " + schema), 0);
      }
      other_.commit();
    }
    Value v = Value::of_string("");
    const Value key[] = {Value::of_string(document)};
    EXPECT_GE(other_.select_into("select sjdzbz from zr_zrxx1d where sjtmic = :k", key,
                                 std::span<Value>(&v, 1)),
              0)
        << other_.sqlerrtext();
    other_.commit();
    return v.is_null() ? "null" : fh::gbk_to_utf8_lossy(v.as_string());
  }
  // Opens the window on detail row `row` and saves it with OK, after typing.
  std::vector<std::string> save(const char* window, long row,
                                std::vector<std::pair<std::string, std::string>> typed = {}) {
    open(window, Value::of_string(std::to_string(row)));
    std::vector<fh::Action> actions;
    for (const auto& [column, text] : typed) {
      actions.push_back(action(K::kType, "dw_maint", 1, column, text));
    }
    actions.push_back(action(K::kClick, "uo_ok"));
    return act(std::move(actions));
  }

  std::string price_in_tenths() {
    return db_value("select cast(round(sjlddj * 10) as integer) from zr_017493 where sjdzld = 43");
  }

  fh::Transaction other_;
};

TEST_P(AmountsTest, BothWindowsWriteTheDocumentsAmountCommittedWithTheSave) {
  EXPECT_EQ(seen(), "null");
  ASSERT_EQ(save("w_016703a_edit", 41), std::vector<std::string>{});
  EXPECT_EQ(seen(), "贰仟叁佰伍拾壹元肆角叁分");
  EXPECT_FALSE(session->sqlca().in_transaction());
  // The other window, a changed price: 2351.425 + 10 x 0.10.
  ASSERT_EQ(save("w_016283a_edit", 43, {{"sjlddj", "0.2"}}), std::vector<std::string>{});
  EXPECT_EQ(seen(), "贰仟叁佰伍拾贰元肆角叁分");
  // Saving again without changes writes the same text again.
  ASSERT_EQ(save("w_016283a_edit", 43), std::vector<std::string>{});
  EXPECT_EQ(seen(), "贰仟叁佰伍拾贰元肆角叁分");
  // Another document's text stays as it was.
  EXPECT_EQ(seen("FL240305001"), "捌仟陆佰肆拾玖元柒角伍分");
}

TEST_P(AmountsTest, TotalIsExactToTheCentWhereFloatsAreNot) {
  // 3 x 0.1 in binary floats is 0.30000000000000004.
  sql("update zr_017493 set sjldjs = 1, sjlddj = 0.1 where sjtmic = 'FL240316001'");
  ASSERT_EQ(save("w_016703a_edit", 42), std::vector<std::string>{});
  EXPECT_EQ(seen(), "叁角整");
  // Past 15 digits a float sum loses the cent: 12345678901234 + 0.56.
  sql("update zr_017493 set sjldjs = 1234567890.1234, sjlddj = 10000 where sjdzld = 41");
  sql("update zr_017493 set sjldjs = 0.56, sjlddj = 1 where sjdzld = 42");
  sql("update zr_017493 set sjldjs = null, sjlddj = 5 where sjdzld = 43");
  ASSERT_EQ(save("w_016703a_edit", 42), std::vector<std::string>{});
  EXPECT_EQ(seen(), "壹拾贰万叁仟肆佰伍拾陆亿柒仟捌佰玖拾万零壹仟贰佰叁拾肆元伍角陆分");
}

TEST_P(AmountsTest, DocumentWithoutRowsOrWithoutRecordStillSaves) {
  // Row 42 moves to a document without a record: nothing to write, still saved.
  ASSERT_EQ(save("w_016703a_edit", 42, {{"sjtmic", "FL240399001"}}), std::vector<std::string>{});
  EXPECT_EQ(db_value("select sjtmic from zr_017493 where sjdzld = 42"), "FL240399001");
  EXPECT_EQ(db_value("select count(*) from zr_zrxx1d where sjtmic = 'FL240399001'"), "0");
  // Rows that give no amount: null in, empty text out.
  sql("insert into zr_zrxx1d (sjtmic, sjdzbz) values ('FL240399001', '旧')");
  sql("update zr_017493 set sjldjs = null where sjdzld = 42");
  ASSERT_EQ(save("w_016703a_edit", 42), std::vector<std::string>{});
  EXPECT_EQ(seen("FL240399001"), "");
}

TEST_P(AmountsTest, TextIsWrittenOnlyWithASaveThatWentThrough) {
  fh::Transaction& db = session->sqlca();
  long n = 1;
  for (; n < 40; ++n) {
    SCOPED_TRACE("call " + std::to_string(n));
    sql("update zr_017493 set sjlddj = 0.1 where sjdzld = 43");
    sql("update zr_zrxx1d set sjdzbz = null where sjtmic = 'FL240316001'");
    open("w_016703a_edit", Value::of_string("43"));
    ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "sjlddj", "0.2")}), std::vector<std::string>{});
    fh::testing::fail_db_call(db, n, fh::testing::DbFault::kError);
    const std::vector<std::string> refusals = act({action(K::kClick, "uo_ok")});
    const bool fired = fh::testing::db_fault_fired(db);
    fh::testing::fail_db_call(db, 0, fh::testing::DbFault::kError);
    if (session->pending_message_box()) {
      EXPECT_TRUE(zrtest::only_failed_save(refusals) || refusals.empty());
      // The save failed: the operator is told; nothing is written.
      ASSERT_EQ(act({answer(1), action(K::kClick, "uo_cancel")}), std::vector<std::string>{});
      EXPECT_EQ(price_in_tenths(), "1");
      EXPECT_EQ(seen(), "null");
    } else {
      // The save went through: its text is there, or, when writing it failed,
      // none, and the next save writes it.
      EXPECT_EQ(price_in_tenths(), "2");
      const std::string text = seen();
      EXPECT_TRUE(text == "贰仟叁佰伍拾贰元肆角叁分" || (fired && text == "null")) << text;
    }
    EXPECT_FALSE(db.in_transaction());
    if (!fired) break;
  }
  EXPECT_GT(n, 3);  // the save's update and commit, the rows, the text
}

INSTANTIATE_TEST_SUITE_P(Db, AmountsTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
