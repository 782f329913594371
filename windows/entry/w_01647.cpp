// w_01647: the bundle list, with three hidden grids of its own that take the
// standard set-up and always allow a new row.
#include "../common/grid_setup.h"
#include "zr_group_w_01647.h"

ZR_EVENT(w_01647, dw_019780_0326, constructor) { return grids::standard_setup(s); }
ZR_EVENT(w_01647, dw_019780_ddyjbh, constructor) { return grids::standard_setup(s); }
ZR_EVENT(w_01647, dw_019780, constructor) { return grids::standard_setup(s); }

// The ancestor's answer is overridden: the insertion goes on.
ZR_EVENT(w_01647, dw_019780_0326, pfc_preinsertrow) { return Value::of_integer(1); }
ZR_EVENT(w_01647, dw_019780_ddyjbh, pfc_preinsertrow) { return Value::of_integer(1); }
ZR_EVENT(w_01647, dw_019780, pfc_preinsertrow) { return Value::of_integer(1); }

// Only the ancestor's save, whose answer it passes on (an implicit answer
// would report every save as failed).
ZR_EVENT(w_01647, ue_save) { return s.ancestor_result(); }

ZR_REGISTER(w_01647)
