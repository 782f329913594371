// The read-only lists refuse adding, changing and deleting, whenever the
// switches are set, and share a change of their width among their columns in
// whole units that add up; a database open for viewing only refuses edits
// where they are made and the view says so; the piece-rate editor of group 12 fills its grade
// list, presets the group's highest grade and reads the saved rate back.
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <string>

#include "fixture.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;
using zrtest::AppTest;

class ReadOnlyListTest : public AppTest {
 protected:
  fh::DataWindow& items(const std::string& cls) {
    fh::Object* w = session->window(cls);
    if (w == nullptr) throw fh::Error(cls + " is not open");
    return *fh::find_control(*w, "dw_items")->datawindow();
  }
  long at(const std::string& cls, const std::string& property) {
    return std::stol(items(cls).describe(property));
  }
  // Raises the list's resize as its window does when the list changes size:
  // `by` wider than the list was designed (3150 wide in the ancestor) and
  // registered its rules.
  void widen_items(const std::string& cls, long by) {
    fh::Object& dw = *fh::find_control(*session->window(cls), "dw_items");
    const auto width = static_cast<std::int32_t>(3150 + by);
    const auto height = static_cast<std::int32_t>(fh::Long(dw.get("height")).as_long());
    on_session([&dw, width, height](fh::Session& s) {
      const std::vector<Value> args = {Value::of_long(0), Value::of_long(width),
                                       Value::of_long(height)};
      s.context().trigger(dw, "resize", args);
    });
  }
  bool menu_enabled(fh::Object& w, const char* item) {
    return fh::is_true(w.get("menuid").as_object()->control(item)->get("enabled"));
  }
};

TEST_P(ReadOnlyListTest, AddingChangingAndDeletingAreRefused) {
  for (const std::string cls : {"w_01640", "w_01675"}) {
    fh::Object& w = open(cls);
    const long rows = items(cls).row_count();
    EXPECT_GT(rows, 0) << cls;  // the demo's attendance of today, the log up to today
    EXPECT_EQ(act({action(K::kInsert, "dw_items")}),
              std::vector<std::string>{"adding is switched off in " + cls});
    EXPECT_EQ(act({action(K::kEnter, "dw_items")}),
              std::vector<std::string>{"changing is switched off in " + cls});
    EXPECT_EQ(act({action(K::kDelete, "dw_items")}),
              std::vector<std::string>{"deleting is switched off in " + cls});
    EXPECT_EQ(items(cls).row_count(), rows);
    for (const char* item : {"m_add", "m_edit", "m_delete"}) EXPECT_FALSE(menu_enabled(w, item));
    ASSERT_EQ(act({action(K::kClose, cls)}), std::vector<std::string>{});
  }
  // Only in w_01675: the tab area below, retrieval up to an end date.
  fh::Object& w = open("w_01675");
  EXPECT_EQ(w.get("is_tab_1_postion").as_string(), "2LH");
  EXPECT_EQ(w.get("is_retrieve_type").as_string(), "dateend");
}

TEST_P(ReadOnlyListTest, SwitchesSetAfterOpeningAreHonoured) {
  fh::Object& w = open("w_01638");  // adds and changes, does not delete
  ASSERT_TRUE(menu_enabled(w, "m_add"));
  on_session([&w](fh::Session&) {
    w.set("is_add", Value::of_string("no"));
    w.set("is_edit", Value::of_string("no"));
  });
  EXPECT_FALSE(menu_enabled(w, "m_add"));
  EXPECT_FALSE(menu_enabled(w, "m_edit"));
  EXPECT_EQ(act({action(K::kInsert, "dw_items")}),
            std::vector<std::string>{"adding is switched off in w_01638"});
  EXPECT_EQ(act({action(K::kRow, "dw_items", 1), action(K::kEnter, "dw_items")}),
            std::vector<std::string>{"changing is switched off in w_01638"});
  EXPECT_EQ(session->window("w_01638_edit"), nullptr);
  on_session([&w](fh::Session&) { w.set("is_add", Value::of_string("yes")); });
  EXPECT_TRUE(menu_enabled(w, "m_add"));
}

TEST_P(ReadOnlyListTest, WideningSharesTheChangeInWholeUnitsThatAddUp) {
  open("w_01640");
  const std::array<const char*, 5> columns = {"zr_vyskq_bh", "zr_vyskq_bh2", "zr_vyskq_sj",
                                              "zr_vyskq_wksj", "zr_vyskq_wkrq"};
  widen_items("w_01640", 0);  // back to the widths the rules started from
  std::array<long, 5> width{}, x{};
  for (std::size_t i = 0; i < columns.size(); ++i) {
    width[i] = at("w_01640", std::string(columns[i]) + ".width");
    x[i] = at("w_01640", std::string(columns[i]) + ".x");
  }
  const auto grown = [&](std::array<long, 5> want) {
    long sum = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const long by = at("w_01640", std::string(columns[i]) + ".width") - width[i];
      EXPECT_EQ(by, want[i]) << columns[i];
      EXPECT_EQ(at("w_01640", std::string(columns[i]) + ".x"), x[i]) << columns[i];
      sum += by;
    }
    return sum;
  };
  widen_items("w_01640", 100);
  EXPECT_EQ(grown({20, 30, 10, 20, 20}), 100);
  // 1.4, 2.1, 0.7, 1.4, 1.4 rounded so that they make 7.
  widen_items("w_01640", 7);
  EXPECT_EQ(grown({2, 2, 1, 1, 1}), 7);
  widen_items("w_01640", -7);
  EXPECT_EQ(grown({-2, -2, -1, -1, -1}), -7);

  open("w_01675");
  widen_items("w_01675", 0);
  const long xzmc = at("w_01675", "xzmc.width");
  widen_items("w_01675", 7);
  EXPECT_EQ(at("w_01675", "xzmc.width"), xzmc + 7);
}

// A number as text, "null" for a null.
std::string number(const Value& v) {
  return v.is_null() ? "null" : std::to_string(fh::Long(v).as_long());
}

class GroupEditorTest : public AppTest {
 protected:
  fh::Object& editor() {
    fh::Object* w = session->window("w_01628_edit");
    if (w == nullptr) throw fh::Error("w_01628_edit is not open");
    return *w;
  }
  fh::DataWindow& form() { return *fh::find_control(editor(), "dw_maint")->datawindow(); }
  void add() {
    open("w_01628");
    ASSERT_EQ(act({action(K::kInsert, "dw_items")}), std::vector<std::string>{});
  }
};

TEST_P(GroupEditorTest, TheListOpensTheEditorOnTheRateOfItsRow) {
  open("w_01628");
  fh::Object& list = *session->window("w_01628");
  const fh::DataWindow& rates = *fh::find_control(list, "dw_items")->datawindow();
  ASSERT_GE(rates.row_count(), 2);
  const std::string key = number(rates.item(2, "bcjbid"));
  ASSERT_NE(key, "null");
  ASSERT_EQ(act({action(K::kRow, "dw_items", 2), action(K::kEnter, "dw_items")}),
            std::vector<std::string>{});
  ASSERT_EQ(form().row_count(), 1);
  EXPECT_EQ(number(form().item(1, "bcjbid")), key);
  // The grades of group 12, filled by the window itself; the grade as stored.
  EXPECT_EQ(form().get_child("a2jbid")->row_count(), 3);
  EXPECT_EQ(number(form().item(1, "a2jbid")),
            db_value("select a2jbid from zr_bcjb where bcjbid = " + key));
  EXPECT_EQ(editor().get("is_adwc_obj_retrieve").as_string(), "no");
  EXPECT_EQ(editor().get("is_tablename").as_string(), "dictrecitype");
  // Centred on the screen.
  EXPECT_EQ(fh::Long(editor().get("x")).as_long(), (4800 - 2100) / 2);
}

TEST_P(GroupEditorTest, ANewRateStartsWithTheGroupsHighestGradeAndIsReadBack) {
  add();
  ASSERT_EQ(form().row_count(), 1);
  EXPECT_EQ(fh::Long(form().item(1, "a2jbid")).as_long(), 3);  // the highest, not the next
  EXPECT_EQ(fh::Long(editor().get("il_a2jbid")).as_long(), 3);
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "td2jid", "6"),
                 action(K::kType, "dw_maint", 1, "bcjbdj", "1.75"), action(K::kSave)}),
            std::vector<std::string>{});
  const std::string key = db_value("select max(bcjbid) from zr_bcjb");
  EXPECT_EQ(db_value("select a2jbid from zr_bcjb where bcjbid = " + key), "3");
  ASSERT_EQ(form().row_count(), 1);
  EXPECT_EQ(number(form().item(1, "bcjbid")), key);
  EXPECT_EQ(form().retrieve_arguments().size(), 1u);
}

// The rate's column is NUMERIC(12,4): eight digits before the point, typed or
// set, on both databases (SQLite would store more, PostgreSQL refuse the save).
TEST_P(GroupEditorTest, ARateBeyondItsColumnsPrecisionIsRefused) {
  add();
  auto refusals = act({action(K::kType, "dw_maint", 1, "td2jid", "6"),
                       action(K::kType, "dw_maint", 1, "bcjbdj", "123456789")});
  EXPECT_EQ(refusals, std::vector<std::string>{"column bcjbdj takes at most 8 digits before the "
                                               "decimal point (numeric(12,4)), 123456789.0000 "
                                               "given"});
  refusals = act({set_item("w_01628_edit", "dw_maint", 1, "bcjbdj", "-99999999.99995")});
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_TRUE(refusals[0].starts_with("column bcjbdj takes at most 8 digits")) << refusals[0];
  EXPECT_TRUE(form().item(1, "bcjbdj").is_null());
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "bcjbdj", "-99999999.9999"), action(K::kSave)}),
            std::vector<std::string>{});
  EXPECT_EQ(db_value("select bcjbdj from zr_bcjb where bcjbid = (select max(bcjbid) from zr_bcjb)"),
            "-99999999.9999");
}

TEST_P(GroupEditorTest, AGroupWithoutGradesPresetsNull) {
  sql("update zr_a2 set aagxid = 99 where aagxid = 12");
  add();
  ASSERT_EQ(form().row_count(), 1);
  EXPECT_TRUE(form().item(1, "a2jbid").is_null());
  EXPECT_EQ(form().get_child("a2jbid")->row_count(), 0);
}

TEST_P(GroupEditorTest, ANullKeyReadsBackNothingWithoutFailing) {
  add();
  fh::Object& dw_maint = *fh::find_control(editor(), "dw_maint");
  auto result = std::make_shared<Value>();
  on_session([&dw_maint, result](fh::Session& s) {
    dw_maint.datawindow()->set_item(1, "bcjbid", Value());
    *result = s.context().trigger(dw_maint, "pfc_postupdate", std::vector<Value>{}).result;
  });
  EXPECT_EQ(fh::Long(*result).as_long(), 1);
  EXPECT_EQ(form().row_count(), 0);
  ASSERT_EQ(form().retrieve_arguments().size(), 1u);
  EXPECT_TRUE(form().retrieve_arguments()[0].is_null());
}

// In a child process: edits in a session on the read-only `file`; exits 0
// when each is refused with the reason, else 1 saying what went wrong.
[[noreturn]] void edit_read_only(fh::ClassRegistry& registry, const std::string& file) {
  auto fail = [](const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::_Exit(1);
  };
  if (::geteuid() == 0 &&
      (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)) {
    fail("cannot become nobody");
  }
  fh::SessionOptions o;
  o.action_events = {{"insert", "pfc_insertrow"},
                     {"delete", "pfc_deleterow"},
                     {"save", "ue_save"},
                     {"enter", "e_enter"}};
  o.check_invariants = true;
  fh::Session s(registry, std::move(o));
  if (s.sqlca().connect("sqlite:" + file) != 0) fail(s.sqlca().sqlerrtext());
  if (!s.sqlca().read_only()) fail("not read-only");
  s.open("w_01691");
  const long rows = fh::find_control(*s.window("w_01691"), "dw_items")->datawindow()->row_count();
  if (rows < 2) fail("the list was not read");
  auto act = [&s](K kind, const std::string& control = {}, long row = 0,
                  const std::string& column = {}, const std::string& text = {}) {
    fh::Action a(kind);
    a.control = control;
    a.row = row;
    a.column = column;
    a.text = text;
    s.post(std::move(a));
  };
  act(K::kType, "dw_items", 2, "zr_016910_bqsl", "5");
  act(K::kRow, "dw_items", 2);
  act(K::kEnter, "dw_items");                 // the editor opens to look
  act(K::kType, "dw_maint", 1, "bqsl", "5");  // but takes no typing
  act(K::kClose);                             // nothing to save: no question
  act(K::kInsert, "dw_items");
  act(K::kDelete, "dw_items");
  act(K::kSave);
  act(K::kClick, "m_add");  // the menu's add and delete too
  act(K::kClick, "m_delete");
  const std::vector<std::string> refusals = s.run_pending();
  const std::string why = "the database sqlite:" + file +
                          " is open for viewing only (the file or its folder cannot be "
                          "written): nothing can be changed";
  if (refusals != std::vector<std::string>(7, why)) {
    std::string all;
    for (const std::string& r : refusals) all += "\n" + r;
    fail("refusals:" + all);
  }
  if (s.window("w_01691_edit") != nullptr) fail("the editor is still open");
  if (fh::find_control(*s.window("w_01691"), "dw_items")->datawindow()->row_count() != rows)
    fail("the list changed");
  if (fh::view(s)["readonly"] != true) fail("the view does not say read-only");
  std::_Exit(0);
}

// A database that cannot be written refuses typing, adding, deleting and
// saving where the operator does them, with the reason; reading and opening
// an editor to look still work. Run as nobody when the test runs as root,
// which permission bits do not stop.
TEST(ReadOnlyDatabaseSessionTest, EditsAreRefusedWhereTheyAreMadeAndTheViewSaysSo) {
  const std::string dir = ::testing::TempDir() + "zr_rosession_" + std::to_string(::getpid());
  const std::string file = dir + "/ro.db";
  ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
  // The modules are loaded before the child gives up root: the build folder
  // need not be readable by nobody.
  fh::ClassRegistry registry;
  registry.add_module(ZR_LIBRARY_MODULE);
  registry.add_module(ZR_FRAME_MODULE);
  {
    fh::Transaction t;
    ASSERT_EQ(t.connect("sqlite:" + file), 0) << t.sqlerrtext();
    fh::apply_schema(t, *registry.modules()[1]->schema(), true);
    ASSERT_EQ(t.commit(), 0);
    ASSERT_EQ(t.execute("pragma journal_mode=delete"), 0) << t.sqlerrtext();
    t.disconnect();
  }
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
  EXPECT_EXIT(edit_read_only(registry, file), ::testing::ExitedWithCode(0), "");
  ::chmod(dir.c_str(), 0755);
  ::chmod(file.c_str(), 0644);
  std::remove(file.c_str());
  ::rmdir(dir.c_str());
}

INSTANTIATE_TEST_SUITE_P(Db, ReadOnlyListTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);
INSTANTIATE_TEST_SUITE_P(Db, GroupEditorTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
