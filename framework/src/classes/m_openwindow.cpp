// m_openwindow: opens its list window, or brings the open one to the front.
#include "formhost/session.h"
#include "support/frame.h"
#include "zr_classes_m_openwindow.h"
#include "zrrt/registration.h"

// clang-format off
#define ZR_GROUP ZR_GROUP_m_openwindow
ZR_WINDOW(m_openwindow, ZR_CLASSES_m_openwindow)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()

ZR_SCRIPT(32770, 32769, 50, "clicked", FH_RESULT_LONG, kExtends) {
  s.open(zrf::text(s.self().get("is_window")));
  return 1;
}

ZR_REGISTER(m_openwindow)
// clang-format on
