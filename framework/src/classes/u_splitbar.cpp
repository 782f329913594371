// u_splitbar: a bar between areas of a window. Registered objects lie on its
// sides: 1 above and 2 below a horizontal bar, 3 left and 4 right of a
// vertical one. Moving the bar (of_setposition) resizes them to meet it.
#include <memory>
#include <vector>

#include "support/frame.h"
#include "zr_group_u_splitbar.h"

namespace {

using fh::Value;

struct Side {
  std::weak_ptr<fh::Object> object;
  long position;
};

std::vector<Side>& sides(fh::Object& bar) { return bar.state<std::vector<Side>>(); }

}  // namespace

// of_register(object, position 1-4)
ZR_EVENT(u_splitbar, of_register) {
  fh::Object& object = s.object(s.arg(0)).object();
  const long position = zrf::long_arg(s, 1);
  if (position < 1 || position > 4) return Value::of_integer(-1);
  sides(s.self()).push_back({object.weak_from_this(), position});
  s.self().set("il_registered", Value::of_long(static_cast<std::int32_t>(sides(s.self()).size())));
  return Value::of_integer(1);
}

ZR_EVENT(u_splitbar, of_setbarcolor) {
  s.self().set("il_barcolor", s.arg(0));
  s.self().set("backcolor", s.arg(0));
  return Value::of_integer(1);
}

// of_setposition(y of a horizontal bar, x of a vertical one)
ZR_EVENT(u_splitbar, of_setposition) {
  fh::Object& bar = s.self();
  const long at = zrf::long_arg(s, 0);
  const bool horizontal = zrf::number(bar, "width") >= zrf::number(bar, "height");
  const long thickness = horizontal ? zrf::number(bar, "height") : zrf::number(bar, "width");
  bar.set(horizontal ? "y" : "x", Value::of_long(static_cast<std::int32_t>(at)));
  for (const Side& side : sides(bar)) {
    fh::ObjectRef o = side.object.lock();
    if (!o || o->destroyed()) continue;
    long x = zrf::number(*o, "x"), y = zrf::number(*o, "y");
    long w = zrf::number(*o, "width"), h = zrf::number(*o, "height");
    switch (side.position) {
      case 1:
        h = std::max(0L, at - y);
        break;
      case 2:
        h = std::max(0L, y + h - (at + thickness));
        y = at + thickness;
        break;
      case 3:
        w = std::max(0L, at - x);
        break;
      default:
        w = std::max(0L, x + w - (at + thickness));
        x = at + thickness;
        break;
    }
    zrf::place(s, *o, x, y, w, h);
  }
  return Value::of_integer(1);
}

ZR_REGISTER(u_splitbar)
