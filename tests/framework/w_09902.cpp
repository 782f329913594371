// A test window whose own grids run the standard set-up: one shows a
// free-form object, the other a grid whose row selection is never switched
// on (its of_setrowselect answers without making the service).
#include "../../windows/common/grid_setup.h"
#include "zrrt/registration.h"

#define ZR_GROUP 992
ZR_WINDOW(w_09902, ZR_CLASS(32770, "w_09902", 32769), ZR_ANCESTOR(32769, "window"),
          ZR_CLASS(32771, "w_09902`dw_form", 32773), ZR_CLASS(32772, "w_09902`dw_grid", 32773),
          ZR_ANCESTOR(32773, "u_dw"))
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()

ZR_SCRIPT(32771, 32773, 53, "constructor", FH_RESULT_LONG, kExtends) {
  return grids::standard_setup(s);
}
ZR_SCRIPT(32772, 32773, 53, "constructor", FH_RESULT_LONG, kExtends) {
  return grids::standard_setup(s);
}
ZR_SCRIPT(32772, 32773, 704, "of_setrowselect", FH_RESULT_INTEGER, kOverrides) {
  return fh::Value::of_integer(1);
}

ZR_REGISTER(w_09902)
