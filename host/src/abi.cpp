// The host's side of the C boundary: nothing may throw out of here.
#include "formhost/abi.h"

#include "formhost/classes.h"

using fh::ClassRegistry;

extern "C" {

FH_HOST_API void fh_announce(fh_host* host, const char* window) {
  if (host == nullptr || window == nullptr) return;
  try {
    ClassRegistry::from_host(host).announce(window);
  } catch (...) {
  }
}

FH_HOST_API int32_t fh_class_index(fh_host* host, const char* window) {
  if (host == nullptr || window == nullptr) return FH_STATUS_FAILED;
  try {
    return ClassRegistry::from_host(host).new_class_index(window);
  } catch (...) {
    return FH_STATUS_FAILED;
  }
}

FH_HOST_API int32_t fh_register_group(fh_host* host, const fh_vtable_info* info, int32_t index) {
  if (host == nullptr || info == nullptr) return FH_STATUS_FAILED;
  try {
    return ClassRegistry::from_host(host).register_group(*info, index);
  } catch (...) {
    return FH_STATUS_FAILED;
  }
}

}  // extern "C"
