// Argument checks of the platform's functions, shared by functions.cpp and
// the data-window expression functions so that both fail alike.
#pragma once

#include <string_view>

#include "formhost/value.h"

namespace fh::detail {

// Throws std::logic_error("FN: argument of the wrong type: ..."): a type the
// platform would not compile is a bug in the caller.
[[noreturn]] void wrong_type(std::string_view fn, const Value& v);

// A null any has no type yet and fits every argument.
void need_string(std::string_view fn, const Value& v);
void need_number(std::string_view fn, const Value& v);
void need_boolean(std::string_view fn, const Value& v);

// The wider of two number types; a null any takes the other side's type.
Type wider(std::string_view fn, const Value& a, const Value& b);

}  // namespace fh::detail
