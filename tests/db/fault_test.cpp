// Fault injection in the style of SQLite's loops: the same work runs again and
// again with the 1st, 2nd, 3rd... database call failing, until it makes fewer
// calls than the planted number. After each failure the buffers, the
// transaction and the database must be as the caller was told.
#include <gtest/gtest.h>

#include "backends.h"
#include "fault_loop.h"
#include "formhost/datawindow.h"
#include "formhost/db_faults.h"
#include "formhost/text.h"

namespace {

using fh::Value;
using fh::testing::db_fault_fired;
using fh::testing::fail_db_call;
using zrtest::DbTest;
using zrtest::fault_kinds;
using zrtest::kMaxFaultCalls;
using zrtest::snapshot;

const char* const kSource = R"(release 9;
datawindow(units=0 processing=1 )
table(column=(type=char(20) update=yes updatewhereclause=yes key=yes name=zrtmid dbname="zr_item.zrtmid" )
 column=(type=char(40) update=yes updatewhereclause=yes name=mc dbname="zr_item.mc" )
 column=(type=long update=yes updatewhereclause=yes name=sl dbname="zr_item.sl" )
 retrieve="select zrtmid, mc, sl from zr_item where zrtmid like :as_key order by zrtmid"
 update="zr_item" updatewhere=0 updatekeyinplace=yes
 arguments=(("as_key", string)) )
)";

class DbFaultTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(
        db.execute(
            "create table zr_item (zrtmid varchar(20) primary key, mc varchar(40), sl integer)"),
        0)
        << db.sqlerrtext();
    ASSERT_EQ(db.execute("create table zr_log (id integer primary key)"), 0) << db.sqlerrtext();
    ASSERT_EQ(db.commit(), 0);
    connect_other(other);
    library.add("d_item", fh::utf8_to_gbk(kSource, "d_item.srd"), "d_item.srd");
    ASSERT_EQ(dw.set_dataobject(library, "d_item"), 1) << dw.last_error();
    dw.set_transaction(&db);
  }
  void TearDown() override {
    fail_db_call(db, 0, fh::testing::DbFault::kError);
    other.disconnect();
    DbTest::TearDown();
  }

  // Three items and an empty log, committed.
  void baseline() {
    ASSERT_EQ(db.execute("delete from zr_item"), 0) << db.sqlerrtext();
    ASSERT_EQ(db.execute("delete from zr_log"), 0);
    for (int i = 1; i <= 3; ++i) {
      const Value row[] = {Value::of_string("A00" + std::to_string(i)), Value::of_string("item"),
                           Value::of_long(i)};
      ASSERT_EQ(db.execute("insert into zr_item (zrtmid, mc, sl) values (:a, :b, :c)", row), 0);
    }
    ASSERT_EQ(db.commit(), 0) << db.sqlerrtext();
  }
  long retrieve_all() {
    const Value args[] = {Value::of_string("%")};
    return dw.retrieve(args);
  }
  // The edits every update loop saves: a change, a deletion, a new row.
  void edit() {
    ASSERT_EQ(retrieve_all(), 3) << dw.last_error();
    ASSERT_EQ(dw.set_item(1, "mc", Value::of_string("changed")), 1);
    ASSERT_EQ(dw.delete_row(3), 1);
    const long added = dw.insert_row(0);
    ASSERT_EQ(dw.set_item(added, "zrtmid", Value::of_string("B001")), 1);
    ASSERT_EQ(dw.set_item(added, "sl", Value::of_long(9)), 1);
  }
  // What another station sees: every item and log entry.
  std::string seen() {
    std::string out;
    const fh::Type types[] = {fh::Type::kString, fh::Type::kString, fh::Type::kString};
    std::vector<Value> row;
    auto sink = [&](std::int32_t) -> std::vector<Value>& {
      if (!row.empty()) {
        for (const Value& v : row) out += zrtest::text(v) + " ";
        out += ";";
      }
      return row;
    };
    for (const char* sql : {"select zrtmid, mc, sl from zr_item order by zrtmid",
                            "select id, id, id from zr_log order by id"}) {
      row.clear();
      EXPECT_EQ(other.query(sql, {}, {}, types, sink), 0) << other.sqlerrtext();
      sink(0);
      out += "|";
      other.commit();
    }
    return out;
  }
  void reconnect_if_lost() {
    if (!fh::testing::connection_lost(db)) return;
    ASSERT_EQ(db.connect(conn_), 0) << db.sqlerrtext();
    if (GetParam() == "postgresql") {
      ASSERT_EQ(db.execute("set search_path to " + schema_), 0);
    }
    ASSERT_EQ(db.commit(), 0);
  }
  void log(int id) {
    const Value v[] = {Value::of_long(id)};
    ASSERT_EQ(db.execute("insert into zr_log (id) values (:id)", v), 0) << db.sqlerrtext();
  }

  fh::Transaction other;
  fh::SourceLibrary library;
  fh::DataWindow dw;
};

// A commit answers success only for what the database really kept: after a
// failed statement a PostgreSQL transaction is aborted, and its COMMIT
// would silently roll back.
TEST_P(DbFaultTest, CommitReportsOnlyWhatTheDatabaseKept) {
  for (const auto& kind : fault_kinds()) {
    long n = 1;
    for (;; ++n) {
      ASSERT_LT(n, kMaxFaultCalls) << kind.name;
      baseline();
      const std::string before = seen();
      fail_db_call(db, n, kind.kind, kind.persistent);
      const Value one[] = {Value::of_long(1)}, two[] = {Value::of_long(2)};
      const bool first = db.execute("insert into zr_log (id) values (:id)", one) == 0;
      const bool second = db.execute("insert into zr_log (id) values (:id)", two) == 0;
      const std::int32_t rc = db.commit();
      const bool fired = db_fault_fired(db);
      fail_db_call(db, 0, kind.kind);
      SCOPED_TRACE(std::string(kind.name) + ", call " + std::to_string(n));
      if (!fired) {
        ASSERT_TRUE(first && second && rc == 0) << db.sqlerrtext();
        EXPECT_EQ(seen(), before.substr(0, before.size() - 1) + "1 1 1 ;2 2 2 ;|");
        break;
      }
      if (rc == 0) {
        // Exactly the statements that answered success.
        std::string log = std::string(first ? "1 1 1 ;" : "") + (second ? "2 2 2 ;" : "");
        EXPECT_EQ(seen(), before.substr(0, before.size() - 1) + log + "|");
      } else {
        db.rollback();
        EXPECT_EQ(seen(), before);
      }
      EXPECT_FALSE(db.in_transaction());
      reconnect_if_lost();
    }
    EXPECT_GE(n, 5) << kind.name;  // begin, prepare, execute, ..., commit
  }
}

// A retrieval that fails leaves the data window empty and consistent, and
// holds no read snapshot: the connection sees what others commit next.
TEST_P(DbFaultTest, FailedRetrievalLeavesNoRowsAndNoSnapshot) {
  baseline();
  for (const auto& kind : fault_kinds()) {
    long n = 1;
    for (;; ++n) {
      ASSERT_LT(n, kMaxFaultCalls) << kind.name;
      ASSERT_EQ(retrieve_all(), 3);
      fail_db_call(db, n, kind.kind, kind.persistent);
      const long rc = retrieve_all();
      const bool fired = db_fault_fired(db);
      fail_db_call(db, 0, kind.kind);
      SCOPED_TRACE(std::string(kind.name) + ", call " + std::to_string(n));
      if (!fired) {
        EXPECT_EQ(rc, 3);
        break;
      }
      EXPECT_EQ(rc, -1);
      EXPECT_FALSE(dw.last_error().empty());
      EXPECT_EQ(dw.row_count(), 0);
      EXPECT_EQ(dw.get_row(), 0);
      EXPECT_EQ(zrtest::invariant_faults(dw), "");
      EXPECT_FALSE(db.in_transaction());
      reconnect_if_lost();
      const Value key[] = {Value::of_string("A009")};
      ASSERT_EQ(other.execute("insert into zr_item (zrtmid) values (:k)", key), 0)
          << other.sqlerrtext();
      ASSERT_EQ(other.commit(), 0);
      Value count[] = {Value::of_long(0)};
      ASSERT_EQ(db.select_into("select count(*) from zr_item", {}, count), 0) << db.sqlerrtext();
      EXPECT_EQ(count[0].as_long(), 4);
      ASSERT_EQ(other.execute("delete from zr_item where zrtmid = :k", key), 0);
      ASSERT_EQ(other.commit(), 0);
    }
    EXPECT_GE(n, 6) << kind.name;  // prepare, execute, four fetches
  }
}

// A data window's update inside the caller's transaction: when it fails, its
// buffers stay as they were and none of its statements reaches the commit;
// the caller's own work does, or the commit says it failed.
TEST_P(DbFaultTest, FailedUpdateUndoesOnlyItsOwnStatements) {
  // The save without faults, once, for the database it should leave.
  baseline();
  edit();
  log(7);
  ASSERT_EQ(dw.update(true, false), 1) << dw.last_error();
  ASSERT_EQ(db.commit(), 0);
  const std::string saved = seen();
  EXPECT_EQ(saved, "A001 changed 1 ;A002 item 2 ;B001 null 9 ;|7 7 7 ;|");

  for (const auto& kind : fault_kinds()) {
    long n = 1;
    for (;; ++n) {
      ASSERT_LT(n, kMaxFaultCalls) << kind.name;
      baseline();
      const std::string before = seen();
      edit();
      const std::string buffers = snapshot(dw);
      log(7);
      fail_db_call(db, n, kind.kind, kind.persistent);
      const int updated = dw.update(true, false);
      const std::string after_update = snapshot(dw);
      const std::int32_t rc = db.commit();
      const bool fired = db_fault_fired(db);
      fail_db_call(db, 0, kind.kind);
      SCOPED_TRACE(std::string(kind.name) + ", call " + std::to_string(n));
      if (!fired) {
        ASSERT_EQ(updated, 1);
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(seen(), saved);
        break;
      }
      EXPECT_EQ(after_update, buffers);  // reset_flags is false: nothing changes either way
      EXPECT_EQ(zrtest::invariant_faults(dw), "");
      // A passing failure after the savepoint began (its first call) is
      // undone alone: the caller's own work still commits.
      if (updated != 1 && n > 1 && !kind.persistent &&
          kind.kind != fh::testing::DbFault::kLostConnection) {
        EXPECT_EQ(rc, 0) << db.sqlerrtext();
      }
      if (rc == 0) {
        // The caller's row, and the update's rows only when it said so.
        if (updated == 1) {
          EXPECT_EQ(seen(), saved);
        } else {
          EXPECT_EQ(seen(), before.substr(0, before.size() - 1) + "7 7 7 ;|");
        }
      } else {
        db.rollback();
        EXPECT_EQ(seen(), before);
      }
      EXPECT_FALSE(db.in_transaction());
      reconnect_if_lost();
      if (updated == 1 && rc == 0) {
        dw.reset_update();
        continue;
      }
      // Without the fault the same buffers save.
      if (rc != 0) log(7);
      ASSERT_EQ(dw.update(true, false), 1) << dw.last_error();
      ASSERT_EQ(db.commit(), 0) << db.sqlerrtext();
      dw.reset_update();
      EXPECT_EQ(seen(), saved);
    }
    EXPECT_GE(n, 9) << kind.name;
  }
}

// A lost connection refuses every call until the next connect, and the
// database has already let go of its transaction: others write at once.
TEST_P(DbFaultTest, LostConnectionRefusesEverythingUntilReconnected) {
  baseline();
  log(1);
  fail_db_call(db, 2, fh::testing::DbFault::kLostConnection);
  Value count[] = {Value::of_long(-1)};
  ASSERT_EQ(db.select_into("select count(*) from zr_log", {}, count), -1);
  EXPECT_TRUE(fh::testing::connection_lost(db));
  EXPECT_EQ(db.sqldbcode(), -1);
  fail_db_call(db, 0, fh::testing::DbFault::kError);
  EXPECT_EQ(db.select_into("select count(*) from zr_log", {}, count), -1);
  EXPECT_NE(db.sqlerrtext().find("lost"), std::string::npos) << db.sqlerrtext();
  EXPECT_EQ(db.commit(), -1);  // the insert is gone: never a success
  EXPECT_FALSE(db.in_transaction());
  const Value two[] = {Value::of_long(2)};
  ASSERT_EQ(other.execute("insert into zr_log (id) values (:id)", two), 0) << other.sqlerrtext();
  ASSERT_EQ(other.commit(), 0) << other.sqlerrtext();
  // A connect can fail as planted too; the next one works.
  fail_db_call(db, 1, fh::testing::DbFault::kError);
  EXPECT_EQ(db.connect(conn_), -1);
  EXPECT_FALSE(db.connected());
  fail_db_call(db, 0, fh::testing::DbFault::kError);
  ASSERT_EQ(db.connect(conn_), 0) << db.sqlerrtext();
  if (GetParam() == "postgresql") {
    ASSERT_EQ(db.execute("set search_path to " + schema_), 0);
  }
  ASSERT_EQ(db.select_into("select count(*) from zr_log", {}, count), 0) << db.sqlerrtext();
  EXPECT_EQ(count[0].as_long(), 1);
  db.commit();
}

INSTANTIATE_TEST_SUITE_P(Db, DbFaultTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
