// n_cst_dwsrv_sort: its settings, read by u_dw.
#include "support/service.h"
#include "zr_classes_n_cst_dwsrv_sort.h"

// clang-format off
#define ZR_GROUP ZR_GROUP_n_cst_dwsrv_sort
ZR_WINDOW(n_cst_dwsrv_sort, ZR_CLASSES_n_cst_dwsrv_sort)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()
ZR_SETTING(700, "of_setcolumnheader", "ib_columnheader")
ZR_SETTING(701, "of_setcolumnnamesource", "ii_columnnamesource")
ZR_SETTING(702, "of_setstyle", "ii_style")
ZR_REGISTER(n_cst_dwsrv_sort)
// clang-format on
