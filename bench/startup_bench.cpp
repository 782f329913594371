// What every start of the program pays before a window shows: the library
// list's modules loaded into a fresh registry (their exports and containers
// read), then the item list's class linked and its data-window objects parsed.
// The process has mapped the modules once already, so dlopen is a reference
// count here; the loader's own relocation is in the command's wall time.
#include <benchmark/benchmark.h>

#include "formhost/classes.h"

namespace {

void BM_LoadModules(benchmark::State& state) {
  for (auto _ : state) {
    fh::ClassRegistry registry;
    registry.add_module(ZR_LIBRARY_MODULE);
    registry.add_module(ZR_FRAME_MODULE);
    benchmark::DoNotOptimize(registry.modules().size());
  }
}
BENCHMARK(BM_LoadModules)->Unit(benchmark::kMillisecond);

void BM_LoadModulesAndTheItemList(benchmark::State& state) {
  for (auto _ : state) {
    fh::ClassRegistry registry;
    registry.add_module(ZR_LIBRARY_MODULE);
    registry.add_module(ZR_FRAME_MODULE);
    benchmark::DoNotOptimize(&registry.load("w_01691"));
    for (const char* object : {"d_015284i", "d_002201", "d_002201_list", "d_zr_zrxx10"}) {
      benchmark::DoNotOptimize(registry.dataobjects().find(object));
    }
  }
}
BENCHMARK(BM_LoadModulesAndTheItemList)->Unit(benchmark::kMillisecond);

}  // namespace
