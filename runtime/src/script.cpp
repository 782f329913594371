#include "zrrt/script.h"

#include <cstdio>
#include <vector>

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

const fh::Value& Script::arg(std::size_t i, Site site) const {
  if (i >= call_.args.size()) fail(FH_STATUS_FAILED, site);
  return call_.args[i];
}

void Script::on_runtime_error(const fh::RuntimeError& e) {
  if (ctx_.error_policy() == fh::ErrorPolicy::kContinue) return;  // the statement is skipped
  throw Abandon{static_cast<std::int32_t>(e.code()), {}};
}

fh::Object& Script::parent_window() {
  fh::Object& me = self();
  fh::Object* w = me.parent() == nullptr ? nullptr : me.parent()->window();
  if (me.cls().kind() == fh::Kind::kWindow) w = &me;
  if (!fh::is_valid(w)) {
    throw fh::RuntimeError(fh::RuntimeCode::kNoParent,
                           "control '" + me.name() + "' has no parent window");
  }
  return *w;
}

fh::Object& Script::control(std::string_view name) { return control(parent_window(), name); }

fh::Object& Script::control(fh::Object& owner, std::string_view name) {
  fh::Object* c = owner.control(name);
  if (!fh::is_valid(c)) null_object("'" + owner.name() + "' has no control '" + std::string(name) + "'");
  return *c;
}

fh::Object& Script::object(const fh::Value& ref) {
  if (!fh::is_valid(ref)) null_object("the value holds no valid object");
  return *ref.as_object();
}

fh::Value Script::get(fh::Object& obj, std::string_view name, Site site) {
  if (!obj.has(name)) fail(FH_STATUS_FAILED, site);
  return obj.get(name);
}

void Script::set(fh::Object& obj, std::string_view name, fh::Value v) { obj.set(name, std::move(v)); }

fh::Value Script::raise(fh::Object& obj, std::string_view event,
                        std::initializer_list<fh::Value> args, Site site) {
  const std::vector<fh::Value> list(args);
  fh::EventResult r = ctx_.trigger(obj, event, list);
  if (r.status == FH_STATUS_NO_SCRIPT) return r.result;
  check(r.status, site);
  return r.result;
}

void Script::post_if_exists(fh::Object& obj, std::string_view event,
                            std::initializer_list<fh::Value> args) {
  if (obj.cls().find_event(event) == nullptr) return;
  const std::vector<fh::Value> list(args);
  ctx_.trigger(obj, event, list);
}

void Script::destroy(const fh::Value& ref) { object(ref).destroy(); }

fh::Session& Script::session(Site site) {
  fh::Session* s = ctx_.session();
  if (s == nullptr) fail(FH_STATUS_FAILED, site);
  return *s;
}

int Script::message_box(const std::string& title, const std::string& text, int icon, int buttons,
                        int default_button, Site site) {
  return session(site).message_box({title, text, icon, buttons, default_button});
}

fh::Object& Script::open(std::string_view class_name, const fh::Value& parm, Site site) {
  try {
    return *session(site).open(class_name, parm);
  } catch (const fh::Error&) {
    fail(FH_STATUS_FAILED, site);
  }
}

fh::Value Script::open_modal(std::string_view class_name, const fh::Value& parm, Site site) {
  try {
    return session(site).open_modal(class_name, parm);
  } catch (const fh::Error&) {
    fail(FH_STATUS_FAILED, site);
  }
}

void Script::close(fh::Object& window, Site site) { check(session(site).close(window), site); }

void Script::close_with_return(fh::Object& window, const fh::Value& value, Site site) {
  if (fh::is_valid(ctx_.message())) ctx_.message()->set("returnvalue", value);
  close(window, site);
}

void Script::post(fh::Object& obj, std::string_view event, std::vector<fh::Value> args) {
  if (fh::Session* s = ctx_.session()) s->post_event(obj, event, std::move(args));
}

fh::DataWindow& Script::dw(fh::Object& control, Site site) {
  fh::DataWindow* d = control.datawindow();
  if (d == nullptr) fail(FH_STATUS_FAILED, site);
  return *d;
}

fh::Value Script::get_item(fh::Object& control, long row, std::string_view column, Site site) {
  try {
    return dw(control, site).get_item(row, column);
  } catch (const fh::HostFailure& f) {
    fail(f.status(), site);
  }
}

void Script::set_item(fh::Object& control, long row, std::string_view column, const fh::Value& v,
                      Site site) {
  try {
    check(dw(control, site).set_item(row, column, v), site);
  } catch (const fh::HostFailure& f) {
    fail(f.status(), site);
  }
}

long Script::get_row(fh::Object& control, Site site) { return dw(control, site).get_row(); }

long Script::row_count(fh::Object& control, Site site) { return dw(control, site).row_count(); }

long Script::retrieve(fh::Object& control, std::initializer_list<fh::Value> args, Site site) {
  const std::vector<fh::Value> list(args);
  const long n = dw(control, site).retrieve(list);
  if (n < 0) fail(static_cast<std::int32_t>(n), site);
  return n;
}

void Script::modify(fh::Object& control, const std::string& expr, Site site) {
  if (!dw(control, site).modify(expr).empty()) fail(FH_STATUS_FAILED, site);
}

std::string Script::describe(fh::Object& control, const std::string& expr, Site site) {
  return dw(control, site).describe(expr);
}

int Script::update(fh::Object& control, bool accept, bool reset, Site site) {
  return dw(control, site).update(accept, reset);
}

int Script::select_into(std::string_view sql, std::initializer_list<fh::Value> params,
                        std::span<fh::Value> targets, Site site) {
  const std::vector<fh::Value> list(params);
  return session(site).sqlca().select_into(sql, list, targets);
}

int Script::execute_sql(std::string_view sql, std::initializer_list<fh::Value> params, Site site) {
  const std::vector<fh::Value> list(params);
  return session(site).sqlca().execute(sql, list);
}

void Script::fail(std::int32_t status, Site site) const { throw Abandon{status, site_id(site)}; }

}  // namespace zr
