#include "web/server.h"

#include <httplib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "formhost/classes.h"
#include "formhost/errors.h"
#include "formhost/schema.h"
#include "formhost/session.h"
#include "formhost/text.h"
#include "formhost/transaction.h"
#include "formhost/view.h"
#include "web/assets.h"
#include "web/users.h"

namespace app::web {
namespace {

using Clock = std::chrono::steady_clock;
using json = nlohmann::json;

constexpr const char* kCookie = "zr016_session";
constexpr std::size_t kTabsPerSignIn = 16;
constexpr int kFreeFailuresPerAddress = 5;
constexpr std::size_t kMaxSignIns = 1000;

// A request the server refuses: the status and the reason the page shows.
struct Refused {
  int status;
  std::string reason;
};

// The Debian library listens with a backlog of 5: more browsers connecting at
// once would wait a second for the retry. Listening again widens it.
template <typename Base>
class WideServer : public Base {
 public:
  using Base::Base;
  void widen_backlog() { ::listen(this->svr_sock_, SOMAXCONN); }
};

[[noreturn]] void refuse(int status, std::string reason) {
  throw Refused{status, std::move(reason)};
}

void send_json(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(body.dump(), "application/json; charset=utf-8");
}

// An answer already written out as JSON.
void send_text(httplib::Response& res, int status, const std::string& json_text) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(json_text, "application/json; charset=utf-8");
}

bool valid_utf8(const std::string& s) {
  try {
    (void)json(s).dump();
    return true;
  } catch (const json::exception&) {
    return false;
  }
}

// Refusals come from the host in UTF-8 or, when they quote a script, GBK.
std::string readable(const std::string& s) { return valid_utf8(s) ? s : fh::gbk_to_utf8_lossy(s); }

// ---- reading an action ----

const json* member(const json& o, const char* name) {
  const auto it = o.find(name);
  return it == o.end() || it->is_null() ? nullptr : &*it;
}

std::string text_member(const json& o, const char* name, bool required, std::size_t max) {
  const json* v = member(o, name);
  if (v == nullptr) {
    if (required) refuse(400, std::string("the action needs '") + name + "'");
    return "";
  }
  if (!v->is_string()) refuse(400, std::string("'") + name + "' must be a text");
  const std::string& s = v->get_ref<const std::string&>();
  if (s.size() > max) {
    refuse(400, std::string("'") + name + "' is longer than " + std::to_string(max) + " bytes");
  }
  return s;
}

long number_member(const json& o, const char* name, bool required, long low, long high) {
  const json* v = member(o, name);
  if (v == nullptr) {
    if (required) refuse(400, std::string("the action needs '") + name + "'");
    return 0;
  }
  if (!v->is_number_integer()) refuse(400, std::string("'") + name + "' must be a whole number");
  const auto n = v->get<long long>();
  if (n < low || n > high) {
    refuse(400, std::string("'") + name + "' must lie between " + std::to_string(low) + " and " +
                    std::to_string(high));
  }
  return static_cast<long>(n);
}

std::string to_gbk(const std::string& utf8, const char* what) {
  try {
    return fh::utf8_to_gbk(utf8, what);
  } catch (const fh::Error& e) {
    refuse(400, e.what());
  }
}

// A control of a window's view, looked up also among the controls a control
// holds (tab pages), or an item of its menu.
const json* find_in(const json& controls, const std::string& name) {
  if (!controls.is_array()) return nullptr;
  for (const json& c : controls) {
    if (c.value("name", "") == name) return &c;
    if (const auto it = c.find("controls"); it != c.end()) {
      if (const json* found = find_in(*it, name)) return found;
    }
  }
  return nullptr;
}

const json& window_in(const json& view, const std::string& name) {
  const json& windows = view.at("windows");
  if (name.empty()) {
    if (windows.empty()) refuse(400, "no window is open");
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
      if (it->value("modal", false)) return *it;
    }
    return windows.back();
  }
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (it->value("class", "") == name) return *it;
  }
  refuse(400, "window " + name + " is not open");
}

const json& control_in(const json& window, const std::string& name, bool datawindow) {
  const std::string wname = window.value("class", "");
  const json* c = find_in(window.at("controls"), name);
  if (c == nullptr) c = find_in(window.at("menu"), name);
  if (c == nullptr) refuse(400, "window " + wname + " has no control " + name);
  if (datawindow && c->value("kind", "") != "datawindow") {
    refuse(400, "control " + name + " of window " + wname + " is not a data window");
  }
  return *c;
}

// The action a request asks for, checked against what the operator sees: a
// window, control or column that is not there is refused before the session
// hears of it.
fh::Action to_action(const json& r, const json& view, fh::ClassRegistry& registry,
                     const ServerOptions& o) {
  using K = fh::Action::Kind;
  if (!r.is_object()) refuse(400, "the action must be a JSON object");
  static const std::map<std::string, K> kKinds = {
      {"open", K::kOpen},   {"click", K::kClick},   {"type", K::kType},     {"row", K::kRow},
      {"enter", K::kEnter}, {"insert", K::kInsert}, {"delete", K::kDelete}, {"save", K::kSave},
      {"close", K::kClose}, {"answer", K::kAnswer}, {"resize", K::kResize}, {"tab", K::kTab},
      {"backtab", K::kTab}, {"drag", K::kDrag}};
  const std::string kind = text_member(r, "kind", true, 20);
  const auto k = kKinds.find(kind);
  if (k == kKinds.end()) refuse(400, "unknown action '" + kind + "'");
  fh::Action a(k->second);
  a.window = text_member(r, "window", k->second == K::kOpen, 100);
  constexpr long kMaxRow = 100'000'000;
  switch (k->second) {
    case K::kOpen: {
      const fh::ClassDef* cls = registry.find(a.window);
      if (cls == nullptr || cls->kind() != fh::Kind::kWindow) {
        refuse(400, "there is no window class " + a.window);
      }
      a.text = to_gbk(text_member(r, "parm", false, o.max_text), "the window's parameter");
      return a;
    }
    case K::kAnswer: {
      const json& box = view.at("messagebox");
      if (box.is_null()) refuse(400, "no message box waits for an answer");
      const auto count = static_cast<long>(box.at("buttons").size());
      a.number = number_member(r, "button", true, 1, count);
      return a;
    }
    default:
      break;
  }
  const json& window = window_in(view, a.window);
  a.window = window.value("class", "");
  switch (k->second) {
    case K::kClick: {
      a.control = text_member(r, "control", true, 100);
      control_in(window, a.control, false);
      a.column = text_member(r, "column", false, 100);
      a.row = number_member(r, "row", false, 0, kMaxRow);
      break;
    }
    case K::kType: {
      a.control = text_member(r, "control", true, 100);
      const json& dw = control_in(window, a.control, true);
      a.row = number_member(r, "row", false, 0, kMaxRow);
      a.column = text_member(r, "column", true, 100);
      const json& columns = dw.at("columns");
      const bool known = std::any_of(columns.begin(), columns.end(), [&](const json& c) {
        return c.value("name", "") == a.column;
      });
      if (!known) refuse(400, "data window " + a.control + " has no column " + a.column);
      a.text = to_gbk(text_member(r, "text", true, o.max_text), "the typed text");
      break;
    }
    case K::kRow:
      a.control = text_member(r, "control", true, 100);
      control_in(window, a.control, true);
      a.row = number_member(r, "row", true, 1, kMaxRow);
      break;
    case K::kEnter:
    case K::kInsert:
    case K::kDelete:
      a.control = text_member(r, "control", true, 100);
      control_in(window, a.control, true);
      break;
    case K::kResize:
      a.width = number_member(r, "width", true, 1, 100'000);
      a.height = number_member(r, "height", true, 1, 100'000);
      break;
    case K::kTab:
      a.number = kind == "backtab" ? -1 : 1;
      break;
    case K::kDrag:
      a.control = text_member(r, "control", true, 100);
      control_in(window, a.control, false);
      a.number = number_member(r, "position", true, 0, 100'000);
      break;
    default:
      break;
  }
  return a;
}

// ---- what changed between two views ----

// What turns `before` into `now`, for a page that holds `before`: {"s":1} for
// the same value, {"v": value} for a new one, {"o": {member: change}, "d":
// [members gone]} for an object whose other members stay, {"a": [change]}
// for an array (each item against the one at its place). Values only ever
// appear under "v", so no text of the view can be taken for a marker.
json view_delta(const json& before, const json& now, bool& same) {
  same = false;
  if (before.is_object() && now.is_object()) {
    json changed = json::object();
    json gone = json::array();
    for (const auto& [key, value] : now.items()) {
      const auto old = before.find(key);
      bool kept = false;
      json d = old == before.end() ? json{{"v", value}} : view_delta(*old, value, kept);
      if (!kept) changed[key] = std::move(d);
    }
    for (const auto& [key, value] : before.items()) {
      if (!now.contains(key)) gone.push_back(key);
    }
    same = changed.empty() && gone.empty();
    if (same) return {{"s", 1}};
    json out = {{"o", std::move(changed)}};
    if (!gone.empty()) out["d"] = std::move(gone);
    return out;
  }
  if (before.is_array() && now.is_array() && !now.empty()) {
    json items = json::array();
    bool all = before.size() == now.size();
    for (std::size_t i = 0; i < now.size(); ++i) {
      bool kept = false;
      items.push_back(i < before.size() ? view_delta(before[i], now[i], kept)
                                        : json{{"v", now[i]}});
      all = all && kept;
    }
    same = all;
    if (same) return {{"s", 1}};
    return {{"a", std::move(items)}};
  }
  same = before == now;
  if (same) return {{"s", 1}};
  return {{"v", now}};
}

// ---- one browser tab: a session on its own thread ----

class Tab {
 public:
  Tab(fh::ClassRegistry& registry, const ServerOptions& o, std::string owner)
      : owner_(std::move(owner)), registry_(registry), options_(o) {
    fh::SessionOptions so;
    so.headless = false;
    so.action_events = o.action_events;
    session_ = std::make_unique<fh::Session>(registry, std::move(so));
    if (session_->sqlca().connect(o.db) != 0) {
      throw fh::Error(fh::gbk_to_utf8_lossy(session_->sqlca().sqlerrtext()));
    }
    thread_ = std::thread([this] { session_->serve(); });
    session_->wait_idle();
    view_ = std::make_shared<const json>(fh::view(*session_));
    publish(false);
  }
  ~Tab() {
    end();
    session_->stop();
    thread_.join();
  }
  Tab(const Tab&) = delete;
  Tab& operator=(const Tab&) = delete;

  const std::string& owner() const { return owner_; }

  // Carries out one action; answers the new view with what was refused, as
  // the JSON text of the answer. A page that holds version `since` gets only
  // what changed since then ("delta"); any other page gets the whole view.
  std::string act(const json& request, long since) {
    std::lock_guard lock(action_mutex_);
    fh::Action a = to_action(request, *view_, registry_, options_);
    publish(true);
    session_->post(std::move(a));
    session_->wait_idle();
    json refused = json::array();
    for (const std::string& r : session_->take_refusals()) refused.push_back(readable(r));
    auto before = std::move(view_);
    view_ = std::make_shared<const json>(fh::view(*session_));
    const auto [version, text] = publish(false, before.get());
    std::string answer =
        R"({"version":)" + std::to_string(version) + R"(,"refused":)" + refused.dump();
    if (since == version - 1) return answer + R"(,"base":)" + std::to_string(since) + *text + "}";
    return answer + R"(,"view":)" + view_->dump() + "}";
  }

  // The view as it is: {"version": n, "view": ...} with `more` members first.
  std::string snapshot(const std::string& more = "") {
    std::shared_ptr<const json> view;
    long version = 0;
    {
      std::lock_guard lock(state_mutex_);
      view = full_;
      version = version_;
    }
    return "{" + more + R"("version":)" + std::to_string(version) + R"(,"view":)" + view->dump() +
           "}";
  }

  // The stream of events: waits until something newer than `seen` is
  // published, the tab ends (false) or the wait times out (an empty event).
  // `sent` is the version the stream's page last got: the next is a delta
  // from it when it is the one before, else the whole view. While an action
  // runs, the rows its retrievals have read so far go out as they grow
  // (`rows` the count last sent).
  bool next_event(long& seen, long& sent, long& rows, std::chrono::seconds wait,
                  std::string& event) {
    std::shared_ptr<const std::string> delta;
    std::shared_ptr<const json> full;
    long version = 0;
    bool busy = false;
    bool woke = false;
    long read = 0;
    {
      std::unique_lock lock(state_mutex_);
      const auto until = Clock::now() + wait;
      for (;;) {
        const auto step =
            busy_ ? std::min<Clock::duration>(options_.progress_every, until - Clock::now())
                  : until - Clock::now();
        woke = changed_.wait_for(lock, step, [&] { return ended_ || sequence_ > seen; });
        if (woke || !busy_ || Clock::now() >= until) break;
        read = session_->rows_read();
        if (read > rows) break;
      }
      if (ended_) return false;
      if (!woke && busy_ && read > rows) {
        rows = read;
        event = "event: progress\ndata: {\"version\":" + std::to_string(version_) +
                ",\"rows\":" + std::to_string(read) + "}\n\n";
        return true;
      }
      seen = sequence_;
      delta = delta_;
      full = full_;
      version = version_;
      busy = busy_;
    }
    event.clear();
    if (!woke) return true;
    rows = 0;
    event = "event: view\ndata: {\"version\":" + std::to_string(version);
    if (busy) {
      event += ",\"busy\":true}";
    } else if (version == sent + 1 && delta) {
      event += ",\"busy\":false,\"base\":" + std::to_string(sent) + *delta + "}";
    } else {
      event += ",\"busy\":false,\"view\":" + full->dump() + "}";
    }
    sent = busy ? sent : version;
    event += "\n\n";
    return true;
  }

  void end() {
    {
      std::lock_guard lock(state_mutex_);
      ended_ = true;
    }
    changed_.notify_all();
  }

 private:
  static std::string delta_of(const json& before, const json& now) {
    bool same = false;
    return ",\"delta\":" + view_delta(before, now, same).dump();
  }

  // What the streams send next: busy while an action runs, else the new
  // version, as what changed since `before` (written out once).
  std::pair<long, std::shared_ptr<const std::string>> publish(bool busy,
                                                              const json* before = nullptr) {
    std::shared_ptr<const std::string> text;
    if (!busy && before != nullptr) {
      text = std::make_shared<const std::string>(delta_of(*before, *view_));
    }
    std::lock_guard lock(state_mutex_);
    if (!busy) {
      ++version_;
      full_ = view_;
      delta_ = std::move(text);
    }
    busy_ = busy;
    ++sequence_;
    changed_.notify_all();
    return {version_, delta_};
  }

  const std::string owner_;
  fh::ClassRegistry& registry_;
  const ServerOptions& options_;
  std::unique_ptr<fh::Session> session_;
  std::thread thread_;
  std::mutex action_mutex_;           // one action at a time
  std::shared_ptr<const json> view_;  // read and written under action_mutex_

  std::mutex state_mutex_;  // what the streams and snapshots read
  std::condition_variable changed_;
  long version_ = 0;
  long sequence_ = 0;
  bool busy_ = false;
  bool ended_ = false;
  std::shared_ptr<const json> full_;          // the view of version_
  std::shared_ptr<const std::string> delta_;  // from version_ - 1; null at first
};

struct SignIn {
  std::string user;
  std::string csrf;
  Clock::time_point last_seen;
  std::set<std::string> tabs;
};

struct Failures {
  int count = 0;
  Clock::time_point until;
};

std::string cookie_value(const httplib::Request& req, const std::string& name) {
  const std::string header = req.get_header_value("Cookie");
  std::size_t at = 0;
  while (at < header.size()) {
    std::size_t end = header.find(';', at);
    if (end == std::string::npos) end = header.size();
    std::string part = header.substr(at, end - at);
    part.erase(0, part.find_first_not_of(' '));
    if (part.starts_with(name + "=")) return part.substr(name.size() + 1);
    at = end + 1;
  }
  return "";
}

json parse_body(const httplib::Request& req) {
  if (req.body.empty()) return json::object();
  try {
    return json::parse(req.body);
  } catch (const json::parse_error& e) {
    refuse(400, std::string("bad JSON: ") + e.what());
  }
}

}  // namespace

struct Server::Impl {
  explicit Impl(ServerOptions o) : options(std::move(o)) {}

  ServerOptions options;
  fh::ClassRegistry registry;
  json list_windows = json::array();
  std::unique_ptr<httplib::Server> http;
  bool tls = false;

  std::mutex auth_mutex;  // the sign-in's connection, one check at a time
  fh::Transaction auth_db;

  std::mutex mutex;  // sign-ins, tabs, failures
  std::map<std::string, SignIn> sign_ins;
  std::map<std::string, std::shared_ptr<Tab>> tabs;
  std::map<std::string, Failures> failures;
  std::set<std::string> timed_out;  // tokens of sign-ins ended for idleness

  std::thread reaper;
  std::condition_variable reaper_wake;
  bool stopping = false;

  // ---- sign-in ----

  // The sign-in a request carries, touched; refuses a request without one,
  // and a changing request without its CSRF token.
  SignIn& signed_in(const httplib::Request& req, bool changes,
                    std::vector<std::shared_ptr<Tab>>& ended) {
    const std::string token = cookie_value(req, kCookie);
    auto it = sign_ins.find(token);
    const auto now = Clock::now();
    if (it != sign_ins.end() && now - it->second.last_seen > options.idle) {
      expire(it, ended);
      it = sign_ins.end();
    }
    if (it == sign_ins.end()) {
      if (timed_out.contains(token)) {
        refuse(401, "signed out after " + std::to_string(options.idle.count()) +
                        " seconds without activity");
      }
      refuse(401, "not signed in");
    }
    if (changes && !same_secret(req.get_header_value("X-CSRF-Token"), it->second.csrf)) {
      refuse(403, "missing or wrong CSRF token");
    }
    it->second.last_seen = now;
    return it->second;
  }

  void end_sign_in(std::map<std::string, SignIn>::iterator it,
                   std::vector<std::shared_ptr<Tab>>& ended) {
    for (const std::string& id : it->second.tabs) {
      if (auto t = tabs.find(id); t != tabs.end()) {
        t->second->end();
        ended.push_back(std::move(t->second));
        tabs.erase(t);
      }
    }
    sign_ins.erase(it);
  }

  // An idle sign-in ends; its token is remembered for a while, so that the
  // page can say why.
  void expire(std::map<std::string, SignIn>::iterator it,
              std::vector<std::shared_ptr<Tab>>& ended) {
    if (timed_out.size() >= 10'000) timed_out.clear();
    timed_out.insert(it->first);
    end_sign_in(it, ended);
  }

  std::shared_ptr<Tab> tab_of(const SignIn& who, const std::string& id) {
    const auto it = tabs.find(id);
    // Another operator's tab is no different from none at all.
    if (it == tabs.end() || !who.tabs.contains(id)) refuse(404, "no such tab");
    return it->second;
  }

  // Failed sign-ins of a name or from an address wait, longer each time.
  void check_not_locked(const std::vector<std::string>& keys) {
    const auto now = Clock::now();
    for (const std::string& k : keys) {
      const auto it = failures.find(k);
      if (it != failures.end() && now < it->second.until) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::seconds>(it->second.until - now).count() + 1;
        refuse(429, "too many failed sign-ins; try again in " + std::to_string(wait) + " s");
      }
    }
  }

  void record_failure(const std::vector<std::string>& keys) {
    const auto now = Clock::now();
    if (failures.size() > 10'000) {
      std::erase_if(failures, [&](const auto& f) { return f.second.until < now; });
    }
    for (const std::string& k : keys) {
      Failures& f = failures[k];
      f.count = std::min(f.count + 1, 20);
      // A name waits after every failure, twice as long as its answer took
      // and doubling; an address (a shared station) only after a few.
      const int free = k.starts_with("addr:") ? kFreeFailuresPerAddress : 0;
      if (f.count <= free) continue;
      const auto wait = std::min<Clock::duration>(
          options.failed_signin_delay * (2L << std::min(f.count - free - 1, 10)),
          std::chrono::minutes(1));
      f.until = now + wait;
    }
  }

  void sign_in(const httplib::Request& req, httplib::Response& res) {
    const json body = parse_body(req);
    if (!body.is_object()) refuse(400, "expected {\"name\": ..., \"password\": ...}");
    const std::string name = text_member(body, "name", true, 100);
    const std::string password = text_member(body, "password", true, 1024);
    const std::vector<std::string> keys = {"name:" + name, "addr:" + req.remote_addr};
    {
      std::lock_guard lock(mutex);
      check_not_locked(keys);
    }
    bool ok = false;
    {
      std::lock_guard lock(auth_mutex);
      ok = bad_user_name(name).empty() && check_password(auth_db, name, password);
    }
    if (!ok) {
      {
        std::lock_guard lock(mutex);
        record_failure(keys);
      }
      std::this_thread::sleep_for(options.failed_signin_delay);
      refuse(401, "wrong name or password");
    }
    SignIn s{name, random_token(), Clock::now(), {}};
    const std::string token = random_token(32);
    std::vector<std::shared_ptr<Tab>> ended;
    {
      std::lock_guard lock(mutex);
      for (const std::string& k : keys) failures.erase(k);
      // Signing in again from the same browser replaces its sign-in.
      if (auto old = sign_ins.find(cookie_value(req, kCookie)); old != sign_ins.end()) {
        end_sign_in(old, ended);
      }
      if (sign_ins.size() >= kMaxSignIns) refuse(503, "too many operators are signed in");
      sign_ins.emplace(token, s);
    }
    res.set_header("Set-Cookie", std::string(kCookie) + "=" + token +
                                     "; Path=/; HttpOnly; SameSite=Strict" +
                                     (tls ? "; Secure" : ""));
    send_json(res, 200, {{"name", s.user}, {"csrf", s.csrf}});
  }

  void sign_out(const httplib::Request& req, httplib::Response& res) {
    std::vector<std::shared_ptr<Tab>> ended;
    {
      std::lock_guard lock(mutex);
      signed_in(req, true, ended);
      end_sign_in(sign_ins.find(cookie_value(req, kCookie)), ended);
    }
    ended.clear();  // the sessions end here, outside the lock
    res.set_header("Set-Cookie", std::string(kCookie) +
                                     "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0" +
                                     (tls ? "; Secure" : ""));
    send_json(res, 200, {{"signed_out", true}});
  }

  // ---- tabs ----

  void new_tab(const httplib::Request& req, httplib::Response& res) {
    std::string owner;
    {
      std::vector<std::shared_ptr<Tab>> ended;
      std::lock_guard lock(mutex);
      const SignIn& who = signed_in(req, true, ended);
      if (who.tabs.size() >= kTabsPerSignIn) {
        refuse(429, "at most " + std::to_string(kTabsPerSignIn) + " tabs per sign-in");
      }
      if (tabs.size() >= options.max_tabs) refuse(503, "the server has no room for more sessions");
      owner = cookie_value(req, kCookie);
    }
    std::shared_ptr<Tab> tab;
    try {
      tab = std::make_shared<Tab>(registry, options, owner);
    } catch (const fh::Error& e) {
      refuse(503, std::string("cannot start a session: ") + e.what());
    }
    const std::string id = random_token();
    {
      std::lock_guard lock(mutex);
      auto it = sign_ins.find(owner);
      if (it == sign_ins.end()) refuse(401, "signed out meanwhile");
      it->second.tabs.insert(id);
      tabs.emplace(id, tab);
    }
    const json more = {{"tab", id}, {"windows", list_windows}};
    send_text(res, 201, tab->snapshot(more.dump().substr(1, more.dump().size() - 2) + ","));
  }

  std::shared_ptr<Tab> find_tab(const httplib::Request& req, bool changes) {
    std::vector<std::shared_ptr<Tab>> ended;
    std::unique_lock lock(mutex);
    const SignIn& who = signed_in(req, changes, ended);
    return tab_of(who, req.matches[1].str());
  }

  void close_tab(const httplib::Request& req, httplib::Response& res) {
    std::shared_ptr<Tab> tab;
    {
      std::vector<std::shared_ptr<Tab>> ended;
      std::lock_guard lock(mutex);
      SignIn& who = signed_in(req, true, ended);
      const std::string id = req.matches[1];
      tab = tab_of(who, id);
      who.tabs.erase(id);
      tabs.erase(id);
    }
    tab->end();
    send_json(res, 200, {{"closed", true}});
  }

  void events(const httplib::Request& req, httplib::Response& res) {
    std::shared_ptr<Tab> tab = find_tab(req, false);
    res.set_header("Cache-Control", "no-store");
    const auto keepalive = options.sse_keepalive;
    res.set_chunked_content_provider("text/event-stream",
                                     [tab, keepalive, seen = 0L, sent = 0L, rows = 0L](
                                         std::size_t, httplib::DataSink& sink) mutable {
                                       std::string event;
                                       if (!tab->next_event(seen, sent, rows, keepalive, event)) {
                                         const std::string end = "event: end\ndata: {}\n\n";
                                         sink.write(end.data(), end.size());
                                         sink.done();
                                         return true;
                                       }
                                       if (event.empty()) event = ": still here\n\n";
                                       return sink.write(event.data(), event.size());
                                     });
  }

  // Ends sign-ins that stayed idle too long, with their sessions.
  void reap() {
    std::unique_lock lock(mutex);
    while (!stopping) {
      reaper_wake.wait_for(lock, std::min<Clock::duration>(options.idle, std::chrono::seconds(5)));
      std::vector<std::shared_ptr<Tab>> ended;
      const auto now = Clock::now();
      for (auto it = sign_ins.begin(); it != sign_ins.end();) {
        auto next = std::next(it);
        if (now - it->second.last_seen > options.idle) expire(it, ended);
        it = next;
      }
      lock.unlock();
      ended.clear();
      lock.lock();
    }
  }

  void routes();
};

namespace {

// Runs a handler; what it refuses becomes the status and {"error": reason}.
template <typename Fn>
httplib::Server::Handler guarded(Fn fn) {
  return [fn](const httplib::Request& req, httplib::Response& res) {
    try {
      fn(req, res);
    } catch (const Refused& r) {
      send_json(res, r.status, {{"error", r.reason}});
    } catch (const std::exception& e) {
      send_json(res, 500, {{"error", readable(e.what())}});
    }
  };
}

}  // namespace

void Server::Impl::routes() {
  httplib::Server& s = *http;
  s.set_default_headers({
      {"Content-Security-Policy",
       "default-src 'self'; img-src 'self' data:; object-src 'none'; base-uri 'none'; "
       "frame-ancestors 'none'; form-action 'self'"},
      {"X-Content-Type-Options", "nosniff"},
      {"X-Frame-Options", "DENY"},
      {"Referrer-Policy", "no-referrer"},
  });
  s.set_payload_max_length(options.max_body);
  // Headers and body go out in separate writes: without this, Nagle's
  // algorithm meets the client's delayed acknowledgement (40 ms an answer).
  s.set_tcp_nodelay(true);
  // A page makes many small requests on one connection: keep it open (each
  // open connection holds a worker while it waits, so not for long).
  s.set_keep_alive_max_count(1000);
  // Changing requests carry JSON: a form of another site cannot send it
  // without the browser asking first.
  s.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
    if (req.method == "POST" &&
        !req.get_header_value("Content-Type").starts_with("application/json")) {
      send_json(res, 415, {{"error", "requests must be sent as application/json"}});
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return;
    const char* why = res.status == 413   ? "the request is too large"
                      : res.status == 404 ? "not found"
                                          : "bad request";
    send_json(res, res.status, {{"error", why}});
  });
  const auto asset = [](const httplib::Request& req, httplib::Response& res) {
    const Asset* a = find_asset(req.path);
    if (a == nullptr) refuse(404, "not found");
    res.set_header("Cache-Control", "no-cache");
    res.set_content(reinterpret_cast<const char*>(a->data), a->size, a->type);
  };
  s.Get("/", guarded(asset));
  s.Get(R"(/[a-z]+\.(html|css|js))", guarded(asset));

  s.Post("/api/login", guarded([this](const auto& req, auto& res) { sign_in(req, res); }));
  s.Post("/api/logout", guarded([this](const auto& req, auto& res) { sign_out(req, res); }));
  s.Get("/api/me", guarded([this](const auto& req, auto& res) {
          std::vector<std::shared_ptr<Tab>> ended;
          std::lock_guard lock(mutex);
          const SignIn& who = signed_in(req, false, ended);
          send_json(res, 200, {{"name", who.user}, {"csrf", who.csrf}});
        }));
  s.Post("/api/tabs", guarded([this](const auto& req, auto& res) { new_tab(req, res); }));
  constexpr const char* kTab = R"(/api/tabs/([0-9a-f]{32}))";
  s.Get(kTab, guarded([this](const auto& req, auto& res) {
          send_text(res, 200, find_tab(req, false)->snapshot());
        }));
  s.Post(std::string(kTab) + "/actions", guarded([this](const auto& req, auto& res) {
           std::shared_ptr<Tab> tab = find_tab(req, true);
           long since = -1;
           if (req.has_param("since")) {
             const std::string v = req.get_param_value("since");
             if (!v.empty() && v.size() < 18 &&
                 std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; })) {
               since = std::stol(v);
             }
           }
           send_text(res, 200, tab->act(parse_body(req), since));
         }));
  s.Post(std::string(kTab) + "/close",
         guarded([this](const auto& req, auto& res) { close_tab(req, res); }));
  s.Get(std::string(kTab) + "/events",
        guarded([this](const auto& req, auto& res) { events(req, res); }));
}

Server::Server(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  Impl& m = *impl_;
  for (const std::string& path : m.options.modules) m.registry.add_module(path);
  if (m.options.db.starts_with("sqlite:") && ::access(m.options.db.substr(7).c_str(), F_OK) != 0) {
    throw fh::Error("database " + m.options.db.substr(7) +
                    " does not exist; create it with: formhost init-db --demo");
  }
  if (m.auth_db.connect(m.options.db) != 0) {
    throw fh::Error(fh::gbk_to_utf8_lossy(m.auth_db.sqlerrtext()));
  }
  // A database made before the operators' table gets it now.
  fh::apply_schema(m.auth_db, users_schema(), false);
  // The launcher lists the library's list windows, as the main menu does:
  // those of the modules before the framework's.
  for (const auto& module : m.registry.modules()) {
    const auto& names = module->window_names();
    if (std::find(names.begin(), names.end(), "w_zrlist") != names.end()) break;
    for (const std::string& name : names) {
      if (m.registry.load(name).is_a("w_zrlist")) m.list_windows.push_back(name);
    }
  }
  m.tls = !m.options.tls_cert.empty() || !m.options.tls_key.empty();
  if (m.tls) {
    if (m.options.tls_cert.empty() || m.options.tls_key.empty()) {
      throw fh::Error("TLS needs both --tls-cert and --tls-key");
    }
    auto ssl =
        std::make_unique<httplib::SSLServer>(m.options.tls_cert.c_str(), m.options.tls_key.c_str());
    if (!ssl->is_valid()) {
      throw fh::Error("cannot use the TLS certificate " + m.options.tls_cert + " and key " +
                      m.options.tls_key);
    }
    m.http = std::move(ssl);
  } else {
    m.http = std::make_unique<WideServer<httplib::Server>>();
  }
  // An event stream holds a worker, a waiting connection too: room for a
  // stream and a connection of every tab, and some more.
  const std::size_t workers = 2 * m.options.max_tabs + 8;
  m.http->new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
  m.routes();
  m.reaper = std::thread([&m] { m.reap(); });
}

Server::~Server() {
  stop();
  if (impl_->reaper.joinable()) impl_->reaper.join();
  std::map<std::string, std::shared_ptr<Tab>> tabs;
  {
    std::lock_guard lock(impl_->mutex);
    tabs.swap(impl_->tabs);
  }
}

int Server::bind() {
  Impl& m = *impl_;
  const int port = m.options.port == 0 ? m.http->bind_to_any_port(m.options.host)
                   : m.http->bind_to_port(m.options.host, m.options.port) ? m.options.port
                                                                          : -1;
  if (port < 0) {
    throw fh::Error("cannot listen on " + m.options.host + ":" + std::to_string(m.options.port));
  }
  if (m.tls) {
    static_cast<WideServer<httplib::SSLServer>&>(*m.http).widen_backlog();
  } else {
    static_cast<WideServer<httplib::Server>&>(*m.http).widen_backlog();
  }
  return port;
}

void Server::run() { impl_->http->listen_after_bind(); }

void Server::stop() {
  Impl& m = *impl_;
  {
    std::lock_guard lock(m.mutex);
    m.stopping = true;
    for (auto& [id, tab] : m.tabs) tab->end();  // the event streams let go
  }
  m.reaper_wake.notify_all();
  m.http->stop();
}

bool Server::is_loopback(const std::string& host) {
  return host == "localhost" || host == "::1" || host.starts_with("127.");
}

}  // namespace app::web
