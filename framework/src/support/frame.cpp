#include "frame.h"

#include <algorithm>

#include "formhost/context.h"
#include "formhost/functions.h"
#include "formhost/session.h"
#include "formhost/text.h"

namespace zrf {
namespace {

void collect(fh::Object& obj, std::vector<fh::Object*>& out) {
  for (const fh::ObjectRef& c : obj.controls()) {
    if (c->datawindow() != nullptr) out.push_back(c.get());
    collect(*c, out);
  }
}

// The value of column `name` in the current row of a data window, when it has both.
std::optional<fh::Value> current_value(fh::Object* control, std::string_view name) {
  if (control == nullptr || control->datawindow() == nullptr) return std::nullopt;
  fh::DataWindow& dw = *control->datawindow();
  if (!dw.has_object() || dw.get_row() < 1) return std::nullopt;
  const fh::DataWindowObject& obj = dw.object();
  for (const fh::DwColumn& c : obj.columns()) {
    // By name, or by the database column behind an aliased name.
    const std::string db = fh::text::lower(c.dbname.substr(c.dbname.find('.') + 1));
    if (c.name == name || db == name) return dw.get_item(dw.get_row(), c.name);
  }
  return std::nullopt;
}

fh::Value argument_value(zr::Script& s, fh::Object& window, const fh::DwArgument& a,
                         fh::Object& control, fh::Object* source) {
  const std::string arg = fh::text::lower(a.name);
  const auto us = arg.find('_');
  const std::string name = us == std::string::npos ? arg : arg.substr(us + 1);
  if (auto v = current_value(source, name)) return *v;
  // The header's row, unless the header is what is being retrieved.
  fh::Object* head = find_control(window, "dw_head");
  if (head != &control) {
    if (auto v = current_value(head, name)) return *v;
  }
  for (const char* prefix : {"is_", "il_"}) {
    const fh::Value v = window.get(std::string(prefix) + name);
    const bool empty = v.is_null() || (v.type() == fh::Type::kString && v.as_string().empty());
    if (!empty) return v;
  }
  if (arg == "as_ckmc") return fh::Value::of_string(window.cls().name());
  // The one argument of an area under the header, named otherwise than the
  // header's one key column (al_td2jlb under recitypeid): that key.
  if (head != &control && head != nullptr && head->datawindow() != nullptr &&
      control.datawindow()->object().arguments().size() == 1) {
    fh::DataWindow& h = *head->datawindow();
    if (h.has_object() && h.get_row() > 0) {
      const fh::DwColumn* key = nullptr;
      int keys = 0;
      for (const fh::DwColumn& c : h.object().columns()) {
        if (c.key) {
          key = &c;
          ++keys;
        }
      }
      const bool number_arg = a.type != fh::Type::kString;
      if (keys == 1 && number_arg == (key->type != fh::Type::kString))
        return h.get_item(h.get_row(), key->name);
    }
  }
  const fh::Value today = fh::Today(s.ctx().clock());
  const bool range_end = name == "end";
  const bool range_begin = name == "begin";
  if (range_end || range_begin) {
    fh::Value day = today;
    if (range_begin && text(window.get("is_retrieve_type")) == "dateend") {
      day = fh::Value::of_date(fh::Date{1900, 1, 1});
    }
    if (a.type == fh::Type::kString) return fh::String(day, "yyyy.mm.dd");
    return day;
  }
  return fh::Value();
}

}  // namespace

std::vector<fh::Object*> datawindows(fh::Object& window) {
  std::vector<fh::Object*> out;
  collect(window, out);
  return out;
}

long long_arg(zr::Script& s, std::size_t i) {
  const fh::Value& v = s.arg(i);
  return v.is_null() || !v.is_number() ? 0 : fh::Long(v).as_long();
}

bool bool_arg(zr::Script& s, std::size_t i) {
  const fh::Value& v = s.arg(i);
  return v.type() == fh::Type::kBoolean && !v.is_null() && v.as_bool();
}

bool is_yes(const fh::Value& v) { return !fh::text::iequal(text(v), "no"); }

std::string text(const fh::Value& v) {
  return v.type() == fh::Type::kString && !v.is_null() ? v.as_string() : std::string();
}

DwState& dw_state(fh::Object& control) { return control.state<DwState>(); }

fh::Object* service(fh::Object& control, std::string_view variable) {
  const fh::Value v = control.get(variable);
  return fh::is_valid(v) ? v.as_object().get() : nullptr;
}

bool linked_to_master(fh::Object& control) {
  fh::Object* link = service(control, "inv_linkage");
  return link != nullptr && !text(link->get("is_master")).empty();
}

int switch_service(zr::Script& s, fh::Object& control, std::string_view variable,
                   std::string_view service_class, bool on) {
  fh::Object* existing = service(control, variable);
  if (on && existing == nullptr) {
    fh::ObjectRef svc = fh::instantiate(s.ctx().registry().load(service_class), {}, &control);
    control.set(variable, fh::Value::of_object(svc));
    s.ctx().trigger(*svc, "create");
  } else if (!on && existing != nullptr) {
    s.ctx().trigger(*existing, "destroy");
    existing->destroy();
    control.set(variable, fh::Value::of_object(nullptr));
  }
  return 1;
}

std::vector<fh::Value> retrieve_arguments(zr::Script& s, fh::Object& control, fh::Object* source) {
  std::vector<fh::Value> args;
  fh::DataWindow* dw = control.datawindow();
  fh::Object* window = control.window();
  if (dw == nullptr || !dw->has_object() || window == nullptr) return args;
  for (const fh::DwArgument& a : dw->object().arguments()) {
    args.push_back(argument_value(s, *window, a, control, source));
  }
  return args;
}

long retrieve(zr::Script& s, fh::Object& control, fh::Object* source) {
  return retrieve_with(s, control, retrieve_arguments(s, control, source));
}

long retrieve_with(zr::Script& s, fh::Object& control, std::span<const fh::Value> args) {
  fh::DataWindow* dw = control.datawindow();
  if (dw == nullptr || !dw->has_object()) return -1;
  if (dw->transaction() == nullptr) dw->set_transaction(&s.session().sqlca());
  const long rows = dw->retrieve(args);
  if (rows >= 0) refresh_details(s, control);
  if (rows < 0 && s.session().sqlca().connected()) {
    // A list that could not be read says so: the data window's dberror
    // (an answer of 1 means the script told the operator itself), and the
    // front end hears of it.
    const fh::Value args2[] = {fh::Value::of_long(s.session().sqlca().sqldbcode()),
                               fh::Value::of_string(dw->last_error())};
    const fh::EventResult r = s.ctx().trigger(control, "dberror", args2);
    s.refuse(fh::gbk_to_utf8_lossy(dw->retrieve_error()));
    const fh::EventDecl* decl = control.cls().find_event("dberror");
    const bool scripted = decl != nullptr && control.cls().find_script(decl->slot);
    const bool handled = scripted && r.status == FH_STATUS_OK && r.result.is_number() &&
                         !r.result.is_null() && fh::Long(r.result).as_long() == 1;
    if (!handled) s.message_box("数据库错误", dw->retrieve_error(), 1);
  } else if (!dw->retrieve_warning().empty()) {
    s.message_box("数据读取", dw->retrieve_warning(), 2);
  }
  return rows;
}

void begin_opening(zr::Script& s, fh::Object& window) {
  for (fh::Object* c : datawindows(window)) c->datawindow()->set_transaction(&s.session().sqlca());
  s.handle(window).post("pfc_preopen");
  s.handle(window).post("pfc_postopen");
}

void refresh_details(zr::Script& s, fh::Object& master) {
  DwState& state = dw_state(master);
  std::erase_if(state.details, [](const std::weak_ptr<fh::Object>& d) { return d.expired(); });
  for (const std::weak_ptr<fh::Object>& weak : state.details) {
    fh::ObjectRef detail = weak.lock();
    if (!detail || detail->destroyed()) continue;
    if (fh::Object* link = service(*detail, "inv_linkage")) {
      s.ctx().trigger(*link, "of_retrievedetail");
    }
  }
}

std::vector<fh::Object*> updateable(fh::Object& window) {
  std::vector<fh::Object*> out;
  for (fh::Object* c : datawindows(window)) {
    fh::DataWindow& dw = *c->datawindow();
    if (!dw.has_object() || dw.object().update_table().empty()) continue;
    if (!dw_state(*c).updateable) continue;
    out.push_back(c);
  }
  return out;
}

int save(zr::Script& s, fh::Object& window, const std::vector<fh::Object*>& controls,
         NewKeys* keys) {
  fh::Transaction& sqlca = s.session().sqlca();
  for (fh::Object* c : controls) {
    if (c->datawindow()->accept_text() != 1) return 0;
  }
  for (fh::Object* c : controls) {
    const fh::EventResult r = s.ctx().trigger(*c, slot::kPreUpdate);
    if (r.status == fh::kStatusAbandoned) return 0;
    if (r.status == FH_STATUS_OK && !r.result.is_null() && r.result.is_number() &&
        fh::Long(r.result).as_long() < 1) {
      return 0;
    }
  }
  // Nothing of the save may stay: the transaction, nor the numbers it gave.
  // A row another station changed or deleted meanwhile may be read again
  // (its edits dropped) when the operator says so; every other edit stays.
  auto fail = [&](std::string reason,
                  fh::Object* conflict = nullptr) {  // a copy: the rollback clears SQLErrText
    sqlca.rollback();
    if (keys != nullptr) keys->give_back();
    // The front end hears of it too, not only the operator's message box.
    s.refuse("the save of " + window.cls().name() + " failed: " + fh::gbk_to_utf8_lossy(reason));
    const std::string told = text(window.get("is_msgtitle"));
    const std::string said = text(window.get("is_msgtext")) + "\r\n" + reason;
    const long row = conflict == nullptr ? 0 : conflict->datawindow()->conflict_row();
    if (row < 1) {
      s.message_box(told, said, 1);
      return -1;
    }
    if (s.message_box(told, said + "\r\n" + "重新读取这一行吗？（这一行的修改将放弃）", 1, 4, 2) ==
        1) {
      conflict->datawindow()->reselect_row(row);
    }
    return -1;
  };
  // The numbers first, so that the counter's lock is the save's first write.
  if (keys != nullptr && std::ranges::find(controls, &keys->form()) != controls.end()) {
    std::string why;
    if (!keys->number(sqlca, why)) return fail(why);
  }
  for (fh::Object* c : controls) {
    fh::DataWindow& dw = *c->datawindow();
    if (dw.transaction() == nullptr) dw.set_transaction(&sqlca);
    if (dw.update(true, false) != 1) {
      return fail(dw.last_error().empty() ? sqlca.sqlerrtext() : dw.last_error(), c);
    }
  }
  if (sqlca.commit() != 0) return fail(sqlca.sqlerrtext());
  for (fh::Object* c : controls) c->datawindow()->reset_update();
  for (fh::Object* c : controls) s.ctx().trigger(*c, slot::kPostUpdate);
  return 1;
}

bool settle_edits(zr::Script& s, const std::vector<fh::Object*>& controls,
                  const std::function<int()>& save_them, Ask ask) {
  const bool pending = std::ranges::any_of(controls, [](fh::Object* c) {
    const fh::DataWindow& dw = *c->datawindow();
    return dw.modified_count() + dw.deleted_count() > 0 || dw.pending_text().has_value();
  });
  if (!pending) return true;
  constexpr int kQuestion = 3, kYesNoButtons = 4, kYesNoCancelButtons = 3;
  const int answer = ask == Ask::kNot
                         ? 1
                         : s.message_box("保存", "是否保存修改？", kQuestion,
                                         ask == Ask::kYesNo ? kYesNoButtons : kYesNoCancelButtons);
  if (answer == 1) return save_them() == 1;
  return answer == 2;
}

bool settle_window_edits(zr::Script& s, fh::Object& window) {
  if (flag(window, "ib_disableclosequery", false)) return true;
  return settle_edits(s, updateable(window), [&] {
    const fh::Value saved = s.handle(window).raise("ue_save");
    return saved.is_number() && !saved.is_null() ? static_cast<int>(fh::Long(saved).as_long()) : -1;
  });
}

void place(zr::Script& s, fh::Object& control, long x, long y, long width, long height) {
  const long old_w = number(control, "width"), old_h = number(control, "height");
  // Positions are integers, as the definitions declare them.
  auto integer = [](long v) {
    return fh::Value::of_integer(static_cast<std::int16_t>(std::clamp(v, -32768L, 32767L)));
  };
  control.set("x", integer(x));
  control.set("y", integer(y));
  control.set("width", integer(width));
  control.set("height", integer(height));
  if (control.datawindow() != nullptr && (old_w != width || old_h != height)) {
    const fh::Value args[] = {fh::Value::of_long(0), integer(width), integer(height)};
    s.ctx().trigger(control, "resize", args);
  }
}

}  // namespace zrf
