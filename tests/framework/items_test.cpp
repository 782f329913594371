// The item list labels its sixteen free columns from the site's configuration
// rows; the item editor copies the captions into new records and keeps four
// values of each saved record.
#include <cstdio>

#include "fixture.h"
#include "formhost/dwobject.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;
using zrtest::AppTest;

std::string nn(int n) {
  char buf[3];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}
std::string col(int n) { return "zr_016910_f3bz" + nn(n); }

// The modules' objects, with columns the site hid where a test says so.
class HidingLibrary : public fh::DataObjectLibrary {
 public:
  explicit HidingLibrary(const fh::DataObjectLibrary& base) : base_(base) {}
  std::optional<fh::DataWindowObject> find(std::string_view name) const override {
    auto obj = base_.find(name);
    if (obj && name == "d_01691") {
      for (const std::string& c : hidden) EXPECT_EQ(obj->modify(c + ".visible=0"), "");
      if (!missing_header.empty()) {
        // The same object with one header text under another name.
        std::string source = obj->to_source();
        const std::string from = "name=" + missing_header + " ";
        const auto at = source.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) source.replace(at, from.size(), "name=renamed_t ");
        fh::SourceLibrary one;
        one.add("d_01691", source, "d_01691 without " + missing_header);
        return one.find("d_01691");
      }
    }
    return obj;
  }
  std::vector<std::string> hidden;
  std::string missing_header;

 private:
  const fh::DataObjectLibrary& base_;
};

class ItemListTest : public AppTest {
 protected:
  const fh::DataObjectLibrary* library() override {
    hiding_ = std::make_unique<HidingLibrary>(registry.dataobjects());
    return hiding_.get();
  }
  // Sets the configuration rows: captions (UTF-8, "null" for NULL) and widths.
  void configure(const std::vector<std::string>& captions, const std::vector<long>& widths) {
    sql("delete from zr_022740");
    sql("delete from zr_023450");
    std::string names = "pzid", values = "1";
    for (std::size_t i = 0; i < captions.size(); ++i) {
      names += ", hctj" + nn(static_cast<int>(i + 1));
      std::string quoted;
      for (char c : captions[i]) quoted += c == '\'' ? std::string("''") : std::string(1, c);
      values += captions[i] == "null" ? ", NULL" : ", '" + quoted + "'";
    }
    sql("insert into zr_022740 (" + names + ") values (" + values + ")");
    names = "pzid";
    values = "1";
    for (std::size_t i = 0; i < widths.size(); ++i) {
      names += ", hcwd" + nn(static_cast<int>(i + 1));
      values += ", " + std::to_string(widths[i]);
    }
    sql("insert into zr_023450 (" + names + ") values (" + values + ")");
  }
  nlohmann::json columns() {
    open("w_01691");
    return control_view("w_01691", "dw_items");
  }
  std::unique_ptr<HidingLibrary> hiding_;
};

TEST_P(ItemListTest, DemoConfigurationLabelsAndSizesTheColumns) {
  const auto dw = columns();
  const std::map<int, std::pair<std::string, long>> expected = {
      {1, {"款号", 300}},  {2, {"品名", 400}},  {3, {"颜色", 250}},    {4, {"未定04", 0}},
      {5, {"尺码", 300}},  {6, {"未定06", 0}},  {7, {"数量", 250}},    {8, {"未定08", 0}},
      {9, {"条码", 500}},  {10, {"未定10", 0}}, {11, {"订单号", 350}}, {12, {"成分", 400}},
      {13, {"未定13", 0}}, {14, {"未定14", 0}}, {15, {"未定15", 0}},   {16, {"未定16", 0}}};
  for (const auto& [n, want] : expected) {
    EXPECT_EQ(zrtest::AppTest::column(dw, col(n))["header"], want.first) << n;
    EXPECT_EQ(zrtest::AppTest::column(dw, col(n))["width"], want.second) << n;
  }
}

TEST_P(ItemListTest, EmptyConfigurationGivesPlaceholdersAndHidesFromTheFourth) {
  sql("delete from zr_022740");
  sql("delete from zr_023450");
  const auto dw = columns();
  const long designed[] = {300, 400, 250};
  for (int n = 1; n <= 16; ++n) {
    EXPECT_EQ(column(dw, col(n))["header"], "未定" + nn(n));
    EXPECT_EQ(column(dw, col(n))["width"], n <= 3 ? designed[n - 1] : 0) << n;
  }
}

TEST_P(ItemListTest, OnlyConfiguredCaptionsCarryTheirWidths) {
  // Column 5 configured at 300, 6 configured at width 0, 7 is "0", 8 is "0A",
  // 4 has a width but no caption, 9 a null caption.
  configure({"", "", "", "", "五号", "六号", "0", "0A", "null"},
            {100, 100, 100, 500, 300, 0, 700, 800, 900});
  const auto dw = columns();
  EXPECT_EQ(column(dw, col(1))["header"], "未定01");
  EXPECT_EQ(column(dw, col(1))["width"], 300);  // designed, not 100
  EXPECT_EQ(column(dw, col(4))["header"], "未定04");
  EXPECT_EQ(column(dw, col(4))["width"], 0);
  EXPECT_EQ(column(dw, col(5))["header"], "五号");
  EXPECT_EQ(column(dw, col(5))["width"], 300);
  EXPECT_EQ(column(dw, col(6))["header"], "六号");
  EXPECT_EQ(column(dw, col(6))["width"], 0);
  EXPECT_EQ(column(dw, col(7))["header"], "未定07");
  EXPECT_EQ(column(dw, col(7))["width"], 0);
  EXPECT_EQ(column(dw, col(8))["header"], "0A");
  EXPECT_EQ(column(dw, col(8))["width"], 800);
  EXPECT_EQ(column(dw, col(9))["header"], "未定09");
  EXPECT_EQ(column(dw, col(16))["width"], 0);
}

TEST_P(ItemListTest, CaptionsShowExactlyWhatIsStored) {
  configure({"a'b\"c", "~t~~x", "品~\"名'"}, {310, 320, 330});
  const auto dw = columns();
  EXPECT_EQ(column(dw, col(1))["header"], "a'b\"c");
  EXPECT_EQ(column(dw, col(2))["header"], "~t~~x");
  EXPECT_EQ(column(dw, col(3))["header"], "品~\"名'");
  EXPECT_EQ(column(dw, col(3))["width"], 330);
  EXPECT_EQ(column(dw, col(4))["header"], "未定04");  // nothing leaked into the next column
}

TEST_P(ItemListTest, ColumnNotInUseKeepsItsDesign) {
  hiding_->hidden = {col(2)};
  configure({"一", "二", "三", "四"}, {111, 222, 333, 444});
  const auto dw = columns();
  EXPECT_EQ(column(dw, col(1))["header"], "一");
  EXPECT_EQ(column(dw, col(2))["header"], "栏目02");  // the object's own header
  EXPECT_EQ(column(dw, col(2))["width"], 400);
  EXPECT_EQ(column(dw, col(3))["header"], "三");
  EXPECT_EQ(column(dw, col(4))["width"], 444);
}

TEST_P(ItemListTest, AFailedPropertyChangeStopsAtThatColumn) {
  hiding_->missing_header = col(5) + "_t";
  configure({"一", "二", "三", "四", "五", "六"}, {111, 222, 333, 444, 555, 666});
  const auto dw = columns();
  EXPECT_EQ(column(dw, col(4))["header"], "四");
  EXPECT_EQ(column(dw, col(4))["width"], 444);
  EXPECT_EQ(column(dw, col(5))["width"], 300);  // the script ended at its header
  EXPECT_EQ(column(dw, col(6))["header"], "栏目06");
  EXPECT_EQ(column(dw, col(6))["width"], 300);
  EXPECT_EQ(column(dw, col(16))["header"], "栏目16");
}

using ItemEditTest = AppTest;

TEST_P(ItemEditTest, NewRecordTakesOnlyTheConfiguredCaptions) {
  sql("update zr_022740 set hctj01 = NULL, hctj02 = '品名', hctj03 = '', hctj05 = '0', hctj07 = "
      "NULL, "
      "hctj09 = '0A', hctj11 = NULL, hctj12 = NULL");
  open("w_01691");
  ASSERT_EQ(act({action(K::kInsert, "dw_items")}), std::vector<std::string>{});
  const auto form = control_view("w_01691_edit", "dw_maint");
  ASSERT_EQ(form["rows"].size(), 1u);
  const auto& values = form["rows"][0]["values"];
  for (int n = 1; n <= 16; ++n) {
    const std::string want = n == 2 ? "品名" : n == 9 ? "0A" : "";
    EXPECT_EQ(values["hctj" + nn(n)], want) << n;
  }
  // With no configuration row nothing is copied, and the record is still added.
  sql("delete from zr_022740");
  ASSERT_EQ(act({action(K::kClick, "uo_cancel"), action(K::kInsert, "dw_items")}),
            std::vector<std::string>{});
  const auto empty = control_view("w_01691_edit", "dw_maint");
  ASSERT_EQ(empty["rows"].size(), 1u);
  EXPECT_EQ(empty["rows"][0]["status"], "new");
}

TEST_P(ItemEditTest, SaveKeepsFourValuesOfTheRecord) {
  sql("update zr_016910 set f7bz01 = '甲', f7bz03 = NULL, f7bz07 = '丙', tjgdid = 42 where f3jbid "
      "= 3");
  open("w_01691");
  ASSERT_EQ(act({action(K::kRow, "dw_items", 3), action(K::kEnter, "dw_items"),
                 action(K::kType, "dw_maint", 1, "zrztpz", "1"), action(K::kClick, "uo_ok")}),
            std::vector<std::string>{});
  EXPECT_EQ(session->window("w_01691_edit"), nullptr);
  EXPECT_EQ(db_value("select zrztpz from zr_016910 where f3jbid = 3"), "1");
  // The window is gone; its variables were set before the save went on.
  ASSERT_EQ(act({action(K::kEnter, "dw_items")}), std::vector<std::string>{});
  const fh::ObjectRef window = session->window("w_01691_edit")->shared_from_this();
  const fh::Object& edit = *window;
  EXPECT_TRUE(edit.get("lls[1]").as_string().empty());  // a new window starts empty
  ASSERT_EQ(act({action(K::kClick, "uo_ok")}), std::vector<std::string>{});
  EXPECT_EQ(zrtest::gbk("甲"), edit.get("lls[1]").as_string());
  EXPECT_TRUE(edit.get("lls[3]").is_null());
  EXPECT_EQ(zrtest::gbk("丙"), edit.get("lls[7]").as_string());
  EXPECT_EQ(edit.get("lls[2]").as_string(), "");
  EXPECT_EQ(fh::Long(edit.get("lltjgdid")).as_long(), 42);
}

INSTANTIATE_TEST_SUITE_P(Db, ItemListTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);
INSTANTIATE_TEST_SUITE_P(Db, ItemEditTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
