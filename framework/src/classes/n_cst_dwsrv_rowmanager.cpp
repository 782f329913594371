// n_cst_dwsrv_rowmanager: its settings, read by u_dw.
#include "support/service.h"
#include "zr_group_n_cst_dwsrv_rowmanager.h"

ZR_SETTING(n_cst_dwsrv_rowmanager, of_setconfirmondelete, "ib_confirmondelete")
ZR_REGISTER(n_cst_dwsrv_rowmanager)
