#include "formhost/session.h"

#include <algorithm>

#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"

namespace fh {
namespace {

constexpr const char* kIcons[] = {"information", "stopsign", "exclamation", "question", "none"};

const std::vector<std::vector<std::string>>& button_sets() {
  static const std::vector<std::vector<std::string>> sets = {
      {"OK"}, {"OK", "Cancel"}, {"Abort", "Retry", "Ignore"}, {"Yes", "No", "Cancel"},
      {"Yes", "No"}, {"Retry", "Cancel"}};
  return sets;
}

std::string utf8(const std::string& gbk) { return gbk_to_utf8_lossy(gbk); }

// Each control and the controls inside it, in creation order.
void each_control(Object& obj, const std::function<void(Object&)>& fn) {
  for (const ObjectRef& c : obj.controls()) {
    fn(*c);
    each_control(*c, fn);
  }
}

// The window's menu, when it has a valid one.
Object* menu_of(const Object& window) {
  const Value m = window.get("menuid");
  return is_valid(m) ? m.as_object().get() : nullptr;
}

const char* kind_name(Kind k) {
  switch (k) {
    case Kind::kWindow: return "window";
    case Kind::kDataWindow: return "datawindow";
    case Kind::kCommandButton: return "commandbutton";
    case Kind::kCheckBox: return "checkbox";
    case Kind::kStaticText: return "statictext";
    case Kind::kSingleLineEdit: return "singlelineedit";
    case Kind::kUserObject: return "userobject";
    case Kind::kTab: return "tab";
    case Kind::kUserPage: return "userpage";
    case Kind::kLine: return "line";
    case Kind::kMenu: return "menu";
    default: return "object";
  }
}

const char* status_name(RowStatus s) {
  switch (s) {
    case RowStatus::kNew: return "new";
    case RowStatus::kNewModified: return "newmodified";
    case RowStatus::kDataModified: return "datamodified";
    default: return "notmodified";
  }
}

// Instance variables holding plain values, as text.
nlohmann::json plain_properties(const Object& o) {
  nlohmann::json properties = nlohmann::json::object();
  for (const auto& [name, value] : o.properties()) {
    if (value.type() == Type::kObject || value.type() == Type::kAny) continue;
    properties[utf8(name)] = value.is_null() ? nlohmann::json(nullptr) : nlohmann::json(utf8(String(value).as_string()));
  }
  return properties;
}

// The nonvisual objects a control holds (its services), with their values.
nlohmann::json services_view(const Object& c) {
  nlohmann::json services = nlohmann::json::object();
  for (const auto& [name, value] : c.properties()) {
    if (value.type() != Type::kObject || !is_valid(value)) continue;
    const Object& o = *value.as_object();
    if (o.cls().kind() != Kind::kNonVisual) continue;
    services[utf8(name)] = {{"class", utf8(o.cls().name())}, {"properties", plain_properties(o)}};
  }
  return services;
}

// The menu's items in order, each with its depth (1: on the menu bar).
void menu_items(const Object& menu, int depth, nlohmann::json& items) {
  for (const ObjectRef& item : menu.controls()) {
    items.push_back({{"name", utf8(item->name())},
                     {"text", utf8(string_of(*item, "text"))},
                     {"level", depth},
                     {"visible", flag(*item, "visible", true)},
                     {"enabled", flag(*item, "enabled", true)}});
    menu_items(*item, depth + 1, items);
  }
}

nlohmann::json menu_view(const Object& window) {
  nlohmann::json items = nlohmann::json::array();
  if (Object* menu = menu_of(window)) menu_items(*menu, 1, items);
  return items;
}

nlohmann::json datawindow_view(const DataWindow& dw) {
  nlohmann::json j;
  j["dataobject"] = utf8(dw.dataobject());
  if (!dw.has_object()) {
    j["processing"] = 0;
    j["columns"] = nlohmann::json::array();
    j["rows"] = nlohmann::json::array();
    j["currentrow"] = 0;
    j["currentcolumn"] = "";
    j["hsplitscroll"] = 0;
    j["rowcolors"] = nlohmann::json::array();
    return j;
  }
  const DataWindowObject& obj = dw.object();
  j["processing"] = obj.processing();
  const std::string split = obj.describe("DataWindow.HorizontalScrollSplit");
  j["hsplitscroll"] = std::atol(split.c_str());
  auto columns = nlohmann::json::array();
  for (const DwColumn& c : obj.columns()) {
    const DwControl* shown = obj.control(c.name);
    const DwControl* header = obj.control(c.name + "_t");
    const std::string* width = shown ? find_property(shown->properties, "width") : nullptr;
    const std::string* visible = shown ? find_property(shown->properties, "visible") : nullptr;
    const std::string* caption = header ? find_property(header->properties, "text") : nullptr;
    columns.push_back({{"name", utf8(c.name)},
                       {"header", caption ? utf8(*caption) : ""},
                       {"width", width ? std::atol(width->c_str()) : 0},
                       {"visible", shown != nullptr && (visible == nullptr || *visible != "0")}});
  }
  j["columns"] = std::move(columns);
  auto rows = nlohmann::json::array();
  for (long r = 1; r <= dw.row_count(); ++r) {
    nlohmann::json values = nlohmann::json::object();
    for (std::size_t c = 0; c < obj.columns().size(); ++c) {
      values[utf8(obj.columns()[c].name)] = utf8(dw.item_text(r, static_cast<int>(c) + 1));
    }
    nlohmann::json row = {{"status", status_name(dw.row_status(r))}, {"values", std::move(values)}};
    if (dw.is_selected(r)) row["selected"] = true;
    rows.push_back(std::move(row));
  }
  j["rows"] = std::move(rows);
  j["currentrow"] = dw.get_row();
  j["currentcolumn"] = utf8(dw.get_column_name());
  // Row colours: the detail band's colour expression, evaluated per row.
  auto colors = nlohmann::json::array();
  const DwBand* detail = obj.band("detail");
  const std::string* color = detail ? find_property(detail->properties, "color") : nullptr;
  if (color != nullptr) {
    if (const auto expr = property_expression(*color)) {
      try {
        for (const Value& v : DwExpression::parse(*expr).evaluate_all(dw)) {
          colors.push_back(v.is_null() || !v.is_number() ? 0 : Long(v).as_long());
        }
      } catch (const std::exception&) {
        colors = nlohmann::json::array();  // a broken expression colours nothing
      }
    }
  }
  j["rowcolors"] = std::move(colors);
  return j;
}

}  // namespace

const char* icon_name(int icon) { return icon >= 0 && icon < 5 ? kIcons[icon] : nullptr; }

std::vector<std::string> button_labels(int buttons) {
  const auto& sets = button_sets();
  return buttons >= 0 && buttons < static_cast<int>(sets.size()) ? sets[static_cast<std::size_t>(buttons)]
                                                                  : std::vector<std::string>{};
}

Session::Session(ClassRegistry& registry, SessionOptions options)
    : registry_(registry), options_(std::move(options)) {
  if (options_.library == nullptr) options_.library = &registry_.dataobjects();
  ctx_ = std::make_unique<Context>(registry_, options_.trace_sink);
  ctx_->set_session(this);
  ctx_->set_error_policy(options_.error_policy);
  ctx_->set_trace(options_.trace);
  if (options_.clock) ctx_->set_clock(options_.clock);
}

Session::~Session() {
  // Windows go without their scripts: the session is ending.
  for (const ObjectRef& w : windows_) w->destroy();
}

Object* Session::window(std::string_view class_name) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->cls().is_a(class_name) && (*it)->cls().name().size() == class_name.size()) return it->get();
  }
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->cls().is_a(class_name)) return it->get();
  }
  return nullptr;
}

Object* Session::active_window() const {
  if (!modal_.empty()) return modal_.back();
  return windows_.empty() ? nullptr : windows_.back().get();
}

void Session::wire_datawindows(Object& window) {
  each_control(window, [&](Object& c) {
    DataWindow* dw = c.datawindow();
    if (dw == nullptr) return;
    dw->set_library(options_.library);
    Object* control = &c;
    dw->on_item_changed([this, control](long row, const std::string& column, const std::string& text) {
      return item_changed(*control, row, column, text);
    });
  });
}

long Session::item_changed(Object& control, long row, const std::string& column, const std::string& text) {
  ObjectRef dwo = instantiate(registry_.load("dwobject"), column);
  dwo->set("name", Value::of_string(column));
  const Value args[] = {Value::of_long(static_cast<std::int32_t>(row)), Value::of_object(dwo),
                        Value::of_string(text)};
  const EventResult r = ctx_->trigger(control, "itemchanged", args);
  if (r.status != FH_STATUS_OK || r.result.is_null() || !r.result.is_number()) return 0;
  return Long(r.result).as_long();
}

int Session::set_dataobject(Object& control, std::string_view name) {
  DataWindow* dw = control.datawindow();
  if (dw == nullptr || options_.library == nullptr) return -1;
  if (dw->set_dataobject(*options_.library, name) != 1) return -1;
  control.set("dataobject", Value::of_string(std::string(name)));
  return 1;
}

ObjectRef Session::open(std::string_view class_name, const Value& parm) {
  const ClassDef& cls = registry_.load(class_name);
  if (cls.kind() != Kind::kWindow) throw Error("class '" + cls.name() + "' is not a window");
  ObjectRef w = instantiate(cls);
  const ObjectRef& msg = ctx_->message();
  if (is_valid(msg) && !parm.is_null()) {
    if (parm.type() == Type::kString) msg->set("stringparm", parm);
    else if (parm.type() == Type::kObject) msg->set("powerobjectparm", parm);
    else if (parm.is_number()) msg->set("doubleparm", Double(parm));
  }
  windows_.push_back(w);
  wire_datawindows(*w);
  // The class's own data-window objects, as its definition assigns them.
  each_control(*w, [&](Object& c) {
    const Value name = c.get("dataobject");
    if (c.datawindow() != nullptr && name.type() == Type::kString && !name.is_null()) {
      set_dataobject(c, name.as_string());
    }
  });
  create_menu(*w);
  ctx_->trigger(*w, "create");
  each_control(*w, [&](Object& c) { ctx_->trigger(c, "constructor"); });
  if (!w->destroyed()) ctx_->trigger(*w, "open");
  run_posted();
  return w;
}

Value Session::open_modal(std::string_view class_name, const Value& parm) {
  ObjectRef w = open(class_name, parm);
  modal_.push_back(w.get());
  while (!w->destroyed()) {
    Action a;
    if (!next_action(a)) {
      {
        std::lock_guard lock(mutex_);
        refusals_.push_back("response window " + w->cls().name() +
                            " waits for actions and none is queued: closed");
      }
      close(*w);
      break;
    }
    carry_out(a);
  }
  modal_.erase(std::remove(modal_.begin(), modal_.end(), w.get()), modal_.end());
  const ObjectRef& msg = ctx_->message();
  return is_valid(msg) ? msg->get("returnvalue") : Value::of_long(0);
}

int Session::close(Object& window) {
  auto it = std::find_if(windows_.begin(), windows_.end(), [&](const ObjectRef& w) { return w.get() == &window; });
  if (it == windows_.end()) return -1;
  ObjectRef keep = *it;  // alive until its scripts are done
  ctx_->trigger(window, "close");
  ctx_->trigger(window, "destroy");
  window.destroy();
  windows_.erase(std::find(windows_.begin(), windows_.end(), keep));
  return 1;
}

void Session::post_event(Object& obj, std::string_view event, std::vector<Value> args) {
  posted_.push_back({obj.weak_from_this(), std::string(event), std::move(args)});
}

void Session::run_posted() {
  // Only the outermost script's end runs posted events, as the platform does.
  if (ctx_->call_depth() > 0) return;
  while (!posted_.empty()) {
    Posted p = std::move(posted_.front());
    posted_.pop_front();
    if (ObjectRef o = p.obj.lock(); o && !o->destroyed()) ctx_->trigger(*o, p.event, p.args);
  }
}

int Session::message_box(const MessageBoxRequest& request) {
  if (box_) return -1;  // a box is already up: the platform's boxes do not stack
  if (button_labels(request.buttons).empty()) return -1;
  box_ = request;
  box_answer_.reset();
  while (!box_answer_) {
    Action a;
    if (!next_action(a)) {
      {
        std::lock_guard lock(mutex_);
        refusals_.push_back("message box '" + utf8(request.text) + "' waits for an answer and none is queued");
      }
      box_.reset();
      return -1;
    }
    carry_out(a);
  }
  box_.reset();
  return *box_answer_;
}

void Session::create_menu(Object& window) {
  // A window that names a menu the library list provides gets an instance of
  // it in menuid; an unknown menu leaves menuid null.
  const Value name = window.get("menuname");
  if (name.type() != Type::kString || name.is_null() || name.as_string().empty()) return;
  try {
    const ClassDef& cls = registry_.load(name.as_string());
    if (cls.kind() != Kind::kMenu) return;
    ObjectRef menu = instantiate(cls, {}, &window);
    window.set("menuid", Value::of_object(menu));
    ctx_->trigger(*menu, "create");
  } catch (const Error&) {
  }
}

void Session::refuse(std::string reason) {
  std::lock_guard lock(mutex_);
  refusals_.push_back(std::move(reason));
}

void Session::post(Action action) {
  {
    std::lock_guard lock(mutex_);
    actions_.push_back(std::move(action));
  }
  arrived_.notify_one();
}

bool Session::next_action(Action& out) {
  std::unique_lock lock(mutex_);
  if (actions_.empty()) {
    if (options_.headless || stopping_) return false;
    idle_ = true;
    idle_changed_.notify_all();
    arrived_.wait(lock, [&] { return !actions_.empty() || stopping_; });
    idle_ = false;
    if (actions_.empty()) return false;
  }
  out = std::move(actions_.front());
  actions_.pop_front();
  return true;
}

void Session::serve() {
  Action a;
  while (next_action(a)) carry_out(a);
}

void Session::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  arrived_.notify_all();
  idle_changed_.notify_all();
}

void Session::wait_idle() {
  std::unique_lock lock(mutex_);
  idle_changed_.wait(lock, [&] { return (idle_ && actions_.empty()) || stopping_; });
}

std::vector<std::string> Session::take_refusals() {
  std::lock_guard lock(mutex_);
  return std::exchange(refusals_, {});
}

std::vector<std::string> Session::run_pending() {
  Action a;
  while (next_action(a)) carry_out(a);
  run_posted();
  return take_refusals();
}

Object& Session::target_window(const Action& a) const {
  Object* w = a.window.empty() ? active_window() : window(a.window);
  if (w == nullptr) {
    throw Error(a.window.empty() ? std::string("no window is open") : "window " + a.window + " is not open");
  }
  if (!modal_.empty() && w != modal_.back()) {
    throw Error("window " + w->cls().name() + " waits behind the response window " +
                modal_.back()->cls().name());
  }
  return *w;
}

Object& Session::target_control(const Action& a) const {
  Object& w = target_window(a);
  Object* c = find_control(w, a.control);
  if (c == nullptr) {
    if (Object* menu = menu_of(w)) c = find_control(*menu, a.control);
  }
  if (c == nullptr) throw Error("window " + w.cls().name() + " has no control " + a.control);
  return *c;
}

void Session::carry_out(const Action& a) {
  try {
    if (box_ && a.kind != Action::Kind::kAnswer) {
      throw Error("a message box waits for an answer");
    }
    auto framework_event = [&](const char* action) -> const std::string& {
      auto it = options_.action_events.find(action);
      if (it == options_.action_events.end()) throw Error(std::string("no event carries out ") + action);
      return it->second;
    };
    auto datawindow = [&](Object& c) -> DataWindow& {
      if (c.datawindow() == nullptr) throw Error("control " + c.name() + " is not a data window");
      return *c.datawindow();
    };
    auto raise = [&](Object& obj, const std::string& event, std::vector<Value> args = {}) {
      const EventResult r = ctx_->trigger(obj, event, args);
      if (r.status == FH_STATUS_FAILED) throw Error(obj.name() + " has no event " + event);
    };
    switch (a.kind) {
      case Action::Kind::kOpen:
        open(a.window, a.text.empty() ? Value() : Value::of_string(a.text));
        break;
      case Action::Kind::kClick: {
        Object& c = target_control(a);
        if (!flag(c, "enabled", true) || !flag(c, "visible", true)) {
          throw Error("control " + c.name() + " is not enabled");
        }
        if (c.cls().kind() == Kind::kCheckBox) c.set("checked", Value::of_bool(!flag(c, "checked", false)));
        if (c.datawindow() != nullptr) {
          // clicked(xpos, ypos, row, dwo): the header text or column clicked.
          ObjectRef dwo = instantiate(registry_.load("dwobject"), a.column);
          dwo->set("name", Value::of_string(a.column));
          raise(c, "clicked", {Value::of_long(0), Value::of_long(0),
                               Value::of_long(static_cast<std::int32_t>(a.row)), Value::of_object(dwo)});
        } else {
          raise(c, "clicked");
        }
        break;
      }
      case Action::Kind::kType: {
        Object& c = target_control(a);
        DataWindow& dw = datawindow(c);
        const long row = a.row == 0 ? dw.get_row() : a.row;
        if (row != dw.get_row()) {
          if (dw.set_row(row) != 1) throw Error(dw.last_error());
          raise(c, "rowfocuschanged", {Value::of_long(static_cast<std::int32_t>(row))});
        }
        if (dw.set_column(a.column) != 1) throw Error(dw.last_error());
        dw.set_text(a.text);
        if (dw.accept_text() != 1) {
          dw.discard_text();  // the old value stays
          throw Error(dw.last_error());
        }
        break;
      }
      case Action::Kind::kRow: {
        Object& c = target_control(a);
        DataWindow& dw = datawindow(c);
        if (dw.accept_text() != 1) throw Error(dw.last_error());
        if (dw.set_row(a.row) != 1) throw Error(dw.last_error());
        raise(c, "rowfocuschanged", {Value::of_long(static_cast<std::int32_t>(a.row))});
        break;
      }
      case Action::Kind::kEnter:
        raise(target_control(a), framework_event("enter"));
        break;
      case Action::Kind::kInsert:
        raise(target_control(a), framework_event("insert"));
        break;
      case Action::Kind::kDelete:
        raise(target_control(a), framework_event("delete"));
        break;
      case Action::Kind::kSave:
        raise(target_window(a), framework_event("save"));
        break;
      case Action::Kind::kClose:
        close(target_window(a));
        break;
      case Action::Kind::kAnswer: {
        if (!box_) throw Error("no message box waits for an answer");
        const auto count = static_cast<long>(button_labels(box_->buttons).size());
        if (a.number < 1 || a.number > count) {
          throw Error("the message box has buttons 1 to " + std::to_string(count));
        }
        box_answer_ = static_cast<int>(a.number);
        break;
      }
      case Action::Kind::kResize: {
        Object& w = target_window(a);
        w.set("width", Value::of_long(static_cast<std::int32_t>(a.width)));
        w.set("height", Value::of_long(static_cast<std::int32_t>(a.height)));
        ctx_->trigger(w, "resize",
                      std::vector<Value>{Value::of_long(0), Value::of_long(static_cast<std::int32_t>(a.width)),
                                         Value::of_long(static_cast<std::int32_t>(a.height))});
        break;
      }
    }
  } catch (const std::exception& e) {
    std::lock_guard lock(mutex_);
    refusals_.push_back(e.what());
  }
  run_posted();
}

nlohmann::json Session::view() const {
  nlohmann::json windows = nlohmann::json::array();
  for (const ObjectRef& w : windows_) {
    nlohmann::json controls = nlohmann::json::array();
    each_control(*w, [&](Object& c) {
      nlohmann::json j = {{"name", utf8(c.name())},
                          {"kind", kind_name(c.cls().kind())},
                          {"class", utf8(c.cls().name())},
                          {"text", utf8(string_of(c, "text"))},
                          {"visible", flag(c, "visible", true)},
                          {"enabled", flag(c, "enabled", true)},
                          {"checked", flag(c, "checked", false)},
                          {"x", number(c, "x")},
                          {"y", number(c, "y")},
                          {"width", number(c, "width")},
                          {"height", number(c, "height")}};
      if (const DataWindow* dw = c.datawindow()) j.update(datawindow_view(*dw));
      if (nlohmann::json services = services_view(c); !services.empty()) j["services"] = std::move(services);
      controls.push_back(std::move(j));
    });
    const bool modal = std::find(modal_.begin(), modal_.end(), w.get()) != modal_.end();
    nlohmann::json properties = plain_properties(*w);
    windows.push_back({{"class", utf8(w->cls().name())},
                       {"title", utf8(string_of(*w, "title"))},
                       {"x", number(*w, "x")},
                       {"y", number(*w, "y")},
                       {"width", number(*w, "width")},
                       {"height", number(*w, "height")},
                       {"modal", modal},
                       {"properties", std::move(properties)},
                       {"menu", menu_view(*w)},
                       {"controls", std::move(controls)}});
  }
  nlohmann::json box = nullptr;
  if (box_) {
    box = {{"title", utf8(box_->title)},
           {"text", utf8(box_->text)},
           {"icon", icon_name(box_->icon) ? icon_name(box_->icon) : "none"},
           {"buttons", button_labels(box_->buttons)},
           {"default", box_->default_button}};
  }
  return {{"windows", std::move(windows)}, {"messagebox", std::move(box)}};
}

}  // namespace fh
