// After a detail entry is saved: the document's total, quantity times unit
// price over its rows in zr_017493, written out in words into its record of
// zr_zrxx1d. One design under two window classes (w_016703a_edit, w_016283a_edit).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "formhost/functions.h"
#include "formhost/operators.h"
#include "formhost/transaction.h"
#include "zrrt/script.h"

namespace amounts {

using fh::Value;

// The document's rows: their products are summed here, in decimals, because
// SQLite keeps NUMERIC values as binary floats and its SUM of them is off (3 x
// 0.1, or a cent lost past 15 digits); PostgreSQL's would be exact either way.
inline constexpr const char* kRowsSelect =
    "select sjldjs, sjlddj from zr_017493 where sjtmic = :ls_sjtmic";
inline constexpr const char* kStore =
    "update zr_zrxx1d set sjdzbz = :ls_dx where sjtmic = :ls_sjtmic";

// SUM(sjldjs * sjlddj) of the document, null when no row has both: the
// database's SQLCode tells whether it could be read.
inline std::int32_t document_total(zr::Script& s, const Value& key, Value& total) {
  const std::string names[] = {"ls_sjtmic"};
  const Value params[] = {key};
  const fh::Type types[] = {fh::Type::kDecimal, fh::Type::kDecimal};
  std::deque<std::vector<Value>> rows;
  const std::int32_t code =
      s.sqlca().query(kRowsSelect, names, params, types,
                      [&](std::int32_t) -> std::vector<Value>& { return rows.emplace_back(); });
  total = Value::null_of(fh::Type::kDecimal);
  for (const std::vector<Value>& row : rows) {
    const Value product = row.at(0) * row.at(1);
    if (product.is_null()) continue;  // as SUM leaves nulls out
    total = total.is_null() ? fh::Dec(product) : total + product;
  }
  return code;
}

// pfc_postupdate of dw_maint, after the ancestor's.
inline zr::Answer store_amount_text(zr::Script& s) {
  const zr::Handle dw_maint = s.me();
  const Value key = fh::String(dw_maint.get_item(dw_maint.get_row(), "sjtmic"));
  Value total;
  // A total that could not be read must not be written as 零元整.
  if (document_total(s, key, total) < 0) return Value::of_integer(1);
  const Value text = s.call("gf_pricetodx_gd", {total});
  // The save has committed before this event: the text is committed at once,
  // or not at all.
  fh::Transaction& sqlca = s.sqlca();
  if (s.execute_sql(kStore, {text, key}) < 0 || sqlca.commit() != 0) sqlca.rollback();
  return Value::of_integer(1);
}

}  // namespace amounts
