// n_cst_dwsrv_linkage: ties a detail data window to a master. With style 2
// the detail is retrieved with the master's key columns, in the order they
// were registered, whenever the master's current row changes.
#include <memory>
#include <utility>
#include <vector>

#include "formhost/functions.h"
#include "support/frame.h"
#include "support/service.h"
#include "zr_group_n_cst_dwsrv_linkage.h"

namespace {

using fh::Value;

struct Linkage {
  std::weak_ptr<fh::Object> master;
  std::vector<std::pair<std::string, std::string>> columns;  // master, detail
};

Linkage& state(fh::Object& service) { return service.state<Linkage>(); }

void show_columns(fh::Object& service) {
  std::string text;
  for (const auto& [m, d] : state(service).columns) text += m + "=" + d + ";";
  service.set("is_columns", Value::of_string(text));
}

}  // namespace

ZR_EVENT(n_cst_dwsrv_linkage, of_setmaster) {
  fh::Object& master = s.object(s.arg(0)).object();
  fh::Object* detail = s.self().parent();
  if (detail == nullptr || master.datawindow() == nullptr) return Value::of_integer(-1);
  state(s.self()).master = master.weak_from_this();
  zrf::dw_state(master).details.push_back(detail->weak_from_this());
  s.self().set("is_master", Value::of_string(master.name()));
  return Value::of_integer(1);
}

ZR_EVENT(n_cst_dwsrv_linkage, of_register) {
  state(s.self()).columns.emplace_back(fh::Lower(s.arg(0)).as_string(),
                                       fh::Lower(s.arg(1)).as_string());
  show_columns(s.self());
  return Value::of_integer(1);
}

ZR_SETTING(n_cst_dwsrv_linkage, of_setstyle, "ii_style")
ZR_SETTING(n_cst_dwsrv_linkage, of_setupdateonrowchange, "ib_updateonrowchange")
ZR_SETTING(n_cst_dwsrv_linkage, of_setconfirmonrowchange, "ib_confirmonrowchange")

// The master's current row changed: the detail follows. Pending detail edits
// are saved first when the service is told to (asking first when told to).
ZR_EVENT(n_cst_dwsrv_linkage, of_retrievedetail) {
  Linkage& link = state(s.self());
  fh::ObjectRef master = link.master.lock();
  fh::Object* detail = s.self().parent();
  if (!master || detail == nullptr || detail->datawindow() == nullptr) return Value::of_integer(-1);
  if (fh::Long(s.self().get("ii_style")).as_long() != 2) return Value::of_integer(0);
  fh::DataWindow& d = *detail->datawindow();
  if (zrf::flag(s.self(), "ib_updateonrowchange", true)) {
    const bool ask = zrf::flag(s.self(), "ib_confirmonrowchange", true);
    zrf::settle_edits(
        s, {detail}, [&] { return zrf::save(s, *detail->window(), {detail}); },
        ask ? zrf::Ask::kYesNo : zrf::Ask::kNot);
  }
  fh::DataWindow& m = *master->datawindow();
  if (m.get_row() < 1) {
    d.reset();
    return Value::of_integer(1);
  }
  std::vector<Value> args;
  for (const auto& [master_column, detail_column] : link.columns) {
    (void)detail_column;
    args.push_back(m.get_item(m.get_row(), master_column));
  }
  return Value::of_integer(zrf::retrieve_with(s, *detail, args) >= 0 ? 1 : -1);
}

ZR_REGISTER(n_cst_dwsrv_linkage)
