// One handler per action a front end posts. A handler answers the reason an
// action cannot be carried out as a value; carry_out hands it to the front end.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "formhost/errors.h"
#include "formhost/object.h"
#include "formhost/session.h"
#include "formhost/text.h"
#include "session/state.h"

namespace fh {
namespace {

// What an action comes to: nothing when carried out, else why it was refused.
// A refusal is an expected outcome, so it travels as a value.
using Refusal = std::optional<std::string>;
constexpr std::nullopt_t kDone = std::nullopt;

// What a lookup found, or why there is nothing.
template <typename T>
struct Found {
  T* it = nullptr;
  std::string why;
};

Found<Object> target_window(const SessionState& st, const Action& a) {
  const Session& s = st.session;
  Object* w = a.window.empty() ? s.active_window() : s.window(a.window);
  if (w == nullptr) {
    return {nullptr, a.window.empty() ? std::string("no window is open")
                                      : "window " + a.window + " is not open"};
  }
  if (!st.modal.empty() && w != st.modal.back()) {
    return {nullptr, "window " + w->cls().name() + " waits behind the response window " +
                         st.modal.back()->cls().name()};
  }
  return {w, {}};
}

// A control of the target window, or an item of its menu.
Found<Object> target_control(const SessionState& st, const Action& a) {
  const Found<Object> w = target_window(st, a);
  if (w.it == nullptr) return w;
  Object* c = find_control(*w.it, a.control);
  if (c == nullptr) {
    if (Object* menu = menu_of(*w.it)) c = find_control(*menu, a.control);
  }
  if (c == nullptr)
    return {nullptr, "window " + w.it->cls().name() + " has no control " + a.control};
  return {c, {}};
}

// A data-window control of the target window.
Found<Object> target_datawindow(const SessionState& st, const Action& a) {
  const Found<Object> c = target_control(st, a);
  if (c.it != nullptr && c.it->datawindow() == nullptr) {
    return {nullptr, "control " + c.it->name() + " is not a data window"};
  }
  return c;
}

// Raises the framework's event behind a user's action ("insert" ->
// "pfc_insertrow") on what the action names.
Refusal raise(SessionState& st, Object& obj, const std::string& event,
              std::vector<Value> args = {}) {
  const EventResult r = st.session.context().trigger(obj, event, args);
  if (r.status == FH_STATUS_FAILED) return obj.name() + " has no event " + event;
  return kDone;
}

Refusal raise_framework_event(SessionState& st, const Found<Object>& target, const char* action) {
  if (target.it == nullptr) return target.why;
  auto it = st.options.action_events.find(action);
  if (it == st.options.action_events.end()) return std::string("no event carries out ") + action;
  return raise(st, *target.it, it->second);
}

// The operator's click or typing puts the keyboard focus on the control
// first (losefocus on the old one, then getfocus), as the platform does; a
// menu item or a static text never takes it. A focus event that closed the
// control's window ends the action there.
bool can_take_focus(const Object& c) {
  switch (c.cls().kind()) {
    case Kind::kDataWindow:
    case Kind::kCommandButton:
    case Kind::kCheckBox:
    case Kind::kSingleLineEdit:
    case Kind::kUserObject:
      return true;
    default:
      return false;
  }
}

Refusal take_focus(SessionState& st, Object& c) {
  if (!can_take_focus(c)) return kDone;
  st.session.set_focus(c);
  if (c.destroyed()) return "control " + c.name() + " was closed";
  return kDone;
}

Value long_value(long n) { return Value::of_long(static_cast<std::int32_t>(n)); }

// A database open for viewing only takes no edits: typing, adding, deleting
// and saving are refused where the operator does them, not only at the save.
// A data window that saves nothing (a search form) may still be typed into.
Refusal viewing_only(const SessionState& st, const Object* c) {
  const Transaction& sqlca = st.session.sqlca();
  if (!sqlca.read_only()) return kDone;
  if (c != nullptr && c->datawindow() != nullptr) {
    const DataWindow& dw = *c->datawindow();
    if (!dw.has_object() || dw.object().update_table().empty()) return kDone;
  }
  return sqlca.why_read_only() + ": nothing can be changed";
}

Refusal open_window(SessionState& st, const Action& a) {
  const ClassDef* cls = st.session.context().registry().find(a.window);
  if (cls == nullptr) return "no module provides the class '" + a.window + "'";
  if (cls->kind() != Kind::kWindow) return "class '" + cls->name() + "' is not a window";
  st.session.open(a.window, a.text.empty() ? Value() : Value::of_string(a.text));
  return kDone;
}

Refusal click(SessionState& st, const Action& a) {
  const Found<Object> found = target_control(st, a);
  if (found.it == nullptr) return found.why;
  Object& c = *found.it;
  if (!flag(c, "enabled", true) || !flag(c, "visible", true)) {
    return "control " + c.name() + " is not enabled";
  }
  if (Refusal r = take_focus(st, c)) return r;
  if (c.cls().kind() == Kind::kCheckBox) {
    c.set("checked", Value::of_bool(!flag(c, "checked", false)));
  }
  // A click on a page of a tab control brings that page to the front.
  if (const long page = page_index(c); page > 0) {
    select_tab(*c.parent(), page);
    if (c.cls().find_event("clicked") == nullptr) return {};
  }
  if (c.datawindow() == nullptr) return raise(st, c, "clicked");
  // clicked(xpos, ypos, row, dwo): the header text or column clicked.
  ObjectRef dwo = instantiate(st.session.context().registry().load("dwobject"), a.column);
  dwo->set("name", Value::of_string(a.column));
  return raise(st, c, "clicked",
               {Value::of_long(0), Value::of_long(0), long_value(a.row), Value::of_object(dwo)});
}

Refusal type_text(SessionState& st, const Action& a) {
  const Found<Object> found = target_datawindow(st, a);
  if (found.it == nullptr) return found.why;
  Object& c = *found.it;
  if (Refusal r = viewing_only(st, &c)) return r;
  if (Refusal r = take_focus(st, c)) return r;
  DataWindow& dw = *c.datawindow();
  const long row = a.row == 0 ? dw.get_row() : a.row;
  if (row != dw.get_row()) {
    if (dw.set_row(row) != 1) return dw.last_error();
    if (Refusal r = raise(st, c, "rowfocuschanged", {long_value(row)})) return r;
  }
  if (dw.set_column(a.column) != 1) return dw.last_error();
  // What the object protects, the operator cannot type into.
  if (std::string why = dw.protection(dw.get_row(), dw.get_column()); !why.empty()) return why;
  dw.set_text(a.text);
  if (dw.accept_text() != 1) {
    dw.discard_text();  // the old value stays
    return dw.last_error();
  }
  return kDone;
}

Refusal change_row(SessionState& st, const Action& a) {
  const Found<Object> found = target_datawindow(st, a);
  if (found.it == nullptr) return found.why;
  Object& c = *found.it;
  DataWindow& dw = *c.datawindow();
  if (dw.accept_text() != 1) return dw.last_error();
  if (dw.set_row(a.row) != 1) return dw.last_error();
  return raise(st, c, "rowfocuschanged", {long_value(a.row)});
}

Refusal press_enter(SessionState& st, const Action& a) {
  return raise_framework_event(st, target_control(st, a), "enter");
}

Refusal insert_row(SessionState& st, const Action& a) {
  const Found<Object> target = target_control(st, a);
  if (target.it != nullptr) {
    if (Refusal r = viewing_only(st, target.it)) return r;
  }
  return raise_framework_event(st, target, "insert");
}

Refusal delete_row(SessionState& st, const Action& a) {
  const Found<Object> target = target_control(st, a);
  if (target.it != nullptr) {
    if (Refusal r = viewing_only(st, target.it)) return r;
  }
  return raise_framework_event(st, target, "delete");
}

Refusal save(SessionState& st, const Action& a) {
  const Found<Object> target = target_window(st, a);
  if (target.it != nullptr) {
    if (Refusal r = viewing_only(st, nullptr)) return r;
  }
  return raise_framework_event(st, target, "save");
}

Refusal close_window(SessionState& st, const Action& a) {
  const Found<Object> w = target_window(st, a);
  if (w.it == nullptr) return w.why;
  st.session.close(*w.it);
  return kDone;
}

Refusal answer(SessionState& st, const Action& a) {
  if (!st.box) return "no message box waits for an answer";
  const std::vector<std::string> labels = button_labels(st.box->buttons);
  const auto count = static_cast<long>(labels.size());
  // A button named by its label is the one of this box: "Cancel" is the
  // second of OK/Cancel but the third of Yes/No/Cancel.
  if (!a.text.empty()) {
    std::string known;
    for (long i = 0; i < count; ++i) {
      const std::string& label = labels[static_cast<std::size_t>(i)];
      if (text::iequal(label, a.text)) {
        st.box_answer = static_cast<int>(i + 1);
        return kDone;
      }
      known += (i == 0 ? "" : ", ") + label;
    }
    return "the message box has no button " + a.text + " (it has " + known + ")";
  }
  if (a.number < 1 || a.number > count) {
    return "the message box has buttons 1 to " + std::to_string(count);
  }
  st.box_answer = static_cast<int>(a.number);
  return kDone;
}

Refusal resize(SessionState& st, const Action& a) {
  const Found<Object> found = target_window(st, a);
  if (found.it == nullptr) return found.why;
  Object& w = *found.it;
  w.set("width", long_value(a.width));
  w.set("height", long_value(a.height));
  st.session.context().trigger(
      w, "resize",
      std::vector<Value>{Value::of_long(0), long_value(a.width), long_value(a.height)});
  return kDone;
}

// Tab and Shift+Tab: the next (previous) control of the window in tab order
// that can take the focus, is visible and enabled and has a tab order above
// 0; past the last one it starts again from the first.
Refusal tab(SessionState& st, const Action& a) {
  const Found<Object> found = target_window(st, a);
  if (found.it == nullptr) return found.why;
  std::vector<Object*> order;
  each_control(*found.it, [&](Object& c) {
    if (can_take_focus(c) && flag(c, "visible", true) && flag(c, "enabled", true) &&
        number(c, "taborder") > 0) {
      order.push_back(&c);
    }
  });
  if (order.empty()) return "window " + found.it->cls().name() + " has no control to tab to";
  std::stable_sort(order.begin(), order.end(), [](const Object* x, const Object* y) {
    return number(*x, "taborder") < number(*y, "taborder");
  });
  const auto at = std::find(order.begin(), order.end(), st.session.focus());
  const auto n = static_cast<long>(order.size());
  long next = a.number < 0 ? n - 1 : 0;
  if (at != order.end()) next = ((at - order.begin()) + (a.number < 0 ? n - 1 : 1)) % n;
  return take_focus(st, *order[static_cast<std::size_t>(next)]);
}

// A split bar dragged by the operator: the framework's event moves it and
// the controls registered with it.
Refusal drag(SessionState& st, const Action& a) {
  const Found<Object> target = target_control(st, a);
  if (target.it == nullptr) return target.why;
  auto it = st.options.action_events.find("drag");
  if (it == st.options.action_events.end()) return "no event carries out drag";
  if (target.it->cls().find_event(it->second) == nullptr) {
    return "control " + target.it->name() + " cannot be dragged";
  }
  return raise(st, *target.it, it->second, {long_value(a.number)});
}

Refusal run(SessionState& st, const Action& a) {
  if (a.run) a.run(st.session);
  return kDone;
}

using Handler = Refusal (*)(SessionState&, const Action&);

Handler handler(Action::Kind kind) {
  using K = Action::Kind;
  switch (kind) {
    case K::kOpen:
      return open_window;
    case K::kClick:
      return click;
    case K::kType:
      return type_text;
    case K::kRow:
      return change_row;
    case K::kEnter:
      return press_enter;
    case K::kInsert:
      return insert_row;
    case K::kDelete:
      return delete_row;
    case K::kSave:
      return save;
    case K::kClose:
      return close_window;
    case K::kAnswer:
      return answer;
    case K::kResize:
      return resize;
    case K::kTab:
      return tab;
    case K::kDrag:
      return drag;
    case K::kRun:
      return run;
  }
  return nullptr;
}

// After every action, when asked: each data window's buffers must still be
// sound. The first fault names its window and control; a count says how many
// more there are.
void check_datawindows(SessionState& st) {
  const std::vector<std::string> faults = st.session.unsound_datawindows();
  if (faults.empty()) return;
  std::string reason = std::string(kUnsoundDataWindow) + ": " + faults.front();
  if (faults.size() > 1) reason += " (and " + std::to_string(faults.size() - 1) + " more)";
  st.add_refusal(std::move(reason));
}

}  // namespace

void carry_out(SessionState& st, const Action& a) {
  Refusal refused;
  if (st.box && a.kind != Action::Kind::kAnswer) {
    refused = "a message box waits for an answer";
  } else if (const Handler h = handler(a.kind); h == nullptr) {
    refused = "unknown action " + std::to_string(static_cast<int>(a.kind));
  } else {
    try {
      refused = h(st, a);
    } catch (const std::exception& e) {
      // Not a refusal but a failure underneath (a damaged module, a lost
      // database): the operator still hears of it, with what failed.
      refused = std::string("failed: ") + e.what();
    }
  }
  if (refused) st.add_refusal(std::move(*refused));
  run_posted(st);
  if (st.options.check_invariants) check_datawindows(st);
}

}  // namespace fh
