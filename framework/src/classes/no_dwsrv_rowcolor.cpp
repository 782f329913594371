// no_dwsrv_rowcolor: alternating row colours. Odd rows take the first colour,
// even rows the second, the current row the third.
#include <string>

#include "formhost/functions.h"
#include "zr_group_no_dwsrv_rowcolor.h"

namespace {

std::string colour(zr::Script& s, std::size_t i) {
  const fh::Value& v = s.arg(i);
  return std::to_string(v.is_null() || !v.is_number() ? 0L : fh::Long(v).as_long());
}

}  // namespace

// of_register(dw, odd colour, even colour, current row colour)
ZR_EVENT(no_dwsrv_rowcolor, of_register) {
  const zr::Handle control = s.object(s.arg(0));
  const std::string c1 = colour(s, 1), c2 = colour(s, 2), c3 = colour(s, 3);
  // A default, a tab, then the expression each row's colour comes from.
  control.modify("DataWindow.Detail.Color", c2 + "\tif(getrow() = currentrow(), " + c3 +
                                                ", if(mod(getrow(), 2) = 1, " + c1 + ", " + c2 +
                                                "))");
  for (int i = 1; i <= 3; ++i)
    s.self().set("il_color" + std::to_string(i), fh::Long(s.arg(static_cast<std::size_t>(i))));
  return fh::Value::of_integer(1);
}

ZR_REGISTER(no_dwsrv_rowcolor)
