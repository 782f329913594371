// A session: one user's application. It owns the script context, the
// transaction object (sqlca), the open windows and the queue of actions that
// front ends post. Everything runs on the thread that calls run_pending()
// (the session's thread); post() may be called from any thread.
//
// Modal calls (a message box, a response window) run a nested loop on the
// session's thread that keeps taking actions until answered or closed, so the
// script that called them goes on afterwards with the answer.
//
// What front ends show of a session is its view: formhost/view.h.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/context.h"
#include "formhost/export.h"
#include "formhost/transaction.h"

namespace fh {

// The enumeration values scripts pass to MessageBox. Icons: 0 Information,
// 1 StopSign, 2 Exclamation, 3 Question, 4 None. Buttons: 0 OK, 1 OK/Cancel,
// 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel. The answer
// is the 1-based number of the button pressed (Yes 1, No 2), -1 on error.
struct MessageBoxRequest {
  std::string title;  // GBK
  std::string text;   // GBK
  int icon = 0;
  int buttons = 0;
  int default_button = 1;
};
FH_API const char* icon_name(int icon);                      // "question", ...; null when unknown
FH_API std::vector<std::string> button_labels(int buttons);  // {"Yes", "No"}; empty when unknown

// What a front end asks of the session. Windows are named by class; an empty
// window means the active (topmost) one. Texts are GBK.
class Session;
struct Action {
  enum class Kind {
    kOpen,    // window, text = parameter
    kClick,   // control (a menu item too); on a data window, column names the
              // header text clicked
    kType,    // control (a data window), row, column, text
    kRow,     // control, row: makes it current, raises rowfocuschanged
    kEnter,   // control: the Enter key in a data window
    kInsert,  // control: a new row through the framework's event
    kDelete,  // control: the current row through the framework's event
    kSave,    // the window's save event
    kClose,   // window
    kAnswer,  // number: the button pressed in the pending message box; or text:
              // its label ("Yes", "Cancel"), whichever place it has in this box
    kResize,  // window, width, height
    kTab,     // window, number: the Tab key (1) or Shift+Tab (-1), focus in tab order
    kDrag,    // control (a split bar), number: dragged to that y (a horizontal bar) or x
    kRun,     // run: the front end's own work on the session's thread
  };
  explicit Action(Kind k = Kind::kClick) : kind(k) {}

  Kind kind;
  std::string window;
  std::string control;
  long row = 0;
  std::string column;
  std::string text;
  long number = 0;
  long width = 0;
  long height = 0;
  std::function<void(Session&)> run;
};

struct SessionOptions {
  // Where data-window objects come from; the modules' containers when null.
  const DataObjectLibrary* library = nullptr;
  ErrorPolicy error_policy = ErrorPolicy::kAbandon;
  bool trace = false;
  std::shared_ptr<TraceSink> trace_sink;  // stderr when null
  std::shared_ptr<const Clock> clock;     // the system clock when null
  // Headless: a modal call with no queued action to answer it fails (-1)
  // instead of waiting for a front end.
  bool headless = true;
  // The framework's events behind the insert, delete and save actions
  // ("insert" -> "pfc_insertrow"...); an action without one is refused.
  std::map<std::string, std::string> action_events;
  // Checks every data window of every open window after each action (tests
  // and scenarios): a broken buffer is refused as kUnsoundDataWindow.
  bool check_invariants = false;
};

// How a refusal for a data window with broken buffers begins; the rest names
// the window, the control and the fault ("...: w_x.dw_y: primary row 2 ...").
inline constexpr std::string_view kUnsoundDataWindow = "data window left unsound";

struct SessionState;

class FH_API Session {
 public:
  Session(ClassRegistry& registry, SessionOptions options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Context& context() { return *ctx_; }
  Transaction& sqlca() { return sqlca_; }
  const Transaction& sqlca() const { return sqlca_; }
  const DataObjectLibrary* library() const;

  // ---- windows ----
  // Opens a window of that class: creates it and its controls (constructor
  // events), raises open, then runs what the scripts posted. `parm` reaches
  // the window through the message object (stringparm for a string,
  // powerobjectparm for an object, doubleparm for a number). Throws fh::Error
  // for an unknown class or a class that is no window.
  ObjectRef open(std::string_view class_name, const Value& parm = {});
  // The same, then a nested loop until the window closes: a response window.
  // Answers the message object's returnvalue at close.
  Value open_modal(std::string_view class_name, const Value& parm = {});
  // The nested loop of an open response window: takes actions (and runs
  // what scripts posted) until it closes; answers its returnvalue.
  Value run_modal(Object& window);
  // Closes a window: closequery first (an answer of 1 keeps the window
  // open, as when the operator cancels the save question: 0), then close and
  // destroy, then it is gone. 1, or -1 when it is not open.
  int close(Object& window);
  const std::vector<ObjectRef>& windows() const;
  // An open window by class name (the topmost of that class), or null.
  Object* window(std::string_view class_name) const;
  Object* active_window() const;
  // Whether the window is an open response window that others wait behind.
  bool is_modal(const Object& window) const;
  // Whether a window is of the response type (windowtype response!), which a
  // script's open waits for.
  static bool is_response(const Object& window);

  // The keyboard focus: one control of one window at a time. SetFocus raises
  // losefocus on the control that had it, then getfocus on the new one.
  // 1, or -1 for a destroyed control.
  int set_focus(Object& control);
  Object* focus() const;  // null when no control has it

  // Shows the data-window object `name` in a data-window control. 1 or -1.
  int set_dataobject(Object& control, std::string_view name);

  // ---- events and modal calls, for scripts ----
  // Runs an event after the current script and its callers are done (PostEvent).
  void post_event(Object& obj, std::string_view event, std::vector<Value> args = {});
  // A message box; a nested loop until it is answered.
  int message_box(const MessageBoxRequest& request);
  const std::optional<MessageBoxRequest>& pending_message_box() const;
  // A script declines what the user asked for (an operation switched off):
  // the reason reaches the front end as the action's refusal.
  void refuse(std::string reason);

  // ---- actions from front ends ----
  void post(Action action);  // any thread
  // Takes the queued actions one by one until none is left. An action that
  // cannot be carried out is refused with a reason and the session goes on:
  // answers the reasons, in order.
  std::vector<std::string> run_pending();

  // A session with a front end on another thread (not headless): serve()
  // runs on the session's thread, taking actions as they come, until stop().
  // The front end posts, then wait_idle() until the session waits for the
  // next action; only then may it read the view (formhost/view.h) and
  // take_refusals().
  void serve();
  void stop();
  void wait_idle();
  std::vector<std::string> take_refusals();
  // Rows the retrievals of the action being carried out have read so far
  // (counted every few dozen rows); any thread may ask, while it runs.
  long rows_read() const;

  // What is wrong with the buffers of the open windows' data windows, each
  // fault as "window.control: fault"; empty when all are sound.
  std::vector<std::string> unsound_datawindows() const;

 private:
  // The same without closequery: a response window left without actions.
  int close_unasked(Object& window);

  ClassRegistry& registry_;
  std::unique_ptr<Context> ctx_;
  Transaction sqlca_;
  // Windows, modal loops, posted events and the action queue: the last, so
  // the windows go before the transaction and the context.
  std::unique_ptr<SessionState> state_;
};

}  // namespace fh
