// The script side of the library: what a window's event script sees.
//
// A script body is a list of steps. Each statement that uses an object runs
// inside s.step(...): when the object is missing, the session's error policy
// either skips exactly that statement or abandons the script. A host
// operation that fails abandons the script; with the trace switch on, the
// wrapper writes one record naming the call site.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <source_location>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formhost/context.h"
#include "formhost/errors.h"
#include "formhost/object.h"
#include "formhost/session.h"
#include "formhost/value.h"

namespace zr {

struct ScriptInfo;
using Site = std::source_location;

// The short, stable identifier of a call site: the same for the same source
// line and column of the same file in every build, different between sites.
std::string site_id(const Site& site);

// What a script body answers: a value (return n;) or nothing (return {};),
// in which case an event with a result answers the implicit result.
class Answer {
 public:
  Answer() = default;
  Answer(int n) : returned_(true), value_(fh::Value::of_long(n)) {}  // NOLINT: return 1;
  Answer(fh::Value v) : returned_(true), value_(std::move(v)) {}     // NOLINT
  bool returned() const { return returned_; }
  const fh::Value& value() const { return value_; }

 private:
  bool returned_ = false;
  fh::Value value_;
};

// Thrown to abandon the running script; the wrapper catches it.
struct Abandon {
  std::int32_t status;  // the failed operation's status
  std::string site;     // empty: abandoned without a failed operation of its own
};

class Script {
 public:
  Script(fh::Context& ctx, fh_call& call) : ctx_(ctx), call_(call) {}

  fh::Context& ctx() { return ctx_; }
  fh::Object& self() { return *call_.self; }
  // The event's arguments; a missing one is a failed host operation.
  const fh::Value& arg(std::size_t i, Site site = Site::current()) const;
  std::size_t arg_count() const { return call_.args.size(); }
  // What the ancestor's script answered (null when it had none).
  const fh::Value& ancestor_result() const { return ancestor_result_; }

  // Runs one statement. A runtime error inside it (null object, no parent,
  // division by zero) goes to the error policy: skip this statement or abandon.
  template <typename F>
  void step(F&& statement) {
    try {
      std::forward<F>(statement)();
    } catch (const fh::RuntimeError& e) {
      on_runtime_error(e);
    }
  }

  // Objects. A null or destroyed reference raises runtime error 20502; a
  // control asking for the parent window it lacks raises 20543.
  fh::Object& parent_window();
  fh::Object& control(std::string_view name);           // a control of self's window
  fh::Object& control(fh::Object& owner, std::string_view name);
  fh::Object& object(const fh::Value& ref);             // an object held in a value

  // Properties and instance variables of an object.
  fh::Value get(fh::Object& obj, std::string_view name, Site site = Site::current());
  void set(fh::Object& obj, std::string_view name, fh::Value v);

  // Raises an event on an object by name. A handler-less event counts as
  // success (its result stays as the host left it: null); every other
  // negative status abandons the script.
  fh::Value raise(fh::Object& obj, std::string_view event,
                  std::initializer_list<fh::Value> args = {}, Site site = Site::current());
  // Calls an event by name when the object has it; its absence is no error.
  void post_if_exists(fh::Object& obj, std::string_view event,
                      std::initializer_list<fh::Value> args = {});
  // Destroys the object a value refers to; a null or invalid one raises 20502.
  void destroy(const fh::Value& ref);

  // ---- the session: windows, message boxes, posted events ----
  fh::Session& session(Site site = Site::current());
  // MessageBox(title, text, icon, buttons, default): the button pressed, -1 on error.
  int message_box(const std::string& title, const std::string& text, int icon = 0, int buttons = 0,
                  int default_button = 1, Site site = Site::current());
  // Opens a window; a response window waits here until it closes and answers
  // what it closed with (the message object's returnvalue).
  fh::Object& open(std::string_view class_name, const fh::Value& parm = {}, Site site = Site::current());
  fh::Value open_modal(std::string_view class_name, const fh::Value& parm = {},
                       Site site = Site::current());
  // Close(window) and CloseWithReturn(window, value).
  void close(fh::Object& window, Site site = Site::current());
  void close_with_return(fh::Object& window, const fh::Value& value, Site site = Site::current());
  // PostEvent: runs after the current scripts.
  void post(fh::Object& obj, std::string_view event, std::vector<fh::Value> args = {});

  // The data window of a data-window control; another control fails.
  fh::DataWindow& dw(fh::Object& control, Site site = Site::current());

  // ---- data-window operations through a control; a bad row or column, a
  // failed retrieval or a refused Modify abandons the script ----
  fh::Value get_item(fh::Object& control, long row, std::string_view column,
                     Site site = Site::current());
  void set_item(fh::Object& control, long row, std::string_view column, const fh::Value& v,
                Site site = Site::current());
  long get_row(fh::Object& control, Site site = Site::current());
  long row_count(fh::Object& control, Site site = Site::current());
  long retrieve(fh::Object& control, std::initializer_list<fh::Value> args = {},
                Site site = Site::current());
  void modify(fh::Object& control, const std::string& expr, Site site = Site::current());
  std::string describe(fh::Object& control, const std::string& expr, Site site = Site::current());
  // Update(accept, reset): its 1 or -1 is the script's to judge.
  int update(fh::Object& control, bool accept = true, bool reset = true, Site site = Site::current());

  // ---- embedded SQL through sqlca: the outcome is in SQLCode, never a failure ----
  int select_into(std::string_view sql, std::initializer_list<fh::Value> params,
                  std::span<fh::Value> targets, Site site = Site::current());
  int execute_sql(std::string_view sql, std::initializer_list<fh::Value> params = {},
                  Site site = Site::current());

  // Abandons the script as a failed host operation at this site.
  [[noreturn]] void fail(std::int32_t status, Site site = Site::current()) const;
  // Checks a host operation's status: negative abandons the script.
  std::int32_t check(std::int32_t status, Site site = Site::current()) const {
    if (status < 0) fail(status, site);
    return status;
  }

 private:
  friend int run_script(fh_context*, fh_call*, const ScriptInfo&) noexcept;
  void on_runtime_error(const fh::RuntimeError& e);

  fh::Context& ctx_;
  fh_call& call_;
  fh::Value ancestor_result_;
};

}  // namespace zr
