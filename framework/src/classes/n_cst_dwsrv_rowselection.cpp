// n_cst_dwsrv_rowselection: its settings, read by u_dw.
#include "support/service.h"
#include "zr_classes_n_cst_dwsrv_rowselection.h"

// clang-format off
#define ZR_GROUP ZR_GROUP_n_cst_dwsrv_rowselection
ZR_WINDOW(n_cst_dwsrv_rowselection, ZR_CLASSES_n_cst_dwsrv_rowselection)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()
ZR_SETTING(700, "of_setstyle", "ii_style")
ZR_REGISTER(n_cst_dwsrv_rowselection)
// clang-format on
