// w_01638: the progress list. Its pfc_preopen names the nine statistic
// columns of dw_items from the screen's caption row; of statistics 4 to 9
// only the configured ones take room.
#include "../common/captions.h"
#include "zr_group_w_01638.h"

namespace {

constexpr const char* kCaptionSelect =
    "select hctj01 , hctj02 , hctj03 , hctj04 , hctj05 , hctj06 , hctj07 , hctj08 , hctj09 , "
    "hctj10 , hctj11 , hctj12 , hctj13 , hctj14 , hctj15 , hctj16 , hctj17 , hctj18 , hctj19 , "
    "hctj20 , hctj21 , hctj22 , hctj23 , hctj24 , hctj25 , hctj26 , hctj27 , hctj28 , hctj29 , "
    "hctj30 from zr_050110 where xzmnid = :il_xzmnid";

}  // namespace

ZR_EVENT(w_01638, pfc_preopen) {
  const zr::Handle w = s.window();
  w.set("is_tab_1_postion", Value::of_string("2LH"));
  w.set("is_delete", Value::of_string("no"));
  const zr::Handle dw_items = s.control("dw_items");
  dw_items.modify("DataWindow.HorizontalScrollSplit", 650L);
  // No row or a failed select leaves the captions empty: placeholders.
  zr::Array<30> captions{""};
  s.select_into(kCaptionSelect, {w.get("il_xzmnid")}, captions);
  for (int n = 1; n <= 9; ++n) {
    const std::string header = "sv_016380_sl" + caption::two_digits(n) + "_t.text";
    if (caption::configured(captions[n])) {
      dw_items.modify(header, captions[n]);
    } else {
      if (n >= 4) dw_items.modify("tjcolumn" + caption::two_digits(n) + ".width", 0L);
      dw_items.modify(header, caption::placeholder(n));
    }
  }
  return {};
}

ZR_EVENT(w_01638, dw_items, constructor) {
  s.me().raise("of_setmultitable", {Value::of_bool(true)});
  return {};
}

ZR_REGISTER(w_01638)
