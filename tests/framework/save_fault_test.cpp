// The framework's save (one or two data windows, then COMMIT) with each of
// its database calls failing in turn: every failure reaches the operator,
// the edits and statuses stay for the next try, no transaction is left open
// and nothing of the save is in the database; without the fault the same
// save goes through.
#include "../db/fault_loop.h"
#include "fixture.h"
#include "formhost/datawindow.h"
#include "formhost/db_faults.h"

namespace {

using fh::Value;
using fh::testing::db_fault_fired;
using fh::testing::fail_db_call;
using K = fh::Action::Kind;
using zrtest::fault_kinds;
using zrtest::gbk;
using zrtest::kMaxFaultCalls;
using zrtest::snapshot;

class SaveFaultTest : public zrtest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (GetParam() == "postgresql") {
      connection_ = std::getenv("ZR016_TEST_PG");
    } else {
      connection_ = "sqlite:" + db_path.string();
    }
    ASSERT_EQ(other_.connect(connection_), 0) << other_.sqlerrtext();
    if (!schema_.empty()) {
      ASSERT_EQ(other_.execute("set search_path to " + schema_), 0);
    }
    other_.commit();
    // The demo's rows, to put back before each try.
    sql("create table bak_016910 as select * from zr_016910");
    sql("create table bak_004381 as select * from zr_004381");
  }
  void TearDown() override {
    if (session) fail_db_call(session->sqlca(), 0, fh::testing::DbFault::kError);
    other_.disconnect();
    AppTest::TearDown();
  }

  // The label list with its edits: label 3 changed, label 4 deleted, label
  // 201 added; with `orders`, the header's order in a second data window
  // with its remark changed.
  void edit(bool orders) {
    if (window_ != nullptr) session->close(*window_);
    sql("delete from zr_016910");
    sql("insert into zr_016910 select * from bak_016910");
    sql("delete from zr_004381");
    sql("insert into zr_004381 select * from bak_004381");
    window_ = &open("w_01691");
    labels_ = window_->control("dw_items")->datawindow();
    ASSERT_EQ(labels_->row_count(), 8);
    ASSERT_EQ(labels_->set_item(3, "zr_016910_f3bz01", Value::of_string(gbk("改了"))), 1);
    ASSERT_EQ(labels_->delete_row(4), 1);
    const long added = labels_->insert_row(0);
    ASSERT_EQ(labels_->set_item(added, "zr_016910_f3jbid", Value::of_long(201)), 1);
    ASSERT_EQ(labels_->set_item(added, "zr_016910_ddyjbh", Value::of_string("DD240301")), 1);
    orders_ = nullptr;
    if (!orders) return;
    fh::Object* control = fh::find_control(*window_, "dw_1");
    ASSERT_NE(control, nullptr);
    ASSERT_EQ(session->set_dataobject(*control, "d_004381_edit"), 1);
    orders_ = control->datawindow();
    orders_->set_transaction(&session->sqlca());
    const Value key[] = {Value::of_string("DD240301")};
    ASSERT_EQ(orders_->retrieve(key), 1) << orders_->last_error();
    ASSERT_EQ(orders_->set_item(1, "bz", Value::of_string(gbk("加急"))), 1);
  }
  std::string buffers() { return snapshot(*labels_) + (orders_ ? snapshot(*orders_) : ""); }
  std::string invariant_faults() {
    return zrtest::invariant_faults(*labels_) + (orders_ ? zrtest::invariant_faults(*orders_) : "");
  }
  // The saved tables as another station sees them.
  std::string seen() {
    std::string out;
    const fh::Type types[] = {fh::Type::kString, fh::Type::kString, fh::Type::kString};
    std::vector<std::vector<Value>> rows;
    auto sink = [&](std::int32_t) -> std::vector<Value>& { return rows.emplace_back(); };
    for (const char* sql : {"select f3jbid, ddyjbh, f3bz01 from zr_016910 order by f3jbid",
                            "select ddyjbh, bz, ywy from zr_004381 order by ddyjbh"}) {
      rows.clear();
      EXPECT_EQ(other_.query(sql, {}, {}, types, sink), 0) << other_.sqlerrtext();
      for (const auto& r : rows)
        out += zrtest::text(r[0]) + " " + zrtest::text(r[1]) + " " + zrtest::text(r[2]) + ";";
      out += "|";
      other_.commit();
    }
    return out;
  }
  void reconnect_if_lost() {
    fh::Transaction& db = session->sqlca();
    if (!fh::testing::connection_lost(db)) return;
    ASSERT_EQ(db.connect(connection_), 0) << db.sqlerrtext();
    if (!schema_.empty()) {
      ASSERT_EQ(db.execute("set search_path to " + schema_), 0);
    }
    ASSERT_EQ(db.commit(), 0);
  }
  std::vector<std::string> save() { return act({fh::Action(K::kSave)}); }

  // The loop of one save, for every kind of fault.
  void fail_each_call(bool orders) {
    fh::Transaction& db = session->sqlca();
    const std::string before = seen();
    edit(orders);
    ASSERT_EQ(save(), std::vector<std::string>{});
    const std::string saved = seen();
    EXPECT_EQ(labels_->modified_count(), 0);
    EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 3"), "改了");
    EXPECT_EQ(db_value("select count(*) from zr_016910 where f3jbid in (4, 201)"), "1");
    if (orders) {
      EXPECT_EQ(db_value("select bz from zr_004381 where ddyjbh = 'DD240301'"), "加急");
    }

    for (const auto& kind : fault_kinds()) {
      long n = 1;
      for (;; ++n) {
        ASSERT_LT(n, kMaxFaultCalls) << kind.name;
        edit(orders);
        ASSERT_EQ(seen(), before);
        const std::string edited = buffers();
        fail_db_call(db, n, kind.kind, kind.persistent);
        const std::vector<std::string> refusals = save();
        const bool fired = db_fault_fired(db);
        fail_db_call(db, 0, kind.kind);
        SCOPED_TRACE(std::string(kind.name) + ", call " + std::to_string(n));
        if (fired) {
          EXPECT_TRUE(zrtest::only_failed_save(refusals)) << testing::PrintToString(refusals);
        } else {
          EXPECT_EQ(refusals, std::vector<std::string>{});
        }
        if (!fired) {
          // Past the save's last call: it went through untouched.
          EXPECT_FALSE(session->pending_message_box().has_value());
          EXPECT_EQ(seen(), saved);
          break;
        }
        // The operator is told, and the save ends with the answer.
        ASSERT_TRUE(session->pending_message_box().has_value());
        ASSERT_EQ(act({zrtest::AppTest::answer(1)}), std::vector<std::string>{});
        EXPECT_EQ(buffers(), edited);
        EXPECT_EQ(invariant_faults(), "");
        EXPECT_FALSE(db.in_transaction());
        EXPECT_EQ(seen(), before);
        // The next commit, whoever makes it, finds nothing of the save.
        if (!fh::testing::connection_lost(db)) {
          EXPECT_EQ(db.commit(), 0) << db.sqlerrtext();
          EXPECT_EQ(seen(), before);
        }
        reconnect_if_lost();
        EXPECT_EQ(save(), std::vector<std::string>{});
        EXPECT_EQ(seen(), saved);
        EXPECT_EQ(labels_->modified_count(), 0);
        EXPECT_EQ(invariant_faults(), "");
      }
      EXPECT_GE(n, orders ? 13 : 9) << kind.name;  // the save makes at least 12 or 8 calls
    }
  }

  std::string connection_;
  fh::Transaction other_;
  fh::Object* window_ = nullptr;
  fh::DataWindow* labels_ = nullptr;
  fh::DataWindow* orders_ = nullptr;
};

TEST_P(SaveFaultTest, SaveOfOneDataWindowSurvivesEachFailingCall) { fail_each_call(false); }

TEST_P(SaveFaultTest, SaveOfTwoDataWindowsSurvivesEachFailingCall) { fail_each_call(true); }

INSTANTIATE_TEST_SUITE_P(Db, SaveFaultTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
