// A test response window: OK asks first, then closes with a value.
#include "log.h"
#include "zrrt/registration.h"

using zrtest::log;

#define ZR_GROUP 1798
ZR_WINDOW(w_tdialog, ZR_CLASS(32770, "w_tdialog", 32769), ZR_ANCESTOR(32769, "window"),
          ZR_CLASS(32771, "w_tdialog`cb_ok", 32772), ZR_ANCESTOR(32772, "commandbutton"))

ZR_SCRIPT(32770, 32769, 54, "open", FH_RESULT_LONG, kExtends) {
  log(s, "dialog-open:" + s.ctx().message()->get("stringparm").as_string());
  return {};
}

ZR_SCRIPT(32771, 32772, 50, "clicked", FH_RESULT_LONG, kExtends) {
  const int answer = s.message_box("", "close?", 3, 4, 2);
  log(s, "dialog-answer:" + std::to_string(answer));
  if (answer == 1) s.close_with_return(s.window(), fh::Value::of_long(7));
  return 1;
}

ZR_REGISTER(w_tdialog)
