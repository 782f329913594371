// The staff lists retrieve on open, refuse adding and deleting, and tie the
// list and the tab control to their split bars; the staff editor loads the
// record of a key the table already holds.
#include <array>
#include <cstdint>
#include <string>

#include "fixture.h"
#include "formhost/db_faults.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;
using zrtest::AppTest;

class StaffListTest : public AppTest {};

TEST_P(StaffListTest, BothListsRetrieveOnOpenAndRefuseAddingAndDeleting) {
  // w_01602 lists the own staff, w_01617 the outside workers.
  for (const auto& [cls, listed] : {std::pair<std::string, std::size_t>{"w_01602", 14u},
                                    std::pair<std::string, std::size_t>{"w_01617", 1u}}) {
    SCOPED_TRACE(cls);
    fh::Object& w = open(cls);
    EXPECT_EQ(fh::gbk_to_utf8_lossy(w.get("title").as_string()), "人员名称");
    EXPECT_EQ(control_view(cls, "dw_items")["rows"].size(), listed);
    EXPECT_EQ(w.get("is_add").as_string(), "no");
    EXPECT_EQ(w.get("is_delete").as_string(), "no");
    EXPECT_EQ(act({action(K::kInsert, "dw_items")}).size(), 1u);
    ASSERT_EQ(act({action(K::kRow, "dw_items", 1)}), std::vector<std::string>{});
    EXPECT_EQ(act({action(K::kDelete, "dw_items")}).size(), 1u);
    EXPECT_EQ(control_view(cls, "dw_items")["rows"].size(), listed);
    EXPECT_EQ(db_value("select count(*) from zrtaska_tkzdgg"), "15");
    act({action(K::kClose, cls)});
  }
}

TEST_P(StaffListTest, SplitBarsCarryTheListAndTheTabControl) {
  fh::Object& w = open("w_01602");
  fh::Object& hsplit = *fh::find_control(w, "st_hsplit");
  fh::Object& vsplit = *fh::find_control(w, "st_1");
  for (fh::Object* bar : {&hsplit, &vsplit}) {
    EXPECT_EQ(fh::Long(bar->get("il_barcolor")).as_long(), 12632256);
    EXPECT_EQ(fh::Long(bar->get("il_registered")).as_long(), 2);
  }
  fh::Object& list = *fh::find_control(w, "dw_items");
  fh::Object& tab = *fh::find_control(w, "tab_1");
  auto box = [](fh::Object& o) {
    return std::array<long, 4>{fh::Long(o.get("x")).as_long(), fh::Long(o.get("y")).as_long(),
                               fh::Long(o.get("width")).as_long(),
                               fh::Long(o.get("height")).as_long()};
  };
  // The horizontal bar down by 40: the list (side 1) grows, the tab control
  // (side 2) starts below the bar and keeps its bottom edge.
  const auto list_before = box(list), tab_before = box(tab);
  const bool horizontal =
      fh::Long(hsplit.get("width")).as_long() >= fh::Long(hsplit.get("height")).as_long();
  ASSERT_TRUE(horizontal);
  const long at = fh::Long(hsplit.get("y")).as_long() + 40;
  const long thickness = fh::Long(hsplit.get("height")).as_long();
  fh::Action drag(K::kDrag);
  drag.control = "st_hsplit";
  drag.number = at;
  ASSERT_EQ(act({drag}), std::vector<std::string>{});
  EXPECT_EQ(box(list)[3], at - list_before[1]);
  EXPECT_EQ(box(tab)[1], at + thickness);
  EXPECT_EQ(box(tab)[1] + box(tab)[3], tab_before[1] + tab_before[3]);
  EXPECT_EQ(control_view("w_01602", "st_hsplit")["y"], at);
  // The vertical bar: the list (side 3) ends at it, the tab control (side 4) starts after it.
  const long x = fh::Long(vsplit.get("x")).as_long() - 30;
  drag.control = "st_1";
  drag.number = x;
  ASSERT_EQ(act({drag}), std::vector<std::string>{});
  EXPECT_EQ(box(list)[0] + box(list)[2], x);
  EXPECT_EQ(box(tab)[0], x + fh::Long(vsplit.get("width")).as_long());
  // Only a split bar can be dragged.
  drag.control = "dw_items";
  EXPECT_EQ(act({drag}), std::vector<std::string>{"control dw_items cannot be dragged"});
}

TEST_P(StaffListTest, FilepathTakesTheWholeWidthChange) {
  fh::Object& w = open("w_01617");
  fh::Object& list = *fh::find_control(w, "dw_items");
  const fh::DataWindow& dw = *list.datawindow();
  const long name = std::stol(dw.describe("tkaprmc.width"));
  const long name_x = std::stol(dw.describe("tkaprmc.x"));
  const long filepath_x = std::stol(dw.describe("filepath.x"));
  const long height = fh::Long(list.get("height")).as_long();
  auto resize = [&](long width) {
    ASSERT_EQ(on_session([&](fh::Session&) {
                call(list, "resize",
                     {Value::of_integer(0), Value::of_long(static_cast<std::int32_t>(width)),
                      Value::of_long(static_cast<std::int32_t>(height))});
              }),
              std::vector<std::string>{});
  };
  // Wide enough that the column has room, then 150 wider.
  resize(6000);
  const long filepath = std::stol(dw.describe("filepath.width"));
  ASSERT_GT(filepath, 0);
  resize(6150);
  EXPECT_EQ(std::stol(dw.describe("filepath.width")), filepath + 150);
  EXPECT_EQ(std::stol(dw.describe("filepath.x")), filepath_x);
  EXPECT_EQ(std::stol(dw.describe("tkaprmc.width")), name);
  EXPECT_EQ(std::stol(dw.describe("tkaprmc.x")), name_x);
}

TEST_P(StaffListTest, MessageObjectLivesAsLongAsTheWindow) {
  for (const std::string cls : {"w_01602", "w_01617"}) {
    SCOPED_TRACE(cls);
    fh::Object& w = open(cls);
    const Value v = w.get("message_1");
    ASSERT_TRUE(fh::is_valid(v));
    const fh::ObjectRef message = v.as_object();
    EXPECT_EQ(message->cls().name(), cls + "`message_1");
    EXPECT_TRUE(message->cls().is_a("message"));
    EXPECT_NE(message->cls().find_event("constructor"), nullptr);
    EXPECT_NE(message->cls().find_event("destructor"), nullptr);
    // A member, not a control.
    EXPECT_EQ(fh::find_control(w, "message_1"), nullptr);
    const nlohmann::json shown = window_view(cls);  // named: it outlives the loop
    for (const auto& c : shown["controls"]) EXPECT_NE(c["name"], "message_1");
    const fh::ObjectRef menu = w.get("menuid").as_object();
    ASSERT_EQ(act({action(K::kClose, cls)}), std::vector<std::string>{});
    EXPECT_TRUE(message->destroyed());
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->destroyed());
  }
}

class StaffEditTest : public AppTest {
 protected:
  // The editor on the list's first row (A001 in w_01602, A014 in w_01617).
  fh::Object& edit(const std::string& list) {
    open(list);
    EXPECT_EQ(act({action(K::kRow, "dw_items", 1), action(K::kEnter, "dw_items")}),
              std::vector<std::string>{});
    fh::Object* w = session->window(list + "_edit");
    if (w == nullptr) throw fh::Error(list + "_edit did not open");
    return *w;
  }
  nlohmann::json form_row(const std::string& cls) {
    const auto form = control_view(cls, "dw_maint");
    EXPECT_EQ(form["rows"].size(), 1u);
    return form["rows"].empty() ? nlohmann::json{} : form["rows"][0];
  }
  std::vector<std::string> lookup(fh::Object& w) {
    return on_session([&](fh::Session&) { call(w, "of_get_spghid"); });
  }
  std::string current_column(fh::Object& w) {
    return fh::find_control(w, "dw_maint")->datawindow()->get_column_name();
  }
};

TEST_P(StaffEditTest, NamesItsTableAndKeyAndTheSetterDoesNothing) {
  for (const std::string list : {"w_01602", "w_01617"}) {
    SCOPED_TRACE(list);
    fh::Object& w = edit(list);
    EXPECT_EQ(w.get("is_tablename").as_string(), "dictrecitype");
    EXPECT_EQ(w.get("is_idcolname").as_string(), "dictrecitype_recitypeid");
    const auto before = form_row(list + "_edit");
    ASSERT_EQ(on_session([&](fh::Session&) { call(w, "of_set_je"); }), std::vector<std::string>{});
    EXPECT_EQ(form_row(list + "_edit"), before);
    act({action(K::kClose, list + "_edit"), action(K::kClose, list)});
  }
}

TEST_P(StaffEditTest, TypedExistingKeyLoadsItsRecordAsChanged) {
  fh::Object& w = edit("w_01602");
  // Another column looks nothing up.
  fh::testing::fail_db_call(session->sqlca(), 1000, fh::testing::DbFault::kError);
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "bz", "5")}), std::vector<std::string>{});
  EXPECT_EQ(fh::testing::db_calls(session->sqlca()), 0);
  fh::testing::fail_db_call(session->sqlca(), 0, fh::testing::DbFault::kError);
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "tkaprid", "5")}), std::vector<std::string>{});
  const auto row = form_row("w_01602_edit");
  EXPECT_EQ(row["values"]["tkaprid"], "5");
  EXPECT_EQ(row["values"]["tkaprbh"], "A005");
  EXPECT_EQ(row["status"], "datamodified");  // tkaprnt written back
  EXPECT_EQ(current_column(w), "tkaprmc");
}

TEST_P(StaffEditTest, MissingKeyKeepsWhatWasTyped) {
  fh::Object& w = edit("w_01617");
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "tkaprmc", "新人"),
                 action(K::kType, "dw_maint", 1, "tkaprid", "99")}),
            std::vector<std::string>{});
  const auto row = form_row("w_01617_edit");
  EXPECT_EQ(row["values"]["tkaprid"], "99");
  EXPECT_EQ(row["values"]["tkaprbh"], "A014");
  EXPECT_EQ(current_column(w), "tkaprmc");
}

TEST_P(StaffEditTest, NullKeyCountsNothingAndAFailedCountIsTakenAsNew) {
  fh::Object& w = edit("w_01602");
  ASSERT_EQ(on_session([&](fh::Session&) {
              fh::find_control(w, "dw_maint")->datawindow()->set_item(1, "tkaprid", Value{});
            }),
            std::vector<std::string>{});
  ASSERT_EQ(lookup(w), std::vector<std::string>{});
  EXPECT_EQ(form_row("w_01602_edit")["values"]["tkaprbh"], "A001");
  EXPECT_EQ(current_column(w), "tkaprmc");
  // The count fails: the key is taken as new, whatever the table holds.
  fh::testing::fail_db_call(session->sqlca(), 1, fh::testing::DbFault::kError);
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "tkaprid", "5")}), std::vector<std::string>{});
  EXPECT_TRUE(fh::testing::db_fault_fired(session->sqlca()));
  fh::testing::fail_db_call(session->sqlca(), 0, fh::testing::DbFault::kError);
  EXPECT_EQ(form_row("w_01602_edit")["values"]["tkaprbh"], "A001");
}

// The progress editor looks its order code up from its own itemchanged; the
// record editor's lookup must not run a second time.
TEST_P(StaffEditTest, AFormWithItsOwnLookupLooksUpOnce) {
  open("w_01638");
  ASSERT_EQ(act({action(K::kInsert, "dw_items")}), std::vector<std::string>{});
  fh::Object* w = session->window("w_01638_edit");
  ASSERT_NE(w, nullptr);
  fh::testing::fail_db_call(session->sqlca(), 100000, fh::testing::DbFault::kError);
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "icddbh", "DD240303")}),
            std::vector<std::string>{});
  const long typed = fh::testing::db_calls(session->sqlca());
  fh::testing::fail_db_call(session->sqlca(), 100000, fh::testing::DbFault::kError);
  ASSERT_EQ(lookup(*w), std::vector<std::string>{});
  const long once = fh::testing::db_calls(session->sqlca());
  fh::testing::fail_db_call(session->sqlca(), 0, fh::testing::DbFault::kError);
  EXPECT_GT(once, 0);
  EXPECT_EQ(typed, once);
  // Its key column (tdjbid) is not the code: typing there looks nothing up.
  fh::testing::fail_db_call(session->sqlca(), 100000, fh::testing::DbFault::kError);
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "tdjbid", "3")}), std::vector<std::string>{});
  EXPECT_EQ(fh::testing::db_calls(session->sqlca()), 0);
  fh::testing::fail_db_call(session->sqlca(), 0, fh::testing::DbFault::kError);
}

INSTANTIATE_TEST_SUITE_P(Db, StaffListTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);
INSTANTIATE_TEST_SUITE_P(Db, StaffEditTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
