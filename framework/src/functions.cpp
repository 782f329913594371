// The framework's global functions, which scripts of every module call by name.
#include "formhost/abi.h"
#include "support/amount_text.h"
#include "zrrt/global_function.h"

namespace {

int gf_pricetodx_gd(fh_context* c, fh_call* k) {
  return zr::run_function(c, k, &zrf::amount_in_words);
}

constexpr fh_function_row kFunctions[] = {{"gf_pricetodx_gd", &gf_pricetodx_gd}};
constexpr fh_function_table kTable{kFunctions, 1};

}  // namespace

extern "C" FH_MODULE_EXPORT const fh_function_table* fh_module_functions() { return &kTable; }
