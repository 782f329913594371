// w_01652_edit_list_edit: one split of a work record. A new split starts from
// the record it is split from; its code is composed before saving; a changed
// count takes its share of the bundle's weight.
#include "zr_group_w_01652_edit_list_edit.h"

namespace {

Value mode_of(zr::Script& s) {
  return s.object(s.window().get("istr_recordmanager")).get("a_retrieveparm1");
}

Value fifth_parameter(zr::Script& s) {
  return s.object(s.window().get("istr_recordmanager")).get("a_retrieveparm5");
}

}  // namespace

ZR_EVENT(w_01652_edit_list_edit, open) {
  s.window().raise("f_center");
  return {};
}

ZR_EVENT(w_01652_edit_list_edit, dw_maint, constructor) {
  const zr::Handle w = s.window();
  w.set("is_idcolname", Value::of_string("dictrecitype_recitypeid"));
  w.set("is_tablename", Value::of_string("dictrecitype"));
  return {};
}

ZR_EVENT(w_01652_edit_list_edit, pfc_postopen) {
  const zr::Handle w = s.window();
  if (mode_of(s) == "add") {
    w.set("il_zrtmid", fh::Long(fifth_parameter(s)));
  } else {
    const zr::Handle dw_maint = s.control("dw_maint");
    w.set("il_zrtmid", fh::Long(dw_maint.get_item(dw_maint.get_row(), "zrtmid")));
  }
  return {};
}

ZR_EVENT(w_01652_edit_list_edit, dw_maint, pfc_insertrow) {
  if (mode_of(s) != "add") return 1;
  const zr::Handle w = s.window();
  w.set("il_sjdzld", fh::Long(fifth_parameter(s)));
  // Where nothing is found the record keeps il_zrtmid and empty texts.
  zr::Array<4> found{""};
  found[1] = w.get("il_zrtmid");
  s.select_into("select zrtmid, zrtmic, aagxbh, cardnu from zr_016520 where sjdzld = :il_sjdzld",
                {w.get("il_sjdzld")}, found);
  w.set("il_zrtmid", found[1]);
  const zr::Handle dw_maint = s.me();
  const long row = dw_maint.get_row();
  dw_maint.set_item(row, "zrtmid", w.get("il_zrtmid"));
  dw_maint.set_item(row, "zrtmic", found[2]);
  dw_maint.set_item(row, "aagxbh", found[3]);
  dw_maint.set_item(row, "cardnu", found[4]);
  dw_maint.set_item(row, "sjtmic", fh::String(fh::Today(s.ctx().clock()), "yyyy.mm.dd"));
  dw_maint.set_item(row, "sjldsj", fh::String(fh::Now(s.ctx().clock()), "hh:mm"));
  dw_maint.set_item(row, "sjldzd", Value::of_string("B"));
  return 1;
}

// The split's code: card, process, bundle barcode and split letter.
ZR_EVENT(w_01652_edit_list_edit, dw_maint, pfc_preupdate) {
  const zr::Handle dw_maint = s.me();
  const long row = dw_maint.get_row();
  dw_maint.set_item(row, "cdadid",
                    dw_maint.get_item(row, "cardnu") + dw_maint.get_item(row, "aagxbh") +
                        dw_maint.get_item(row, "zrtmic") + dw_maint.get_item(row, "sjldzd"));
  return Value::of_integer(1);
}

// The split as saved (its new number included).
ZR_EVENT(w_01652_edit_list_edit, dw_maint, pfc_postupdate) {
  const zr::Handle dw_maint = s.me();
  dw_maint.retrieve({fh::Long(dw_maint.get_item(dw_maint.get_row(), "sjdzld"))});
  return Value::of_integer(1);
}

ZR_EVENT(w_01652_edit_list_edit, dw_maint, itemchanged) {
  const Value name = fh::String(s.object(s.arg(1)).get("name"));
  if (name == "sjldcs") s.window().raise("of_get_sjldcs");
  return {};
}

// The split's share of the bundle's weight: W x P / T, to the cent.
ZR_EVENT(w_01652_edit_list_edit, of_get_sjldcs) {
  const zr::Handle w = s.window();
  zr::Array<2> totals;
  totals[1] = Value::of_long(0);
  totals[2] = Value::null_of(fh::Type::kDecimal);
  s.select_into("select sjldcs, sjldwt from zr_003260 where zrtmid = :il_zrtmid",
                {w.get("il_zrtmid")}, totals);
  const Value total_count = totals[1], total_weight = totals[2];
  const zr::Handle dw_maint = s.control("dw_maint");
  const Value count = fh::Long(dw_maint.get_item(dw_maint.get_row(), "sjldcs"));
  if (count > 0 && count < total_count) {
    dw_maint.set_item(dw_maint.get_row(), "sjldwt",
                      fh::Round(total_weight * count / total_count, Value::of_integer(2)));
  }
  return {};
}

ZR_REGISTER(w_01652_edit_list_edit)
