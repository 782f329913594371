// w_01691: the item list. Its pfc_preopen labels and sizes the sixteen free
// columns of dw_items from the site's configuration rows.
#include <array>
#include <string>

#include "captions.h"
#include "formhost/dwobject.h"
#include "formhost/functions.h"
#include "zr_classes_w_01691.h"
#include "zrrt/registration.h"

using fh::Value;
using items::configured;
using items::two_digits;

// clang-format off
#define ZR_GROUP ZR_GROUP_w_01691
ZR_WINDOW(w_01691, ZR_CLASSES_w_01691)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY_w_01691()

ZR_SCRIPT(32770, 32769, 136, "pfc_preopen", FH_RESULT_NONE, kExtends) {
  std::array<Value, 16> captions;
  std::array<Value, 16> widths;
  captions.fill(Value::of_string(""));
  widths.fill(Value::of_integer(0));
  s.select_into(items::kCaptionSelect, {}, captions);
  s.select_into("select hcwd01 , hcwd02 , hcwd03 , hcwd04 , hcwd05 , hcwd06 , hcwd07 , hcwd08 , "
                "hcwd09 , hcwd10 , hcwd11 , hcwd12 , hcwd13 , hcwd14 , hcwd15 , hcwd16 from zr_023450 ",
                {}, widths);
  for (int n = 1; n <= 16; ++n) {
    const std::string nn = two_digits(n);
    const std::string column = "zr_016910_f3bz" + nn;
    const Value& caption = captions[static_cast<std::size_t>(n - 1)];
    const Value& width = widths[static_cast<std::size_t>(n - 1)];
    Value answer;
    s.step([&] { answer = s.raise(s.control("dw_items"), "pfc_prerela", {Value::of_string(column)}); });
    if (!fh::is_true(fh::gt(answer, Value::of_integer(0)))) continue;
    if (configured(caption)) {
      s.step([&] { s.modify(s.control("dw_items"), column + "_t.text=" + fh::modify_quote(caption.as_string())); });
      // A null width leaves the designed width: an expression cannot carry a null.
      if (!width.is_null()) {
        s.step([&] { s.modify(s.control("dw_items"), column + ".width=" + fh::String(width).as_string()); });
      }
    } else {
      if (n >= 4) s.step([&] { s.modify(s.control("dw_items"), column + ".width=0"); });
      s.step([&] { s.modify(s.control("dw_items"), column + "_t.text=" + fh::modify_quote("未定" + nn)); });
    }
  }
  return {};
}

ZR_REGISTER(w_01691)
// clang-format on
