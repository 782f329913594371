// The details a yarn issue generates on save (w_01670) for a header with
// 1000 plan rows, through the window's script, against the same statements
// through bare prepared SQLite calls in one transaction.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "formhost/classes.h"
#include "formhost/datawindow.h"
#include "formhost/object.h"
#include "formhost/schema.h"
#include "formhost/session.h"
#include "formhost/text.h"
#include "formhost/transaction.h"

namespace {

constexpr int kPlanRows = 1000;
constexpr const char* kHeader = "FLB000001";

// A demo database with the header FLB000001: 1000 plan rows over the units
// 磅, KG, kg and 条, colours with and without texts.
struct Database {
  explicit Database(const std::string& name)
      : path("/tmp/zr016_bench_" + name + "_" + std::to_string(::getpid()) + ".db") {
    remove();
    registry.add_module(ZR_LIBRARY_MODULE);
    registry.add_module(ZR_FRAME_MODULE);
    fh::SessionOptions o;
    o.action_events = {{"save", "ue_save"}};
    session = std::make_unique<fh::Session>(registry, std::move(o));
    fh::Transaction& t = session->sqlca();
    if (t.connect("sqlite:" + path) != 0) std::abort();
    fh::apply_schema(t, *registry.modules()[1]->schema(), true);
    t.execute(std::string("insert into zr_zrxx1d (sjtmic, sjpzbh, djlx) values ('") + kHeader +
              "', 'FLB-01', 11)");
    for (int i = 1; i <= kPlanRows; ++i) {
      const fh::Value row[] = {fh::Value::of_long(1000 + i), fh::Value::of_long(1 + i % 4 * 2),
                               fh::Value::of_long(i),
                               fh::Value::of_string(std::to_string(i % 50) + ".125")};
      t.execute(std::string("insert into zr_052690 (ylid, sjtmic, tbopid, aashid, sjldjs) values "
                            "(:a, '") +
                    kHeader + "', :b, :c, :d)",
                row);
    }
    if (t.commit() != 0) std::abort();
  }
  ~Database() {
    session.reset();
    remove();
  }
  void remove() const {
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
  }
  // The header without details again.
  void reset() {
    fh::Transaction& t = session->sqlca();
    t.execute(std::string("delete from zr_017493 where sjtmic = '") + kHeader + "'");
    t.execute("delete from zr_zrtdx2 where tdjbbh like 'FLB-01.%'");
    t.commit();
  }
  std::string path;
  fh::ClassRegistry registry;
  std::unique_ptr<fh::Session> session;
};

long detail_count(fh::Transaction& t) {
  fh::Value n = fh::Value::of_long(0);
  t.select_into(std::string("select count(*) from zr_017493 where sjtmic = '") + kHeader + "'", {},
                std::span<fh::Value>(&n, 1));
  return n.as_long();
}

void BM_GenerateDetails1000(benchmark::State& state) {
  Database db("details");
  fh::Session& s = *db.session;
  fh::Object& window = *s.open("w_01670");
  fh::Object& head = *fh::find_control(window, "dw_head");
  fh::Object& items = *fh::find_control(window, "dw_items");
  for (long r = 1; r <= head.datawindow()->row_count(); ++r) {
    if (head.datawindow()->get_item(r, "sjtmic").as_string() == kHeader) {
      fh::Action row(fh::Action::Kind::kRow);
      row.control = "dw_head";
      row.row = r;
      s.post(std::move(row));
    }
  }
  s.run_pending();
  for (auto _ : state) {
    state.PauseTiming();
    db.reset();
    items.datawindow()->retrieve(std::vector<fh::Value>{fh::Value::of_string(kHeader)});
    state.ResumeTiming();
    s.post(fh::Action(fh::Action::Kind::kSave));
    s.run_pending();
    if (items.datawindow()->row_count() == 0) state.SkipWithError("no details");
  }
  state.counters["details"] = static_cast<double>(detail_count(s.sqlca()));
  state.SetItemsProcessed(state.iterations() * kPlanRows);
}
BENCHMARK(BM_GenerateDetails1000)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same statements, prepared once, bound and stepped by hand.
class Raw {
 public:
  explicit Raw(sqlite3* db) : db_(db) {}
  ~Raw() {
    for (sqlite3_stmt* st : owned_) sqlite3_finalize(st);
  }
  sqlite3_stmt* prepare(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) std::abort();
    owned_.push_back(st);
    return st;
  }
  // Runs a statement that changes data; answers whether it succeeded.
  static bool run(sqlite3_stmt* st) {
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    return rc == SQLITE_DONE;
  }
  static long count(sqlite3_stmt* st) {
    const long n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_reset(st);
    return n;
  }

 private:
  sqlite3* db_;
  std::vector<sqlite3_stmt*> owned_;
};

void bind_text(sqlite3_stmt* st, int i, const std::string& s) {
  sqlite3_bind_text(st, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void BM_RawSqliteGenerate1000(benchmark::State& state) {
  Database data("raw");
  sqlite3* db = nullptr;
  sqlite3_open(data.path.c_str(), &db);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  Raw raw(db);
  sqlite3_stmt* summary = raw.prepare(
      "select sum(zr_052690.sjldjs) as sjldjs, zr_052690.tbopid, zr_052690.aashid, "
      "zr_tbop.tbopdw from zr_052690 left join zr_tbop on zr_tbop.tbopid = zr_052690.tbopid where "
      "zr_052690.sjtmic = ? group by zr_052690.tbopid, zr_052690.aashid, zr_tbop.tbopdw order by "
      "zr_052690.tbopid, zr_052690.aashid");
  sqlite3_stmt* texts =
      raw.prepare("SELECT aaysmc, aashbh, aaegys, aakhsh FROM zr_aashbh WHERE aashid = ?");
  sqlite3_stmt* existing = raw.prepare(
      "SELECT COUNT(sjdzld) FROM zr_017493 WHERE tdjbrd = ? AND aashid = ? AND sjtmic = ?");
  sqlite3_stmt* in_use = raw.prepare("SELECT COUNT(tdjbid) FROM zr_zrtdx2 WHERE tdjbbh = ?");
  const std::string columns =
      "INSERT INTO zr_017493 (sjtmic, tdjbrd, tdjbbh, aashid, sjldjs, sjldsl, sjldps, ddpoaa, "
      "ddpobb, ddpocc, ddpoee) VALUES (?, ?, ?, ?, ?, ";
  sqlite3_stmt* pounds = raw.prepare(columns + "? / 2.2046, ?, ?, ?, ?, ?)");
  sqlite3_stmt* kilograms = raw.prepare(columns + "?, ? * 2.2046, ?, ?, ?, ?)");
  sqlite3_stmt* other = raw.prepare(
      "INSERT INTO zr_017493 (sjtmic, tdjbrd, tdjbbh, aashid, sjldjs, ddpoaa, ddpobb, ddpocc, "
      "ddpoee) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
  sqlite3_stmt* lot = raw.prepare(
      "INSERT INTO zr_zrtdx2 (tdjbid, tdjbbh, sjtmic, djrq) VALUES ((SELECT COALESCE(MAX(tdjbid), "
      "0) + 1 FROM zr_zrtdx2), ?, ?, CURRENT_DATE)");
  sqlite3_stmt* details = raw.prepare(
      "select zr_017493.sjdzld, zr_017493.sjtmic, zr_017493.tdjbrd, zr_tbop.tbopmc, "
      "zr_tbop.tbopdw, zr_017493.tdjbbh, zr_017493.aashid, zr_017493.ddpoaa, zr_017493.sjldjs, "
      "zr_017493.sjldsl, zr_017493.sjldps, zr_017493.sjlddj from zr_017493 left join zr_tbop on "
      "zr_tbop.tbopid = zr_017493.tdjbrd where zr_017493.sjtmic = ? order by zr_017493.sjdzld");
  sqlite3_stmt* rewrite = raw.prepare("UPDATE zr_017493 SET sjtmic = sjtmic WHERE sjdzld = ?");
  sqlite3_stmt* begin = raw.prepare("begin");
  sqlite3_stmt* commit = raw.prepare("commit");
  sqlite3_stmt* savepoint = raw.prepare("SAVEPOINT zr_detail");
  sqlite3_stmt* release = raw.prepare("RELEASE SAVEPOINT zr_detail");
  sqlite3_stmt* undo = raw.prepare("ROLLBACK TO SAVEPOINT zr_detail");
  const std::string pound = fh::utf8_to_gbk("磅", "bench");
  // Each statement alone, as the window runs it.
  auto alone = [&](auto&& body) {
    Raw::run(savepoint);
    if (!body()) Raw::run(undo);
    Raw::run(release);
  };
  auto read_details = [&] {
    std::vector<long> keys;
    bind_text(details, 1, kHeader);
    while (sqlite3_step(details) == SQLITE_ROW) {
      keys.push_back(sqlite3_column_int64(details, 0));
      for (int c = 1; c < 12; ++c) benchmark::DoNotOptimize(sqlite3_column_text(details, c));
    }
    sqlite3_reset(details);
    return keys;
  };
  for (auto _ : state) {
    state.PauseTiming();
    data.reset();
    state.ResumeTiming();
    struct Row {
      std::string q, unit;
      long tbopid, aashid;
    };
    std::vector<Row> rows;
    bind_text(summary, 1, kHeader);
    while (sqlite3_step(summary) == SQLITE_ROW) {
      const auto* u = reinterpret_cast<const char*>(sqlite3_column_text(summary, 3));
      rows.push_back({reinterpret_cast<const char*>(sqlite3_column_text(summary, 0)),
                      u == nullptr ? "" : u, sqlite3_column_int64(summary, 1),
                      sqlite3_column_int64(summary, 2)});
    }
    sqlite3_reset(summary);
    std::string t[4];
    long found = 0;
    Raw::run(begin);
    for (const Row& r : rows) {
      alone([&] {
        sqlite3_bind_int64(texts, 1, r.aashid);
        const int rc = sqlite3_step(texts);
        if (rc == SQLITE_ROW) {
          for (int c = 0; c < 4; ++c) {
            const auto* v = reinterpret_cast<const char*>(sqlite3_column_text(texts, c));
            t[c] = v == nullptr ? "" : v;
          }
        }
        sqlite3_reset(texts);
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
      });
      alone([&] {
        sqlite3_bind_int64(existing, 1, r.tbopid);
        sqlite3_bind_int64(existing, 2, r.aashid);
        bind_text(existing, 3, kHeader);
        found = Raw::count(existing);
        return found >= 0;
      });
      if (found != 0) continue;
      std::string free;
      for (int k = 1; k <= 99 && free.empty(); ++k) {
        char candidate[32];
        std::snprintf(candidate, sizeof candidate, "FLB-01.%02d", k);
        long n = 0;
        alone([&] {
          bind_text(in_use, 1, candidate);
          n = Raw::count(in_use);
          return n >= 0;
        });
        if (n == 0) free = candidate;
      }
      if (free.empty()) continue;
      alone([&] {
        sqlite3_stmt* st = r.unit == pound                    ? pounds
                           : r.unit == "KG" || r.unit == "kg" ? kilograms
                                                              : other;
        int i = 1;
        bind_text(st, i++, kHeader);
        sqlite3_bind_int64(st, i++, r.tbopid);
        bind_text(st, i++, free);
        sqlite3_bind_int64(st, i++, r.aashid);
        for (int q = 0; q < (st == other ? 1 : 3); ++q) bind_text(st, i++, r.q);
        for (const std::string& text : t) bind_text(st, i++, text);
        if (!Raw::run(st)) return false;
        bind_text(lot, 1, free);
        bind_text(lot, 2, kHeader);
        return Raw::run(lot);
      });
    }
    for (long key : read_details()) {
      alone([&] {
        sqlite3_bind_int64(rewrite, 1, key);
        return Raw::run(rewrite);
      });
    }
    Raw::run(commit);
    benchmark::DoNotOptimize(read_details());
  }
  state.counters["details"] = static_cast<double>(detail_count(data.session->sqlca()));
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kPlanRows);
}
BENCHMARK(BM_RawSqliteGenerate1000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
