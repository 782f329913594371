// The breakdown lists: the page grid follows the item list's current row,
// read only, with the services and colours their set-up gives; tab pages sit
// inside their tab and are brought to the front by SelectTab or a click.
#include <string>

#include "fixture.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;
using zrtest::AppTest;

class BreakdownTest : public AppTest {};

long rows(const nlohmann::json& dw) { return static_cast<long>(dw["rows"].size()); }
std::string cell(const nlohmann::json& dw, long row, const std::string& column) {
  return dw["rows"][static_cast<std::size_t>(row - 1)]["values"][column];
}

std::string property(const nlohmann::json& control, const std::string& name) {
  return control["properties"].value(name, std::string("(none)"));
}

std::string service_setting(const nlohmann::json& dw, const std::string& service,
                            const std::string& name) {
  return dw["services"][service]["properties"].value(name, std::string("(none)"));
}

TEST_P(BreakdownTest, ThePageFollowsTheItemListAndIsNeverSaved) {
  for (const std::string cls : {"w_01610", "w_01603"}) {
    SCOPED_TRACE(cls);
    fh::Object& w = open(cls);
    fh::Object* tab = w.control("tab_1");
    ASSERT_NE(tab, nullptr);
    fh::Object* page = tab->control("tabpage_1");
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->control("dw_1"), nullptr);
    EXPECT_EQ(w.control("dw_1"), nullptr);  // not a control of the window itself

    const nlohmann::json page_view = control_view(cls, "tabpage_1");
    EXPECT_EQ(page_view["text"], "分色分码");
    EXPECT_EQ(page_view["visible"], true);
    EXPECT_EQ(page_view["parent"], "tab_1");
    EXPECT_EQ(property(page_view, "picturename"), "items.ico");
    EXPECT_EQ(control_view(cls, "tab_1")["selectedtab"], 1);

    // Every row of the item list brings up exactly its stored breakdown.
    const long items = rows(control_view(cls, "dw_items"));
    ASSERT_GE(items, 3);
    for (long r = items; r >= 1; --r) {
      ASSERT_EQ(act({action(K::kRow, "dw_items", r)}), std::vector<std::string>{});
      const std::string key = cell(control_view(cls, "dw_items"), r, "td2jid");
      const nlohmann::json dw = control_view(cls, "dw_1");
      EXPECT_EQ(std::to_string(rows(dw)),
                db_value("select count(*) from zr_052660 where td2jid = " + key));
      for (long b = 1; b <= rows(dw); ++b) EXPECT_EQ(cell(dw, b, "td2jid"), key);
    }

    // The page cannot be typed into (its columns take no tab stop), and a save
    // or a row change leaves the stored breakdown as it was.
    const std::string stored = db_value("select djzl from zr_052660 where xmid = 1");
    const std::vector<std::string> refused = act({action(K::kType, "dw_1", 1, "djzl", "9.99")});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_NE(refused[0].find("protected"), std::string::npos) << refused[0];
    act({action(K::kSave, cls)});
    ASSERT_EQ(act({action(K::kRow, "dw_items", 2)}), std::vector<std::string>{});
    EXPECT_EQ(db_value("select djzl from zr_052660 where xmid = 1"), stored);
    act({action(K::kClose, cls)});
  }
}

TEST_P(BreakdownTest, ThePageGridHasItsServicesAndColours) {
  open("w_01610");
  const nlohmann::json dw = control_view("w_01610", "dw_1");
  EXPECT_EQ(dw["dataobject"], "d_05266v");
  EXPECT_EQ(service_setting(dw, "inv_linkage", "is_master"), "dw_items");
  EXPECT_EQ(service_setting(dw, "inv_linkage", "is_columns"), "td2jid=td2jid;");
  EXPECT_EQ(service_setting(dw, "inv_linkage", "ii_style"), "2");
  EXPECT_EQ(service_setting(dw, "inv_linkage", "ib_updateonrowchange"), "false");
  EXPECT_EQ(service_setting(dw, "inv_linkage", "ib_confirmonrowchange"), "false");
  EXPECT_TRUE(dw["services"].contains("inv_printpreview"));
  EXPECT_TRUE(dw["services"].contains("inv_find"));
  EXPECT_EQ(service_setting(dw, "inv_sort", "ib_columnheader"), "true");
  EXPECT_EQ(service_setting(dw, "inv_sort", "ii_columnnamesource"), "2");
  EXPECT_EQ(service_setting(dw, "inv_sort", "ii_style"), "3");
  EXPECT_EQ(service_setting(dw, "inv_filter", "ii_columnnamesource"), "2");
  EXPECT_EQ(service_setting(dw, "inv_filter", "ii_style"), "2");
  // Switched off and on again: the selection service exists after opening.
  EXPECT_EQ(service_setting(dw, "inv_rowselect", "ii_style"), "2");
  EXPECT_EQ(service_setting(dw, "inv_rowcolor", "il_color1"), "14675951");
  EXPECT_EQ(service_setting(dw, "inv_rowcolor", "il_color2"), "13690848");
  EXPECT_EQ(service_setting(dw, "inv_rowcolor", "il_color3"), "9492719");
  EXPECT_EQ(dw["color"], "13690848");
  EXPECT_EQ(dw["headercolor"], "12570575");
  EXPECT_EQ(property(dw, "ib_clicksort"), "true");
  EXPECT_EQ(property(dw, "ib_updateable"), "false");
  EXPECT_EQ(property(dw, "hscrollbar"), "true");
  EXPECT_FALSE(dw["rowcolors"].empty());
}

TEST_P(BreakdownTest, MissingSortAndFilterServicesAreSkippedAndTheFirstPageShows) {
  // w_09903's page grid makes neither service, and its tab starts on page 2.
  fh::Object& w = open("w_09903");
  const nlohmann::json dw = control_view("w_09903", "dw_1");
  EXPECT_FALSE(dw["services"].contains("inv_sort"));
  EXPECT_FALSE(dw["services"].contains("inv_filter"));
  // The steps after them ran, and so did the post-open.
  EXPECT_EQ(service_setting(dw, "inv_rowselect", "ii_style"), "2");
  EXPECT_EQ(property(dw, "hscrollbar"), "true");
  EXPECT_EQ(property(control_view("w_09903", "tabpage_1"), "picturename"), "items.ico");
  EXPECT_EQ(control_view("w_09903", "tab_1")["selectedtab"], 1);
  EXPECT_GT(rows(dw), 0);

  // A click on a page brings it to the front; a page that does not exist cannot be selected.
  ASSERT_EQ(act({action(K::kClick, "tabpage_2")}), std::vector<std::string>{});
  EXPECT_EQ(control_view("w_09903", "tab_1")["selectedtab"], 2);
  fh::Object& tab = *w.control("tab_1");
  on_session([&](fh::Session&) {
    EXPECT_EQ(fh::select_tab(tab, 3), -1);
    EXPECT_EQ(fh::select_tab(tab, 0), -1);
    EXPECT_EQ(fh::select_tab(*fh::find_control(w, "dw_items"), 1), -1);
    EXPECT_EQ(fh::select_tab(tab, 1), 1);
  });
  EXPECT_EQ(control_view("w_09903", "tab_1")["selectedtab"], 1);
}

TEST_P(BreakdownTest, StaffMessageObjectLivesAndDiesWithItsWindow) {
  fh::Object& w = open("w_09904");
  const Value message = w.get("message_1");
  ASSERT_TRUE(fh::is_valid(message));
  const fh::ObjectRef kept = message.as_object();
  EXPECT_EQ(kept->get("log").as_string(), "constructor");
  act({action(K::kClose, "w_09904")});
  EXPECT_TRUE(kept->destroyed());
  EXPECT_EQ(kept->get("log").as_string(), "constructor,destructor");
}

INSTANTIATE_TEST_SUITE_P(Db, BreakdownTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
