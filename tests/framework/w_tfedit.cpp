// A record editor of the real framework whose form answers pfc_preupdate with
// the window's ii_answer, so tests can have a save refused.
#include "zrrt/registration.h"
#include "zrrt/script.h"

#define ZR_GROUP 990
ZR_WINDOW(w_tfedit, ZR_CLASS(32770, "w_tfedit", 32769), ZR_ANCESTOR(32769, "w_manager_record"),
          ZR_CLASS(32771, "w_tfedit`dw_maint", 32772),
          ZR_ANCESTOR(32772, "w_manager_record`dw_maint"))
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()

ZR_SCRIPT(32771, 32772, 492, "pfc_preupdate", FH_RESULT_INTEGER, kExtends) {
  fh::Object& w = s.window().object();
  const fh::Value answer = w.get("ii_answer");
  if (!answer.is_null()) return answer;
  return fh::Value::of_integer(1);
}

ZR_REGISTER(w_tfedit)
