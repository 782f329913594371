// The cost of raising an event through the script wrapper and its ancestors.
#include <benchmark/benchmark.h>

#include "formhost/context.h"

namespace {

struct Loaded {
  Loaded() {
    registry.add_module(ZR_TEST_MODULE);
    registry.add_module(ZR_TEST_FRAME_MODULE);
    window = fh::instantiate(registry.load("w_tchild"));
  }
  fh::ClassRegistry registry;
  fh::Context ctx{registry};
  fh::ObjectRef window;
};

// Three scripts (u_tdw, w_tlist`dw_list, the window's override), ancestor first.
void BM_TriggerThroughTwoAncestors(benchmark::State& state) {
  Loaded l;
  fh::Object& grid = *l.window->control("dw_list");
  for (auto _ : state) {
    l.window->set("log", fh::Value());
    benchmark::DoNotOptimize(l.ctx.trigger(grid, std::uint16_t{447}));
  }
}
BENCHMARK(BM_TriggerThroughTwoAncestors);

// An event that exists but has no script: the host's lookup alone.
void BM_TriggerWithoutHandler(benchmark::State& state) {
  Loaded l;
  fh::Object& grid = *l.window->control("dw_list");
  for (auto _ : state) benchmark::DoNotOptimize(l.ctx.trigger(grid, "ue_nohandler"));
}
BENCHMARK(BM_TriggerWithoutHandler);

}  // namespace
