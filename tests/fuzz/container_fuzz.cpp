// libFuzzer target: any bytes given to the container reader either read or
// are refused with fh::Error. The sanitizers catch every other outcome.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formhost/container.h"
#include "formhost/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const fh::LibraryContainer c = fh::LibraryContainer::read(bytes, "fuzz");
    // What was read must also be found by name.
    for (const auto& e : c.entries()) {
      if (c.find(e.name) != &e) __builtin_trap();
    }
  } catch (const fh::Error&) {
  }
  return 0;
}
