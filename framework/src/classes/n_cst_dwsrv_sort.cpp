// n_cst_dwsrv_sort: its settings, read by u_dw.
#include "support/service.h"
#include "zr_group_n_cst_dwsrv_sort.h"

ZR_SETTING(n_cst_dwsrv_sort, of_setcolumnheader, "ib_columnheader")
ZR_SETTING(n_cst_dwsrv_sort, of_setcolumnnamesource, "ii_columnnamesource")
ZR_SETTING(n_cst_dwsrv_sort, of_setstyle, "ii_style")
ZR_REGISTER(n_cst_dwsrv_sort)
