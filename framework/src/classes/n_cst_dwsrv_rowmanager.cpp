// n_cst_dwsrv_rowmanager: its settings, read by u_dw.
#include "support/service.h"
#include "zr_classes_n_cst_dwsrv_rowmanager.h"

// clang-format off
#define ZR_GROUP ZR_GROUP_n_cst_dwsrv_rowmanager
ZR_WINDOW(n_cst_dwsrv_rowmanager, ZR_CLASSES_n_cst_dwsrv_rowmanager)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()
ZR_SETTING(700, "of_setconfirmondelete", "ib_confirmondelete")
ZR_REGISTER(n_cst_dwsrv_rowmanager)
// clang-format on
