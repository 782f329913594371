// n_cst_dwsrv_rowselection: which rows are highlighted. Style 0 (single) and
// 2 (extended) select the current row alone; style 1 (multiple) toggles the
// row clicked and leaves the others.
#include "formhost/functions.h"
#include "support/frame.h"
#include "support/service.h"
#include "zr_group_n_cst_dwsrv_rowselection.h"

namespace {

fh::DataWindow* rows_of(fh::Object& service) {
  fh::Object* control = service.parent();
  return control == nullptr ? nullptr : control->datawindow();
}

long style(fh::Object& service) { return zrf::number(service, "ii_style"); }

}  // namespace

ZR_SETTING(n_cst_dwsrv_rowselection, of_setstyle, "ii_style")

// of_rowfocuschanged(currentrow), raised by u_dw.
ZR_EVENT(n_cst_dwsrv_rowselection, of_rowfocuschanged) {
  fh::DataWindow* dw = rows_of(s.self());
  if (dw == nullptr || style(s.self()) == 1) return fh::Value::of_integer(0);
  dw->select_row(0, false);
  const long row = zrf::long_arg(s, 0);
  if (row > 0) s.check(dw->select_row(row, true));
  return fh::Value::of_integer(1);
}

// of_rowclicked(row), raised by u_dw.
ZR_EVENT(n_cst_dwsrv_rowselection, of_rowclicked) {
  fh::DataWindow* dw = rows_of(s.self());
  const long row = zrf::long_arg(s, 0);
  if (dw == nullptr || row < 1 || style(s.self()) != 1) return fh::Value::of_integer(0);
  s.check(dw->select_row(row, !dw->is_selected(row)));
  return fh::Value::of_integer(1);
}

ZR_REGISTER(n_cst_dwsrv_rowselection)
