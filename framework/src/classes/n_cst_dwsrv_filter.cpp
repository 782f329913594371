// n_cst_dwsrv_filter: its settings, read by u_dw.
#include "support/service.h"
#include "zr_classes_n_cst_dwsrv_filter.h"

// clang-format off
#define ZR_GROUP ZR_GROUP_n_cst_dwsrv_filter
ZR_WINDOW(n_cst_dwsrv_filter, ZR_CLASSES_n_cst_dwsrv_filter)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()
ZR_SETTING(700, "of_setcolumnnamesource", "ii_columnnamesource")
ZR_SETTING(701, "of_setstyle", "ii_style")
ZR_REGISTER(n_cst_dwsrv_filter)
// clang-format on
