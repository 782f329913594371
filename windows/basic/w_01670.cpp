// w_01670: the yarn issue list. Saving a header that has no details yet
// generates them from its material plan (the hidden dw_sum): a free lot
// number per row, the colour's texts, and the quantity in kilograms and
// pounds when the material's unit is one of them.
#include <string>

#include "../common/grid_setup.h"
#include "formhost/functions.h"
#include "formhost/transaction.h"
#include "zr_group_w_01670.h"

namespace {

using fh::Value;

constexpr const char* kTexts =
    "SELECT aaysmc, aashbh, aaegys, aakhsh FROM zr_aashbh WHERE aashid = :aashid";
constexpr const char* kExisting =
    "SELECT COUNT(sjdzld) FROM zr_017493 WHERE tdjbrd = :tbopid AND aashid = :aashid AND sjtmic "
    "= :sjtmic";
constexpr const char* kLotInUse = "SELECT COUNT(tdjbid) FROM zr_zrtdx2 WHERE tdjbbh = :tdjbbh";
constexpr const char* kInsertPounds =
    "INSERT INTO zr_017493 (sjtmic, tdjbrd, tdjbbh, aashid, sjldjs, sjldsl, sjldps, ddpoaa, "
    "ddpobb, ddpocc, ddpoee) VALUES (:sjtmic, :tbopid, :tdjbbh, :aashid, :q, :q2 / 2.2046, :q3, "
    ":t1, :t2, :t3, :t4)";
constexpr const char* kInsertKilograms =
    "INSERT INTO zr_017493 (sjtmic, tdjbrd, tdjbbh, aashid, sjldjs, sjldsl, sjldps, ddpoaa, "
    "ddpobb, ddpocc, ddpoee) VALUES (:sjtmic, :tbopid, :tdjbbh, :aashid, :q, :q2, :q3 * 2.2046, "
    ":t1, :t2, :t3, :t4)";
constexpr const char* kInsertOther =
    "INSERT INTO zr_017493 (sjtmic, tdjbrd, tdjbbh, aashid, sjldjs, ddpoaa, ddpobb, ddpocc, "
    "ddpoee) VALUES (:sjtmic, :tbopid, :tdjbbh, :aashid, :q, :t1, :t2, :t3, :t4)";
// The lot number given out is recorded, so the next row takes the next one.
constexpr const char* kRecordLot =
    "INSERT INTO zr_zrtdx2 (tdjbid, tdjbbh, sjtmic, djrq) VALUES ((SELECT COALESCE(MAX(tdjbid), "
    "0) + 1 FROM zr_zrtdx2), :tdjbbh, :sjtmic, CURRENT_DATE)";
constexpr const char* kRewrite = "UPDATE zr_017493 SET sjtmic = sjtmic WHERE sjdzld = :sjdzld";

constexpr const char* kSavepoint = "zr_detail";

// Runs `body` (statements through sqlca) in a savepoint of its own, so that a
// failed statement undoes only its own row and the transaction goes on (a
// failed statement aborts the whole transaction on PostgreSQL). A savepoint
// the database refuses is a failed host operation.
template <typename F>
void alone(zr::Script& s, F&& body, zr::Site site = zr::Site::current()) {
  fh::Transaction& db = s.sqlca(site);
  s.check(db.savepoint(kSavepoint) < 0 ? FH_STATUS_FAILED : 0, site);
  const bool ok = body();
  s.check((ok ? db.release(kSavepoint) : db.rollback_to(kSavepoint)) < 0 ? FH_STATUS_FAILED : 0,
          site);
}

// Steps 5 to 8 of the save: the details of the header `sjtmic`.
void generate(zr::Script& s, const zr::Handle& dw_items, const Value& sjtmic, const Value& sjpzbh) {
  const zr::Handle dw_sum = s.control("dw_sum");
  const long summary_rows = dw_sum.retrieve({sjtmic});
  // As the platform's locals: a statement that finds nothing keeps the
  // previous row's values.
  zr::Array<4> texts{""};
  Value existing[] = {Value::of_long(0)};
  Value in_use[] = {Value::of_long(0)};
  // The 99 candidates are the same for every summary row: made once.
  const Value stem = fh::Trim(sjpzbh) + ".";
  zr::Array<99> candidates;
  for (std::int32_t k = 1; k <= 99; ++k) {
    candidates[k] = stem + fh::Right(Value::of_string("000") + fh::String(Value::of_long(k), "0"),
                                     Value::of_long(2));
  }
  for (long r = 1; r <= summary_rows; ++r) {
    const Value q = dw_sum.get_item(r, "sjldjs");
    const Value tbopid = dw_sum.get_item(r, "tbopid");
    const Value aashid = dw_sum.get_item(r, "aashid");
    const Value unit = dw_sum.get_item(r, "tbopdw");
    alone(s, [&] { return s.select_into(kTexts, {aashid}, texts) >= 0; });
    alone(s, [&] { return s.select_into(kExisting, {tbopid, aashid, sjtmic}, existing) >= 0; });
    // Only a count of exactly 0 makes a row; a null one goes on too.
    if (!static_cast<bool>(existing[0] == 0)) continue;
    Value lot;
    bool free = false;
    for (std::int32_t k = 1; k <= 99 && !free; ++k) {
      const Value& candidate = candidates[k];
      alone(s, [&] { return s.select_into(kLotInUse, {candidate}, in_use) >= 0; });
      if (static_cast<bool>(in_use[0] == 0)) {
        lot = candidate;
        free = true;
      }
    }
    if (!free) continue;
    alone(s, [&] {
      int code;
      if (unit == "磅") {
        code = s.execute_sql(kInsertPounds, {sjtmic, tbopid, lot, aashid, q, q, q, texts[1],
                                             texts[2], texts[3], texts[4]});
      } else if (fh::Upper(unit) == "KG") {
        code = s.execute_sql(kInsertKilograms, {sjtmic, tbopid, lot, aashid, q, q, q, texts[1],
                                                texts[2], texts[3], texts[4]});
      } else {
        code = s.execute_sql(
            kInsertOther, {sjtmic, tbopid, lot, aashid, q, texts[1], texts[2], texts[3], texts[4]});
      }
      if (code < 0) return false;
      return lot.is_null() || s.execute_sql(kRecordLot, {lot, sjtmic}) >= 0;
    });
  }
  const long detail_rows = dw_items.retrieve({sjtmic});
  for (long d = 1; d <= detail_rows; ++d) {
    const Value key = fh::Long(dw_items.get_item(d, "sjdzld"));
    alone(s, [&] { return s.execute_sql(kRewrite, {key}) >= 0; });
  }
}

}  // namespace

ZR_EVENT(w_01670, ue_save) {
  const Value saved = s.ancestor_result();
  // A refused save leaves the header unsaved: no details for it.
  if (saved.is_null() || !saved.is_number() || fh::Long(saved).as_long() < 1) return saved;
  const zr::Handle dw_head = s.control("dw_head");
  const zr::Handle dw_items = s.control("dw_items");
  if (dw_head.row_count() < 1) return saved;
  if (dw_items.row_count() != 0) return saved;
  // The header the operator is on (the list holds every header; the platform's
  // one-header list has it in row 1).
  const long row = dw_head.get_row();
  if (row < 1) return saved;
  const zr::Handle window = s.window();
  const Value sjtmic = dw_head.get_item(row, "sjtmic");
  const Value sjpzbh = dw_head.get_item(row, "sjpzbh");
  window.set("is_sjtmic", sjtmic);
  window.set("is_sjpzbh", sjpzbh);
  fh::Transaction& db = s.sqlca();
  auto plain = [](const Value& v) {
    return v.type() == fh::Type::kString && !v.is_null() ? v.as_string() : std::string();
  };
  // As the framework's save says a failure: the window's message and the reason.
  auto say = [&](const std::string& why) {
    s.message_box(plain(window.get("is_msgtitle")),
                  plain(window.get("is_msgtext")) +
                      "\r\n明细没有生成: " + (why.empty() ? std::string("操作失败") : why),
                  1);
  };
  bool committed = false;
  std::string why;
  try {
    generate(s, dw_items, sjtmic, sjpzbh);
    // The generated rows are kept together, or none of them.
    committed = db.commit() == 0;
    if (!committed) why = db.sqlerrtext();
  } catch (const zr::Abandon&) {
    why = db.sqlerrtext();  // a copy: the rollback clears it
    db.rollback();
    say(why);
    throw;
  }
  if (!committed) {
    db.rollback();
    say(why);
  }
  dw_items.retrieve({sjtmic});
  return committed ? saved : Value::of_long(-1);
}

// The hidden summary: the framework's services without find, linkage, the
// saved SELECT, the background colour or the focus.
ZR_EVENT(w_01670, dw_sum, constructor) {
  const Value yes = Value::of_bool(true), no = Value::of_bool(false);
  const zr::Handle me = s.me();
  me.raise("of_setbase", {yes});
  me.raise("of_settransobject", {s.sqlca_object()});
  me.raise("of_setrowmanager", {yes});
  me.raise("of_setrowselect", {yes});
  s.object(me.get("inv_rowselect")).raise("of_setstyle", {Value::of_integer(2)});
  s.object(me.get("inv_rowmanager")).raise("of_setconfirmondelete", {no});
  me.raise("of_setupdateable", {no});
  if (fh::Integer(me.describe("DataWindow.Processing")) == 1) {
    me.modify_expression("DataWindow.Header.Color='" + std::to_string(grids::kHeader) + "'");
    me.raise("of_setrowcolor", {yes});
    s.object(me.get("inv_rowcolor"))
        .raise("of_register",
               {me.as_value(), Value::of_long(grids::kOddRows), Value::of_long(grids::kBackground),
                Value::of_long(grids::kCurrentRow)});
  }
  me.raise("wf_setclicksort", {yes});
  return {};
}

ZR_EVENT(w_01670, dw_sum, pfc_preinsertrow) { return Value::of_integer(1); }
ZR_EVENT(w_01670, dw_sum, pfc_prepredeleterow) { return Value::of_integer(0); }

ZR_REGISTER(w_01670)
