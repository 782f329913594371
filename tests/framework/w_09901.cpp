// A list of the real framework (screen 09901, a test screen) whose scripts write down the order
// they run in, and what they find: il_xzmnid and the rows by the time pfc_preopen runs.
#include <string>

#include "formhost/context.h"
#include "formhost/functions.h"
#include "zrrt/registration.h"
#include "zrrt/script.h"

namespace {

void note(zr::Script& s, fh::Object& window, const std::string& what) {
  const fh::Value log = window.get("log");
  const std::string before =
      log.type() == fh::Type::kString && !log.is_null() ? log.as_string() : "";
  window.set("log", fh::Value::of_string(before.empty() ? what : before + "," + what));
  (void)s;
}

}  // namespace

#define ZR_GROUP 991
ZR_WINDOW(w_09901, ZR_CLASS(32770, "w_09901", 32769), ZR_ANCESTOR(32769, "w_ddyrsg"),
          ZR_CLASS(32771, "w_09901`dw_items", 32772), ZR_ANCESTOR(32772, "w_ddyrsg`dw_items"))
ZR_GENERATED_CREATE()
ZR_GENERATED_LIST_DESTROY()

ZR_SCRIPT(32771, 32772, 53, "constructor", FH_RESULT_LONG, kExtends) {
  note(s, s.window().object(), "constructor");
  return {};
}
ZR_SCRIPT(32770, 32769, 54, "open", FH_RESULT_LONG, kExtends) {
  note(s, s.self(), "open");
  return {};
}
ZR_SCRIPT(32770, 32769, 136, "pfc_preopen", FH_RESULT_NONE, kExtends) {
  fh::Object& w = s.self();
  fh::DataWindow& items = s.control("dw_items").datawindow();
  note(s, w,
       "pfc_preopen:" + fh::String(w.get("il_xzmnid")).as_string() + ":" +
           std::to_string(items.row_count()));
  const fh::ObjectRef& msg = s.ctx().message();
  if (fh::is_valid(msg) &&
      fh::is_true(fh::eq(msg->get("stringparm"), fh::Value::of_string("quiet")))) {
    w.set("is_retrieve_open", fh::Value::of_string("no"));
  }
  return {};
}
ZR_SCRIPT(32770, 32769, 140, "pfc_postopen", FH_RESULT_NONE, kExtends) {
  note(s, s.self(), "pfc_postopen:" + std::to_string(s.control("dw_items").row_count()));
  return {};
}

ZR_REGISTER(w_09901)
