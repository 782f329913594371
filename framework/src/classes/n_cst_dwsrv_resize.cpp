// n_cst_dwsrv_resize: columns of a data window that move and grow with it.
// A rule (column, move x, move y, width share, height share) is in per cent
// of the change of the data window's size since the rule was registered.
#include <algorithm>
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

namespace {

// A change shared out by per-cent shares in whole units: each share's exact
// part rounded down, the units left over to the largest remainders (the
// earlier rule first on a tie), so that the parts add up to the rounded
// whole (the change itself when the shares make 100).
std::vector<long> share_out(long change, const std::vector<long>& shares) {
  const long sign = change < 0 ? -1 : 1, amount = change * sign;
  long total_share = 0;
  for (long p : shares) total_share += p;
  const long whole = (amount * total_share + 50) / 100;
  std::vector<long> parts(shares.size());
  std::vector<std::pair<long, std::size_t>> rest;  // remainder, rule
  long given = 0;
  for (std::size_t i = 0; i < shares.size(); ++i) {
    parts[i] = amount * shares[i] / 100;
    given += parts[i];
    rest.emplace_back(amount * shares[i] % 100, i);
  }
  std::stable_sort(rest.begin(), rest.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (std::size_t k = 0; k < rest.size() && given < whole && rest[k].first > 0; ++k, ++given) {
    ++parts[rest[k].second];
  }
  for (long& v : parts) v *= sign;
  return parts;
}

}  // namespace

// of_resize(newwidth, newheight), raised by u_dw when its size changes.
ZR_EVENT(n_cst_dwsrv_resize, of_resize) {
  fh::Object* control = s.self().parent();
  if (control == nullptr || control->datawindow() == nullptr) return Value::of_integer(-1);
  const long width = zrf::long_arg(s, 0), height = zrf::long_arg(s, 1);
  const zr::Handle dw = s.handle(*control);
  const std::vector<Rule>& all = rules(s.self());
  // Every rule of a data window shares the same change; a change is split
  // among the rules by their shares, rounding included.
  std::vector<long> scale_x, scale_y;
  for (const Rule& r : all) {
    scale_x.push_back(r.scale_x);
    scale_y.push_back(r.scale_y);
  }
  const long dx = all.empty() ? 0 : width - all.front().base_width;
  const long dy = all.empty() ? 0 : height - all.front().base_height;
  const std::vector<long> grow_x = share_out(dx, scale_x), grow_y = share_out(dy, scale_y);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Rule& r = all[i];
    const long rdx = width - r.base_width, rdy = height - r.base_height;
    const auto at_least_0 = [](long v) { return std::max(0L, v); };
    // A rule registered at another size than the first keeps its own share.
    const long gx = rdx == dx ? grow_x[i] : rdx * r.scale_x / 100;
    const long gy = rdy == dy ? grow_y[i] : rdy * r.scale_y / 100;
    dw.modify(r.column + ".x", at_least_0(r.x + rdx * r.move_x / 100));
    dw.modify(r.column + ".y", at_least_0(r.y + rdy * r.move_y / 100));
    dw.modify(r.column + ".width", at_least_0(r.width + gx));
    dw.modify(r.column + ".height", at_least_0(r.height + gy));
  }
  return Value::of_integer(1);
}

ZR_REGISTER(n_cst_dwsrv_resize)
