// One fuzz target: ZR_FUZZ_TARGET(name) { ... } is libFuzzer's entry point in
// the fuzz build (clang, ZR_FUZZ=ON) and a named entry of the replay driver
// in the normal build, which feeds it every file of the target's corpus.
// A target returns normally for any input the reader accepts or refuses with
// fh::Error; a broken property calls zrfuzz::fail, which aborts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zrfuzz {

using Entry = int (*)(const std::uint8_t*, std::size_t);

// The replay driver's table of targets.
bool add(const char* name, Entry entry);

[[noreturn]] inline void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

inline void check(bool ok, const std::string& what) {
  if (!ok) fail(what);
}

inline std::string_view bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace zrfuzz

#ifdef ZR_LIBFUZZER
#define ZR_FUZZ_TARGET(name) \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
#else
#define ZR_FUZZ_TARGET(name)                                                                    \
  static int zr_fuzz_##name(const std::uint8_t* data, std::size_t size);                        \
  [[maybe_unused]] static const bool zr_fuzz_added_##name = zrfuzz::add(#name, zr_fuzz_##name); \
  static int zr_fuzz_##name(const std::uint8_t* data, std::size_t size)
#endif
