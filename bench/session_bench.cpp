// What one more session costs: a session connected to the demo database with
// the item list open, as each signed-in operator of a server holds one.
// Measured as the heap the sessions hold (malloc's own count), after one
// session has paid the one-time costs (classes linked, objects parsed).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "formhost/classes.h"
#include "formhost/object.h"
#include "formhost/schema.h"
#include "formhost/session.h"

namespace {

std::size_t heap_in_use() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

struct Demo {
  Demo() {
    registry.add_module(ZR_LIBRARY_MODULE);
    registry.add_module(ZR_FRAME_MODULE);
    fh::Transaction t;
    if (t.connect(connection) != 0) std::abort();
    fh::apply_schema(t, *registry.modules()[1]->schema(), true);
    t.commit();
  }
  ~Demo() {
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
  }
  std::unique_ptr<fh::Session> open_item_list() {
    auto session = std::make_unique<fh::Session>(registry, fh::SessionOptions{});
    if (session->sqlca().connect(connection) != 0) std::abort();
    if (!session->open("w_01691")) std::abort();
    return session;
  }
  std::string path = "/tmp/zr016_footprint_" + std::to_string(::getpid()) + ".db";
  std::string connection = "sqlite:" + path;
  fh::ClassRegistry registry;
};

void BM_SessionFootprint(benchmark::State& state) {
  Demo demo;
  demo.open_item_list();  // the one-time costs
  std::vector<std::unique_ptr<fh::Session>> sessions;
  const std::size_t before = heap_in_use();
  for (auto _ : state) sessions.push_back(demo.open_item_list());
  const std::size_t after = heap_in_use();
  state.counters["bytes_per_session"] =
      static_cast<double>(after - before) / static_cast<double>(sessions.size());
  // The sessions hold what an operator sees: the list with its rows.
  fh::Object* list = fh::find_control(*sessions.back()->windows().front(), "dw_items");
  if (list == nullptr || list->datawindow()->row_count() == 0)
    state.SkipWithError("the item list shows no rows");
}
BENCHMARK(BM_SessionFootprint)->Iterations(50)->Unit(benchmark::kMillisecond);

}  // namespace
