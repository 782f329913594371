// The data-window engine and embedded SQL against bare SQLite on the same
// file and the same typed values.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "formhost/datawindow.h"
#include "formhost/text.h"

namespace {

constexpr int kRows = 100000;
constexpr int kUpdated = 10000;

const char* const kSource = R"(release 9;
datawindow(units=0 processing=1 )
table(column=(type=long update=yes key=yes name=id dbname="bench.id" )
 column=(type=char(20) update=yes name=code dbname="bench.code" )
 column=(type=char(40) update=yes name=mc dbname="bench.mc" )
 column=(type=decimal(2) update=yes name=je dbname="bench.je" )
 column=(type=long update=yes name=sl dbname="bench.sl" )
 column=(type=date update=yes name=rq dbname="bench.rq" )
 column=(type=char(10) update=yes name=ys dbname="bench.ys" )
 column=(type=char(10) update=yes name=cm dbname="bench.cm" )
 column=(type=decimal(4) update=yes name=zl dbname="bench.zl" )
 column=(type=long update=yes name=bz dbname="bench.bz" )
 retrieve="select id, code, mc, je, sl, rq, ys, cm, zl, bz from bench order by id"
 update="bench" updatewhere=0 updatekeyinplace=yes )
)";

// One database file with kRows rows of ten mixed columns, made once.
const std::string& database() {
  static const std::string path = [] {
    std::string p = "/tmp/zr016_bench_" + std::to_string(::getpid()) + ".db";
    std::remove(p.c_str());
    fh::Transaction t;
    if (t.connect("sqlite:" + p) != 0) std::abort();
    t.execute(
        "create table bench (id integer primary key, code varchar(20), mc varchar(40), "
        "je numeric(18,2), sl integer, rq date, ys varchar(10), cm varchar(10), "
        "zl numeric(18,4), bz integer)");
    const std::string mc = fh::utf8_to_gbk("针织衫", "bench");
    for (int i = 1; i <= kRows; ++i) {
      const fh::Value row[] = {
          fh::Value::of_long(i),
          fh::Value::of_string("C" + std::to_string(i)),
          fh::Value::of_string(mc),
          fh::Value::of_decimal(*fh::Decimal::parse(std::to_string(i % 1000) + ".50")),
          fh::Value::of_long(i % 50),
          fh::Value::of_string("2026-12-07"),
          fh::Value::of_string("red"),
          fh::Value::of_string("XL"),
          fh::Value::of_decimal(*fh::Decimal::parse("1.2345")),
          fh::Value::of_long(i % 2)};
      t.execute("insert into bench values (:a, :b, :c, :d, :e, :f, :g, :h, :i, :j)", row);
    }
    t.commit();
    std::atexit([] {
      for (const char* suffix : {"", "-wal", "-shm"}) std::remove((database() + suffix).c_str());
    });
    return p;
  }();
  return path;
}

struct Engine {
  Engine() {
    library.add("d_bench", kSource, "d_bench.srd");
    t.connect("sqlite:" + database());
    dw.set_dataobject(library, "d_bench");
    dw.set_transaction(&t);
  }
  fh::SourceLibrary library;
  fh::Transaction t;
  fh::DataWindow dw;
};

void BM_DwRetrieve100k(benchmark::State& state) {
  Engine e;
  for (auto _ : state) {
    if (e.dw.retrieve({}) != kRows) state.SkipWithError("retrieve failed");
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_DwRetrieve100k)->Unit(benchmark::kMillisecond);

// What the engine does, by hand: step, read each typed column, convert text.
void BM_RawSqliteRead100k(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(database().c_str(), &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "select id, code, mc, je, sl, rq, ys, cm, zl, bz from bench order by id",
                     -1, &st, nullptr);
  for (auto _ : state) {
    long n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
      for (int c : {1, 2, 5, 6, 7}) {
        std::string s(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        benchmark::DoNotOptimize(s);
      }
      benchmark::DoNotOptimize(sqlite3_column_double(st, 3));
      benchmark::DoNotOptimize(sqlite3_column_int64(st, 4));
      benchmark::DoNotOptimize(sqlite3_column_double(st, 8));
      benchmark::DoNotOptimize(sqlite3_column_int64(st, 9));
      ++n;
    }
    sqlite3_reset(st);
    if (n != kRows) state.SkipWithError("read failed");
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RawSqliteRead100k)->Unit(benchmark::kMillisecond);

void BM_DwUpdate10k(benchmark::State& state) {
  Engine e;
  e.dw.retrieve({});
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ++round;
    for (long r = 1; r <= kUpdated; ++r) e.dw.set_item(r, "sl", fh::Value::of_long(round));
    state.ResumeTiming();
    if (e.dw.update() != 1) state.SkipWithError(e.dw.last_error().c_str());
    e.t.commit();
  }
  state.SetItemsProcessed(state.iterations() * kUpdated);
}
BENCHMARK(BM_DwUpdate10k)->Unit(benchmark::kMillisecond);

void BM_RawSqliteUpdate10k(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(database().c_str(), &db);
  // The engine's own settings: a save reported done survives a power failure.
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "update bench set sl = ? where id = ?", -1, &st, nullptr);
  int round = 0;
  for (auto _ : state) {
    ++round;
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    for (int r = 1; r <= kUpdated; ++r) {
      sqlite3_bind_int64(st, 1, round);
      sqlite3_bind_int64(st, 2, r);
      sqlite3_step(st);
      sqlite3_reset(st);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kUpdated);
}
BENCHMARK(BM_RawSqliteUpdate10k)->Unit(benchmark::kMillisecond);

void BM_EmbeddedSelectByKey(benchmark::State& state) {
  fh::Transaction t;
  t.connect("sqlite:" + database());
  fh::Value out[] = {fh::Value::of_string(""), fh::Value::of_decimal(fh::Decimal())};
  long key = 0;
  for (auto _ : state) {
    const fh::Value k[] = {fh::Value::of_long(static_cast<std::int32_t>(key++ % kRows + 1))};
    if (t.select_into("select code, je from bench where id = :id", k, out) != 0) {
      state.SkipWithError("select failed");
    }
  }
}
BENCHMARK(BM_EmbeddedSelectByKey);

void BM_RawSqliteSelectByKey(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(database().c_str(), &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "select code, je from bench where id = ?", -1, &st, nullptr);
  long key = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(st, 1, key++ % kRows + 1);
    if (sqlite3_step(st) != SQLITE_ROW) state.SkipWithError("select failed");
    std::string code(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    benchmark::DoNotOptimize(code);
    benchmark::DoNotOptimize(sqlite3_column_double(st, 1));
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteSelectByKey);

}  // namespace
