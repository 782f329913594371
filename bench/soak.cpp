// Soak: N stations add and edit rows of one table at once for S seconds,
// each through its own connection and data window (key and changed columns
// compared). Afterwards every add reported saved is in the table exactly
// once, every edit reported saved holds unless a later one replaced it, and
// every refused save was a conflict or a busy database, reported; the sum
// of the counters every save raised by one equals the saves.
//   zr016_soak CONNECTION [STATIONS=20] [SECONDS=60]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "formhost/datawindow.h"
#include "formhost/functions.h"
#include "formhost/transaction.h"

namespace {

using fh::Value;

const char* const kSource = R"(release 9;
datawindow(units=0 color=1073741824 processing=1 )
table(column=(type=long update=yes updatewhereclause=yes key=yes name=id dbname="zr_soak.id" )
 column=(type=long update=yes updatewhereclause=yes name=station dbname="zr_soak.station" )
 column=(type=long update=yes updatewhereclause=yes name=n dbname="zr_soak.n" )
 retrieve="select id, station, n from zr_soak where id % 50 = :al_slice order by id"
 update="zr_soak" updatewhere=2 updatekeyinplace=yes
 arguments=(("al_slice", long)) )
)";

struct Tally {
  long saves = 0, conflicts = 0, busy = 0, other = 0;
  std::vector<long> added;  // ids reported saved
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zr016_soak CONNECTION [STATIONS] [SECONDS]\n");
    return 2;
  }
  const std::string conn = argv[1];
  const int stations = argc > 2 ? std::atoi(argv[2]) : 20;
  const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
  {
    fh::Transaction t;
    if (t.connect(conn) != 0) {
      std::fprintf(stderr, "%s\n", t.sqlerrtext().c_str());
      return 1;
    }
    t.execute("drop table if exists zr_soak");
    t.execute("create table zr_soak (id integer primary key, station integer, n integer)");
    for (int i = 0; i < 200; ++i) {
      t.execute("insert into zr_soak (id, station, n) values (" + std::to_string(i) + ", -1, 0)");
    }
    if (t.commit() != 0) {
      std::fprintf(stderr, "%s\n", t.sqlerrtext().c_str());
      return 1;
    }
  }
  const auto object = fh::DataWindowObject::parse(kSource, "d_soak.srd");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::vector<Tally> tallies(static_cast<std::size_t>(stations));
  std::vector<std::thread> threads;
  for (int s = 0; s < stations; ++s) {
    threads.emplace_back([&, s] {
      Tally& tally = tallies[static_cast<std::size_t>(s)];
      fh::Transaction t;
      if (t.connect(conn) != 0) {
        ++tally.other;
        return;
      }
      fh::DataWindow dw;
      dw.set_object(object);
      dw.set_transaction(&t);
      std::mt19937 rng(static_cast<unsigned>(s));
      long next_id = 1000000L * (s + 1);
      while (std::chrono::steady_clock::now() < end) {
        const Value slice[] = {Value::of_long(static_cast<std::int32_t>(rng() % 50))};
        if (dw.retrieve(slice) < 0) {
          ++tally.other;
          continue;
        }
        long added = 0;
        if (rng() % 2 == 0 || dw.row_count() == 0) {
          const long row = dw.insert_row(0);
          added = next_id++;
          dw.set_item(row, "id", Value::of_long(static_cast<std::int32_t>(added)));
          dw.set_item(row, "station", Value::of_long(s));
          dw.set_item(row, "n", Value::of_long(1));
        } else {
          const long row = 1 + static_cast<long>(rng() % static_cast<unsigned>(dw.row_count()));
          dw.set_item(row, "station", Value::of_long(s));
          dw.set_item(row, "n", fh::add(dw.get_item(row, "n"), Value::of_long(1)));
        }
        if (dw.update() == 1 && t.commit() == 0) {
          ++tally.saves;
          if (added != 0) tally.added.push_back(added);
          continue;
        }
        const std::string why = dw.last_error().empty() ? t.sqlerrtext() : dw.last_error();
        t.rollback();
        if (why.find("another station") != std::string::npos) {
          ++tally.conflicts;
        } else if (why.find("locked") != std::string::npos ||
                   why.find("40001") != std::string::npos) {
          ++tally.busy;
        } else {
          ++tally.other;
          std::fprintf(stderr, "station %d: %s\n", s, why.c_str());
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();

  Tally all;
  fh::Transaction t;
  t.connect(conn);
  long missing = 0;
  for (const Tally& tally : tallies) {
    all.saves += tally.saves;
    all.conflicts += tally.conflicts;
    all.busy += tally.busy;
    all.other += tally.other;
    for (long id : tally.added) {
      Value n[] = {Value::of_long(0)};
      t.select_into("select count(*) from zr_soak where id = " + std::to_string(id), {}, n);
      if (n[0].as_long() != 1) ++missing;
    }
  }
  Value rows[] = {Value::of_long(0)};
  t.select_into("select count(*) from zr_soak where id >= 1000000", {}, rows);
  long added = 0;
  for (const Tally& tally : tallies) added += static_cast<long>(tally.added.size());
  // Each save added 1 to n (a new row, or an edit): no edit was lost.
  Value sum[] = {Value::of_long(0)};
  t.select_into("select cast(sum(n) as integer) from zr_soak", {}, sum);
  std::printf(
      "%d stations, %d s: %ld saves (%ld adds), %ld conflicts reported, %ld busy, %ld other "
      "errors; adds in the table %d, missing %ld; sum of counts %d\n",
      stations, seconds, all.saves, added, all.conflicts, all.busy, all.other, rows[0].as_long(),
      missing, sum[0].as_long());
  t.execute("drop table zr_soak");
  t.commit();
  return missing == 0 && rows[0].as_long() == added && sum[0].as_long() == all.saves &&
                 all.other == 0
             ? 0
             : 1;
}
