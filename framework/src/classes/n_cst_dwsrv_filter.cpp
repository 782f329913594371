// n_cst_dwsrv_filter: its settings, read by u_dw.
#include "support/service.h"
#include "zr_group_n_cst_dwsrv_filter.h"

ZR_SETTING(n_cst_dwsrv_filter, of_setcolumnnamesource, "ii_columnnamesource")
ZR_SETTING(n_cst_dwsrv_filter, of_setstyle, "ii_style")
ZR_REGISTER(n_cst_dwsrv_filter)
