// The framework as an operator meets it: lists that retrieve and open their
// edit windows, record editors that add, save and refuse, deletion through
// the row manager, and the services of u_dw.
#include "../value_eq.h"
#include "fixture.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;
using zrtest::AppTest;

using FrameworkTest = AppTest;

long rows(const nlohmann::json& dw) { return static_cast<long>(dw["rows"].size()); }
std::string cell(const nlohmann::json& dw, long row, const std::string& column) {
  return dw["rows"][static_cast<std::size_t>(row - 1)]["values"][column];
}

// w_01656 lists the orders of the type in its il_ddlx: the demo's type 21 and
// 22 to 24 for the other screens.
fh::Object& orders(zrtest::AppTest& t) {
  fh::Object& w = t.open("w_01656");
  w.set("il_ddlx", Value::of_long(21));
  fh::Action menu(K::kClick);
  menu.control = "m_retrieve";
  EXPECT_EQ(t.act({menu}), std::vector<std::string>{});
  return w;
}

TEST_P(FrameworkTest, ListOpensLaysOutAndRetrievesAfterPreOpen) {
  fh::Object& w = orders(*this);
  const auto props = window_view("w_01656")["properties"];
  EXPECT_EQ(props["il_xzmnid"], "1656");
  EXPECT_EQ(props["title"], "服装生产跟踪系统");
  // The header lists every order; the items follow the header's current row.
  EXPECT_EQ(rows(control_view("w_01656", "dw_head")), 3);
  EXPECT_EQ(rows(control_view("w_01656", "dw_items")), 8);
  EXPECT_EQ(act({action(K::kRow, "dw_head", 3)}), std::vector<std::string>{});
  const auto items = control_view("w_01656", "dw_items");
  ASSERT_EQ(rows(items), 14);
  EXPECT_EQ(cell(items, 14, "ddyjbh"), "DD240303");
  // "2LV": the tab area beside the items, behind the vertical bar.
  const auto dw_items = control_view("w_01656", "dw_items");
  const auto tab = control_view("w_01656", "tab_1");
  EXPECT_EQ(dw_items["x"], 695);  // the class's own place stays
  EXPECT_GT(tab["x"].get<long>(), dw_items["x"].get<long>() + dw_items["width"].get<long>());
  EXPECT_TRUE(control_view("w_01656", "st_1")["visible"]);
  EXPECT_FALSE(control_view("w_01656", "st_hsplit")["visible"]);
  // "2LH" puts it below; a bigger window gives the items the room.
  w.set("is_tab_1_postion", Value::of_string("2LH"));
  fh::Action grow(K::kResize);
  grow.width = 4000;
  grow.height = 2400;
  EXPECT_EQ(act({grow}), std::vector<std::string>{});
  const auto below = control_view("w_01656", "tab_1");
  const auto items2 = control_view("w_01656", "dw_items");
  EXPECT_GT(below["y"].get<long>(), items2["y"].get<long>() + items2["height"].get<long>());
  EXPECT_EQ(items2["x"].get<long>() + items2["width"].get<long>(),
            below["x"].get<long>() + below["width"].get<long>());
  EXPECT_TRUE(control_view("w_01656", "st_hsplit")["visible"]);
}

TEST_P(FrameworkTest, OpeningRunsItsEventsInOrderAndRetrievesLast) {
  // w_09901 (a test list on w_ddyrsg) notes each event with what it finds:
  // il_xzmnid set and no rows yet in pfc_preopen, the rows after pfc_postopen.
  fh::Object& w = open("w_09901");
  EXPECT_EQ(w.get("log").as_string(), "constructor,open,pfc_preopen:9901:0,pfc_postopen:14");
  EXPECT_EQ(w.control("dw_items")->datawindow()->row_count(), 14);
  session->close(w);
  // A pfc_preopen that switches retrieval off ("quiet") is heard.
  fh::Object& quiet = open("w_09901", Value::of_string("quiet"));
  EXPECT_EQ(quiet.get("log").as_string(), "constructor,open,pfc_preopen:9901:0,pfc_postopen:0");
  EXPECT_EQ(quiet.control("dw_items")->datawindow()->row_count(), 0);
}

TEST_P(FrameworkTest, TheListKeepsTheHeadersKeys) {
  // The family's own header object (d_002201) carries sjtmic and sjpzbh.
  open("w_zr3lzb_items");
  auto check = [&](long row) {
    const auto head = control_view("w_zr3lzb_items", "dw_head");
    const auto props = window_view("w_zr3lzb_items")["properties"];
    ASSERT_GE(rows(head), row);
    EXPECT_EQ(head["currentrow"], row);
    EXPECT_EQ(props["is_sjtmic"], cell(head, row, "sjtmic"));
    EXPECT_EQ(props["is_sjpzbh"], cell(head, row, "sjpzbh"));
    EXPECT_FALSE(cell(head, row, "sjtmic").empty());
  };
  check(1);
  ASSERT_EQ(act({action(K::kRow, "dw_head", 3)}), std::vector<std::string>{});
  check(3);
}

TEST_P(FrameworkTest, ItemsFollowTheHeadersKeyUnderAnotherName) {
  // w_01603: the styles (al_td2jlb) of the kind in the header's row (recitypeid).
  open("w_01603");
  auto items = control_view("w_01603", "dw_items");
  ASSERT_EQ(rows(items), 5);
  for (long r = 1; r <= 5; ++r) EXPECT_EQ(cell(items, r, "td2jlb"), "1");
  ASSERT_EQ(act({action(K::kRow, "dw_head", 4)}), std::vector<std::string>{});
  items = control_view("w_01603", "dw_items");
  ASSERT_EQ(rows(items), 5);
  for (long r = 1; r <= 5; ++r) EXPECT_EQ(cell(items, r, "td2jlb"), "4");
}

TEST_P(FrameworkTest, RetrieveOnOpenFollowsTheMemberAsPreOpenLeavesIt) {
  // A list told not to retrieve shows no rows until asked.
  fh::Object& w = open("w_01691");
  EXPECT_EQ(rows(control_view("w_01691", "dw_items")), 8);
  session->close(w);
  sql("delete from zr_016910 where f3jbid > 2");
  open("w_01691");
  EXPECT_EQ(rows(control_view("w_01691", "dw_items")), 2);
  fh::Action menu(K::kClick);
  menu.control = "m_retrieve";
  sql("insert into zr_016910 (f3jbid, ddyjbh) values (50, 'DD240301')");
  EXPECT_EQ(act({menu}), std::vector<std::string>{});
  EXPECT_EQ(rows(control_view("w_01691", "dw_items")), 3);
}

TEST_P(FrameworkTest, EnterOpensTheEditWindowOfTheRowAndOkSavesAndRefreshesTheList) {
  open("w_01691");
  ASSERT_EQ(act({action(K::kRow, "dw_items", 2), action(K::kEnter, "dw_items")}),
            std::vector<std::string>{});
  const auto form = control_view("w_01691_edit", "dw_maint");
  ASSERT_EQ(rows(form), 1);
  EXPECT_EQ(cell(form, 1, "f3jbid"), "2");
  EXPECT_EQ(window_view("w_01691_edit")["properties"]["is_mode"], "edit");
  // The OK and Cancel controls show their captions.
  EXPECT_EQ(control_view("w_01691_edit", "uo_ok")["text"], "确定(&O)");
  EXPECT_EQ(control_view("w_01691_edit", "uo_cancel")["text"], "取消(&C)");
  fh::Action type = action(K::kType, "dw_maint", 1, "f3bz01", "新款号");
  type.window = "w_01691_edit";
  EXPECT_EQ(act({type, action(K::kClick, "uo_ok")}), std::vector<std::string>{});
  EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 2"), "新款号");
  EXPECT_EQ(session->window("w_01691_edit"), nullptr);
  const auto list = control_view("w_01691", "dw_items");
  EXPECT_EQ(cell(list, 2, "zr_016910_f3bz01"), "新款号");
  EXPECT_EQ(list["currentrow"], 2);
}

TEST_P(FrameworkTest, CancelDiscardsAndAddModeGoesOnWithCopies) {
  open("w_01691");
  ASSERT_EQ(act({action(K::kEnter, "dw_items"), action(K::kType, "dw_maint", 1, "f3bz01", "丢弃"),
                 action(K::kClick, "uo_cancel")}),
            std::vector<std::string>{});
  EXPECT_EQ(session->window("w_01691_edit"), nullptr);
  EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 1"), "ZZ2401");

  // Adding from the list: a new record, then with add mode on the next one,
  // copied from the saved one.
  ASSERT_EQ(act({action(K::kInsert, "dw_items")}), std::vector<std::string>{});
  EXPECT_EQ(window_view("w_01691_edit")["properties"]["is_mode"], "add");
  ASSERT_EQ(rows(control_view("w_01691_edit", "dw_maint")), 1);
  EXPECT_EQ(
      act({action(K::kType, "dw_maint", 1, "f3jbid", "101"),
           action(K::kType, "dw_maint", 1, "ddyjbh", "DD240301"), action(K::kClick, "cbx_addmode"),
           action(K::kClick, "cbx_copyrecord"), action(K::kClick, "uo_ok")}),
      std::vector<std::string>{});
  EXPECT_EQ(db_value("select ddyjbh from zr_016910 where f3jbid = 101"), "DD240301");
  const auto form = control_view("w_01691_edit", "dw_maint");
  ASSERT_EQ(rows(form), 2);
  EXPECT_EQ(form["currentrow"], 2);
  EXPECT_EQ(cell(form, 2, "ddyjbh"), "DD240301");  // copied
  EXPECT_EQ(cell(form, 2, "f3jbid"), "");          // the key is not
  EXPECT_EQ(form["rows"][1]["status"], "newmodified");
  // The list (the header's order) already shows the saved record.
  EXPECT_EQ(rows(control_view("w_01691", "dw_items")), 9);
  // A record saved without its number gets the table's next one.
  EXPECT_EQ(act({action(K::kClick, "cbx_addmode"), action(K::kClick, "uo_ok")}),
            std::vector<std::string>{});
  EXPECT_EQ(db_value("select ddyjbh from zr_016910 where f3jbid = 102"), "DD240301");
  EXPECT_EQ(session->window("w_01691_edit"), nullptr);
  EXPECT_EQ(rows(control_view("w_01691", "dw_items")), 10);
}

TEST_P(FrameworkTest, LineEditorTakesTheSecondStructure) {
  fh::Object& list = open("w_01691");
  fh::ObjectRef parm = fh::instantiate(registry.load("str_recordmanager2"));
  parm->set("dw_desc", Value::of_object(list.control_ref("dw_items")));
  parm->set("a_retrieveparm5", Value::of_long(7));
  parm->set("i_addmode", Value::of_long(2));
  fh::Object& w = open("w_01652_edit_list_edit", Value::of_object(parm));
  fh::Object& first = service(w, "istr_recordmanager");
  EXPECT_TRUE(first.cls().is_a("str_recordmanager"));
  EXPECT_EQ(first.get("a_retrieveparm1").as_string(), "edit");
  EXPECT_EQ(fh::Long(first.get("a_retrieveparm5")).as_long(), 7);
  EXPECT_EQ(first.get("dw_desc").as_object().get(), list.control("dw_items"));
  EXPECT_EQ(&service(w, "istr_recordmanager2"), parm.get());
  EXPECT_EQ(window_view("w_01652_edit_list_edit")["properties"]["is_mode"], "edit");
}

TEST_P(FrameworkTest, FailedSaveRollsBackKeepsTheEditsAndSaysWhy) {
  open("w_01691");
  // Label 2 takes label 1's key: the database refuses the whole save.
  const auto refusals = act({set_item("w_01691", "dw_items", 3, "zr_016910_f3bz01", "改了"),
                             set_item("w_01691", "dw_items", 2, "zr_016910_f3jbid", "1"),
                             fh::Action(K::kSave), answer(1)});
  EXPECT_TRUE(zrtest::only_failed_save(refusals)) << testing::PrintToString(refusals);
  EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 3"), "ZZ2401");
  const auto dw = control_view("w_01691", "dw_items");
  EXPECT_EQ(cell(dw, 3, "zr_016910_f3bz01"), "改了");
  EXPECT_EQ(dw["rows"][2]["status"], "datamodified");
  // Mended, the same edits save.
  EXPECT_EQ(
      act({set_item("w_01691", "dw_items", 2, "zr_016910_f3jbid", "2"), fh::Action(K::kSave)}),
      std::vector<std::string>{});
  EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 3"), "改了");
}

TEST_P(FrameworkTest, RefusedPreUpdateSavesNothingAndKeepsTheWindow) {
  fh::Object& list = open("w_01691");
  // The test editor edits the list's current record.
  fh::ObjectRef parm = fh::instantiate(registry.load("str_recordmanager"));
  parm->set("dw_desc", Value::of_object(list.control_ref("dw_items")));
  parm->set("a_retrieveparm1", Value::of_string("edit"));
  fh::Object& w = open("w_tfedit", Value::of_object(parm));
  fh::Object& form = *w.control("dw_maint");
  ASSERT_EQ(session->set_dataobject(form, "d_01691_edit"), 1);
  call(w, "pfc_postopen");
  ASSERT_EQ(rows(control_view("w_tfedit", "dw_maint")), 1);
  w.set("ii_answer", Value::of_integer(0));
  EXPECT_EQ(act({action(K::kType, "dw_maint", 1, "f3bz01", "不保存"), action(K::kClick, "uo_ok")}),
            std::vector<std::string>{});
  EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 1"), "ZZ2401");
  EXPECT_NE(session->window("w_tfedit"), nullptr);
  EXPECT_EQ(control_view("w_tfedit", "dw_maint")["rows"][0]["status"], "datamodified");
  w.set("ii_answer", Value::of_integer(1));
  EXPECT_EQ(act({action(K::kClick, "uo_ok")}), std::vector<std::string>{});
  EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 1"), "不保存");
  EXPECT_EQ(session->window("w_tfedit"), nullptr);
}

TEST_P(FrameworkTest, DeletingAsksThroughTheRowManagerAndSavesAtOnce) {
  fh::Object& w = open("w_01691");
  fh::Object& items = *w.control("dw_items");
  call(items, "of_setrowmanager", {Value::of_bool(true)});
  EXPECT_TRUE(control_view("w_01691", "dw_items")["services"].contains("inv_rowmanager"));
  // "No" keeps the row; "Yes" deletes it from the database.
  EXPECT_EQ(act({action(K::kRow, "dw_items", 4), action(K::kDelete, "dw_items"), answer(2)}),
            std::vector<std::string>{});
  EXPECT_EQ(db_value("select count(*) from zr_016910"), "8");
  EXPECT_EQ(act({action(K::kDelete, "dw_items"), answer(1)}), std::vector<std::string>{});
  EXPECT_EQ(db_value("select count(*) from zr_016910 where f3jbid = 4"), "0");
  EXPECT_EQ(rows(control_view("w_01691", "dw_items")), 7);
  // Without confirmation, and then switched off altogether.
  call(service(items, "inv_rowmanager"), "of_setconfirmondelete", {Value::of_bool(false)});
  EXPECT_EQ(act({action(K::kDelete, "dw_items")}), std::vector<std::string>{});
  EXPECT_EQ(db_value("select count(*) from zr_016910"), "6");
  w.set("is_delete", Value::of_string("no"));
  w.set("is_add", Value::of_string("no"));
  EXPECT_EQ(act({action(K::kDelete, "dw_items"), action(K::kInsert, "dw_items")}),
            (std::vector<std::string>{"deleting is switched off in w_01691",
                                      "adding is switched off in w_01691"}));
  EXPECT_EQ(db_value("select count(*) from zr_016910"), "6");
}

TEST_P(FrameworkTest, SwitchesShowInTheMenu) {
  fh::Object& w = open("w_01691");
  session->close(w);
  // A descendant's pfc_preopen may switch operations off before they apply.
  fh::Object& again = open("w_01691");
  again.set("is_edit", Value::of_string("no"));
  call(again, "pfc_postopen");
  const nlohmann::json shown = window_view("w_01691");  // named: it outlives the loop
  for (const auto& item : shown["menu"]) {
    EXPECT_EQ(item["enabled"], item["name"] != "m_edit") << item["name"];
  }
  EXPECT_EQ(act({action(K::kEnter, "dw_items")}),
            std::vector<std::string>{"changing is switched off in w_01691"});
  EXPECT_EQ(session->window("w_01691_edit"), nullptr);
  fh::Action menu(K::kClick);
  menu.control = "m_add";
  EXPECT_EQ(act({menu}), std::vector<std::string>{});
  EXPECT_NE(session->window("w_01691_edit"), nullptr);
}

TEST_P(FrameworkTest, ResizeRulesGrowColumnsByTheirShares) {
  fh::Object& w = open("w_01691");
  fh::Object& items = *w.control("dw_items");
  call(items, "of_setresize", {Value::of_bool(true)});
  fh::Object& resize = service(items, "inv_resize");
  call(resize, "of_register",
       {Value::of_string("zr_016910_f3bz02"), Value::of_long(0), Value::of_long(0),
        Value::of_long(100), Value::of_long(0)});
  call(resize, "of_register",
       {Value::of_string("zr_016910_f3bz03"), Value::of_long(50), Value::of_long(0),
        Value::of_long(50), Value::of_long(0)});
  const long before = control_view("w_01691", "dw_items")["width"];
  fh::Action grow(K::kResize);
  grow.width = 3200 + 900;
  grow.height = 1800;
  ASSERT_EQ(act({grow}), std::vector<std::string>{});
  const auto dw = control_view("w_01691", "dw_items");
  const long change = dw["width"].get<long>() - before;
  EXPECT_GT(change, 0);
  EXPECT_EQ(column(dw, "zr_016910_f3bz02")["width"], 400 + change);
  EXPECT_EQ(column(dw, "zr_016910_f3bz03")["width"], 250 + change / 2);
  EXPECT_EQ(dw["services"]["inv_resize"]["properties"]["il_rules"], "2");
  EXPECT_EQ(call(resize, "of_register",
                 {Value::of_string("no_such_column"), Value::of_long(0), Value::of_long(0),
                  Value::of_long(0), Value::of_long(0)}),
            Value::of_integer(-1));
}

TEST_P(FrameworkTest, LinkageRetrievesTheDetailWhenTheMasterRowChanges) {
  fh::Object& w = orders(*this);
  fh::Object& detail = *fh::find_control(w, "dw_1");
  ASSERT_EQ(session->set_dataobject(detail, "d_004384"), 1);
  call(detail, "of_settransobject");
  call(detail, "of_setlinkage", {Value::of_bool(true)});
  fh::Object& link = service(detail, "inv_linkage");
  call(link, "of_setmaster", {Value::of_object(w.control_ref("dw_head"))});
  call(link, "of_register", {Value::of_string("ddyjbh"), Value::of_string("ddyjbh")});
  call(link, "of_setstyle", {Value::of_integer(2)});
  call(link, "of_setupdateonrowchange", {Value::of_bool(false)});
  ASSERT_EQ(act({action(K::kRow, "dw_head", 3)}), std::vector<std::string>{});
  auto dw = control_view("w_01656", "dw_1");
  ASSERT_EQ(rows(dw), 14);
  for (long r = 1; r <= 14; ++r) EXPECT_EQ(cell(dw, r, "ddyjbh"), "DD240303");
  EXPECT_EQ(dw["services"]["inv_linkage"]["properties"]["is_columns"], "ddyjbh=ddyjbh;");
  ASSERT_EQ(act({action(K::kRow, "dw_head", 2)}), std::vector<std::string>{});
  EXPECT_EQ(rows(control_view("w_01656", "dw_1")), 8);
}

TEST_P(FrameworkTest, HeaderClicksSortAndRowColoursAlternate) {
  fh::Object& w = orders(*this);
  fh::Object& items = *w.control("dw_items");
  ASSERT_EQ(act({action(K::kRow, "dw_head", 3)}), std::vector<std::string>{});
  // Without click sorting a header click changes nothing.
  auto first = [&] { return cell(control_view("w_01656", "dw_items"), 1, "ddmxid"); };
  const std::string unsorted = first();
  ASSERT_EQ(act({action(K::kClick, "dw_items", 0, "ddmxid_t")}), std::vector<std::string>{});
  EXPECT_EQ(first(), unsorted);
  call(items, "wf_setclicksort", {Value::of_bool(true)});
  ASSERT_EQ(act({action(K::kClick, "dw_items", 0, "ddmxid_t")}), std::vector<std::string>{});
  const std::string ascending = first();
  ASSERT_EQ(act({action(K::kClick, "dw_items", 0, "ddmxid_t")}), std::vector<std::string>{});
  const std::string descending = first();
  EXPECT_LT(std::stol(ascending), std::stol(descending));
  const auto dw = control_view("w_01656", "dw_items");
  EXPECT_EQ(cell(dw, rows(dw), "ddmxid"), ascending);

  call(items, "of_setrowcolor", {Value::of_bool(true)});
  call(service(items, "inv_rowcolor"), "of_register",
       {Value::of_object(w.control_ref("dw_items")), Value::of_long(14675951),
        Value::of_long(13690848), Value::of_long(9492719)});
  ASSERT_EQ(act({action(K::kRow, "dw_items", 2)}), std::vector<std::string>{});
  const auto colours = control_view("w_01656", "dw_items")["rowcolors"];
  ASSERT_EQ(colours.size(), 14u);
  EXPECT_EQ(colours[0], 14675951);
  EXPECT_EQ(colours[1], 9492719);  // the current row
  EXPECT_EQ(colours[2], 14675951);
  EXPECT_EQ(colours[3], 13690848);
}

TEST_P(FrameworkTest, SplitBarMovesTheAreasOnItsSides) {
  fh::Object& w = open("w_01691");
  fh::Object& bar = *w.control("st_hsplit");
  fh::Object& items = *w.control("dw_items");
  fh::Object& tab = *w.control("tab_1");
  items.set("y", Value::of_integer(100));
  items.set("height", Value::of_integer(1000));
  tab.set("y", Value::of_integer(1120));
  tab.set("height", Value::of_integer(400));
  bar.set("height", Value::of_integer(16));
  call(bar, "of_register", {Value::of_object(w.control_ref("dw_items")), Value::of_integer(1)});
  call(bar, "of_register", {Value::of_object(w.control_ref("tab_1")), Value::of_integer(2)});
  call(bar, "of_setbarcolor", {Value::of_long(12632256)});
  call(bar, "of_setposition", {Value::of_long(800)});
  EXPECT_EQ(fh::Long(items.get("height")).as_long(), 700);
  EXPECT_EQ(fh::Long(tab.get("y")).as_long(), 816);
  EXPECT_EQ(fh::Long(tab.get("height")).as_long(), 704);
  EXPECT_EQ(fh::Long(bar.get("backcolor")).as_long(), 12632256);
  EXPECT_EQ(
      call(bar, "of_register", {Value::of_object(w.control_ref("tab_1")), Value::of_integer(5)}),
      Value::of_integer(-1));
}

TEST_P(FrameworkTest, RowSelectionHighlightsByStyle) {
  fh::Object& w = open("w_01691");
  fh::Object& items = *w.control("dw_items");
  auto selected = [&] {
    std::vector<long> out;
    const auto dw = control_view("w_01691", "dw_items");
    for (std::size_t i = 0; i < dw["rows"].size(); ++i) {
      if (dw["rows"][i].value("selected", false)) out.push_back(static_cast<long>(i + 1));
    }
    return out;
  };
  call(items, "of_setrowselect", {Value::of_bool(true)});
  ASSERT_EQ(act({action(K::kRow, "dw_items", 3), action(K::kRow, "dw_items", 5)}),
            std::vector<std::string>{});
  EXPECT_EQ(selected(), std::vector<long>{5});
  // Multiple: clicks toggle rows, moving the focus leaves them.
  call(service(items, "inv_rowselect"), "of_setstyle", {Value::of_integer(1)});
  ASSERT_EQ(act({action(K::kClick, "dw_items", 2), action(K::kClick, "dw_items", 7),
                 action(K::kClick, "dw_items", 5), action(K::kRow, "dw_items", 1)}),
            std::vector<std::string>{});
  EXPECT_EQ(selected(), (std::vector<long>{2, 7}));
  // Switched off, the service is gone and nothing changes the selection.
  call(items, "of_setrowselect", {Value::of_bool(false)});
  EXPECT_FALSE(control_view("w_01691", "dw_items").contains("services"));
  ASSERT_EQ(act({action(K::kRow, "dw_items", 4)}), std::vector<std::string>{});
  EXPECT_EQ(selected(), (std::vector<long>{2, 7}));
}

TEST_P(FrameworkTest, TheMenuOpensTheLibrarysListWindows) {
  open("w_01691");
  const auto menu = window_view("w_01691")["menu"];
  long lists = 0;
  for (const auto& item : menu)
    lists += item["name"].get<std::string>().starts_with("m_open_w_") ? 1 : 0;
  EXPECT_EQ(lists, 36);  // the library's list windows, not the framework's ancestors
  fh::Action click(K::kClick);
  click.control = "m_open_w_01665";
  EXPECT_EQ(act({click}), std::vector<std::string>{});
  ASSERT_NE(session->window("w_01665"), nullptr);
  EXPECT_EQ(session->active_window()->cls().name(), "w_01665");
  click.control = "m_close";
  EXPECT_EQ(act({click}), std::vector<std::string>{});
  EXPECT_EQ(session->window("w_01665"), nullptr);
}

TEST_P(FrameworkTest, DateRangesFollowTheRetrieveType) {
  // The work records of the demo are from 2024 but for today's two splits:
  // today's list has those, the list "up to today" has them all.
  fh::Object& w = open("w_01665");
  EXPECT_EQ(rows(control_view("w_01665", "dw_items")), 2);
  w.set("is_retrieve_type", Value::of_string("dateend"));
  fh::Action click(K::kClick);
  click.control = "m_retrieve";
  EXPECT_EQ(act({click}), std::vector<std::string>{});
  EXPECT_EQ(rows(control_view("w_01665", "dw_items")), 23);
}

TEST_P(FrameworkTest, CardWritingControlsFollowIbRfid) {
  open("w_01652_edit");  // its class switches card writing off
  EXPECT_FALSE(control_view("w_01652_edit", "dw_writrfid")["visible"]);
  EXPECT_FALSE(control_view("w_01652_edit", "cb_writrfid")["visible"]);
  // Whenever it is assigned, not only at opening.
  ASSERT_EQ(on_session([](fh::Session& s) {
              s.window("w_01652_edit")->set("ib_rfid", Value::of_bool(true));
            }),
            std::vector<std::string>{});
  EXPECT_TRUE(control_view("w_01652_edit", "cb_writrfid")["visible"]);
  EXPECT_TRUE(control_view("w_01652_edit", "cb_writrfid")["enabled"]);
  open("w_016561_edit");
  EXPECT_TRUE(control_view("w_016561_edit", "dw_writrfid")["visible"]);
  EXPECT_TRUE(control_view("w_016561_edit", "cb_writrfid")["visible"]);
  // Centred on the screen.
  const auto w = window_view("w_016561_edit");
  EXPECT_EQ(w["x"].get<long>() * 2 + w["width"].get<long>(), 4800);
}

INSTANTIATE_TEST_SUITE_P(Db, FrameworkTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
