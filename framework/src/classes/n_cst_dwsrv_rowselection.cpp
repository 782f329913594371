// n_cst_dwsrv_rowselection: which rows are highlighted. Style 0 (single) and
// 2 (extended) select the current row alone; style 1 (multiple) toggles the
// row clicked and leaves the others.
#include "formhost/functions.h"
#include "support/frame.h"
#include "support/service.h"
#include "zr_classes_n_cst_dwsrv_rowselection.h"

namespace {

fh::DataWindow* rows_of(fh::Object& service) {
  fh::Object* control = service.parent();
  return control == nullptr ? nullptr : control->datawindow();
}

long style(fh::Object& service) { return zrf::number(service, "ii_style"); }

}  // namespace

// clang-format off
#define ZR_GROUP ZR_GROUP_n_cst_dwsrv_rowselection
ZR_WINDOW(n_cst_dwsrv_rowselection, ZR_CLASSES_n_cst_dwsrv_rowselection)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()
ZR_SETTING(700, "of_setstyle", "ii_style")

// of_rowfocuschanged(currentrow), raised by u_dw.
ZR_SCRIPT(32770, 32769, 701, "of_rowfocuschanged", FH_RESULT_INTEGER, kOverrides) {
  fh::DataWindow* dw = rows_of(s.self());
  if (dw == nullptr || style(s.self()) == 1) return fh::Value::of_integer(0);
  dw->select_row(0, false);
  const long row = zrf::long_arg(s, 0);
  if (row > 0) s.check(dw->select_row(row, true));
  return fh::Value::of_integer(1);
}

// of_rowclicked(row), raised by u_dw.
ZR_SCRIPT(32770, 32769, 702, "of_rowclicked", FH_RESULT_INTEGER, kOverrides) {
  fh::DataWindow* dw = rows_of(s.self());
  const long row = zrf::long_arg(s, 0);
  if (dw == nullptr || row < 1 || style(s.self()) != 1) return fh::Value::of_integer(0);
  s.check(dw->select_row(row, !dw->is_selected(row)));
  return fh::Value::of_integer(1);
}

ZR_REGISTER(n_cst_dwsrv_rowselection)
// clang-format on
