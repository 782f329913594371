// Sessions: opening windows, modal calls answered from the action queue, typed
// text through itemchanged, the view, and sessions side by side.
#include "formhost/session.h"

#include <gtest/gtest.h>

#include <thread>

#include "fixture.h"
#include "formhost/errors.h"
#include "formhost/text.h"
#include "formhost/view.h"

namespace {

using fh::Action;
using fh::Value;

const char* const kEditSource = R"src(release 9;
datawindow(units=0 processing=0 )
detail(height=84 color="536870912~tif(mod(getrow(),2)=0, 15790320, 16777215)" )
table(column=(type=char(20) update=yes key=yes name=code dbname="t.code" )
 column=(type=long update=yes name=qty dbname="t.qty" )
 retrieve="select code, qty from t"
 update="t" )
text(band=header text="编号" name=code_t x="9" width="200" )
column(band=detail id=1 name=code x="9" width="300" )
column(band=detail id=2 name=qty x="320" width="150" )
)src";

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    registry.add_module(ZR_TEST_MODULE);
    registry.add_module(ZR_TEST_FRAME_MODULE);
    library.add("d_edit", fh::utf8_to_gbk(kEditSource, "d_edit.srd"), "d_edit.srd");
  }

  fh::Session make_session() {
    fh::SessionOptions o = zrtest::checked_options();
    o.library = &library;
    return fh::Session(registry, std::move(o));
  }

  static std::string log_of(fh::Object* w) {
    const Value v = w->get("log");
    return v.is_null() ? "" : v.as_string();
  }
  static Action click(const std::string& control) {
    Action a{Action::Kind::kClick};
    a.control = control;
    return a;
  }
  static Action answer(long n) {
    Action a{Action::Kind::kAnswer};
    a.number = n;
    return a;
  }

  fh::ClassRegistry registry;
  fh::SourceLibrary library;
};

TEST_F(SessionTest, OpenRunsTheSequenceWithItsParameterThenPostedEvents) {
  fh::Session s = make_session();
  fh::ObjectRef w = s.open("w_tmain", Value::of_string("hello"));
  EXPECT_EQ(log_of(w.get()), "open:hello,open-end,posted");
  EXPECT_EQ(s.window("w_tmain"), w.get());
  EXPECT_THROW(s.open("w_nowhere"), fh::Error);
  EXPECT_THROW(s.open("u_tdw"), fh::Error);  // not a window
  EXPECT_EQ(s.windows().size(), 1u);         // the session keeps running
  EXPECT_EQ(s.close(*w), 1);
  EXPECT_EQ(s.close(*w), -1);
  EXPECT_TRUE(s.windows().empty());
  // A window opened without a parameter does not see the last one's.
  fh::ObjectRef again = s.open("w_tmain");
  EXPECT_EQ(log_of(again.get()), "open:,open-end,posted");
}

TEST_F(SessionTest, MessageBoxIsAnsweredFromTheQueue) {
  fh::Session s = make_session();
  fh::ObjectRef w = s.open("w_tmain");
  s.post(click("cb_ask"));
  s.post(answer(2));
  s.post(click("cb_ask"));
  s.post(answer(1));
  EXPECT_TRUE(s.run_pending().empty());
  EXPECT_EQ(log_of(w.get()), "open:,open-end,posted,answer:2,answer:1");

  // Nobody answers: the box gives -1 and says why.
  s.post(click("cb_ask"));
  const auto refused = s.run_pending();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].find("waits for an answer"), std::string::npos);
  EXPECT_NE(log_of(w.get()).find("answer:-1"), std::string::npos);

  // An answer out of range is refused and the box keeps waiting for a good one.
  s.post(click("cb_ask"));
  s.post(answer(3));
  s.post(answer(1));
  EXPECT_EQ(s.run_pending().size(), 1u);
  EXPECT_EQ(log_of(w.get()).substr(log_of(w.get()).rfind(',') + 1), "answer:1");
}

TEST_F(SessionTest, ModalWindowReturnsOnlyWhenClosedWithNestedMessageBox) {
  fh::Session s = make_session();
  fh::ObjectRef w = s.open("w_tmain");
  s.post(click("cb_dialog"));
  // Inside the dialog: a click on the main window is refused, then OK asks a
  // question (No: stays open), then OK again (Yes: closes with 7).
  Action other = click("cb_ask");
  other.window = "w_tmain";
  s.post(other);
  s.post(click("cb_ok"));
  s.post(answer(2));
  s.post(click("cb_ok"));
  s.post(answer(1));
  const auto refused = s.run_pending();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].find("waits behind the response window w_tdialog"), std::string::npos);
  EXPECT_EQ(log_of(w.get()), "open:,open-end,posted,before-dialog,dialog-returned:7");
  EXPECT_EQ(s.windows().size(), 1u);
}

TEST_F(SessionTest, TypedTextGoesThroughItemChanged) {
  fh::Session s = make_session();
  fh::ObjectRef w = s.open("w_tmain");
  fh::Object& edit = *w->control("dw_edit");
  ASSERT_EQ(s.set_dataobject(edit, "d_edit"), 1);
  fh::DataWindow& dw = *edit.datawindow();
  ASSERT_EQ(dw.insert_row(0), 1);
  ASSERT_EQ(dw.set_item(1, "code", Value::of_string("old")), 1);

  Action type{Action::Kind::kType};
  type.control = "dw_edit";
  type.row = 1;
  type.column = "code";
  type.text = "bad";
  s.post(type);
  type.column = "qty";
  type.text = "x12";  // not a number: refused before the event
  s.post(type);
  type.text = "12";
  s.post(type);
  const auto refused = s.run_pending();
  EXPECT_EQ(refused.size(), 2u);
  EXPECT_EQ(dw.get_item(1, "code").as_string(), "old");
  EXPECT_EQ(dw.get_item(1, "qty").as_long(), 12);
  EXPECT_EQ(log_of(w.get()), "open:,open-end,posted,itemchanged:code=bad,itemchanged:qty=12");

  // The view shows it all, in UTF-8.
  const nlohmann::json v = fh::view(s);
  const nlohmann::json& grid = v["windows"][0]["controls"][2];
  EXPECT_EQ(grid["name"], "dw_edit");
  EXPECT_EQ(grid["dataobject"], "d_edit");
  EXPECT_EQ(grid["columns"][0]["header"], "编号");
  EXPECT_EQ(grid["columns"][0]["width"], 300);
  EXPECT_EQ(grid["rows"][0]["values"]["qty"], "12");
  EXPECT_EQ(grid["rows"][0]["status"], "newmodified");
  EXPECT_EQ(grid["currentcolumn"], "qty");
  EXPECT_EQ(grid["rowcolors"], nlohmann::json::array({16777215}));
  EXPECT_TRUE(v["messagebox"].is_null());
}

TEST_F(SessionTest, ClicksAndTypingMoveTheFocusLosingBeforeGetting) {
  fh::Session s = make_session();
  fh::ObjectRef w = s.open("w_tmain");
  fh::Object& edit = *w->control("dw_edit");
  ASSERT_EQ(s.set_dataobject(edit, "d_edit"), 1);
  ASSERT_EQ(edit.datawindow()->insert_row(0), 1);
  Action type{Action::Kind::kType};
  type.control = "dw_edit";
  type.column = "code";
  type.text = "bad";  // refused by itemchanged: the focus moved all the same
  s.post(click("cbx_flag"));
  s.post(type);
  s.post(click("cbx_flag"));
  s.run_pending();
  EXPECT_EQ(w->get("focuslog").as_string(), "flag-get,flag-lose,dw-get,dw-lose,flag-get");
  EXPECT_EQ(s.focus(), w->control("cbx_flag"));
  // The actions were carried out as well.
  EXPECT_EQ(log_of(w.get()), "open:,open-end,posted,flag:on,itemchanged:code=bad,flag:off");
  // A click on the control that has the focus raises no focus event.
  s.post(click("cbx_flag"));
  s.run_pending();
  EXPECT_EQ(w->get("focuslog").as_string(), "flag-get,flag-lose,dw-get,dw-lose,flag-get");
}

TEST_F(SessionTest, DataWindowOperationsFromScripts) {
  const std::string path = ::testing::TempDir() + "dw_operations.db";
  std::remove(path.c_str());
  fh::Session s = make_session();
  ASSERT_EQ(s.sqlca().connect("sqlite:" + path), 0);
  auto sink = std::make_shared<zrtest::RecordingSink>();
  s.context().set_trace_sink(sink);
  s.context().set_trace(true);
  fh::ObjectRef w = s.open("w_tmain");
  fh::Object& edit = *w->control("dw_edit");
  ASSERT_EQ(s.set_dataobject(edit, "d_edit"), 1);
  ASSERT_EQ(edit.datawindow()->insert_row(0), 1);

  const fh::EventResult r = s.context().trigger(*w, "ue_items");
  EXPECT_EQ(r.status, fh::kStatusAbandoned);
  EXPECT_EQ(log_of(w.get()), "open:,open-end,posted,rows:1,sqlcode:-1,header:it's ~ok");
  EXPECT_EQ(edit.datawindow()->get_item(1, "code").as_string(), "set");
  ASSERT_EQ(sink->records.size(), 1u);  // the bad row, traced once
  EXPECT_EQ(sink->records[0].category, 31);

  EXPECT_EQ(s.context().trigger(*w, "ue_badmodify").status, fh::kStatusAbandoned);
  EXPECT_EQ(log_of(w.get()).find("never"), std::string::npos);
  s.sqlca().disconnect();
  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
}

TEST_F(SessionTest, ClicksToggleCheckBoxesAndClosedWindowsRefuseActions) {
  fh::Session s = make_session();
  fh::ObjectRef w = s.open("w_tmain");
  s.post(click("cbx_flag"));
  s.post(click("cbx_flag"));
  s.post(click("no_such_control"));
  Action close{Action::Kind::kClose};
  s.post(close);
  s.post(click("cbx_flag"));
  const auto refused = s.run_pending();
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_NE(refused[0].find("has no control no_such_control"), std::string::npos);
  EXPECT_NE(refused[1].find("no window is open"), std::string::npos);
  EXPECT_NE(log_of(w.get()).find("flag:on,flag:off"), std::string::npos);
}

TEST_F(SessionTest, OpeningWhatIsNoWindowIsRefusedWithTheClassNamed) {
  fh::Session s = make_session();
  Action unknown{Action::Kind::kOpen};
  unknown.window = "w_nowhere";
  Action not_a_window{Action::Kind::kOpen};
  not_a_window.window = "u_tdw";
  s.post(unknown);
  s.post(not_a_window);
  const auto refused = s.run_pending();
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0], "no module provides the class 'w_nowhere'");
  EXPECT_EQ(refused[1], "class 'u_tdw' is not a window");
  EXPECT_TRUE(s.windows().empty());
}

TEST_F(SessionTest, SessionsSideBySideOnOneDatabase) {
  const std::string path = ::testing::TempDir() + "sessions_side_by_side.db";
  std::remove(path.c_str());
  fh::Session a = make_session();
  ASSERT_EQ(a.sqlca().connect("sqlite:" + path), 0);
  ASSERT_EQ(a.sqlca().execute("create table n (id integer primary key)"), 0);
  ASSERT_EQ(a.sqlca().commit(), 0);
  std::thread other([&] {
    fh::Session b = make_session();
    ASSERT_EQ(b.sqlca().connect("sqlite:" + path), 0);
    for (int i = 0; i < 50; ++i) {
      const Value id[] = {Value::of_long(1000 + i)};
      ASSERT_EQ(b.sqlca().execute("insert into n (id) values (:id)", id), 0)
          << b.sqlca().sqlerrtext();
      ASSERT_EQ(b.sqlca().commit(), 0);
    }
    b.open("w_tmain");
  });
  for (int i = 0; i < 50; ++i) {
    const Value id[] = {Value::of_long(i)};
    ASSERT_EQ(a.sqlca().execute("insert into n (id) values (:id)", id), 0)
        << a.sqlca().sqlerrtext();
    ASSERT_EQ(a.sqlca().commit(), 0);
  }
  a.open("w_tmain");
  other.join();
  Value count[] = {Value::of_long(0)};
  ASSERT_EQ(a.sqlca().select_into("select count(*) from n", {}, count), 0);
  EXPECT_EQ(count[0].as_long(), 100);
  a.sqlca().disconnect();
  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
}

}  // namespace

namespace {

// Definitions from the modules' containers shape every new window: the
// ancestor's values first, the descendant's over them.
TEST(Definitions, OpeningAppliesTheChainOfDefinitions) {
  fh::ClassRegistry registry;
  registry.add_module(ZR_TEST_MODULE);
  registry.add_module(ZR_TEST_FRAME_MODULE);
  EXPECT_TRUE(registry.dataobjects().find("d_edit").has_value());
  fh::Session s(registry, zrtest::checked_options());
  fh::ObjectRef w = s.open("w_tchild");
  EXPECT_EQ(fh::gbk_to_utf8(w->get("title").as_string(), "test"), "子窗口");
  EXPECT_EQ(w->get("width").as_integer(), 3200);  // inherited
  EXPECT_EQ(w->get("is_retrieve_open").as_string(), "retrieve");
  EXPECT_EQ(w->get("il_count").as_long(), 0);  // a declared variable starts at its initial value
  EXPECT_FALSE(w->get("il_count").is_null());
  EXPECT_TRUE(w->get("ib_flag").as_bool());
  fh::Object& grid = *w->control("dw_list");
  EXPECT_EQ(grid.get("x").as_integer(), 722);       // moved by the descendant
  EXPECT_EQ(grid.get("width").as_integer(), 1000);  // sized by the ancestor
  ASSERT_TRUE(grid.datawindow()->has_object());
  EXPECT_EQ(grid.datawindow()->dataobject(), "d_edit");
  EXPECT_EQ(fh::gbk_to_utf8(w->control("cb_ok")->get("text").as_string(), "test"), "确定(&O)");

  const nlohmann::json v = fh::view(s);
  EXPECT_EQ(v["windows"][0]["title"], "子窗口");
  EXPECT_EQ(v["windows"][0]["controls"][0]["columns"][0]["header"], "编号");
}

}  // namespace
