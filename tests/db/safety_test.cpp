// What keeps data right when stations work at once and stored values are
// odd: the update-where settings, numbers out of range, column lengths,
// values that cannot be read, and a retrieval that fails.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "backends.h"
#include "formhost/datawindow.h"
#include "formhost/db_faults.h"
#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"

namespace {

using fh::RowStatus;
using fh::Value;
using zrtest::DbTest;

std::string source(int updatewhere) {
  return R"(release 9;
datawindow(units=0 color=1073741824 processing=1 )
header(height=80 color="536870912" )
detail(height=84 color="536870912" )
table(column=(type=long update=yes updatewhereclause=yes key=yes name=id dbname="zr_safe.id" )
 column=(type=char(6) update=yes updatewhereclause=yes name=mc dbname="zr_safe.mc" )
 column=(type=long update=yes updatewhereclause=yes name=sl dbname="zr_safe.sl" )
 column=(type=integer update=yes updatewhereclause=yes name=xh dbname="zr_safe.xh" )
 column=(type=date update=yes updatewhereclause=yes name=rq dbname="zr_safe.rq" )
 retrieve="select id, mc, sl, xh, rq from zr_safe order by id"
 update="zr_safe" updatewhere=)" +
         std::to_string(updatewhere) + R"( updatekeyinplace=yes )
column(band=detail id=2 x="9" y="8" height="76" width="274" name=mc )
)";
}

class SafetyTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    sql("create table zr_safe (id integer primary key, mc varchar(6), sl bigint, xh integer, "
        "rq date)");
    sql("insert into zr_safe (id, mc, sl, xh) values (1, 'a', 10, 1)");
    sql("insert into zr_safe (id, mc, sl, xh) values (2, 'b', 20, 2)");
    connect_other(other);
  }
  void TearDown() override {
    other.disconnect();
    DbTest::TearDown();
  }
  void sql(const std::string& text, fh::Transaction* on = nullptr) {
    fh::Transaction& t = on == nullptr ? db : *on;
    ASSERT_EQ(t.execute(fh::utf8_to_gbk(text, "test")), 0) << t.sqlerrtext();
    ASSERT_EQ(t.commit(), 0) << t.sqlerrtext();
  }
  std::string value(const std::string& select) {
    Value v[] = {Value::of_string("")};
    EXPECT_EQ(db.select_into(select, {}, v), 0) << db.sqlerrtext();
    return v[0].is_null() ? "null" : fh::gbk_to_utf8_lossy(fh::String(v[0]).as_string());
  }
  // A data window on zr_safe with that update-where setting, retrieved.
  void open(fh::DataWindow& dw, int updatewhere, fh::Transaction& t) {
    dw.set_object(fh::DataWindowObject::parse(source(updatewhere), "d_safe.srd"));
    dw.set_transaction(&t);
    ASSERT_EQ(dw.retrieve({}), 2) << dw.last_error();
  }
  // An update and its commit, or its rollback when it fails.
  int save(fh::DataWindow& dw, fh::Transaction& t) {
    if (dw.update() != 1) {
      t.rollback();
      return -1;
    }
    EXPECT_EQ(t.commit(), 0) << t.sqlerrtext();
    return 1;
  }

  fh::Transaction other;
};

// Two stations read the same rows; the second saves over the first's change.
TEST_P(SafetyTest, UpdateWhereSettingDecidesWhatCountsAsAConflict) {
  // 0: the key alone, so the last save wins (the setting said so).
  {
    fh::DataWindow mine, theirs;
    open(mine, 0, db);
    open(theirs, 0, other);
    ASSERT_EQ(theirs.set_item(1, "mc", Value::of_string("t")), 1);
    ASSERT_EQ(save(theirs, other), 1);
    ASSERT_EQ(mine.set_item(1, "mc", Value::of_string("m")), 1);
    EXPECT_EQ(save(mine, db), 1) << mine.last_error();
    EXPECT_EQ(value("select mc from zr_safe where id = 1"), "m");
  }
  // 2: the key and the columns changed here: another column may change...
  {
    fh::DataWindow mine, theirs;
    open(mine, 2, db);
    open(theirs, 2, other);
    ASSERT_EQ(theirs.set_item(1, "sl", Value::of_long(11)), 1);
    ASSERT_EQ(save(theirs, other), 1);
    ASSERT_EQ(mine.set_item(1, "mc", Value::of_string("m2")), 1);
    EXPECT_EQ(save(mine, db), 1) << mine.last_error();
    EXPECT_EQ(value("select mc || '/' || sl from zr_safe where id = 1"), "m2/11");
    // ...the same column may not, and nothing of the save goes in: row 1
    // was updated before row 2's conflict, and is rolled back with it.
    ASSERT_EQ(theirs.set_item(2, "mc", Value::of_string("t2")), 1);
    ASSERT_EQ(save(theirs, other), 1);
    ASSERT_EQ(mine.set_item(1, "xh", Value::of_integer(5)), 1);
    ASSERT_EQ(mine.set_item(2, "mc", Value::of_string("m3")), 1);
    EXPECT_EQ(save(mine, db), -1);
    EXPECT_EQ(mine.last_error(),
              "row 2 of zr_safe (id 2) was changed by another station since it was read: column "
              "mc is now 't2' (was 'b'); nothing was saved and the edits are kept");
    EXPECT_EQ(mine.conflict_row(), 2);
    EXPECT_EQ(value("select xh from zr_safe where id = 1"), "1");
    EXPECT_EQ(mine.row_status(1), RowStatus::kDataModified);
    EXPECT_EQ(mine.get_item(2, "mc").as_string(), "m3");
    // Read again, the row takes the other station's values; the rest stays.
    ASSERT_EQ(mine.reselect_row(2), 1);
    EXPECT_EQ(mine.get_item(2, "mc").as_string(), "t2");
    EXPECT_EQ(mine.row_status(2), RowStatus::kNotModified);
    EXPECT_EQ(save(mine, db), 1) << mine.last_error();
    EXPECT_EQ(value("select xh from zr_safe where id = 1"), "5");
  }
  // 1: the key and every updatable column: any change by another conflicts.
  {
    fh::DataWindow mine, theirs;
    open(mine, 1, db);
    open(theirs, 1, other);
    ASSERT_EQ(theirs.set_item(2, "xh", Value::of_integer(7)), 1);
    ASSERT_EQ(save(theirs, other), 1);
    ASSERT_EQ(mine.set_item(2, "mc", Value::of_string("m")), 1);
    EXPECT_EQ(save(mine, db), -1);
    EXPECT_NE(mine.last_error().find("column xh is now '7' (was '2')"), std::string::npos)
        << mine.last_error();
  }
  // A row deleted meanwhile: said so, and reading it again drops it.
  {
    fh::DataWindow mine;
    open(mine, 2, db);
    sql("delete from zr_safe where id = 2", &other);
    ASSERT_EQ(mine.set_item(2, "mc", Value::of_string("gone")), 1);
    EXPECT_EQ(save(mine, db), -1);
    EXPECT_NE(mine.last_error().find("row 2 of zr_safe (id 2) was deleted by another station"),
              std::string::npos)
        << mine.last_error();
    ASSERT_EQ(mine.reselect_row(2), 1);
    EXPECT_EQ(mine.row_count(), 1);
    EXPECT_EQ(mine.modified_count(), 0);
  }
}

TEST_P(SafetyTest, NumbersOutOfRangeAndTooLongTextsAreRefusedNeverWrapped) {
  fh::DataWindow dw;
  open(dw, 2, db);
  // Typed.
  ASSERT_EQ(dw.set_column("sl"), 1);
  dw.set_text("2147483648");
  EXPECT_EQ(dw.accept_text(), -1);
  EXPECT_EQ(dw.last_error(),
            "'2147483648' is not a valid value for sl: out of range (long: -2147483648 to "
            "2147483647)");
  dw.discard_text();
  dw.set_text("-2147483648");
  EXPECT_EQ(dw.accept_text(), 1) << dw.last_error();
  ASSERT_EQ(dw.set_column("xh"), 1);
  dw.set_text("32768");
  EXPECT_EQ(dw.accept_text(), -1);
  dw.discard_text();
  // Set by a script.
  EXPECT_EQ(dw.set_item(1, "sl", Value::of_decimal(*fh::Decimal::parse("99999999999"))), -1);
  EXPECT_EQ(dw.set_item(1, "xh", Value::of_long(40000)), -1);
  EXPECT_EQ(dw.set_item(1, "xh", Value::of_long(-32768)), 1);
  // Dates that are no dates.
  ASSERT_EQ(dw.set_column("rq"), 1);
  dw.set_text("2024-13-45");
  EXPECT_EQ(dw.accept_text(), -1);
  dw.discard_text();
  // char(6): six characters, Chinese or not, on both databases.
  EXPECT_EQ(dw.set_item(1, "mc", Value::of_string(fh::utf8_to_gbk("衬衫衬衫衬衫", "t"))), 1);
  EXPECT_EQ(dw.set_item(1, "mc", Value::of_string("abcdefg")), -1);
  EXPECT_EQ(dw.last_error(), "column mc takes at most 6 characters, 7 given");
  ASSERT_EQ(save(dw, db), 1) << dw.last_error();
  EXPECT_EQ(value("select sl from zr_safe where id = 1"), "-2147483648");
  EXPECT_EQ(value("select xh from zr_safe where id = 1"), "-32768");
}

// One stored value that does not read as its column's type hides nothing else.
TEST_P(SafetyTest, UnreadableStoredValueShowsTheRowAndStaysAsStored) {
  sql("update zr_safe set sl = 99999999999 where id = 1");
  if (GetParam() == "sqlite") {
    // SQLite keeps whatever it was given.
    sql("insert into zr_safe (id, mc, sl, xh, rq) values (3, 'c', 'abc', 3, '2024-13-45')");
    sql("insert into zr_safe (id, mc, sl, xh, rq) values (4, cast(x'ff41' as text), 4, 4, '')");
  }
  fh::DataWindow dw;
  dw.set_object(fh::DataWindowObject::parse(source(2), "d_safe.srd"));
  dw.set_transaction(&db);
  const long rows = GetParam() == "sqlite" ? 4 : 2;
  ASSERT_EQ(dw.retrieve({}), rows) << dw.last_error();
  EXPECT_EQ(dw.retrieve_error(), "");
  EXPECT_NE(dw.retrieve_warning().find("row 1 column sl: 99999999999 is out of the range of long"),
            std::string::npos)
      << dw.retrieve_warning();
  EXPECT_TRUE(dw.is_unreadable(1, 3));
  EXPECT_TRUE(dw.get_item(1, "sl").is_null());
  EXPECT_FALSE(dw.is_unreadable(2, 3));
  if (GetParam() == "sqlite") {
    EXPECT_TRUE(dw.is_unreadable(3, 3));  // 'abc' is not a number
    EXPECT_TRUE(dw.is_unreadable(3, 5));  // 2024-13-45 is not a date
    EXPECT_TRUE(dw.is_unreadable(4, 2));  // not UTF-8
    EXPECT_TRUE(dw.is_unreadable(4, 5));  // '' is not a date
    EXPECT_NE(dw.retrieve_warning().find("5 stored values"), std::string::npos)
        << dw.retrieve_warning();
  }
  // It cannot be changed, and saving the row's other columns leaves it as stored.
  EXPECT_EQ(dw.set_item(1, "sl", Value::of_long(5)), -1);
  EXPECT_NE(dw.last_error().find("could not be read"), std::string::npos);
  ASSERT_EQ(dw.set_item(1, "mc", Value::of_string("new")), 1);
  ASSERT_EQ(save(dw, db), 1) << dw.last_error();
  EXPECT_EQ(value("select mc || '/' || sl from zr_safe where id = 1"), "new/99999999999");
}

// A character with no GBK form (an emoji) makes only its value unreadable, on
// both databases: the other rows and columns show, and a save of the row's
// other columns leaves it as stored. Chinese text goes in and out unchanged.
TEST_P(SafetyTest, TextWithNoGbkFormIsOneUnreadableValueNotAFailedList) {
  const std::string emoji = GetParam() == "sqlite" ? "char(128512)" : "chr(128512)";
  sql("insert into zr_safe (id, mc, sl, xh) values (3, " + emoji + ", 30, 3)");
  fh::DataWindow dw;
  dw.set_object(fh::DataWindowObject::parse(source(2), "d_safe.srd"));
  dw.set_transaction(&db);
  ASSERT_EQ(dw.retrieve({}), 3) << dw.last_error();
  EXPECT_EQ(dw.retrieve_error(), "");
  EXPECT_NE(dw.retrieve_warning().find("row 3 column mc"), std::string::npos)
      << dw.retrieve_warning();
  EXPECT_TRUE(dw.is_unreadable(3, 2));
  EXPECT_FALSE(dw.is_unreadable(3, 3));
  EXPECT_EQ(fh::Long(dw.get_item(3, "sl")).as_long(), 30);
  EXPECT_EQ(dw.get_item(2, "mc").as_string(), "b");
  ASSERT_EQ(dw.set_item(3, "sl", Value::of_long(31)), 1);
  ASSERT_EQ(dw.set_item(1, "mc", Value::of_string(fh::utf8_to_gbk("中文", "test"))), 1);
  ASSERT_EQ(save(dw, db), 1) << dw.last_error();
  EXPECT_EQ(value("select sl from zr_safe where id = 3"), "31");
  EXPECT_EQ(value("select count(*) from zr_safe where id = 3 and mc = " + emoji), "1");
  EXPECT_EQ(value("select mc from zr_safe where id = 1"), "中文");
  // Chinese in the statement text and in a bound value reach the database as it is.
  Value n[] = {Value::of_long(0)};
  const Value chinese[] = {Value::of_string(fh::utf8_to_gbk("中文", "test"))};
  ASSERT_EQ(
      db.select_into(
          fh::utf8_to_gbk("select count(*) from zr_safe where mc = :a and mc = '中文'", "test"),
          chinese, n),
      0)
      << db.sqlerrtext();
  EXPECT_EQ(n[0].as_long(), 1);
  // A single-row select of the value itself fails with the reason.
  Value mc[] = {Value::of_string("")};
  EXPECT_EQ(db.select_into("select mc from zr_safe where id = 3", {}, mc), -1);
}

TEST_P(SafetyTest, FailedRetrievalSaysWhichTableAndIsNoEmptyList) {
  fh::DataWindow dw;
  open(dw, 2, db);
  sql("drop table zr_safe");
  EXPECT_EQ(dw.retrieve({}), -1);
  EXPECT_EQ(dw.row_count(), 0);
  EXPECT_TRUE(dw.retrieve_error().starts_with("retrieval of d_safe (table zr_safe) failed: "))
      << dw.retrieve_error();
}

// A lost connection fails the action that finds it, with the reason; the next
// one connects again. On PostgreSQL the server really drops the session.
TEST_P(SafetyTest, LostConnectionIsReportedAndTheNextActionReconnects) {
  fh::DataWindow dw;
  open(dw, 2, db);
  ASSERT_EQ(dw.set_item(1, "mc", Value::of_string("kept")), 1);
  if (GetParam() == "postgresql") {
    Value pid[] = {Value::of_long(0)};
    ASSERT_EQ(db.select_into("select pg_backend_pid()", {}, pid), 0);
    ASSERT_EQ(
        other.execute("select pg_terminate_backend(" + std::to_string(pid[0].as_long()) + ")"), 0)
        << other.sqlerrtext();
    other.commit();
  } else {
    fh::testing::fail_db_call(db, 1, fh::testing::DbFault::kLostConnection);
  }
  EXPECT_EQ(dw.update(), -1);
  EXPECT_NE(dw.last_error().find("lost"), std::string::npos) << dw.last_error();
  db.rollback();
  fh::testing::fail_db_call(db, 0, fh::testing::DbFault::kError);
  // The edit is still there, and the next save goes through on a new connection.
  EXPECT_EQ(dw.get_item(1, "mc").as_string(), "kept");
  ASSERT_EQ(save(dw, db), 1) << dw.last_error();
  EXPECT_EQ(value("select mc from zr_safe where id = 1"), "kept");
}

// While the server stays away, each action fails with the reason, after a few
// brief tries; none hangs.
TEST_P(SafetyTest, UnreachableServerFailsEachActionBriefly) {
  fh::testing::fail_db_call(db, 1, fh::testing::DbFault::kLostConnection, true);
  Value n[] = {Value::of_long(0)};
  EXPECT_EQ(db.select_into("select count(*) from zr_safe", {}, n), -1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(db.select_into("select count(*) from zr_safe", {}, n), -1);
  EXPECT_NE(db.sqlerrtext().find("out of reach"), std::string::npos) << db.sqlerrtext();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  fh::testing::fail_db_call(db, 0, fh::testing::DbFault::kError);
  EXPECT_EQ(db.select_into("select count(*) from zr_safe", {}, n), 0) << db.sqlerrtext();
  EXPECT_EQ(n[0].as_long(), 2);
}

// A database in a folder that cannot be written: viewing works, without
// turning the file to WAL (which needs files beside it); changes are refused.
// As root (CI) the check runs as nobody, for whom the permissions hold.
TEST(ReadOnlyDatabaseTest, OpensForViewingAndRefusesChanges) {
  const std::string dir = ::testing::TempDir() + "zr_ro_" + std::to_string(::getpid());
  const std::string file = dir + "/ro.db";
  ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
  {
    fh::Transaction t;
    ASSERT_EQ(t.connect("sqlite:" + file), 0) << t.sqlerrtext();
    ASSERT_EQ(t.execute("create table zr_ro (id integer primary key)"), 0);
    ASSERT_EQ(t.execute("insert into zr_ro (id) values (1)"), 0);
    ASSERT_EQ(t.commit(), 0);
    ASSERT_EQ(t.execute("pragma journal_mode=delete"), 0) << t.sqlerrtext();
    t.disconnect();
  }
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 &&
            (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)) {
          std::_Exit(3);
        }
        fh::Transaction t;
        if (t.connect("sqlite:" + file) != 0) std::_Exit(4);
        if (!t.read_only()) std::_Exit(5);
        Value n[] = {Value::of_long(0)};
        if (t.select_into("select count(*) from zr_ro", {}, n) != 0 || n[0].as_long() != 1)
          std::_Exit(6);
        if (t.execute("insert into zr_ro (id) values (2)") != -1) std::_Exit(7);
        if (t.sqlerrtext().find("open for viewing only") == std::string::npos) std::_Exit(8);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  // Still a rollback-journal file, with nothing made beside it.
  EXPECT_NE(::access((file + "-wal").c_str(), F_OK), 0);
  ::chmod(dir.c_str(), 0755);
  ::chmod(file.c_str(), 0644);
  std::remove(file.c_str());
  ::rmdir(dir.c_str());
}

// Runs scripts/pg-cluster.sh; answers its exit status and what it printed.
std::pair<int, std::string> pg_cluster(const std::string& args) {
  const std::string command = std::string(ZR_PG_CLUSTER) + " " + args + " 2>&1";
  FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return {-1, "cannot run " + command};
  std::string out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  const int status = ::pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// A PostgreSQL server of its own stops (as for a restart): the action that
// meets the dropped connection fails saying so, the next ones say the
// database is out of reach, the edits stay; once the server is back the next
// action connects again and the save lands.
TEST(RestartTest, AStoppedServerFailsEachActionAndTheNextOneAfterItsReturnReconnects) {
  const std::string dir = ::testing::TempDir() + "zr_restart_pg_" + std::to_string(::getpid());
  struct Stop {
    std::string dir;
    ~Stop() { pg_cluster("stop " + dir); }
  } stop{dir};
  // A port found free may be taken before the server binds it (tests run
  // side by side): another try takes the next free one.
  std::pair<int, std::string> start;
  for (int tries = 0; tries < 3; ++tries) {
    start = pg_cluster("start " + dir);
    if (start.first == 0 || start.second.find("not installed") != std::string::npos) break;
  }
  const auto& [started, said] = start;
  if (said.find("not installed") != std::string::npos) GTEST_SKIP() << said;
  ASSERT_EQ(started, 0) << "the throwaway cluster did not start: " << said;
  const std::string url = said.substr(said.rfind("postgresql://"));
  fh::Transaction db;
  ASSERT_EQ(db.connect(url.substr(0, url.find('\n'))), 0) << db.sqlerrtext();
  for (const char* sql : {"create table zr_safe (id integer primary key, mc varchar(6), sl bigint, "
                          "xh integer, rq date)",
                          "insert into zr_safe (id, mc, sl, xh) values (1, 'a', 10, 1)",
                          "insert into zr_safe (id, mc, sl, xh) values (2, 'b', 20, 2)"}) {
    ASSERT_EQ(db.execute(sql), 0) << db.sqlerrtext();
  }
  ASSERT_EQ(db.commit(), 0);
  fh::DataWindow dw;
  dw.set_object(fh::DataWindowObject::parse(source(2), "d_safe.srd"));
  dw.set_transaction(&db);
  ASSERT_EQ(dw.retrieve({}), 2) << dw.last_error();
  ASSERT_EQ(dw.set_item(1, "mc", Value::of_string("kept")), 1);

  ASSERT_EQ(pg_cluster("pause " + dir).first, 0);
  EXPECT_EQ(dw.update(), -1);
  EXPECT_NE(dw.last_error().find("lost"), std::string::npos) << dw.last_error();
  db.rollback();
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(dw.update(), -1);
  EXPECT_NE(dw.last_error().find("out of reach"), std::string::npos) << dw.last_error();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  db.rollback();
  EXPECT_EQ(dw.get_item(1, "mc").as_string(), "kept");
  EXPECT_EQ(dw.row_status(1), RowStatus::kDataModified);

  ASSERT_EQ(pg_cluster("resume " + dir).first, 0);
  ASSERT_EQ(dw.update(), 1) << dw.last_error();
  ASSERT_EQ(db.commit(), 0) << db.sqlerrtext();
  Value mc[] = {Value::of_string("")};
  ASSERT_EQ(db.select_into("select mc from zr_safe where id = 1", {}, mc), 0) << db.sqlerrtext();
  EXPECT_EQ(mc[0].as_string(), "kept");
}

INSTANTIATE_TEST_SUITE_P(Db, SafetyTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
