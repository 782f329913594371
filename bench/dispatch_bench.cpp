// The cost of raising an event through the script wrapper and its ancestors.
#include <benchmark/benchmark.h>

#include "../tests/testmodule/log.h"
#include "formhost/context.h"
#include "zrrt/script.h"

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

// The floor: the same three script bodies (tests/testmodule: u_tdw,
// w_tlist`dw_list and w_tchild`dw_list) called straight through function
// pointers, ancestor first, with the same arguments and context.
using Body = fh::Value (*)(zr::Script&, const fh::Value& ancestor_result);
fh::Value frame_insert(zr::Script& s, const fh::Value&) {
  zrtest::log(s, "frame-insert");
  return fh::Value::of_long(5);
}
fh::Value tlist_insert(zr::Script& s, const fh::Value&) {
  zrtest::log(s, "tlist-insert");
  return fh::Value::of_long(6);
}
fh::Value child_insert(zr::Script& s, const fh::Value& ancestor_result) {
  zrtest::log(s, "child-insert");
  s.self().set("ancestor_result", ancestor_result);
  s.self().set("depth", fh::Value::of_long(s.ctx().call_depth()));
  return fh::Value::of_long(1);
}

void BM_DirectCall(benchmark::State& state) {
  Loaded l;
  fh::Object& grid = *l.window->control("dw_list");
  static constexpr Body kBodies[] = {frame_insert, tlist_insert, child_insert};
  for (auto _ : state) {
    l.window->set("log", fh::Value());
    fh_call call{&grid, {}};
    zr::Script s(l.ctx, call);
    fh::Value result;
    for (Body body : kBodies) result = body(s, result);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_DirectCall);

// An event that exists but has no script: the host's lookup alone.
void BM_TriggerWithoutHandler(benchmark::State& state) {
  Loaded l;
  fh::Object& grid = *l.window->control("dw_list");
  for (auto _ : state) benchmark::DoNotOptimize(l.ctx.trigger(grid, "ue_nohandler"));
}
BENCHMARK(BM_TriggerWithoutHandler);

}  // namespace
