// One handler per action a front end posts. A handler throws fh::Error for an
// action that cannot be carried out; carry_out turns it into a refusal.
#include <string>
#include <vector>

#include "formhost/errors.h"
#include "formhost/object.h"
#include "formhost/session.h"
#include "session/state.h"

namespace fh {
namespace {

Object& target_window(const SessionState& st, const Action& a) {
  const Session& s = st.session;
  Object* w = a.window.empty() ? s.active_window() : s.window(a.window);
  if (w == nullptr) {
    throw Error(a.window.empty() ? std::string("no window is open")
                                 : "window " + a.window + " is not open");
  }
  if (!st.modal.empty() && w != st.modal.back()) {
    throw Error("window " + w->cls().name() + " waits behind the response window " +
                st.modal.back()->cls().name());
  }
  return *w;
}

// A control of the target window, or an item of its menu.
Object& target_control(const SessionState& st, const Action& a) {
  Object& w = target_window(st, a);
  Object* c = find_control(w, a.control);
  if (c == nullptr) {
    if (Object* menu = menu_of(w)) c = find_control(*menu, a.control);
  }
  if (c == nullptr) throw Error("window " + w.cls().name() + " has no control " + a.control);
  return *c;
}

DataWindow& datawindow_of(Object& c) {
  if (c.datawindow() == nullptr) throw Error("control " + c.name() + " is not a data window");
  return *c.datawindow();
}

// The framework's event behind a user's action ("insert" -> "pfc_insertrow").
const std::string& framework_event(const SessionState& st, const char* action) {
  auto it = st.options.action_events.find(action);
  if (it == st.options.action_events.end()) {
    throw Error(std::string("no event carries out ") + action);
  }
  return it->second;
}

void raise(SessionState& st, Object& obj, const std::string& event, std::vector<Value> args = {}) {
  const EventResult r = st.session.context().trigger(obj, event, args);
  if (r.status == FH_STATUS_FAILED) throw Error(obj.name() + " has no event " + event);
}

Value long_value(long n) { return Value::of_long(static_cast<std::int32_t>(n)); }

void open_window(SessionState& st, const Action& a) {
  st.session.open(a.window, a.text.empty() ? Value() : Value::of_string(a.text));
}

void click(SessionState& st, const Action& a) {
  Object& c = target_control(st, a);
  if (!flag(c, "enabled", true) || !flag(c, "visible", true)) {
    throw Error("control " + c.name() + " is not enabled");
  }
  if (c.cls().kind() == Kind::kCheckBox) {
    c.set("checked", Value::of_bool(!flag(c, "checked", false)));
  }
  if (c.datawindow() == nullptr) {
    raise(st, c, "clicked");
    return;
  }
  // clicked(xpos, ypos, row, dwo): the header text or column clicked.
  ObjectRef dwo = instantiate(st.session.context().registry().load("dwobject"), a.column);
  dwo->set("name", Value::of_string(a.column));
  raise(st, c, "clicked",
        {Value::of_long(0), Value::of_long(0), long_value(a.row), Value::of_object(dwo)});
}

void type_text(SessionState& st, const Action& a) {
  Object& c = target_control(st, a);
  DataWindow& dw = datawindow_of(c);
  const long row = a.row == 0 ? dw.get_row() : a.row;
  if (row != dw.get_row()) {
    if (dw.set_row(row) != 1) throw Error(dw.last_error());
    raise(st, c, "rowfocuschanged", {long_value(row)});
  }
  if (dw.set_column(a.column) != 1) throw Error(dw.last_error());
  dw.set_text(a.text);
  if (dw.accept_text() != 1) {
    dw.discard_text();  // the old value stays
    throw Error(dw.last_error());
  }
}

void change_row(SessionState& st, const Action& a) {
  Object& c = target_control(st, a);
  DataWindow& dw = datawindow_of(c);
  if (dw.accept_text() != 1) throw Error(dw.last_error());
  if (dw.set_row(a.row) != 1) throw Error(dw.last_error());
  raise(st, c, "rowfocuschanged", {long_value(a.row)});
}

void press_enter(SessionState& st, const Action& a) {
  raise(st, target_control(st, a), framework_event(st, "enter"));
}

void insert_row(SessionState& st, const Action& a) {
  raise(st, target_control(st, a), framework_event(st, "insert"));
}

void delete_row(SessionState& st, const Action& a) {
  raise(st, target_control(st, a), framework_event(st, "delete"));
}

void save(SessionState& st, const Action& a) {
  raise(st, target_window(st, a), framework_event(st, "save"));
}

void close_window(SessionState& st, const Action& a) { st.session.close(target_window(st, a)); }

void answer(SessionState& st, const Action& a) {
  if (!st.box) throw Error("no message box waits for an answer");
  const auto count = static_cast<long>(button_labels(st.box->buttons).size());
  if (a.number < 1 || a.number > count) {
    throw Error("the message box has buttons 1 to " + std::to_string(count));
  }
  st.box_answer = static_cast<int>(a.number);
}

void resize(SessionState& st, const Action& a) {
  Object& w = target_window(st, a);
  w.set("width", long_value(a.width));
  w.set("height", long_value(a.height));
  st.session.context().trigger(
      w, "resize",
      std::vector<Value>{Value::of_long(0), long_value(a.width), long_value(a.height)});
}

using Handler = void (*)(SessionState&, const Action&);

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
  }
  throw Error("unknown action " + std::to_string(static_cast<int>(kind)));
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
  try {
    if (st.box && a.kind != Action::Kind::kAnswer) {
      throw Error("a message box waits for an answer");
    }
    handler(a.kind)(st, a);
  } catch (const std::exception& e) {
    st.add_refusal(e.what());
  }
  run_posted(st);
  if (st.options.check_invariants) check_datawindows(st);
}

}  // namespace fh
