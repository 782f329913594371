// u_okcancel: the OK and Cancel controls of the edit windows. The property
// text "caption=...;microhelp=...;" gives the caption; a click asks the window
// to save and close (uo_ok) or to discard and close (uo_cancel).
#include <string>

#include "support/frame.h"
#include "zr_group_u_okcancel.h"

namespace {

// The value of `key` in "key=value;key=value;", "" when absent.
std::string setting(const std::string& text, const std::string& key) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(';', at), text.size());
    const std::string item = text.substr(at, end - at);
    if (item.compare(0, key.size() + 1, key + "=") == 0) return item.substr(key.size() + 1);
    at = end + 1;
  }
  return {};
}

}  // namespace

ZR_EVENT(u_okcancel, constructor) {
  const std::string property = zrf::text(s.self().get("is_property"));
  s.self().set("text", fh::Value::of_string(setting(property, "caption")));
  s.self().set("microhelp", fh::Value::of_string(setting(property, "microhelp")));
  return {};
}

ZR_EVENT(u_okcancel, clicked) {
  return s.window().raise(s.self().name() == "uo_cancel" ? "ue_cancel" : "ue_ok");
}

ZR_REGISTER(u_okcancel)
