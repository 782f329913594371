// The library container: any bytes either read or are refused with
// fh::Error, and every entry read is found again by its name.
#include "formhost/container.h"

#include "formhost/errors.h"
#include "fuzz_target.h"

ZR_FUZZ_TARGET(container) {
  try {
    const fh::LibraryContainer c = fh::LibraryContainer::read(zrfuzz::bytes(data, size), "fuzz");
    for (const auto& e : c.entries()) {
      zrfuzz::check(c.find(e.name) == &e, "an entry read is not found by its name");
    }
  } catch (const fh::Error&) {
  }
  return 0;
}
