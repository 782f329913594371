// A module's global functions, which any module's script calls by name
// (Script::call). The module lists them in its exported table:
//
//   int gf_x_entry(fh_context* c, fh_call* k) { return zr::run_function(c, k, &gf_x); }
//   constexpr fh_function_row kRows[] = {{"gf_x", &gf_x_entry}};
//   constexpr fh_function_table kTable{kRows, 1};
//   extern "C" FH_MODULE_EXPORT const fh_function_table* fh_module_functions() { return &kTable; }
#pragma once

#include <span>

#include "formhost/abi.h"
#include "formhost/value.h"

namespace zr {

// The body answers the function's result; bad arguments or a value it cannot
// handle throw (fh::Error), which fails the call.
using FunctionBody = fh::Value (*)(std::span<const fh::Value> args);

// Runs the body with the call's arguments and leaves its result in the
// context's return slot: 1 when it answered, 0 when it threw. Never throws.
int run_function(fh_context* ctx, fh_call* call, FunctionBody body) noexcept;

}  // namespace zr
