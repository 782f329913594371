// Barcode and weighing entry on the demo database: a work record's splits,
// the line editor that adds and changes them, and the grids' set-up. Today's
// bundle 15 (30 pieces, 10.00 kg) is split into record 22 (A) and 23 (B).
#include "fixture.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;

constexpr const char* kStem = "K0001122403080001";

class EntryTest : public zrtest::AppTest {
 protected:
  // The record window on record `key`, as from the list.
  fh::Object& record(long key = 23) {
    return open("w_01652_edit", Value::of_string(std::to_string(key)));
  }
  fh::DataWindow& rows(const std::string& window, const std::string& control) {
    fh::Object* w = session->window(window);
    if (w == nullptr) throw fh::Error(window + " is not open");
    fh::Object* c = fh::find_control(*w, control);
    if (c == nullptr || c->datawindow() == nullptr) throw fh::Error(control + " is no grid");
    return *c->datawindow();
  }
  nlohmann::json properties(const std::string& window) { return window_view(window)["properties"]; }
  std::vector<std::string> click(const std::string& control) {
    return act({action(K::kClick, control)});
  }
  std::vector<std::string> type(long row, const std::string& column, const std::string& text) {
    return act({action(K::kType, "dw_maint", row, column, text)});
  }
  void split(const std::string& letter, long key) {
    sql("insert into zr_016520 (sjdzld, zrtmid, cardnu, aagxbh, zrtmic, sjldzd, cdadid, zropic) "
        "values (" +
        std::to_string(key) + ", 15, 'K0001', '12', '2403080001', '" + letter + "', '" + kStem +
        letter + "', 'ZP" + std::to_string(key) + "')");
  }
  std::string text(const fh::DataWindow& dw, long row, const std::string& column) {
    const Value v = dw.get_item(row, column);
    return v.is_null() ? "null" : fh::gbk_to_utf8_lossy(fh::String(v).as_string());
  }
};

TEST_P(EntryTest, GridsGetTheApplicationsColoursServicesAndFocus) {
  record();
  for (const char* name : {"dw_ddyy", "dw_ddxx81_bh"}) {
    SCOPED_TRACE(name);
    const auto grid = control_view("w_01652_edit", name);
    EXPECT_EQ(grid["color"], "13690848");
    EXPECT_EQ(grid["headercolor"], "12570575");
    EXPECT_EQ(grid["properties"]["ib_clicksort"], "true");
    EXPECT_EQ(grid["properties"]["ib_updateable"], "false");
    EXPECT_EQ(grid["services"]["inv_rowselect"]["properties"]["ii_style"], "2");
    EXPECT_EQ(grid["services"]["inv_rowmanager"]["properties"]["ib_confirmondelete"], "false");
    EXPECT_EQ(grid["services"]["inv_rowcolor"]["properties"]["il_color1"], "14675951");
    EXPECT_EQ(grid["services"]["inv_rowcolor"]["properties"]["il_color3"], "9492719");
    EXPECT_TRUE(grid["services"].contains("inv_find"));
    EXPECT_TRUE(grid["services"].contains("inv_linkage"));
    EXPECT_EQ(grid["properties"]["ib_base"], "true");
    EXPECT_TRUE(grid["properties"]["is_origselsql"].get<std::string>().starts_with("select "));
  }
  // Current split (row 2) in the third colour, the other odd row in the first.
  EXPECT_EQ(control_view("w_01652_edit", "dw_ddyy")["rowcolors"],
            nlohmann::json::array({14675951, 9492719}));
  // The last grid set up keeps the focus.
  EXPECT_EQ(window_view("w_01652_edit")["focus"], "dw_ddxx81_bh");
  // The hidden grids of the bundle list too, and a new row in them is never stopped.
  fh::Object& list = open("w_01647");
  for (const char* name : {"dw_019780_0326", "dw_019780_ddyjbh", "dw_019780"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(control_view("w_01647", name)["visible"], false);
    EXPECT_EQ(control_view("w_01647", name)["color"], "13690848");
    EXPECT_EQ(fh::Long(call(*fh::find_control(list, name), "pfc_preinsertrow")).as_long(), 1);
  }
}

TEST_P(EntryTest, TabMovesTheFocusInTabOrderBothWays) {
  record();
  const auto focus = [&] { return window_view("w_01652_edit")["focus"].get<std::string>(); };
  ASSERT_EQ(focus(), "dw_ddxx81_bh");  // tab order 171
  fh::Action tab(K::kTab);
  tab.number = 1;
  fh::Action back(K::kTab);
  back.number = -1;
  EXPECT_EQ(act({tab}), std::vector<std::string>{});
  EXPECT_EQ(focus(), "cb_5");  // 180, declared before cb_6
  EXPECT_EQ(act({tab}), std::vector<std::string>{});
  EXPECT_EQ(focus(), "cb_6");
  EXPECT_EQ(act({back, back}), std::vector<std::string>{});
  EXPECT_EQ(focus(), "dw_ddxx81_bh");
  // A click elsewhere takes it too.
  EXPECT_EQ(act({action(K::kClick, "dw_ddyy")}), std::vector<std::string>{});
  EXPECT_EQ(focus(), "dw_ddyy");
}

TEST_P(EntryTest, AssigningDataobjectShowsThatObjectAndAnUnknownOneChangesNothing) {
  record();
  ASSERT_EQ(on_session([](fh::Session& s) {
              fh::Object* grid = fh::find_control(*s.window("w_01652_edit"), "dw_ddxx81_bh");
              grid->set("dataobject", Value::of_string("d_01652_edit_list"));
            }),
            std::vector<std::string>{});
  EXPECT_EQ(control_view("w_01652_edit", "dw_ddxx81_bh")["dataobject"], "d_01652_edit_list");
  EXPECT_EQ(rows("w_01652_edit", "dw_ddxx81_bh").object().column("sjldzd") != nullptr, true);
  ASSERT_EQ(on_session([](fh::Session& s) {
              fh::Object* grid = fh::find_control(*s.window("w_01652_edit"), "dw_ddxx81_bh");
              grid->set("dataobject", Value::of_string("d_nowhere"));
            }),
            std::vector<std::string>{});
  EXPECT_EQ(control_view("w_01652_edit", "dw_ddxx81_bh")["dataobject"], "d_01652_edit_list");
  EXPECT_EQ(control_view("w_01652_edit", "dw_ddxx81_bh")["properties"]["dataobject"],
            "d_01652_edit_list");
}

TEST_P(EntryTest, RecordShowsItsSplitsAndTheCurrentSplitsLines) {
  record(23);
  const fh::DataWindow& splits = rows("w_01652_edit", "dw_ddyy");
  ASSERT_EQ(splits.row_count(), 2);
  EXPECT_EQ(splits.get_row(), 2);  // the record's own split
  EXPECT_EQ(text(rows("w_01652_edit", "dw_ddxx81_bh"), 1, "zropic"), "ZP000023");
  ASSERT_EQ(act({action(K::kRow, "dw_ddyy", 1)}), std::vector<std::string>{});
  EXPECT_EQ(rows("w_01652_edit", "dw_ddxx81_bh").row_count(), 2);  // ZP000022's two lines
  EXPECT_EQ(properties("w_01652_edit")["ib_rfid"], "false");
  EXPECT_EQ(control_view("w_01652_edit", "dw_writrfid")["visible"], false);
}

TEST_P(EntryTest, OneSplitAloneListsNoLinesAndCannotBeChangedOrDeleted) {
  sql("delete from zr_016520 where sjdzld = 22");
  record(23);
  ASSERT_EQ(rows("w_01652_edit", "dw_ddyy").row_count(), 1);
  ASSERT_EQ(act({action(K::kRow, "dw_ddyy", 1)}), std::vector<std::string>{});
  EXPECT_EQ(rows("w_01652_edit", "dw_ddxx81_bh").row_count(), 0);  // "-34343"
  EXPECT_EQ(click("cb_5"), std::vector<std::string>{});
  EXPECT_EQ(click("cb_6"), std::vector<std::string>{});
  EXPECT_FALSE(session->pending_message_box().has_value());
  EXPECT_EQ(session->window("w_01652_edit_list_edit"), nullptr);
  EXPECT_EQ(db_value("select count(*) from zr_016520 where sjdzld = 23"), "1");
  // Adding works with one row.
  EXPECT_EQ(click("cb_2"), std::vector<std::string>{});
  EXPECT_NE(session->window("w_01652_edit_list_edit"), nullptr);
  EXPECT_EQ(click("uo_cancel"), std::vector<std::string>{});
}

TEST_P(EntryTest, AnEmptySplitListAddsChangesAndDeletesNothing) {
  sql("update zr_016520 set cdadid = null where sjdzld = 23");
  record(23);
  ASSERT_EQ(rows("w_01652_edit", "dw_ddyy").row_count(), 0);
  for (const char* button : {"cb_2", "cb_5", "cb_6"})
    EXPECT_EQ(click(button), std::vector<std::string>{});
  EXPECT_EQ(session->window("w_01652_edit_list_edit"), nullptr);
  EXPECT_FALSE(session->pending_message_box().has_value());
  EXPECT_EQ(properties("w_01652_edit")["ib_rfid"], "false");
}

TEST_P(EntryTest, SplitLettersAfterAStayAsTheyAre) {
  split("a", 30);  // lower case sorts after "A" byte for byte
  split("9", 31);
  record(23);
  const fh::DataWindow& splits = rows("w_01652_edit", "dw_ddyy");
  ASSERT_EQ(splits.row_count(), 4);  // 9, A, B, a
  for (long row : {2L, 1L}) {        // "A" and a digit: the question comes
    SCOPED_TRACE(row);
    ASSERT_EQ(act({action(K::kRow, "dw_ddyy", row), action(K::kClick, "cb_5")}),
              std::vector<std::string>{});
    ASSERT_TRUE(session->pending_message_box().has_value());
    EXPECT_EQ(act({answer(2)}), std::vector<std::string>{});  // No: nothing changes
    EXPECT_EQ(splits.row_count(), 4);
  }
  for (long row : {3L, 4L}) {
    SCOPED_TRACE(row);
    ASSERT_EQ(act({action(K::kRow, "dw_ddyy", row), action(K::kClick, "cb_5")}),
              std::vector<std::string>{});
    EXPECT_EQ(window_view("w_01652_edit").is_null(), false);
    EXPECT_EQ(fh::view(*session)["messagebox"]["text"], "不能删除");
    EXPECT_EQ(fh::view(*session)["messagebox"]["title"], "");
    EXPECT_EQ(act({answer(1), action(K::kClick, "cb_6")}), std::vector<std::string>{});
    EXPECT_EQ(fh::view(*session)["messagebox"]["text"], "不能修改");
    EXPECT_EQ(act({answer(1)}), std::vector<std::string>{});
    EXPECT_EQ(session->window("w_01652_edit_list_edit"), nullptr);
  }
  EXPECT_EQ(
      db_value("select count(*) from zr_016520 where cdadid like '" + std::string(kStem) + "_'"),
      "4");
}

TEST_P(EntryTest, TheDeleteQuestionNamesTheRowAndYesDeletesAndSavesAtOnce) {
  const char* letters[] = {"#", "-", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
  long key = 40;
  for (const char* l : letters) split(l, key++);
  record(23);
  const fh::DataWindow& splits = rows("w_01652_edit", "dw_ddyy");
  ASSERT_EQ(splits.row_count(), 14);
  ASSERT_EQ(act({action(K::kRow, "dw_ddyy", 12), action(K::kClick, "cb_5")}),
            std::vector<std::string>{});
  const auto box = fh::view(*session)["messagebox"];
  EXPECT_EQ(box["title"], "删除项目");
  EXPECT_EQ(box["text"], "删除 #12 行吗?");
  EXPECT_EQ(box["icon"], "question");
  EXPECT_EQ(box["buttons"], nlohmann::json::array({"Yes", "No"}));
  EXPECT_EQ(box["default"], 2);
  EXPECT_EQ(act({answer(1)}), std::vector<std::string>{});
  EXPECT_EQ(splits.row_count(), 13);
  EXPECT_EQ(db_value("select count(*) from zr_016520 where cdadid = '" + std::string(kStem) + "9'"),
            "0");
  EXPECT_EQ(splits.modified_count(), 0);
}

TEST_P(EntryTest, AddingASplitStartsFromTheRecordAndTheListShowsItAfterOk) {
  record(23);
  EXPECT_EQ(click("cb_2"), std::vector<std::string>{});
  // Card writing is off exactly while the line editor is open.
  EXPECT_EQ(window_view("w_01652_edit_list_edit")["modal"], true);
  EXPECT_EQ(properties("w_01652_edit")["ib_rfid"], "false");
  const auto editor = properties("w_01652_edit_list_edit");
  EXPECT_EQ(editor["il_zrtmid"], "15");  // from zr_016520, not the fifth parameter (22)
  EXPECT_EQ(editor["il_sjdzld"], "22");
  EXPECT_EQ(editor["is_tablename"], "dictrecitype");
  EXPECT_EQ(editor["is_idcolname"], "dictrecitype_recitypeid");
  const fh::DataWindow& form = rows("w_01652_edit_list_edit", "dw_maint");
  EXPECT_EQ(text(form, 1, "zrtmic"), "2403080001");
  EXPECT_EQ(text(form, 1, "aagxbh"), "12");
  EXPECT_EQ(text(form, 1, "cardnu"), "K0001");
  EXPECT_EQ(text(form, 1, "sjldzd"), "B");
  const fh::Clock& clock = session->context().clock();
  EXPECT_EQ(text(form, 1, "sjtmic"),
            fh::String(fh::String(fh::Today(clock), "yyyy.mm.dd")).as_string());
  EXPECT_EQ(text(form, 1, "sjldsj").size(), 5u);
  EXPECT_EQ(type(1, "sjldzd", "C"), std::vector<std::string>{});
  EXPECT_EQ(click("uo_ok"), std::vector<std::string>{});
  EXPECT_EQ(session->window("w_01652_edit_list_edit"), nullptr);
  EXPECT_EQ(properties("w_01652_edit")["ib_rfid"], "true");
  EXPECT_EQ(control_view("w_01652_edit", "dw_writrfid")["visible"], true);
  const fh::DataWindow& splits = rows("w_01652_edit", "dw_ddyy");
  ASSERT_EQ(splits.row_count(), 3);
  EXPECT_EQ(text(splits, 3, "cdadid"), std::string(kStem) + "C");
  // Its key is free in the table it went to.
  EXPECT_EQ(db_value("select count(*) from zr_016520 where cdadid = '" + std::string(kStem) +
                     "C' and sjdzld > 23"),
            "1");
}

TEST_P(EntryTest, TheWeightShareFollowsTheCountJustTyped) {
  sql("update zr_003260 set sjldcs = 3, sjldwt = 10.00 where zrtmid = 15");
  record(23);
  ASSERT_EQ(click("cb_2"), std::vector<std::string>{});
  const fh::DataWindow& form = rows("w_01652_edit_list_edit", "dw_maint");
  const struct {
    const char* count;
    const char* weight;
  } cases[] = {{"1", "3.33"}, {"2", "6.67"}, {"3", "6.67"}, {"0", "6.67"}, {"-1", "6.67"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    ASSERT_EQ(type(1, "sjldcs", c.count), std::vector<std::string>{});
    EXPECT_EQ(text(form, 1, "sjldwt"), c.weight);
  }
  // Text is no count: refused, the count and weight stay.
  const auto refused = type(1, "sjldcs", "abc");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].find("not a valid value"), std::string::npos);
  EXPECT_EQ(text(form, 1, "sjldcs"), "-1");
  // A weight of more places is kept as the column keeps it, on either database.
  ASSERT_EQ(type(1, "sjldwt", "3.455"), std::vector<std::string>{});
  EXPECT_EQ(text(form, 1, "sjldwt"), "3.46");
  EXPECT_EQ(click("uo_cancel"), std::vector<std::string>{});
  EXPECT_EQ(db_value("select count(*) from zr_016520 where zrtmid = 15"), "2");
}

TEST_P(EntryTest, ChangingASplitKeepsItsValuesAndAMissingPartLeavesNoCode) {
  record(23);
  ASSERT_EQ(act({action(K::kRow, "dw_ddyy", 1), action(K::kClick, "cb_6")}),
            std::vector<std::string>{});
  const fh::DataWindow& form = rows("w_01652_edit_list_edit", "dw_maint");
  ASSERT_EQ(form.row_count(), 1);
  EXPECT_EQ(text(form, 1, "sjldzd"), "A");  // no defaults in edit mode
  EXPECT_EQ(properties("w_01652_edit_list_edit")["il_zrtmid"], "15");
  // Without a process the split has no code.
  ASSERT_EQ(on_session([](fh::Session& s) {
              fh::Object* editor = s.window("w_01652_edit_list_edit");
              fh::find_control(*editor, "dw_maint")
                  ->datawindow()
                  ->set_item(1, "aagxbh", Value::null_of(fh::Type::kString));
            }),
            std::vector<std::string>{});
  EXPECT_EQ(click("uo_ok"), std::vector<std::string>{});
  EXPECT_EQ(db_value("select cdadid from zr_016520 where sjdzld = 22"), "null");
}

TEST_P(EntryTest, ACountOfNoPiecesRefusesTheSaveAndNullPasses) {
  record(23);
  EXPECT_EQ(type(1, "sjldjs", "0"), std::vector<std::string>{});
  EXPECT_EQ(click("uo_ok"), std::vector<std::string>{});
  EXPECT_NE(session->window("w_01652_edit"), nullptr);  // refused, no message
  EXPECT_FALSE(session->pending_message_box().has_value());
  EXPECT_EQ(db_value("select count(*) from zr_016520 where sjdzld = 23 and sjldjs = 10"), "1");
  ASSERT_EQ(on_session([](fh::Session& s) {
              fh::find_control(*s.window("w_01652_edit"), "dw_maint")
                  ->datawindow()
                  ->set_item(1, "sjldjs", Value::null_of(fh::Type::kDecimal));
            }),
            std::vector<std::string>{});
  EXPECT_EQ(act({fh::Action(K::kSave)}), std::vector<std::string>{});
  EXPECT_EQ(db_value("select sjldjs from zr_016520 where sjdzld = 23"), "null");
  EXPECT_EQ(properties("w_01652_edit")["is_cdadid"], std::string(kStem) + "B");
  EXPECT_EQ(properties("w_01652_edit")["is_zropic"], "ZP000023");
  EXPECT_EQ(rows("w_01652_edit", "dw_ddyy").row_count(), 2);
}

TEST_P(EntryTest, ARecordCodeOfOneCharacterListsTheEmptyStem) {
  sql("update zr_016520 set cdadid = 'X' where sjdzld = 23");
  record(23);
  EXPECT_EQ(act({fh::Action(K::kSave)}), std::vector<std::string>{});
  const fh::DataWindow& splits = rows("w_01652_edit", "dw_ddyy");
  ASSERT_EQ(splits.retrieve_arguments().size(), 1u);
  EXPECT_EQ(splits.retrieve_arguments()[0].as_string(), "");
}

TEST_P(EntryTest, AFreeFormKeepsItsHeaderAndANullServiceFollowsTheErrorPolicy) {
  open("w_09902");
  auto form = control_view("w_09902", "dw_form");
  EXPECT_EQ(form["color"], "13690848");
  EXPECT_EQ(form["headercolor"], "536870912");  // as designed
  EXPECT_FALSE(form["services"].contains("inv_rowcolor"));
  EXPECT_EQ(form["properties"]["ib_clicksort"], "true");
  // The grid's row selection is null: the set-up stops there...
  auto grid = control_view("w_09902", "dw_grid");
  EXPECT_TRUE(grid["services"].contains("inv_linkage"));
  EXPECT_NE(grid["color"], "13690848");
  EXPECT_NE(grid["properties"]["ib_clicksort"], "true");
  EXPECT_EQ(window_view("w_09902")["focus"], "dw_form");
  // ... or, when the error policy goes on, skips that one statement.
  ASSERT_EQ(act({action(K::kClose, "", 0)}), std::vector<std::string>{});
  session->context().set_error_policy(fh::ErrorPolicy::kContinue);
  open("w_09902");
  grid = control_view("w_09902", "dw_grid");
  EXPECT_EQ(grid["services"]["inv_rowmanager"]["properties"]["ib_confirmondelete"], "false");
  EXPECT_EQ(grid["color"], "13690848");
  EXPECT_EQ(grid["headercolor"], "12570575");
  EXPECT_EQ(grid["properties"]["ib_clicksort"], "true");
  EXPECT_EQ(window_view("w_09902")["focus"], "dw_grid");
}

INSTANTIATE_TEST_SUITE_P(Db, EntryTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
