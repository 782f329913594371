#include <dlfcn.h>

#include "formhost/classes.h"

namespace fh {

void* Module::symbol(const std::string& name) const { return dlsym(handle_, name.c_str()); }

const fh_schema_info* Module::schema() const {
  auto fn = reinterpret_cast<fh_schema_fn>(symbol("fh_module_schema"));
  return fn == nullptr ? nullptr : fn();
}

}  // namespace fh
