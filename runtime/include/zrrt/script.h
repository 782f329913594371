// What a window's event script sees: the script `s`, handles on objects, and
// values with the platform's operators.
//
// Every call on a handle (and every call of `s` that takes a call site) is
// one statement under the failure rules: a missing object raises runtime
// error 20502, which the session's error policy either skips (the call does
// nothing and answers null, 0 or an empty handle) or turns into abandoning
// the script; a host operation that fails abandons the script, and with the
// trace switch on the wrapper writes one record naming the call site.
#pragma once

#include <array>
#include <cstddef>
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
#include "formhost/operators.h"
#include "formhost/value.h"

namespace fh {
class DataWindow;
class Session;
class Transaction;
}  // namespace fh

namespace zr {

class Script;
using Site = std::source_location;
using fh::Value;

// The short, stable identifier of a call site: the same for the same source
// line and column of the same file in every build, different between sites.
std::string site_id(const Site& site);

// What a script body answers: a value (return n;) or nothing (return {};),
// in which case an event with a result answers the implicit result.
class Answer {
 public:
  Answer() = default;
  Answer(int n) : returned_(true), value_(Value::of_long(n)) {}  // NOLINT: return 1;
  Answer(Value v) : returned_(true), value_(std::move(v)) {}     // NOLINT
  bool returned() const { return returned_; }
  const Value& value() const { return value_; }

 private:
  bool returned_ = false;
  Value value_;
};

// Thrown to abandon the running script; the wrapper catches it and traces it
// with `site`.
struct Abandon {
  std::int32_t status;  // the failed operation's status
  std::string site;     // empty: abandoned by the error policy, no failed operation
};

// A fixed array of values numbered from 1, as the platform's arrays are:
// `zr::Array<16> captions{""};` then `captions[n]` for n in 1..16. An index
// outside the bounds is a programming error.
template <std::size_t N>
class Array {
 public:
  Array() = default;
  explicit Array(const Value& initial) { values_.fill(initial); }
  explicit Array(std::string_view initial) : Array(Value::of_string(std::string(initial))) {}
  explicit Array(int initial) : Array(Value::of_long(initial)) {}

  Value& operator[](long n) { return values_[index(n)]; }
  const Value& operator[](long n) const { return values_[index(n)]; }
  static constexpr long size() { return static_cast<long>(N); }
  std::span<Value> values() { return values_; }

 private:
  static std::size_t index(long n) {
    FH_EXPECTS(n >= 1 && n <= static_cast<long>(N), "an index inside the array");
    return static_cast<std::size_t>(n - 1);
  }
  std::array<Value, N> values_;
};

// A handle on an object a script uses: a window, a control, a service. It
// may be empty (the control does not exist, the reference was null); each
// call then raises 20502 under the error policy. Cheap to copy.
class Handle {
 public:
  Handle() = default;
  Handle(Script& s, fh::ObjectRef obj) : s_(&s), obj_(std::move(obj)) {}

  bool valid() const { return fh::is_valid(obj_); }
  explicit operator bool() const { return valid(); }
  // The object itself; an empty handle raises 20502 (outside a statement:
  // the script is abandoned).
  fh::Object& object() const;
  fh::Object* operator->() const { return &object(); }
  const fh::ObjectRef& ref() const { return obj_; }
  Value as_value() const { return Value::of_object(obj_); }

  // A child control by name (tab pages included); empty when there is none.
  Handle control(std::string_view name) const;

  // Properties and instance variables. Reading one the object lacks fails.
  Value get(std::string_view name, Site site = Site::current()) const;
  void set(std::string_view name, const Value& v, Site site = Site::current()) const;
  // An element of a declared array: set("lls", 3, v) is lls[3] = v.
  void set(std::string_view array, long index, const Value& v, Site site = Site::current()) const;

  // Raises an event by name and answers its result. An event without a
  // script counts as success and answers null; other failures abandon.
  Value raise(std::string_view event, std::initializer_list<Value> args = {},
              Site site = Site::current()) const;
  // PostEvent: runs after the current scripts.
  void post(std::string_view event, std::vector<Value> args = {},
            Site site = Site::current()) const;

  // ---- data windows: a control without one fails ----
  Value get_item(long row, std::string_view column, Site site = Site::current()) const;
  void set_item(long row, std::string_view column, const Value& v,
                Site site = Site::current()) const;
  long get_row(Site site = Site::current()) const;
  long row_count(Site site = Site::current()) const;
  long retrieve(std::initializer_list<Value> args = {}, Site site = Site::current()) const;
  // One property through Modify: the value is quoted (texts) or written out
  // (numbers) here, so quotes, tildes and GBK bytes arrive as they are. A null
  // value cannot be written and fails.
  void modify(std::string_view property, const Value& value, Site site = Site::current()) const;
  void modify(std::string_view property, std::string_view text, Site site = Site::current()) const;
  void modify(std::string_view property, long number, Site site = Site::current()) const;
  // Modify with an expression the script writes out whole, for constants
  // only: values go through modify(property, value).
  void modify_expression(std::string_view expression, Site site = Site::current()) const;
  std::string describe(std::string_view expression, Site site = Site::current()) const;
  // GetSQLSelect: the SELECT the data-window object retrieves with ("" for none).
  std::string get_sql_select(Site site = Site::current()) const;
  // SetFocus: the keyboard focus moves to this control.
  void set_focus(Site site = Site::current()) const;
  // SetColumn: the column becomes the current one; an unknown column fails.
  void set_column(std::string_view column, Site site = Site::current()) const;
  // SelectTab on a tab control: shows page `index` (from 1).
  void select_tab(long index, Site site = Site::current()) const;
  // Update(accept, reset): its 1 or -1 is the script's to judge.
  int update(bool accept = true, bool reset = true, Site site = Site::current()) const;
  // The rows themselves, for the framework's own work.
  fh::DataWindow& datawindow(Site site = Site::current()) const;

 private:
  Script& script() const;

  Script* s_ = nullptr;
  fh::ObjectRef obj_;
};

class Script {
 public:
  Script(fh::Context& ctx, fh_call& call) : ctx_(ctx), call_(call) {}

  fh::Context& ctx() { return ctx_; }
  fh::Object& self() { return *call_.self; }
  Handle me() { return Handle(*this, call_.self->shared_from_this()); }
  // The window of the object whose script runs (itself for a window); a
  // control without one raises 20543.
  Handle window();
  // A control of that window, found by name anywhere in it.
  Handle control(std::string_view name);
  Handle handle(fh::Object& obj) { return Handle(*this, obj.shared_from_this()); }
  // The object a value holds; an empty handle when it holds none.
  Handle object(const Value& ref);

  // The event's arguments; a missing one is a failed host operation.
  const Value& arg(std::size_t i, Site site = Site::current()) const;
  std::size_t arg_count() const { return call_.args.size(); }
  // What the ancestor's script answered (null when it had none).
  const Value& ancestor_result() const { return ancestor_result_; }

  // ---- the session: windows, message boxes ----
  fh::Session& session(Site site = Site::current());
  // MessageBox(title, text, icon, buttons, default): the button pressed, -1 on error.
  int message_box(const std::string& title, const std::string& text, int icon = 0, int buttons = 0,
                  int default_button = 1, Site site = Site::current());
  // Opens a window; an unknown class fails. A response window (by its
  // type, or through open_modal) holds the script here until it closes;
  // open_modal answers what it closed with.
  Handle open(std::string_view class_name, const Value& parm = {}, Site site = Site::current());
  Value open_modal(std::string_view class_name, const Value& parm = {},
                   Site site = Site::current());
  // A new instance of a structure (a local structure variable) or of an
  // object, whose create script runs; an unknown class fails.
  Handle create(std::string_view class_name, Site site = Site::current());
  // DESTROY: the object's destroy script runs, then the object is gone.
  void destroy(const Handle& object, Site site = Site::current());
  void close(const Handle& window, Site site = Site::current());
  void close_with_return(const Handle& window, const Value& value, Site site = Site::current());
  // Declines what the operator asked for; the reason reaches the front end.
  void refuse(const std::string& reason, Site site = Site::current());

  // ---- embedded SQL through sqlca: the outcome is in SQLCode, never a failure ----
  int select_into(std::string_view sql, std::initializer_list<Value> params,
                  std::span<Value> targets, Site site = Site::current());
  template <std::size_t N>
  int select_into(std::string_view sql, std::initializer_list<Value> params, Array<N>& targets,
                  Site site = Site::current()) {
    return select_into(sql, params, targets.values(), site);
  }
  int execute_sql(std::string_view sql, std::initializer_list<Value> params = {},
                  Site site = Site::current());
  fh::Transaction& sqlca(Site site = Site::current());
  // The global transaction object, to pass where a script names sqlca.
  Value sqlca_object() const { return Value::of_object(ctx_.sqlca()); }

  // Calls a global function some module defines and answers its result; a
  // name no module defines, or a function that fails, is a failed host operation.
  Value call(std::string_view function, std::initializer_list<Value> args = {},
             Site site = Site::current());

  // Abandons the script as a failed host operation at this site.
  [[noreturn]] void fail(std::int32_t status, Site site = Site::current()) const;
  // Checks a host operation's status: negative abandons the script.
  std::int32_t check(std::int32_t status, Site site = Site::current()) const {
    if (status < 0) fail(status, site);
    return status;
  }

  // Runs one statement of the runtime under the failure rules; what a
  // skipped statement answers is a default `R`.
  template <typename F>
  auto statement(const Site& site, F&& body) -> decltype(body()) {
    using R = decltype(body());
    try {
      return std::forward<F>(body)();
    } catch (const fh::RuntimeError& e) {
      on_runtime_error(e);
    } catch (const fh::HostFailure& f) {
      fail(f.status(), site);
    } catch (const fh::Error&) {
      fail(FH_STATUS_FAILED, site);
    }
    if constexpr (!std::is_void_v<R>) return R{};
  }

 private:
  friend int run_script(fh_context*, fh_call*, const struct ScriptInfo&) noexcept;
  void on_runtime_error(const fh::RuntimeError& e);
  void check_event(std::int32_t status, Site site) const;

  fh::Context& ctx_;
  fh_call& call_;
  Value ancestor_result_;
};

}  // namespace zr
