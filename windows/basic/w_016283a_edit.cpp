// w_016283a_edit: a detail entry of a document; after each save the document's
// amount in words is written into its record.
#include "../common/amount_text.h"
#include "zr_group_w_016283a_edit.h"

ZR_EVENT(w_016283a_edit, dw_maint, pfc_postupdate) { return amounts::store_amount_text(s); }

ZR_REGISTER(w_016283a_edit)
