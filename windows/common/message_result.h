// What a window's open or a control's constructor answers: the returnvalue
// of the global message object when there is one, else 0.
#pragma once

#include "formhost/context.h"
#include "zrrt/script.h"

namespace message_result {

inline fh::Value of(zr::Script& s) {
  const fh::ObjectRef& msg = s.ctx().message();
  if (!fh::is_valid(msg)) return fh::Value::of_long(0);
  return msg->get("returnvalue");
}

}  // namespace message_result
