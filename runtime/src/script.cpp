#include "zrrt/script.h"

#include <cstdio>

#include "formhost/classes.h"
#include "formhost/datawindow.h"
#include "formhost/dwobject.h"
#include "formhost/session.h"
#include "formhost/transaction.h"

namespace zr {
namespace {

[[noreturn]] void null_object(std::string_view what) {
  throw fh::RuntimeError(fh::RuntimeCode::kNullObject,
                         "null object reference: " + std::string(what));
}

std::string_view base_name(std::string_view path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::vector<Value> list(std::initializer_list<Value> args) { return std::vector<Value>(args); }

}  // namespace

std::string site_id(const Site& site) {
  // FNV-1a over what identifies the site in the source, not where it was built.
  std::uint32_t h = 2166136261u;
  auto mix = [&h](std::string_view bytes) {
    for (const char c : bytes) {
      h ^= static_cast<unsigned char>(c);
      h *= 16777619u;
    }
  };
  mix(base_name(site.file_name()));
  mix(":");
  mix(std::to_string(site.line()));
  mix(":");
  mix(std::to_string(site.column()));
  char text[12];
  std::snprintf(text, sizeof text, "%x", h & 0xFFFFFFFu);
  return text;
}

// ---- Handle ----

fh::Object& Handle::object() const {
  if (!valid()) null_object(obj_ ? "'" + obj_->name() + "' was destroyed" : "no object");
  return *obj_;
}

Script& Handle::script() const {
  // A handle declared but never given an object has no script either.
  if (s_ == nullptr) null_object("a handle that was never set");
  return *s_;
}

Handle Handle::control(std::string_view name) const {
  fh::Object* c = valid() ? fh::find_control(*obj_, name) : nullptr;
  return Handle(script(), c == nullptr ? nullptr : c->shared_from_this());
}

Value Handle::get(std::string_view name, Site site) const {
  return script().statement(site, [&] {
    fh::Object& o = object();
    if (!o.has(name)) script().fail(FH_STATUS_FAILED, site);
    return o.get(name);
  });
}

void Handle::set(std::string_view name, const Value& v, Site site) const {
  script().statement(site, [&] { object().set(name, v); });
}

void Handle::set(std::string_view array, long index, const Value& v, Site site) const {
  script().statement(site, [&] {
    const std::string element = fh::element_name(array, index);
    fh::Object& o = object();
    // Only the declared elements exist: lls[8] of a string lls[7] fails.
    if (!o.has(element)) script().fail(FH_STATUS_FAILED, site);
    o.set(element, v);
  });
}

Value Handle::raise(std::string_view event, std::initializer_list<Value> args, Site site) const {
  return script().statement(site, [&] {
    const std::vector<Value> values = list(args);
    fh::EventResult r = script().ctx().trigger(object(), event, values);
    if (r.status != FH_STATUS_NO_SCRIPT) script().check(r.status, site);
    return r.result;
  });
}

void Handle::post(std::string_view event, std::vector<Value> args, Site site) const {
  script().statement(site,
                     [&] { script().session(site).post_event(object(), event, std::move(args)); });
}

fh::DataWindow& Handle::datawindow(Site site) const {
  fh::DataWindow* d = object().datawindow();
  if (d == nullptr) script().fail(FH_STATUS_FAILED, site);
  return *d;
}

Value Handle::get_item(long row, std::string_view column, Site site) const {
  return script().statement(site, [&] { return datawindow(site).get_item(row, column); });
}

void Handle::set_item(long row, std::string_view column, const Value& v, Site site) const {
  script().statement(site,
                     [&] { script().check(datawindow(site).set_item(row, column, v), site); });
}

long Handle::get_row(Site site) const {
  return script().statement(site, [&] { return datawindow(site).get_row(); });
}

long Handle::row_count(Site site) const {
  return script().statement(site, [&] { return datawindow(site).row_count(); });
}

long Handle::retrieve(std::initializer_list<Value> args, Site site) const {
  return script().statement(site, [&] {
    const std::vector<Value> values = list(args);
    const long n = datawindow(site).retrieve(values);
    if (n < 0) script().fail(static_cast<std::int32_t>(n), site);
    return n;
  });
}

void Handle::modify(std::string_view property, const Value& value, Site site) const {
  script().statement(site, [&] {
    fh::DataWindow& dw = datawindow(site);
    // An expression cannot carry a null.
    if (value.is_null()) script().fail(FH_STATUS_FAILED, site);
    const std::string text = value.type() == fh::Type::kString ? fh::modify_quote(value.as_string())
                                                               : fh::String(value).as_string();
    if (!dw.modify(std::string(property) + "=" + text).empty())
      script().fail(FH_STATUS_FAILED, site);
  });
}

void Handle::modify(std::string_view property, std::string_view text, Site site) const {
  modify(property, Value::of_string(std::string(text)), site);
}

void Handle::modify(std::string_view property, long number, Site site) const {
  modify(property, Value::of_long(static_cast<std::int32_t>(number)), site);
}

void Handle::modify_expression(std::string_view expression, Site site) const {
  script().statement(site, [&] {
    if (!datawindow(site).modify(std::string(expression)).empty())
      script().fail(FH_STATUS_FAILED, site);
  });
}

std::string Handle::describe(std::string_view expression, Site site) const {
  return script().statement(site,
                            [&] { return datawindow(site).describe(std::string(expression)); });
}

std::string Handle::get_sql_select(Site site) const {
  return script().statement(site, [&] { return datawindow(site).get_sqlselect(); });
}

void Handle::set_focus(Site site) const {
  script().statement(site,
                     [&] { script().check(script().session(site).set_focus(object()), site); });
}

void Handle::set_column(std::string_view column, Site site) const {
  script().statement(site, [&] { script().check(datawindow(site).set_column(column), site); });
}

void Handle::select_tab(long index, Site site) const {
  script().statement(site, [&] { script().check(fh::select_tab(object(), index), site); });
}

int Handle::update(bool accept, bool reset, Site site) const {
  return script().statement(site, [&] { return datawindow(site).update(accept, reset); });
}

// ---- Script ----

Handle Script::window() {
  fh::Object& me = self();
  fh::Object* w = me.cls().kind() == fh::Kind::kWindow ? &me : me.window();
  if (!fh::is_valid(w)) {
    on_runtime_error(fh::RuntimeError(fh::RuntimeCode::kNoParent,
                                      "control '" + me.name() + "' has no parent window"));
    // Skipped: an empty handle, whose calls are skipped or abandon in turn.
    return Handle(*this, nullptr);
  }
  return Handle(*this, w->shared_from_this());
}

Handle Script::control(std::string_view name) { return window().control(name); }

Handle Script::object(const Value& ref) {
  return Handle(*this, fh::is_valid(ref) ? ref.as_object() : nullptr);
}

const Value& Script::arg(std::size_t i, Site site) const {
  if (i >= call_.args.size()) fail(FH_STATUS_FAILED, site);
  return call_.args[i];
}

void Script::on_runtime_error(const fh::RuntimeError& e) {
  if (ctx_.error_policy() == fh::ErrorPolicy::kContinue) return;  // the statement is skipped
  throw Abandon{static_cast<std::int32_t>(e.code()), {}};
}

fh::Session& Script::session(Site site) {
  fh::Session* s = ctx_.session();
  if (s == nullptr) fail(FH_STATUS_FAILED, site);
  return *s;
}

fh::Transaction& Script::sqlca(Site site) { return session(site).sqlca(); }

int Script::message_box(const std::string& title, const std::string& text, int icon, int buttons,
                        int default_button, Site site) {
  return session(site).message_box({title, text, icon, buttons, default_button});
}

Handle Script::open(std::string_view class_name, const Value& parm, Site site) {
  fh::Session& s = session(site);
  if (ctx_.registry().find(class_name) == nullptr) fail(FH_STATUS_FAILED, site);
  return statement(site, [&] {
    fh::ObjectRef w = s.open(class_name, parm);
    // A response window holds the script here until it closes.
    if (fh::Session::is_response(*w) && !w->destroyed()) s.run_modal(*w);
    return Handle(*this, std::move(w));
  });
}

Value Script::open_modal(std::string_view class_name, const Value& parm, Site site) {
  fh::Session& s = session(site);
  if (ctx_.registry().find(class_name) == nullptr) fail(FH_STATUS_FAILED, site);
  return statement(site, [&] { return s.open_modal(class_name, parm); });
}

// An event without a script counts as success.
void Script::check_event(std::int32_t status, Site site) const {
  if (status != FH_STATUS_NO_SCRIPT) check(status, site);
}

Handle Script::create(std::string_view class_name, Site site) {
  const fh::ClassDef* cls = ctx_.registry().find(class_name);
  if (cls == nullptr) fail(FH_STATUS_FAILED, site);
  fh::ObjectRef obj = fh::instantiate(*cls);
  if (cls->kind() != fh::Kind::kStructure) check_event(ctx_.trigger(*obj, "create").status, site);
  return Handle(*this, std::move(obj));
}

void Script::destroy(const Handle& object, Site site) {
  statement(site, [&] {
    fh::Object& obj = object.object();
    check_event(ctx_.trigger(obj, "destroy").status, site);
    obj.destroy();
  });
}

Value Script::call(std::string_view function, std::initializer_list<Value> args, Site site) {
  const std::vector<Value> values(args);
  fh::EventResult r = ctx_.call_function(function, values);
  if (r.status != FH_STATUS_OK) fail(r.status, site);
  return std::move(r.result);
}

void Script::close(const Handle& window, Site site) {
  statement(site, [&] { check(session(site).close(window.object()), site); });
}

void Script::close_with_return(const Handle& window, const Value& value, Site site) {
  if (fh::is_valid(ctx_.message())) ctx_.message()->set("returnvalue", value);
  close(window, site);
}

void Script::refuse(const std::string& reason, Site site) { session(site).refuse(reason); }

int Script::select_into(std::string_view sql, std::initializer_list<Value> params,
                        std::span<Value> targets, Site site) {
  const std::vector<Value> values = list(params);
  return sqlca(site).select_into(sql, values, targets);
}

int Script::execute_sql(std::string_view sql, std::initializer_list<Value> params, Site site) {
  const std::vector<Value> values = list(params);
  return sqlca(site).execute(sql, values);
}

void Script::fail(std::int32_t status, Site site) const { throw Abandon{status, site_id(site)}; }

}  // namespace zr
