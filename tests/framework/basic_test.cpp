// The progress list names its statistic columns from the screen's caption row;
// the progress editor loads the latest entry of the code the operator enters
// and allows OK only once one was loaded. Clicks and typing move the focus.
#include <string>

#include "fixture.h"
#include "formhost/db_faults.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;
using zrtest::AppTest;

// Statistics 1 to 9.
std::string nn(int n) { return "0" + std::to_string(n); }
std::string header(int n) { return n <= 3 ? "sv_016380_sl" + nn(n) : "tjcolumn" + nn(n); }

class ProgressListTest : public AppTest {
 protected:
  // Header text and width of statistic n in the list, as the data window holds them.
  std::pair<std::string, long> statistic(int n) {
    fh::Object* w = session->window("w_01638");
    if (w == nullptr) throw fh::Error("w_01638 is not open");
    const fh::DataWindow& dw = *fh::find_control(*w, "dw_items")->datawindow();
    const std::string text = dw.describe("sv_016380_sl" + nn(n) + "_t.text");
    return {fh::gbk_to_utf8_lossy(text), std::stol(dw.describe(header(n) + ".width"))};
  }
};

TEST_P(ProgressListTest, DemoCaptionsLayoutAndSwitches) {
  // Row 1638: 6 is empty and 8 is "0", the others named.
  fh::Object& w = open("w_01638");
  const std::map<int, std::pair<std::string, long>> expected = {
      {1, {"下单数", 260}}, {2, {"裁床数", 260}}, {3, {"车缝数", 260}},
      {4, {"后整数", 260}}, {5, {"查衫数", 260}}, {6, {"未定06", 0}},
      {7, {"包装数", 260}}, {8, {"未定08", 0}},   {9, {"入库数", 260}}};
  for (const auto& [n, want] : expected) EXPECT_EQ(statistic(n), want) << n;
  const auto dw_items = control_view("w_01638", "dw_items");
  EXPECT_EQ(dw_items["hsplitscroll"], 650);
  EXPECT_EQ(dw_items["services"]["inv_multitable"]["class"], "n_cst_dwsrv_multitable");
  EXPECT_EQ(w.get("is_tab_1_postion").as_string(), "2LH");
  EXPECT_EQ(w.get("is_delete").as_string(), "no");
  EXPECT_EQ(fh::Long(w.get("il_xzmnid")).as_long(), 1638);
}

TEST_P(ProgressListTest, NoConfigurationRowGivesPlaceholdersAndShrinksOnlyFourToNine) {
  sql("delete from zr_050110 where xzmnid = 1638");
  open("w_01638");
  for (int n = 1; n <= 9; ++n) {
    EXPECT_EQ(statistic(n), std::make_pair("未定" + nn(n), n <= 3 ? 260L : 0L)) << n;
  }
}

TEST_P(ProgressListTest, CaptionsShowExactlyWhatIsStoredAndTheRuleIsShared) {
  // Quotes, tildes and GBK characters whose second byte is a backslash or a
  // tilde; "-x" and " A" sort before "0"; hctj10 is read but never shown.
  sql("update zr_050110 set hctj01 = 'a''b\"c', hctj02 = '~t~~x', hctj03 = '乗亊', hctj04 = "
      "'-x', hctj05 = ' A', hctj06 = '0A', hctj07 = NULL, hctj08 = '1', hctj09 = '品~\"名''' "
      "where xzmnid = 1638");
  open("w_01638");
  EXPECT_EQ(statistic(1).first, "a'b\"c");
  EXPECT_EQ(statistic(2).first, "~t~~x");
  EXPECT_EQ(statistic(3).first, "乗亊");
  EXPECT_EQ(statistic(4), std::make_pair(std::string("未定04"), 0L));
  EXPECT_EQ(statistic(5).first, "未定05");
  EXPECT_EQ(statistic(6), std::make_pair(std::string("0A"), 260L));
  EXPECT_EQ(statistic(7).first, "未定07");
  EXPECT_EQ(statistic(8).first, "1");
  EXPECT_EQ(statistic(9).first, "品~\"名'");
}

class ProgressEditTest : public AppTest {
 protected:
  // The editor in add mode, from the list.
  fh::Object& add() {
    open("w_01638");
    EXPECT_EQ(act({action(K::kInsert, "dw_items")}), std::vector<std::string>{});
    fh::Object* w = session->window("w_01638_edit");
    if (w == nullptr) throw fh::Error("w_01638_edit did not open");
    return *w;
  }
  std::vector<std::string> enter_code(const std::string& code) {
    return act({action(K::kType, "dw_maint", 1, "icddbh", code)});
  }
  bool ok_enabled() { return control_view("w_01638_edit", "uo_ok")["enabled"]; }
  nlohmann::json form_row() {
    const auto form = control_view("w_01638_edit", "dw_maint");
    EXPECT_EQ(form["rows"].size(), 1u);
    return form["rows"].empty() ? nlohmann::json{} : form["rows"][0];
  }
};

TEST_P(ProgressEditTest, AddModeStartsWithOkOffAndAnEmptyCode) {
  fh::Object& w = add();
  EXPECT_FALSE(ok_enabled());
  EXPECT_EQ(form_row()["values"]["icddbh"], "");
  EXPECT_EQ(form_row()["status"], "newmodified");
  EXPECT_EQ(w.get("is_tablename").as_string(), "dictrecitype");
  // The record is added after pfc_postopen: the cursor is in its code all the same.
  EXPECT_EQ(window_view("w_01638_edit")["focus"], "dw_maint");
  EXPECT_EQ(fh::find_control(w, "dw_maint")->datawindow()->get_column_name(), "icddbh");
}

TEST_P(ProgressEditTest, EditModeFocusesTheCodeAndKeepsOk) {
  open("w_01638");
  ASSERT_EQ(act({action(K::kRow, "dw_items", 3), action(K::kEnter, "dw_items")}),
            std::vector<std::string>{});
  EXPECT_EQ(form_row()["values"]["tdjbid"], "2");  // the list is in code order
  EXPECT_EQ(window_view("w_01638_edit")["focus"], "dw_maint");
  fh::Object* w = session->window("w_01638_edit");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(fh::find_control(*w, "dw_maint")->datawindow()->get_column_name(), "icddbh");
  EXPECT_TRUE(ok_enabled());
  // An insert outside add mode leaves OK and the code alone.
  ASSERT_EQ(act({action(K::kInsert, "dw_maint")}), std::vector<std::string>{});
  EXPECT_TRUE(ok_enabled());
}

TEST_P(ProgressEditTest, LookupLoadsTheLatestEntryOfTheCodeJustEntered) {
  fh::Object& w = add();
  // One entry.
  ASSERT_EQ(enter_code("DD240303"), std::vector<std::string>{});
  EXPECT_EQ(form_row()["values"]["tdjbid"], "3");
  EXPECT_EQ(fh::Long(w.get("il_cnt1")).as_long(), 1);
  EXPECT_TRUE(ok_enabled());
  // Two entries: the greater ddtmic, in dw_3 and then in the form.
  ASSERT_EQ(enter_code("DD240301"), std::vector<std::string>{});
  EXPECT_EQ(form_row()["values"]["tdjbid"], "7");
  EXPECT_EQ(form_row()["status"], "datamodified");  // zrztpz written back
  const auto dw_3 = control_view("w_01638_edit", "dw_3");
  ASSERT_EQ(dw_3["rows"].size(), 1u);
  EXPECT_EQ(dw_3["rows"][0]["values"]["tdjbid"], "7");
  EXPECT_FALSE(dw_3["visible"]);
  EXPECT_TRUE(dw_3["services"].contains("inv_rowselect"));  // the standard set-up
  EXPECT_EQ(fh::Long(w.get("il_cnt1")).as_long(), 2);
  EXPECT_EQ(w.get("is_ddtmic").as_string(), "7");
  EXPECT_TRUE(ok_enabled());
  // An unknown code switches OK off again and loads nothing.
  ASSERT_EQ(enter_code("XX999"), std::vector<std::string>{});
  EXPECT_FALSE(ok_enabled());
  EXPECT_EQ(fh::Long(w.get("il_cnt1")).as_long(), 0);
  EXPECT_EQ(form_row()["values"]["tdjbid"], "7");
  EXPECT_EQ(form_row()["values"]["icddbh"], "XX999");
}

TEST_P(ProgressEditTest, LatestEntryWithoutFiguresLoadsNothing) {
  sql("insert into zr_ddmcic (ddtmic, icddbh, ddmc) values (90, 'DD240303', '无统计')");
  add();
  ASSERT_EQ(enter_code("DD240303"), std::vector<std::string>{});
  EXPECT_FALSE(ok_enabled());
  EXPECT_EQ(form_row()["status"], "newmodified");
  EXPECT_EQ(control_view("w_01638_edit", "dw_3")["rows"].size(), 0u);
}

TEST_P(ProgressEditTest, ZrEmptyCodesAndOtherColumnsRunNoStatement) {
  fh::Object& w = add();
  ASSERT_EQ(enter_code("DD240301"), std::vector<std::string>{});
  for (const char* code : {"ZR", ""}) {
    SCOPED_TRACE(code);
    fh::testing::fail_db_call(session->sqlca(), 1, fh::testing::DbFault::kError);
    ASSERT_EQ(enter_code(code), std::vector<std::string>{});
    EXPECT_FALSE(fh::testing::db_fault_fired(session->sqlca()));
    fh::testing::fail_db_call(session->sqlca(), 0, fh::testing::DbFault::kError);
    EXPECT_FALSE(ok_enabled());
    EXPECT_EQ(fh::Long(w.get("il_cnt1")).as_long(), 2);  // the last lookup's
    EXPECT_EQ(form_row()["values"]["tdjbid"], "7");
  }
  // Another column never looks anything up.
  fh::testing::fail_db_call(session->sqlca(), 1, fh::testing::DbFault::kError);
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "bz", "DD240303")}), std::vector<std::string>{});
  EXPECT_FALSE(fh::testing::db_fault_fired(session->sqlca()));
  fh::testing::fail_db_call(session->sqlca(), 0, fh::testing::DbFault::kError);
}

TEST_P(ProgressEditTest, SavedRecordIsReadBackByItsNumber) {
  add();
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "icddbh", "NEW01"),
                 action(K::kType, "dw_maint", 1, "sl01", "12.5"), action(K::kSave)}),
            std::vector<std::string>{});
  const std::string key = db_value("select tdjbid from sv_016380 where icddbh = 'NEW01'");
  ASSERT_NE(key, "null");
  EXPECT_EQ(db_value("select count(*) from sv_016380 where icddbh = 'NEW01'"), "1");
  const auto row = form_row();
  EXPECT_EQ(row["status"], "notmodified");
  EXPECT_EQ(row["values"]["tdjbid"], key);
  EXPECT_EQ(row["values"]["icddbh"], "NEW01");
}

TEST_P(ProgressEditTest, OkLosingTheFocusRefreshesTheListInAddMode) {
  add();
  ASSERT_EQ(act({action(K::kClick, "cbx_addmode"),
                 action(K::kType, "dw_maint", 1, "icddbh", "DD240303")}),
            std::vector<std::string>{});
  EXPECT_EQ(window_view("w_01638_edit")["focus"], "dw_maint");
  ASSERT_EQ(act({action(K::kClick, "uo_ok")}), std::vector<std::string>{});
  EXPECT_EQ(window_view("w_01638_edit")["focus"], "uo_ok");
  EXPECT_FALSE(ok_enabled());  // the next record
  const std::size_t listed = control_view("w_01638", "dw_items")["rows"].size();
  sql("insert into sv_016380 (tdjbid, icddbh, zrztpz) values (95, 'DD240309', 0)");
  EXPECT_EQ(control_view("w_01638", "dw_items")["rows"].size(), listed);
  // Typing takes the focus from OK: its losefocus refreshes the list.
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "bz", "x")}), std::vector<std::string>{});
  EXPECT_EQ(window_view("w_01638_edit")["focus"], "dw_maint");
  EXPECT_EQ(control_view("w_01638", "dw_items")["rows"].size(), listed + 1);
  // Without the check box OK losing the focus does nothing.
  sql("insert into sv_016380 (tdjbid, icddbh, zrztpz) values (96, 'DD240309', 0)");
  ASSERT_EQ(act({action(K::kClick, "cbx_addmode"), action(K::kClick, "uo_cancel")}),
            std::vector<std::string>{});
  EXPECT_EQ(control_view("w_01638", "dw_items")["rows"].size(), listed + 1);
}

TEST_P(ProgressEditTest, MenuClicksLeaveTheFocusWhereItIs) {
  open("w_01638");
  ASSERT_EQ(act({action(K::kClick, "dw_items", 1, "icddbh")}), std::vector<std::string>{});
  EXPECT_EQ(window_view("w_01638")["focus"], "dw_items");
  ASSERT_EQ(act({action(K::kClick, "m_retrieve")}), std::vector<std::string>{});
  EXPECT_EQ(window_view("w_01638")["focus"], "dw_items");
}

INSTANTIATE_TEST_SUITE_P(Db, ProgressListTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);
INSTANTIATE_TEST_SUITE_P(Db, ProgressEditTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
