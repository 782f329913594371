// m_openwindow: opens its list window, or brings the open one to the front.
#include "formhost/session.h"
#include "support/frame.h"
#include "zr_group_m_openwindow.h"

ZR_EVENT(m_openwindow, clicked) {
  s.open(zrf::text(s.self().get("is_window")));
  return 1;
}

ZR_REGISTER(m_openwindow)
