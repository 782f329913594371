// A million rows into one data window: the time, and the heap the rows hold
// per row (the buffers grow with the data and nothing else).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "formhost/datawindow.h"

namespace {

constexpr long kMillion = 1000000;

const char* const kSource = R"(release 9;
datawindow(units=0 processing=1 )
table(column=(type=long update=yes key=yes name=id dbname="big.id" )
 column=(type=char(20) update=yes name=code dbname="big.code" )
 column=(type=decimal(2) update=yes name=je dbname="big.je" )
 column=(type=long update=yes name=sl dbname="big.sl" )
 column=(type=date update=yes name=rq dbname="big.rq" )
 retrieve="select id, code, je, sl, rq from big order by id"
 update="big" updatewhere=0 )
)";

std::size_t heap_in_use() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// Made with bare SQLite: the engine's own inserts are not what is measured.
std::string million_rows() {
  const std::string path = "/tmp/zr016_scale_" + std::to_string(::getpid()) + ".db";
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "create table big (id integer primary key, code varchar(20), je numeric(18,2), "
               "sl integer, rq date); begin",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "insert into big values (?, ?, ?, ?, '2026-12-08')", -1, &st, nullptr);
  for (long i = 1; i <= kMillion; ++i) {
    const std::string code = "C" + std::to_string(i);
    sqlite3_bind_int64(st, 1, i);
    sqlite3_bind_text(st, 2, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(st, 3, static_cast<double>(i % 1000) + 0.5);
    sqlite3_bind_int64(st, 4, i % 50);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

void BM_DwRetrieve1M(benchmark::State& state) {
  const std::string path = million_rows();
  fh::SourceLibrary library;
  library.add("d_big", kSource, "d_big.srd");
  fh::Transaction t;
  if (t.connect("sqlite:" + path) != 0) std::abort();
  double per_row = 0;
  for (auto _ : state) {
    fh::DataWindow dw;
    dw.set_dataobject(library, "d_big");
    dw.set_transaction(&t);
    const std::size_t before = heap_in_use();
    if (dw.retrieve({}) != kMillion) state.SkipWithError("retrieve failed");
    per_row = static_cast<double>(heap_in_use() - before) / kMillion;
  }
  state.counters["bytes_per_row"] = per_row;
  state.SetItemsProcessed(state.iterations() * kMillion);
  t.disconnect();
  std::remove(path.c_str());
}
BENCHMARK(BM_DwRetrieve1M)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
