// w_01691: the item list. Its pfc_preopen labels and sizes the sixteen free
// columns of dw_items from the site's configuration rows.
#include "captions.h"
#include "zr_group_w_01691.h"

ZR_EVENT(w_01691, pfc_preopen) {
  zr::Array<16> captions{""};
  zr::Array<16> widths{Value::of_integer(0)};
  s.select_into(items::kCaptionSelect, {}, captions);
  s.select_into(items::kWidthSelect, {}, widths);
  const zr::Handle dw_items = s.control("dw_items");
  for (int n = 1; n <= 16; ++n) {
    const std::string column = "zr_016910_f3bz" + caption::two_digits(n);
    if (dw_items.raise("pfc_prerela", {Value::of_string(column)}) > 0) {
      if (caption::configured(captions[n])) {
        dw_items.modify(column + "_t.text", captions[n]);
        // A null width leaves the designed width: an expression cannot carry a null.
        if (!widths[n].is_null()) dw_items.modify(column + ".width", widths[n]);
      } else {
        if (n >= 4) dw_items.modify(column + ".width", 0);
        dw_items.modify(column + "_t.text", caption::placeholder(n));
      }
    }
  }
  return {};
}

ZR_REGISTER(w_01691)
