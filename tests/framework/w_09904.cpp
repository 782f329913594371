// A staff list whose message_1 writes down on itself when its constructor
// and destructor run.
#include "../../windows/common/staff.h"
#include "zrrt/registration.h"

namespace {

void note(zr::Script& s, const std::string& what) {
  const fh::Value log = s.self().get("log");
  const std::string before =
      log.type() == fh::Type::kString && !log.is_null() ? log.as_string() : "";
  s.self().set("log", fh::Value::of_string(before.empty() ? what : before + "," + what));
}

}  // namespace

#define ZR_GROUP 994
ZR_WINDOW(w_09904, ZR_CLASS(32770, "w_09904", 32769), ZR_ANCESTOR(32769, "w_01602"),
          ZR_CLASS(32771, "w_09904`message_1", 32772), ZR_ANCESTOR(32772, "w_01602`message_1"))

ZR_SCRIPT(32770, 32769, 0, "create", FH_RESULT_NONE, kOverrides) {
  return staff::create_message(s, "w_09904`message_1");
}
ZR_SCRIPT(32770, 32769, 1, "destroy", FH_RESULT_NONE, kOverrides) {
  return staff::destroy_message(s);
}
ZR_SCRIPT(32771, 32772, 51, "constructor", FH_RESULT_LONG, kExtends) {
  note(s, "constructor");
  return {};
}
ZR_SCRIPT(32771, 32772, 52, "destructor", FH_RESULT_LONG, kExtends) {
  note(s, "destructor");
  return {};
}

ZR_REGISTER(w_09904)
