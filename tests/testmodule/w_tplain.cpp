// A test window with only the generated scripts.
#include "log.h"
#include "zrrt/registration.h"

// w_tplain: only the generated scripts.
#define ZR_GROUP 1796
ZR_WINDOW(w_tplain, ZR_CLASS(32770, "w_tplain", 32769), ZR_ANCESTOR(32769, "w_tlist"))
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()
ZR_REGISTER(w_tplain)
