// n_cst_dwsrv_resize: columns of a data window that move and grow with it.
// A rule (column, move x, move y, width share, height share) is in per cent
// of the change of the data window's size since the rule was registered.
#include <memory>
#include <string>
#include <vector>

#include "formhost/functions.h"
#include "support/frame.h"
#include "zr_group_n_cst_dwsrv_resize.h"

namespace {

using fh::Value;

struct Rule {
  std::string column;
  long move_x, move_y, scale_x, scale_y;
  long x, y, width, height;      // the column's at registration
  long base_width, base_height;  // the data window's at registration
};

std::vector<Rule>& rules(fh::Object& service) { return service.state<std::vector<Rule>>(); }

}  // namespace

ZR_EVENT(n_cst_dwsrv_resize, of_register) {
  fh::Object* control = s.self().parent();
  if (control == nullptr || control->datawindow() == nullptr) return Value::of_integer(-1);
  fh::DataWindow& dw = *control->datawindow();
  const std::string column = fh::Lower(s.arg(0)).as_string();
  if (!dw.has_object() || dw.object().control(column) == nullptr) return Value::of_integer(-1);
  auto at = [&](const char* property) {
    return std::atol(dw.describe(column + "." + property).c_str());
  };
  rules(s.self()).push_back({column, zrf::long_arg(s, 1), zrf::long_arg(s, 2), zrf::long_arg(s, 3),
                             zrf::long_arg(s, 4), at("x"), at("y"), at("width"), at("height"),
                             zrf::number(*control, "width"), zrf::number(*control, "height")});
  s.self().set("il_rules", Value::of_long(static_cast<std::int32_t>(rules(s.self()).size())));
  return Value::of_integer(1);
}

// of_resize(newwidth, newheight), raised by u_dw when its size changes.
ZR_EVENT(n_cst_dwsrv_resize, of_resize) {
  fh::Object* control = s.self().parent();
  if (control == nullptr || control->datawindow() == nullptr) return Value::of_integer(-1);
  const long width = zrf::long_arg(s, 0), height = zrf::long_arg(s, 1);
  const zr::Handle dw = s.handle(*control);
  for (const Rule& r : rules(s.self())) {
    const long dx = width - r.base_width, dy = height - r.base_height;
    const auto at_least_0 = [](long v) { return std::max(0L, v); };
    dw.modify(r.column + ".x", at_least_0(r.x + dx * r.move_x / 100));
    dw.modify(r.column + ".y", at_least_0(r.y + dy * r.move_y / 100));
    dw.modify(r.column + ".width", at_least_0(r.width + dx * r.scale_x / 100));
    dw.modify(r.column + ".height", at_least_0(r.height + dy * r.scale_y / 100));
  }
  return Value::of_integer(1);
}

ZR_REGISTER(n_cst_dwsrv_resize)
