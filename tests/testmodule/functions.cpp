// Global functions of the test modules. Both define gf_twho, each answering
// its own module's name; the framework alone defines the others.
#include "formhost/functions.h"

#include <stdexcept>

#include "formhost/errors.h"
#include "zrrt/global_function.h"

namespace {

fh::Value who(std::span<const fh::Value>) {
#ifdef ZR_TEST_LIBRARY
  return fh::Value::of_string("library");
#else
  return fh::Value::of_string("framework");
#endif
}
int gf_twho(fh_context* c, fh_call* k) { return zr::run_function(c, k, &who); }

#ifndef ZR_TEST_LIBRARY
// The sum of its arguments, null when one is null.
fh::Value sum(std::span<const fh::Value> args) {
  fh::Value total = fh::Value::of_long(0);
  for (const fh::Value& a : args) total = fh::add(total, a);
  return total;
}
fh::Value refuse(std::span<const fh::Value>) { throw fh::Error("refused"); }
fh::Value broken(std::span<const fh::Value>) { throw std::out_of_range("a bug"); }
int gf_tsum(fh_context* c, fh_call* k) { return zr::run_function(c, k, &sum); }
int gf_tfail(fh_context* c, fh_call* k) { return zr::run_function(c, k, &refuse); }
int gf_tbroken(fh_context* c, fh_call* k) { return zr::run_function(c, k, &broken); }

constexpr fh_function_row kRows[] = {{"gf_twho", &gf_twho},
                                     {"gf_tsum", &gf_tsum},
                                     {"gf_tfail", &gf_tfail},
                                     {"gf_tbroken", &gf_tbroken}};
#else
constexpr fh_function_row kRows[] = {{"gf_twho", &gf_twho}};
#endif
constexpr fh_function_table kTable{kRows, std::size(kRows)};

}  // namespace

extern "C" FH_MODULE_EXPORT const fh_function_table* fh_module_functions() { return &kTable; }
