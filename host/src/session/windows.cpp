// The window life cycle: open, response windows, close, menus and the data
// windows a new window brings along.
#include <algorithm>

#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/session.h"
#include "session/state.h"

namespace fh {
namespace {

// Typed text reaches the row through the control's itemchanged event; its
// answer decides (0 accept, 1 reject, 2 reject and leave).
long item_changed(Context& ctx, Object& control, long row, const std::string& column,
                  const std::string& text) {
  ObjectRef dwo = instantiate(ctx.registry().load("dwobject"), column);
  dwo->set("name", Value::of_string(column));
  const Value args[] = {Value::of_long(static_cast<std::int32_t>(row)), Value::of_object(dwo),
                        Value::of_string(text)};
  const EventResult r = ctx.trigger(control, "itemchanged", args);
  if (r.status != FH_STATUS_OK || r.result.is_null() || !r.result.is_number()) return 0;
  return Long(r.result).as_long();
}

void wire_datawindows(Session& session, Object& window) {
  each_control(window, [&](Object& c) {
    DataWindow* dw = c.datawindow();
    if (dw == nullptr) return;
    dw->set_library(session.library());
    Object* control = &c;
    Context* ctx = &session.context();
    dw->on_item_changed(
        [ctx, control](long row, const std::string& column, const std::string& text) {
          return item_changed(*ctx, *control, row, column, text);
        });
    // Assigning the property shows the object, as SetDataObject does; a name
    // no library knows leaves the data window, and the property, as they were.
    Session* s = &session;
    c.watch("dataobject", [s](Object& ctl, const Value& name) {
      DataWindow* d = ctl.datawindow();
      if (name.type() != Type::kString || name.is_null()) return;
      if (d->dataobject() == name.as_string()) return;
      if (s->set_dataobject(ctl, name.as_string()) != 1) {
        ctl.set("dataobject", Value::of_string(d->dataobject()));
      }
    });
  });
}

// A window that names a menu the library list provides gets an instance of
// it in menuid; an unknown menu leaves menuid null.
void create_menu(Context& ctx, Object& window) {
  const Value name = window.get("menuname");
  if (name.type() != Type::kString || name.is_null() || name.as_string().empty()) return;
  const ClassDef* cls = ctx.registry().find(name.as_string());
  if (cls == nullptr || cls->kind() != Kind::kMenu) return;
  ObjectRef menu = instantiate(*cls, {}, &window);
  window.set("menuid", Value::of_object(menu));
  ctx.trigger(*menu, "create");
}

}  // namespace

const std::vector<ObjectRef>& Session::windows() const { return state_->windows; }

Object* Session::window(std::string_view class_name) const {
  const auto& windows = state_->windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->cls().is_a(class_name) && (*it)->cls().name().size() == class_name.size()) {
      return it->get();
    }
  }
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->cls().is_a(class_name)) return it->get();
  }
  return nullptr;
}

Object* Session::active_window() const {
  if (!state_->modal.empty()) return state_->modal.back();
  return state_->windows.empty() ? nullptr : state_->windows.back().get();
}

bool Session::is_modal(const Object& window) const {
  const auto& modal = state_->modal;
  return std::find(modal.begin(), modal.end(), &window) != modal.end();
}

int Session::set_focus(Object& control) {
  if (control.destroyed()) return -1;
  ObjectRef previous = state_->focus.lock();
  if (previous.get() == &control) return 1;
  state_->focus = control.weak_from_this();
  if (previous && !previous->destroyed()) ctx_->trigger(*previous, "losefocus");
  ctx_->trigger(control, "getfocus");
  return 1;
}

Object* Session::focus() const {
  ObjectRef f = state_->focus.lock();
  return f && !f->destroyed() ? f.get() : nullptr;
}

int Session::set_dataobject(Object& control, std::string_view name) {
  DataWindow* dw = control.datawindow();
  const DataObjectLibrary* lib = library();
  if (dw == nullptr || lib == nullptr) return -1;
  if (dw->set_dataobject(*lib, name) != 1) return -1;
  control.set("dataobject", Value::of_string(std::string(name)));
  return 1;
}

ObjectRef Session::open(std::string_view class_name, const Value& parm) {
  const ClassDef& cls = registry_.load(class_name);
  if (cls.kind() != Kind::kWindow) throw Error("class '" + cls.name() + "' is not a window");
  ObjectRef w = instantiate(cls);
  const ObjectRef& msg = ctx_->message();
  // Each open hands over its own parameter: one left from an earlier open
  // would make a window act on another window's record.
  if (is_valid(msg)) {
    msg->set("stringparm", Value::of_string(""));
    msg->set("doubleparm", Value::of_double(0));
    msg->set("powerobjectparm", Value::null_of(Type::kObject));
  }
  if (is_valid(msg) && !parm.is_null()) {
    if (parm.type() == Type::kString)
      msg->set("stringparm", parm);
    else if (parm.type() == Type::kObject)
      msg->set("powerobjectparm", parm);
    else if (parm.is_number())
      msg->set("doubleparm", Double(parm));
  }
  state_->windows.push_back(w);
  wire_datawindows(*this, *w);
  // The class's own data-window objects, as its definition assigns them.
  each_control(*w, [&](Object& c) {
    const Value name = c.get("dataobject");
    if (c.datawindow() != nullptr && name.type() == Type::kString && !name.is_null()) {
      set_dataobject(c, name.as_string());
    }
  });
  create_menu(*ctx_, *w);
  ctx_->trigger(*w, "create");
  each_control(*w, [&](Object& c) { ctx_->trigger(c, "constructor"); });
  if (!w->destroyed()) ctx_->trigger(*w, "open");
  run_posted(*state_);
  return w;
}

Value Session::open_modal(std::string_view class_name, const Value& parm) {
  ObjectRef w = open(class_name, parm);
  return run_modal(*w);
}

Value Session::run_modal(Object& window) {
  SessionState& st = *state_;
  ObjectRef w = window.shared_from_this();
  st.modal.push_back(w.get());
  while (!w->destroyed()) {
    // A modal loop delivers what was posted, as the platform's message loop
    // does: the window's own pfc_preopen and pfc_postopen among them.
    run_posted(st, true);
    if (w->destroyed()) break;
    Action a;
    if (!next_action(st, a)) {
      st.add_refusal("response window " + w->cls().name() +
                     " waits for actions and none is queued: closed");
      close_unasked(*w);
      break;
    }
    carry_out(st, a);
  }
  st.modal.erase(std::remove(st.modal.begin(), st.modal.end(), w.get()), st.modal.end());
  const ObjectRef& msg = ctx_->message();
  return is_valid(msg) ? msg->get("returnvalue") : Value::of_long(0);
}

bool Session::is_response(const Object& window) {
  return string_of(window, "windowtype") == "response!";
}

int Session::close(Object& window) {
  const auto& windows = state_->windows;
  if (std::none_of(windows.begin(), windows.end(),
                   [&](const ObjectRef& w) { return w.get() == &window; })) {
    return -1;
  }
  ObjectRef keep = window.shared_from_this();
  const EventResult q = ctx_->trigger(window, "closequery");
  if (window.destroyed()) return 1;
  if (q.status == FH_STATUS_OK && q.result.is_number() && !q.result.is_null() &&
      Long(q.result).as_long() == 1) {
    return 0;
  }
  return close_unasked(window);
}

int Session::close_unasked(Object& window) {
  auto& windows = state_->windows;
  auto it = std::find_if(windows.begin(), windows.end(),
                         [&](const ObjectRef& w) { return w.get() == &window; });
  if (it == windows.end()) return -1;
  ObjectRef keep = *it;  // alive until its scripts are done
  ctx_->trigger(window, "close");
  ctx_->trigger(window, "destroy");
  window.destroy();
  windows.erase(std::find(windows.begin(), windows.end(), keep));
  return 1;
}

}  // namespace fh
