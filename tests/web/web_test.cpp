// formhost serve over HTTP, as a browser talks to it: a server on a free
// port of the loopback, the demo database with two operators, and
// cpp-httplib's client keeping its own cookie.
#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "../db/backends.h"
#include "formhost/classes.h"
#include "formhost/functions.h"
#include "formhost/schema.h"
#include "formhost/text.h"
#include "formhost/transaction.h"
#include "formhost/value.h"
#include "web/server.h"
#include "web/users.h"

namespace {

using json = nlohmann::json;
using namespace std::chrono_literals;

// One browser: its cookie and CSRF token.
struct Browser {
  explicit Browser(int port) : http("127.0.0.1", port) { http.set_read_timeout(20, 0); }

  httplib::Client http;
  std::string cookie;
  std::string csrf;

  httplib::Headers headers(bool with_csrf = true) const {
    httplib::Headers h;
    if (!cookie.empty()) h.emplace("Cookie", cookie);
    if (with_csrf && !csrf.empty()) h.emplace("X-CSRF-Token", csrf);
    return h;
  }
  httplib::Result post(const std::string& path, const std::string& body, bool with_csrf = true,
                       const std::string& type = "application/json") {
    return http.Post(path, headers(with_csrf), body, type);
  }
  httplib::Result get(const std::string& path) { return http.Get(path, headers()); }

  // Signs in; answers the status.
  int sign_in(const std::string& name, const std::string& password) {
    auto r = post("/api/login", json{{"name", name}, {"password", password}}.dump(), false);
    if (!r) return -1;
    if (r->status == 200) {
      const std::string set = r->get_header_value("Set-Cookie");
      cookie = set.substr(0, set.find(';'));
      csrf = json::parse(r->body)["csrf"];
    }
    return r->status;
  }
  // A new tab: its id, with its first view in `out`.
  std::string new_tab(json* out = nullptr) {
    auto r = post("/api/tabs", "{}");
    EXPECT_TRUE(r && r->status == 201) << (r ? r->body : "no answer");
    if (!r || r->status != 201) return "";
    const json j = json::parse(r->body);
    if (out != nullptr) *out = j;
    return j["tab"];
  }
  // Posts an action: the status, and the answer in `out`.
  int act(const std::string& tab, const json& action, json& out) {
    auto r = post("/api/tabs/" + tab + "/actions", action.dump());
    if (!r) return -1;
    out = r->body.empty() ? json() : json::parse(r->body, nullptr, false);
    return r->status;
  }
  // An action that must be carried out: the answer.
  json ok(const std::string& tab, const json& action) {
    json out;
    EXPECT_EQ(act(tab, action, out), 200) << action.dump() << ": " << out.dump();
    return out;
  }
};

const json* find_window(const json& view, const std::string& cls) {
  for (const json& w : view["windows"]) {
    if (w["class"] == cls) return &w;
  }
  return nullptr;
}

json control(const json& view, const std::string& window, const std::string& name) {
  const json* w = find_window(view, window);
  if (w == nullptr) return nullptr;
  for (const json& c : (*w)["controls"]) {
    if (c["name"] == name) return c;
  }
  return nullptr;
}

class WebTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "postgresql") {
      const char* pg = std::getenv("ZR016_TEST_PG");
      if (pg == nullptr || *pg == '\0') GTEST_SKIP() << "ZR016_TEST_PG is not set";
      // A schema of its own; every connection of the server finds it first.
      schema_ = "zrweb_" + std::to_string(::getpid());
      fh::Transaction admin;
      ASSERT_EQ(admin.connect(pg), 0) << admin.sqlerrtext();
      ASSERT_EQ(admin.execute("drop schema if exists " + schema_ + " cascade"), 0);
      ASSERT_EQ(admin.execute("create schema " + schema_), 0);
      ASSERT_EQ(admin.commit(), 0);
      const std::string base = pg;
      connection_ = base + (base.find('?') == std::string::npos ? "?" : "&") +
                    "options=-csearch_path=" + schema_;
    } else {
      path_ = std::filesystem::temp_directory_path() /
              ("zr016-web-" + std::to_string(::getpid()) + ".db");
      remove_files();
      connection_ = "sqlite:" + path_.string();
    }
    fh::ClassRegistry registry;
    registry.add_module(ZR_LIBRARY_MODULE);
    registry.add_module(ZR_FRAME_MODULE);
    ASSERT_EQ(db_.connect(connection_), 0) << db_.sqlerrtext();
    fh::apply_schema(db_, *registry.modules()[1]->schema(), true);
    fh::apply_schema(db_, app::web::users_schema(), false);
    app::web::add_user(db_, "ann", "ann's secret");
    app::web::add_user(db_, "bob", "bob's secret");
  }

  void TearDown() override {
    stop();
    if (!schema_.empty()) {
      db_.rollback();
      db_.execute("set client_min_messages to warning");
      db_.execute("drop schema if exists " + schema_ + " cascade");
      db_.commit();
    }
    db_.disconnect();
    if (!path_.empty()) remove_files();
  }

  void remove_files() {
    for (const char* suffix : {"", "-wal", "-shm"})
      std::filesystem::remove(path_.string() + suffix);
  }

  // Starts the server; answers its port.
  int start(std::chrono::seconds idle = 30min, const std::string& cert = "",
            const std::string& key = "") {
    app::web::ServerOptions o;
    o.modules = {ZR_LIBRARY_MODULE, ZR_FRAME_MODULE};
    o.action_events = {{"insert", "pfc_insertrow"},
                       {"delete", "pfc_deleterow"},
                       {"save", "ue_save"},
                       {"enter", "e_enter"},
                       {"drag", "of_setposition"}};
    o.db = connection_;
    o.port = 0;
    o.idle = idle;
    o.failed_signin_delay = 200ms;
    o.max_body = 16 * 1024;
    o.sse_keepalive = 1s;
    o.progress_every = 5ms;
    o.tls_cert = cert;
    o.tls_key = key;
    server_ = std::make_unique<app::web::Server>(o);
    const int port = server_->bind();
    serving_ = std::thread([this] { server_->run(); });
    return port;
  }

  void stop() {
    if (server_) server_->stop();
    if (serving_.joinable()) serving_.join();
    server_.reset();
  }

  // How most tests begin: the server started, ann signed in from a browser
  // of her own (ann_, on port_) and a new tab open, its first answer in
  // `first`. Answers the tab.
  std::string signed_in_tab(std::chrono::seconds idle = 30min, json* first = nullptr) {
    port_ = start(idle);
    ann_ = std::make_unique<Browser>(port_);
    EXPECT_EQ(ann_->sign_in("ann", "ann's secret"), 200);
    return ann_->new_tab(first);
  }

  // Reads ann's event stream of `tab` into `seen` on a thread of its own,
  // until `done(seen)` says it has what it waits for.
  std::thread read_events(const std::string& tab, std::string& seen,
                          std::function<bool(const std::string&)> done) {
    return std::thread([this, tab, &seen, done = std::move(done)] {
      Browser stream(port_);
      stream.cookie = ann_->cookie;
      stream.http.Get("/api/tabs/" + tab + "/events", stream.headers(false),
                      [&](const char* data, std::size_t n) {
                        seen.append(data, n);
                        return !done(seen);
                      });
    });
  }

  // One value of the database, as UTF-8 text.
  std::string db_value(const std::string& select) {
    fh::Value v = fh::Value::of_string("");
    std::span<fh::Value> out(&v, 1);
    EXPECT_EQ(db_.select_into(select, {}, out), 0) << select << ": " << db_.sqlerrtext();
    db_.commit();
    return v.is_null() ? "null" : fh::gbk_to_utf8_lossy(fh::String(v).as_string());
  }

  std::string connection_;
  fh::Transaction db_;
  std::unique_ptr<app::web::Server> server_;
  std::thread serving_;
  int port_ = 0;
  std::unique_ptr<Browser> ann_;

 private:
  std::filesystem::path path_;
  std::string schema_;
};

TEST_P(WebTest, SignInChecksThePasswordSetsASafeCookieAndSlowsFailures) {
  const int port = start();
  Browser anyone(port);
  EXPECT_EQ(anyone.get("/api/me")->status, 401);

  Browser b(port);
  auto wrong = b.post("/api/login", R"({"name": "ann", "password": "guess"})", false);
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->status, 401);
  EXPECT_FALSE(wrong->has_header("Set-Cookie"));
  // Right after a failure the name waits, even with the right password.
  EXPECT_EQ(b.sign_in("ann", "ann's secret"), 429);
  EXPECT_TRUE(b.cookie.empty());
  // An unknown operator is answered as a wrong password.
  EXPECT_EQ(b.sign_in("nobody", "ann's secret"), 401);
  std::this_thread::sleep_for(300ms);

  auto right = b.post("/api/login", R"({"name": "ann", "password": "ann's secret"})", false);
  ASSERT_TRUE(right);
  ASSERT_EQ(right->status, 200) << right->body;
  const std::string cookie = right->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos) << cookie;
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos) << cookie;
  EXPECT_NE(cookie.find("Path=/"), std::string::npos) << cookie;
  b.cookie = cookie.substr(0, cookie.find(';'));
  b.csrf = json::parse(right->body)["csrf"];
  auto me = b.get("/api/me");
  ASSERT_EQ(me->status, 200);
  EXPECT_EQ(json::parse(me->body)["name"], "ann");

  // Signing in again from the same browser ends the sign-in it had.
  const std::string first = b.cookie;
  ASSERT_EQ(b.sign_in("ann", "ann's secret"), 200);
  EXPECT_NE(b.cookie, first);
  Browser stale(port);
  stale.cookie = first;
  EXPECT_EQ(stale.get("/api/me")->status, 401);

  // Signing out ends the cookie's sign-in and its tabs.
  const std::string tab = b.new_tab();
  ASSERT_EQ(b.post("/api/logout", "{}")->status, 200);
  EXPECT_EQ(b.get("/api/me")->status, 401);
  EXPECT_EQ(b.get("/api/tabs/" + tab)->status, 401);
}

TEST_P(WebTest, ChangingRequestsNeedTheCsrfTokenAndJson) {
  const int port = start();
  Browser b(port);
  ASSERT_EQ(b.sign_in("bob", "bob's secret"), 200);
  EXPECT_EQ(b.post("/api/tabs", "{}", false)->status, 403);
  const std::string csrf = b.csrf;
  b.csrf = std::string(csrf.size(), '0');
  EXPECT_EQ(b.post("/api/tabs", "{}")->status, 403);
  b.csrf = csrf;
  // A form another site could post is not even looked at.
  EXPECT_EQ(b.post("/api/tabs", "a=1", true, "application/x-www-form-urlencoded")->status, 415);
  json first;
  const std::string tab = b.new_tab(&first);
  ASSERT_FALSE(tab.empty());
  auto r =
      b.post("/api/tabs/" + tab + "/actions", R"({"kind": "open", "window": "w_01691"})", false);
  EXPECT_EQ(r->status, 403);
  EXPECT_EQ(json::parse(b.get("/api/tabs/" + tab)->body)["view"]["windows"].size(), 0u);
  // The launcher's list: the library's list windows.
  EXPECT_NE(std::find(first["windows"].begin(), first["windows"].end(), "w_01691"),
            first["windows"].end());
}

TEST_P(WebTest, AnActionChangesTheViewAndTheDatabase) {
  const std::string tab = signed_in_tab();
  Browser& b = *ann_;
  json r = b.ok(tab, {{"kind", "open"}, {"window", "w_01691"}});
  EXPECT_EQ(r["refused"].size(), 0u);
  const json items = control(r["view"], "w_01691", "dw_items");
  EXPECT_EQ(items["rows"].size(), 8u);
  // A code-table column offers its choices: the stored value and its text.
  for (const json& c : items["columns"]) {
    if (c["name"] != "zr_016910_zrztpz") continue;
    EXPECT_EQ(c["options"], json::parse(R"([{"value": "0", "label": "未审核"},
        {"value": "1", "label": "已审核"}, {"value": "2", "label": "已结案"}])"));
  }
  r = b.ok(tab, {{"kind", "row"}, {"window", "w_01691"}, {"control", "dw_items"}, {"row", 2}});
  EXPECT_EQ(control(r["view"], "w_01691", "dw_items")["currentrow"], 2);
  r = b.ok(tab, {{"kind", "enter"}, {"window", "w_01691"}, {"control", "dw_items"}});
  const json* editor = find_window(r["view"], "w_01691_edit");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE((*editor)["modal"]);
  r = b.ok(tab, {{"kind", "type"},
                 {"window", "w_01691_edit"},
                 {"control", "dw_maint"},
                 {"row", 1},
                 {"column", "f3bz02"},
                 {"text", "长袖衬衫"}});
  EXPECT_EQ(r["refused"].size(), 0u) << r["refused"].dump();
  // A value the column cannot take is refused with the reason; the old one stays.
  const json count = control(r["view"], "w_01691_edit", "dw_maint")["rows"][0]["values"]["bqsl"];
  r = b.ok(tab, {{"kind", "type"},
                 {"window", "w_01691_edit"},
                 {"control", "dw_maint"},
                 {"row", 1},
                 {"column", "bqsl"},
                 {"text", "abc"}});
  ASSERT_EQ(r["refused"].size(), 1u);
  EXPECT_NE(r["refused"][0].get<std::string>().find("not a valid value"), std::string::npos);
  EXPECT_EQ(control(r["view"], "w_01691_edit", "dw_maint")["rows"][0]["values"]["bqsl"], count);
  // A window behind the dialog takes nothing until it closes.
  r = b.ok(tab, {{"kind", "click"}, {"window", "w_01691"}, {"control", "m_retrieve"}});
  EXPECT_EQ(r["refused"].size(), 1u);
  r = b.ok(tab, {{"kind", "click"}, {"window", "w_01691_edit"}, {"control", "uo_ok"}});
  EXPECT_EQ(find_window(r["view"], "w_01691_edit"), nullptr);
  EXPECT_EQ(control(r["view"], "w_01691", "dw_items")["rows"][1]["values"]["zr_016910_f3bz02"],
            "长袖衬衫");
  EXPECT_EQ(db_value("select f3bz02 from zr_016910 where f3jbid = 2"), "长袖衬衫");
  EXPECT_GT(r["version"].get<long>(), 1);

  // The view read back is the one the action answered.
  const json again = json::parse(b.get("/api/tabs/" + tab)->body);
  EXPECT_EQ(again["version"], r["version"]);
  EXPECT_EQ(again["view"], r["view"]);
}

TEST_P(WebTest, AMessageBoxIsShownAndAnswered) {
  const std::string tab = signed_in_tab();
  Browser& b = *ann_;
  b.ok(tab, {{"kind", "open"}, {"window", "w_01652"}});
  b.ok(tab, {{"kind", "row"}, {"control", "dw_items"}, {"row", 2}});
  json r = b.ok(tab, {{"kind", "enter"}, {"control", "dw_items"}});
  const auto splits = [&](const json& view) {
    return control(view, "w_01652_edit", "dw_ddyy")["rows"].size();
  };
  const std::size_t before = splits(r["view"]);
  ASSERT_GE(before, 1u);
  b.ok(tab, {{"kind", "row"}, {"control", "dw_ddyy"}, {"row", 1}});
  r = b.ok(tab, {{"kind", "click"}, {"control", "cb_5"}});
  const json box = r["view"]["messagebox"];
  ASSERT_TRUE(box.is_object()) << r.dump();
  EXPECT_EQ(box["title"], "删除项目");
  EXPECT_EQ(box["icon"], "question");
  EXPECT_EQ(box["buttons"], json({"Yes", "No"}));
  EXPECT_EQ(box["default"], 2);
  // A button the box does not have is refused before the session hears it.
  json out;
  EXPECT_EQ(b.act(tab, {{"kind", "answer"}, {"button", 3}}, out), 400);
  r = b.ok(tab, {{"kind", "answer"}, {"button", 2}});
  EXPECT_TRUE(r["view"]["messagebox"].is_null());
  EXPECT_EQ(splits(r["view"]), before);
  b.ok(tab, {{"kind", "click"}, {"control", "cb_5"}});
  r = b.ok(tab, {{"kind", "answer"}, {"button", 1}});
  EXPECT_EQ(splits(r["view"]), before - 1);
  EXPECT_EQ(b.act(tab, {{"kind", "answer"}, {"button", 1}}, out), 400);
  EXPECT_EQ(out["error"], "no message box waits for an answer");
}

TEST_P(WebTest, BadRequestsAreRefusedWithAReasonAndChangeNothing) {
  const std::string tab = signed_in_tab();
  Browser& ann = *ann_;
  ann.ok(tab, {{"kind", "open"}, {"window", "w_01691"}});
  const json before = json::parse(ann.get("/api/tabs/" + tab)->body);

  const auto refused = [&](const std::string& body, int status, const std::string& reason) {
    auto r = ann.post("/api/tabs/" + tab + "/actions", body);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, status) << body;
    const json j = json::parse(r->body, nullptr, false);
    ASSERT_TRUE(j.is_object()) << r->body;
    EXPECT_NE(j.value("error", "").find(reason), std::string::npos) << body << ": " << r->body;
  };
  refused(R"({"kind": "open", "window": )", 400, "bad JSON");
  refused(R"(["open"])", 400, "JSON object");
  refused(R"({"kind": "explode"})", 400, "unknown action 'explode'");
  refused(R"({"kind": "open", "window": "w_nothing"})", 400, "no window class w_nothing");
  refused(R"({"kind": "save", "window": "w_01690"})", 400, "window w_01690 is not open");
  refused(R"({"kind": "click", "window": "w_01691", "control": "cb_nothing"})", 400,
          "window w_01691 has no control cb_nothing");
  refused(R"({"kind": "insert", "window": "w_01691", "control": "st_1"})", 400,
          "is not a data window");
  refused(R"({"kind": "type", "control": "dw_items", "row": 1, "column": "nope", "text": "x"})",
          400, "has no column nope");
  refused(R"({"kind": "row", "control": "dw_items", "row": "2"})", 400, "whole number");
  refused(R"({"kind": "type", "control": "dw_items", "row": 1, "column": "zr_016910_f3bz02",
              "text": ")" +
              std::string(5000, 'x') + "\"}",
          400, "longer than");
  // Larger than any request needs: refused before it is read whole.
  auto big = ann.post(
      "/api/tabs/" + tab + "/actions",
      R"({"kind": "open", "window": "w_01691", "parm": ")" + std::string(32 * 1024, 'x') + "\"}");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->status, 413);

  // Another operator's tab is not there for him.
  Browser bob(port_);
  ASSERT_EQ(bob.sign_in("bob", "bob's secret"), 200);
  auto theirs =
      bob.post("/api/tabs/" + tab + "/actions", R"({"kind": "close", "window": "w_01691"})");
  EXPECT_EQ(theirs->status, 404);
  EXPECT_EQ(bob.get("/api/tabs/" + tab)->status, 404);
  EXPECT_EQ(bob.post("/api/tabs/" + tab + "/close", "{}")->status, 404);

  EXPECT_EQ(json::parse(ann.get("/api/tabs/" + tab)->body), before);
  // Nothing but the page's own files is served.
  EXPECT_EQ(ann.get("/")->status, 200);
  EXPECT_NE(ann.get("/")->get_header_value("Content-Security-Policy").find("default-src 'self'"),
            std::string::npos);
  EXPECT_EQ(ann.get("/app.js")->status, 200);
  EXPECT_EQ(ann.get("/../CMakeLists.txt")->status, 404);
  EXPECT_EQ(ann.get("/zr016.db")->status, 404);
}

TEST_P(WebTest, AnIdleSignInEndsWithItsSessions) {
  const std::string tab = signed_in_tab(1s);
  Browser& b = *ann_;
  b.ok(tab, {{"kind", "open"}, {"window", "w_01691"}});
  std::this_thread::sleep_for(1500ms);
  auto r = b.get("/api/tabs/" + tab);
  EXPECT_EQ(r->status, 401);
  EXPECT_NE(r->body.find("without activity"), std::string::npos) << r->body;
  EXPECT_EQ(b.get("/api/me")->status, 401);
}

TEST_P(WebTest, TheEventStreamCarriesTheNewView) {
  const std::string tab = signed_in_tab();
  Browser& b = *ann_;
  std::string seen;
  auto opened = [](const std::string& text) {
    return text.find("\"class\":\"w_01691\"") != std::string::npos;
  };
  std::thread reader = read_events(tab, seen, opened);
  std::this_thread::sleep_for(200ms);
  b.ok(tab, {{"kind", "open"}, {"window", "w_01691"}});
  reader.join();
  EXPECT_TRUE(opened(seen)) << seen.substr(0, 300);
}

TEST_P(WebTest, ALongRetrievalReportsTheRowsReadBeforeTheView) {
  constexpr int kRows = 4000;
  ASSERT_EQ(db_.execute("insert into zr_016910 (f3jbid, ddyjbh, f3bz01, f3bz02, zrztpz) "
                        "with recursive n(i) as (select 1000 union all select i + 1 from n "
                        "where i < " +
                        std::to_string(999 + kRows) +
                        ") "
                        "select i, 'DD240301', 'L' || i, 'shirt', '0' from n"),
            0)
      << db_.sqlerrtext();
  ASSERT_EQ(db_.commit(), 0);
  const std::string tab = signed_in_tab();
  Browser& b = *ann_;
  std::string seen;
  std::thread reader = read_events(tab, seen, [](const std::string& text) {
    return text.find("\"busy\":false", text.find("\"busy\":true")) != std::string::npos;
  });
  std::this_thread::sleep_for(300ms);
  const json r = b.ok(tab, {{"kind", "open"}, {"window", "w_01691"}});
  reader.join();
  const long total = static_cast<long>(control(r["view"], "w_01691", "dw_items")["rows"].size());
  EXPECT_GE(total, kRows);
  // Progress events come after "busy" and before the view, their counts
  // growing. Opening the list reads it twice (and one row elsewhere), so
  // the count ends at most there.
  const auto busy_at = seen.find("\"busy\":true");
  const auto view_at = seen.find("\"busy\":false", busy_at);
  ASSERT_NE(view_at, std::string::npos);
  long last = 0;
  int events = 0;
  for (auto at = seen.find("event: progress", busy_at); at < view_at;
       at = seen.find("event: progress", at + 1)) {
    const auto data = seen.find("data: ", at) + 6;
    const json e = json::parse(seen.substr(data, seen.find('\n', data) - data));
    const long rows = e["rows"];
    EXPECT_GT(rows, 0);
    EXPECT_GE(rows, last);
    EXPECT_LE(rows, 2 * total + 1);
    last = rows;
    ++events;
  }
  EXPECT_GE(events, 1) << seen.substr(0, 400);
}

// The value a change from the server makes of `old`, as the page does it.
json patch(const json& old, const json& d) {
  if (d.contains("s")) return old;
  if (d.contains("v")) return d["v"];
  if (d.contains("o")) {
    EXPECT_TRUE(old.is_object()) << d.dump().substr(0, 200);
    json out = old;
    if (d.contains("d")) {
      for (const json& k : d["d"]) out.erase(k.get<std::string>());
    }
    for (const auto& [k, change] : d["o"].items()) {
      out[k] = patch(old.contains(k) ? old[k] : json(), change);
    }
    return out;
  }
  EXPECT_TRUE(d.contains("a") && old.is_array()) << d.dump().substr(0, 200);
  json out = json::array();
  for (std::size_t i = 0; i < d["a"].size(); ++i) {
    out.push_back(patch(i < old.size() ? old[i] : json(), d["a"][i]));
  }
  return out;
}

TEST_P(WebTest, APageThatHoldsTheLastVersionGetsOnlyWhatChanged) {
  json first;
  const std::string tab = signed_in_tab(30min, &first);
  Browser& b = *ann_;
  json view = first["view"];
  long version = first["version"];
  const auto act = [&](const json& action, long since) {
    auto r = b.post("/api/tabs/" + tab + "/actions?since=" + std::to_string(since), action.dump());
    EXPECT_TRUE(r && r->status == 200) << (r ? r->body : "no answer");
    return r ? json::parse(r->body) : json();
  };
  const json steps[] = {
      {{"kind", "open"}, {"window", "w_01691"}},
      {{"kind", "row"}, {"window", "w_01691"}, {"control", "dw_items"}, {"row", 2}},
      {{"kind", "enter"}, {"window", "w_01691"}, {"control", "dw_items"}},
      {{"kind", "type"},
       {"window", "w_01691_edit"},
       {"control", "dw_maint"},
       {"row", 1},
       {"column", "f3bz02"},
       {"text", "短袖"}},
      {{"kind", "click"}, {"window", "w_01691_edit"}, {"control", "uo_ok"}},
      {{"kind", "row"}, {"window", "w_01691"}, {"control", "dw_items"}, {"row", 2}},
  };
  for (const json& step : steps) {
    const json r = act(step, version);
    ASSERT_TRUE(r.contains("delta")) << step.dump();
    EXPECT_FALSE(r.contains("view"));
    EXPECT_EQ(r["base"], version);
    EXPECT_EQ(r["version"], version + 1);
    view = patch(view, r["delta"]);
    version = r["version"];
    // What the page put together is exactly the session's view.
    const json whole = json::parse(b.get("/api/tabs/" + tab)->body);
    ASSERT_EQ(whole["version"], version);
    ASSERT_EQ(view, whole["view"]) << step.dump();
  }
  // Moving the current row sends little, not the window.
  const json moved =
      act({{"kind", "row"}, {"window", "w_01691"}, {"control", "dw_items"}, {"row", 3}}, version);
  EXPECT_LT(moved["delta"].dump().size(), 2000u) << moved["delta"].dump().substr(0, 300);
  view = patch(view, moved["delta"]);
  version = moved["version"];
  EXPECT_EQ(control(view, "w_01691", "dw_items")["rows"][1]["values"]["zr_016910_f3bz02"], "短袖");

  // A page that missed a version (or never had one) gets the whole view.
  for (long since : {version - 1, 0L, version + 5}) {
    const json r =
        act({{"kind", "row"}, {"window", "w_01691"}, {"control", "dw_items"}, {"row", 1}}, since);
    EXPECT_FALSE(r.contains("delta"));
    ASSERT_TRUE(r.contains("view"));
    EXPECT_EQ(control(r["view"], "w_01691", "dw_items")["currentrow"], 1);
    version = r["version"];
  }
  // The event stream: after the whole view, each version as a change of the
  // one before; a stream that falls behind gets the whole view again.
  std::string seen;
  std::thread reader = read_events(tab, seen, [](const std::string& text) {
    return text.find("\"delta\"") != std::string::npos;
  });
  std::this_thread::sleep_for(300ms);
  act({{"kind", "row"}, {"window", "w_01691"}, {"control", "dw_items"}, {"row", 2}}, version);
  reader.join();
  const auto whole_at = seen.find("\"view\":");
  const auto delta_at = seen.find("\"base\":" + std::to_string(version));
  EXPECT_NE(whole_at, std::string::npos) << seen.substr(0, 300);
  EXPECT_NE(delta_at, std::string::npos) << seen.substr(0, 300);
  EXPECT_LT(whole_at, delta_at);
}

// A self-signed certificate for 127.0.0.1, written as PEM files.
bool write_certificate(const std::string& cert_path, const std::string& key_path) {
  EVP_PKEY* key = EVP_RSA_gen(2048);
  X509* cert = X509_new();
  bool ok = key != nullptr && cert != nullptr;
  if (ok) {
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    ok = X509_sign(cert, key, EVP_sha256()) > 0;
  }
  FILE* c = ok ? std::fopen(cert_path.c_str(), "w") : nullptr;
  FILE* k = ok ? std::fopen(key_path.c_str(), "w") : nullptr;
  ok = c != nullptr && k != nullptr && PEM_write_X509(c, cert) == 1 &&
       PEM_write_PrivateKey(k, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  if (c != nullptr) std::fclose(c);
  if (k != nullptr) std::fclose(k);
  X509_free(cert);
  EVP_PKEY_free(key);
  return ok;
}

TEST_P(WebTest, OverTlsTheCookieIsSecure) {
  if (GetParam() == "postgresql") GTEST_SKIP() << "TLS does not depend on the database";
  const std::string base = ::testing::TempDir() + "zr016-web-" + std::to_string(::getpid());
  ASSERT_TRUE(write_certificate(base + "-cert.pem", base + "-key.pem"));
  const int port = start(30min, base + "-cert.pem", base + "-key.pem");
  httplib::SSLClient https("127.0.0.1", port);
  https.enable_server_certificate_verification(false);
  auto page = https.Get("/");
  ASSERT_TRUE(page) << httplib::to_string(page.error());
  EXPECT_EQ(page->status, 200);
  auto r = https.Post("/api/login", R"({"name": "ann", "password": "ann's secret"})",
                      "application/json");
  ASSERT_TRUE(r);
  ASSERT_EQ(r->status, 200) << r->body;
  EXPECT_NE(r->get_header_value("Set-Cookie").find("; Secure"), std::string::npos);
  // Plain HTTP on the same port gets nothing.
  httplib::Client plain("127.0.0.1", port);
  plain.set_read_timeout(2, 0);
  auto none = plain.Get("/");
  EXPECT_TRUE(!none || none->status != 200);
  std::filesystem::remove(base + "-cert.pem");
  std::filesystem::remove(base + "-key.pem");
}

INSTANTIATE_TEST_SUITE_P(Databases, WebTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
