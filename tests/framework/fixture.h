// A session over the library and the framework on a fresh database with the
// demo data (a new SQLite file, or a schema of its own on the PostgreSQL
// server of ZR016_TEST_PG), driven by the actions a front end posts. The
// session serves on its own thread, as behind a front end, so a response
// window or a message box waits for the test's next actions; the test reads
// the view and the objects only while the session is idle.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "../db/backends.h"
#include "formhost/classes.h"
#include "formhost/datawindow.h"
#include "formhost/errors.h"
#include "formhost/object.h"
#include "formhost/schema.h"
#include "formhost/session.h"
#include "formhost/text.h"
#include "formhost/transaction.h"
#include "formhost/view.h"

namespace zrtest {

inline std::string gbk(const std::string& utf8) { return fh::utf8_to_gbk(utf8, "a test"); }

// Whether the refusals are exactly one failed save's (a save that fails is
// refused as well as shown to the operator).
inline bool only_failed_save(const std::vector<std::string>& refusals) {
  return refusals.size() == 1 && refusals.front().starts_with("the save of ");
}

class AppTest : public ::testing::TestWithParam<std::string> {
 public:
  void SetUp() override {
    std::string connection;
    if (GetParam() == "postgresql") {
      const char* pg = std::getenv("ZR016_TEST_PG");
      if (pg == nullptr || *pg == '\0') GTEST_SKIP() << "ZR016_TEST_PG is not set";
      connection = pg;
    } else {
      std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      for (char& c : name) {
        if (c == '/') c = '_';
      }
      db_path = std::filesystem::temp_directory_path() /
                ("zr016-app-" + std::to_string(::getpid()) + "-" + name + ".db");
      remove_files();
      connection = "sqlite:" + db_path.string();
    }
    registry.add_module(ZR_LIBRARY_MODULE);
    registry.add_module(ZR_FRAME_MODULE);
    registry.add_module(ZR_APPTEST_MODULE);
    fh::SessionOptions o;
    o.library = library();
    o.action_events = {{"insert", "pfc_insertrow"},
                       {"delete", "pfc_deleterow"},
                       {"save", "ue_save"},
                       {"enter", "e_enter"},
                       {"drag", "of_setposition"}};
    o.check_invariants = true;
    o.headless = false;
    session = std::make_unique<fh::Session>(registry, std::move(o));
    fh::Transaction& db = session->sqlca();
    ASSERT_EQ(db.connect(connection), 0) << db.sqlerrtext();
    if (GetParam() == "postgresql") {
      // ctest runs tests side by side: each process gets a schema of its own.
      schema_ = "zrapp_" + std::to_string(::getpid());
      ASSERT_EQ(db.execute("drop schema if exists " + schema_ + " cascade"), 0) << db.sqlerrtext();
      ASSERT_EQ(db.execute("create schema " + schema_), 0) << db.sqlerrtext();
      ASSERT_EQ(db.execute("set search_path to " + schema_), 0) << db.sqlerrtext();
      ASSERT_EQ(db.commit(), 0);
    }
    fh::apply_schema(session->sqlca(), *registry.modules()[1]->schema(), true);
    ASSERT_EQ(session->sqlca().commit(), 0);
    serving_ = std::thread([this] { session->serve(); });
    session->wait_idle();
  }
  void TearDown() override {
    // Stopping closes what still waits (response windows, message boxes).
    if (serving_.joinable()) {
      session->stop();
      serving_.join();
    }
    // What scripts and direct calls did must leave the buffers sound too.
    if (session) {
      for (const std::string& f : session->unsound_datawindows()) ADD_FAILURE() << f;
    }
    if (session && !schema_.empty()) {
      fh::Transaction& db = session->sqlca();
      db.rollback();
      db.execute("drop schema if exists " + schema_ + " cascade");
      db.commit();
    }
    session.reset();
    if (!db_path.empty()) remove_files();
  }
  void remove_files() {
    for (const char* suffix : {"", "-wal", "-shm"})
      std::filesystem::remove(db_path.string() + suffix);
  }
  // Where the session takes data-window objects from; the modules' by default.
  virtual const fh::DataObjectLibrary* library() { return nullptr; }

  // Carries out the actions; answers the refusals. A data window left
  // unsound fails the test whatever the test expects.
  std::vector<std::string> act(std::vector<fh::Action> actions) {
    for (fh::Action& a : actions) session->post(std::move(a));
    session->wait_idle();
    std::vector<std::string> refusals = session->take_refusals();
    for (const std::string& r : refusals) {
      if (r.starts_with(fh::kUnsoundDataWindow)) ADD_FAILURE() << r;
    }
    return refusals;
  }
  static fh::Action action(fh::Action::Kind kind, std::string control = {}, long row = 0,
                           std::string column = {}, std::string text = {}) {
    fh::Action a(kind);
    a.control = std::move(control);
    a.row = row;
    a.column = std::move(column);
    a.text = gbk(text);
    return a;
  }
  // A script's SetItem on a data window of an open window: where the operator
  // cannot type (the lists protect their columns). A refused value is refused.
  static fh::Action set_item(std::string window, std::string control, long row, std::string column,
                             const std::string& utf8) {
    fh::Action a(fh::Action::Kind::kRun);
    a.run = [=, value = gbk(utf8)](fh::Session& s) {
      fh::Object* w = s.window(window);
      fh::Object* c = w == nullptr ? nullptr : fh::find_control(*w, control);
      if (c == nullptr || c->datawindow() == nullptr) return s.refuse("no " + control);
      fh::DataWindow& dw = *c->datawindow();
      if (dw.set_item(row, column, fh::Value::of_string(value)) != 1) s.refuse(dw.last_error());
    };
    return a;
  }
  static fh::Action answer(long button) {
    fh::Action a(fh::Action::Kind::kAnswer);
    a.number = button;
    return a;
  }

  void sql(const std::string& utf8) {
    ASSERT_EQ(session->sqlca().execute(gbk(utf8)), 0) << session->sqlca().sqlerrtext();
    ASSERT_EQ(session->sqlca().commit(), 0);
  }
  // One value of the database, as UTF-8 text ("null" for a null).
  std::string db_value(const std::string& utf8_select) {
    fh::Value v = fh::Value::of_string("");
    std::span<fh::Value> out(&v, 1);
    EXPECT_EQ(session->sqlca().select_into(gbk(utf8_select), {}, out), 0) << utf8_select;
    return v.is_null() ? "null" : fh::gbk_to_utf8_lossy(v.as_string());
  }

  // The view of an open window by class, and of one of its controls.
  nlohmann::json window_view(const std::string& cls) {
    const nlohmann::json view = fh::view(*session);
    for (const auto& w : view["windows"]) {
      if (w["class"] == cls) return w;
    }
    ADD_FAILURE() << cls << " is not open";
    return {};
  }
  nlohmann::json control_view(const std::string& cls, const std::string& control) {
    const nlohmann::json window = window_view(cls);
    for (const auto& c : window["controls"]) {
      if (c["name"] == control) return c;
    }
    ADD_FAILURE() << cls << " has no control " << control;
    return {};
  }
  // Column name -> header text and width in a data window's view.
  static nlohmann::json column(const nlohmann::json& dw, const std::string& name) {
    for (const auto& c : dw["columns"]) {
      if (c["name"] == name) return c;
    }
    ADD_FAILURE() << "no column " << name;
    return {};
  }

  // Runs `fn` on the session's thread, where scripts may wait for actions;
  // answers the refusals once the session is idle, which may be before `fn`
  // has finished (a message box or response window waits): let it own what
  // it writes.
  std::vector<std::string> on_session(std::function<void(fh::Session&)> fn) {
    fh::Action a(fh::Action::Kind::kRun);
    a.run = std::move(fn);
    return act({std::move(a)});
  }
  // Opens a window as a front end would, with a parameter for its message
  // object; a window that cannot be opened fails the test.
  fh::Object& open(const std::string& cls, const fh::Value& parm = {}) {
    // The closure may finish after this returns (a message box of the
    // window's scripts waits for an answer): it owns what it writes.
    auto w = std::make_shared<fh::ObjectRef>();
    for (const std::string& r :
         on_session([w, cls, parm](fh::Session& s) { *w = s.open(cls, parm); }))
      ADD_FAILURE() << r;
    fh::Object* opened = *w ? w->get() : session->window(cls);
    if (opened == nullptr) throw fh::Error(cls + " did not open");
    return *opened;
  }
  // Calls a framework function or event on an object, as a script would.
  fh::Value call(fh::Object& obj, const std::string& event, std::vector<fh::Value> args = {}) {
    const fh::EventResult r = session->context().trigger(obj, event, args);
    EXPECT_EQ(r.status, FH_STATUS_OK) << event;
    return r.result;
  }
  static fh::Object& service(fh::Object& control, const std::string& name) {
    const fh::Value v = control.get(name);
    if (!fh::is_valid(v)) throw fh::Error(control.name() + " has no valid " + name);
    return *v.as_object();
  }

  fh::ClassRegistry registry;
  std::filesystem::path db_path;
  std::string schema_;
  std::unique_ptr<fh::Session> session;
  std::thread serving_;
};

}  // namespace zrtest
