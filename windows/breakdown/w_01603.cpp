// w_01603: a colour-size breakdown list (see breakdown.h).
#include "../common/breakdown.h"
#include "zr_group_w_01603.h"

ZR_EVENT(w_01603, pfc_preopen) { return breakdown::preopen(s); }

ZR_EVENT(w_01603, pfc_postopen) { return breakdown::postopen(s); }

ZR_REGISTER(w_01603)
