#include <dlfcn.h>

#include "formhost/classes.h"

namespace fh {

void* Module::symbol(const std::string& name) const { return dlsym(handle_, name.c_str()); }

}  // namespace fh
