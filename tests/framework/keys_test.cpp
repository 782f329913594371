// New record numbers from the key generators: free in the table the form
// saves into whatever counter the editor names, given out inside the save so
// that stations adding at once never share one, and given back when the save
// fails. Keys the operator typed are his.
#include <barrier>
#include <chrono>
#include <thread>

#include "fixture.h"
#include "formhost/datawindow.h"
#include "formhost/db_faults.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using fh::testing::fail_db_call;
using K = fh::Action::Kind;

class KeysTest : public zrtest::AppTest {
 protected:
  // The split line editor adding a record; `named` draws from the record
  // types' counter, as the editor's script says.
  static fh::DataWindow& add_split(fh::Session& on, bool named) {
    fh::ObjectRef parm = fh::instantiate(on.context().registry().load("str_recordmanager2"));
    parm->set("i_addmode", Value::of_long(1));
    fh::Object& w = *on.open("w_01652_edit_list_edit", Value::of_object(parm));
    // The editor names the record types' counter itself; without the names
    // it draws from its table's own.
    if (!named) {
      w.set("is_tablename", Value::of_string(""));
      w.set("is_idcolname", Value::of_string(""));
    }
    return *w.control("dw_maint")->datawindow();
  }
  static fh::Action type(long row, const std::string& column, const std::string& text) {
    return action(K::kType, "dw_maint", row, column, text);
  }
  static fh::Action ok() { return action(K::kClick, "uo_ok"); }
  long number(const std::string& select) { return std::stol(db_value(select)); }
  long max_split() { return number("select max(sjdzld) from zr_016520"); }
  std::string counter(const std::string& name) {
    return db_value("select coalesce(max(lastkey), -1) from zr_keygen where keyname = '" + name +
                    "'");
  }
  std::string split_key(const std::string& card) {
    return db_value("select sjdzld from zr_016520 where cardnu = '" + card + "'");
  }
  // Where another station connects: the test's database (and schema).
  struct Place {
    std::string connection, schema;
  };
  Place place() {
    return {session->sqlca().connection(),
            session->sqlca().is_postgres() ? db_value("select current_schema()") : ""};
  }
  static bool connect(fh::Transaction& t, const Place& at) {
    return t.connect(at.connection) == 0 &&
           (at.schema.empty() || t.execute("set search_path to " + at.schema) == 0) &&
           t.commit() == 0;
  }
};

TEST_P(KeysTest, NamedCounterGivesNumbersFreeInTheTableTheFormSaves) {
  const long split_max = max_split();
  const long types_max = number("select max(recitypeid) from dictrecitype");
  ASSERT_GT(types_max, split_max + 1);
  add_split(*session, true);
  ASSERT_EQ(act({type(1, "cardnu", "S1"), ok()}), std::vector<std::string>{});
  EXPECT_EQ(split_key("S1"), std::to_string(split_max + 1));
  EXPECT_EQ(counter("dictrecitype_recitypeid"), std::to_string(split_max + 1));

  // The record types' own editor draws from the same counter, above its table,
  fh::ObjectRef parm = fh::instantiate(session->context().registry().load("str_recordmanager"));
  parm->set("a_retrieveparm1", Value::of_string("add"));
  session->open("w_016031_edit", Value::of_object(parm));
  ASSERT_EQ(act({type(1, "recitypelb", "KSLB"), type(1, "recitypebh", "99"),
                 type(1, "recitypemc", "测试"), ok()}),
            std::vector<std::string>{});
  EXPECT_EQ(db_value("select recitypeid from dictrecitype where recitypebh = '99'"),
            std::to_string(types_max + 1));
  // so the next split is above both; without a name the form's table and key
  // name the counter.
  add_split(*session, true);
  ASSERT_EQ(act({type(1, "cardnu", "S2"), ok()}), std::vector<std::string>{});
  add_split(*session, false);
  ASSERT_EQ(act({type(1, "cardnu", "S3"), ok()}), std::vector<std::string>{});
  EXPECT_EQ(split_key("S2"), std::to_string(types_max + 2));
  EXPECT_EQ(split_key("S3"), std::to_string(types_max + 3));
  EXPECT_EQ(counter("zr_016520_sjdzld"), std::to_string(types_max + 3));
}

TEST_P(KeysTest, TypedKeysStayAndAFailedSaveGivesItsNumbersBack) {
  const long next = max_split() + 1;
  fh::DataWindow& form = add_split(*session, true);
  // The first record's typed key is in use: the save fails after the second
  // record was numbered.
  fh::Action answer(K::kAnswer);
  answer.number = 1;
  ASSERT_TRUE(zrtest::only_failed_save(
      act({action(K::kInsert, "dw_maint"), type(1, "sjdzld", "1"), type(1, "cardnu", "T1"),
           type(2, "cardnu", "T2"), ok(), answer})));
  EXPECT_EQ(fh::Long(form.get_item(1, "sjdzld")).as_long(), 1);
  EXPECT_TRUE(form.get_item(2, "sjdzld").is_null());
  EXPECT_EQ(counter("dictrecitype_recitypeid"), "-1");
  EXPECT_FALSE(session->sqlca().in_transaction());
  // Mended with the very number the counter would give: the other takes the next.
  ASSERT_EQ(act({type(1, "sjdzld", std::to_string(next)), ok()}), std::vector<std::string>{});
  EXPECT_EQ(split_key("T1"), std::to_string(next));
  EXPECT_EQ(split_key("T2"), std::to_string(next + 1));
  EXPECT_EQ(counter("dictrecitype_recitypeid"), std::to_string(next + 1));
}

TEST_P(KeysTest, EachFailingCallOfTheSaveGivesTheNumberBackForTheRetry) {
  fh::Transaction& db = session->sqlca();
  long n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 100);
    SCOPED_TRACE("call " + std::to_string(n));
    const long next = max_split() + 1;
    const std::string card = "F" + std::to_string(n);
    fh::DataWindow& form = add_split(*session, false);
    ASSERT_EQ(act({type(1, "cardnu", card)}), std::vector<std::string>{});
    fail_db_call(db, n, fh::testing::DbFault::kError);
    const std::vector<std::string> refusals = act({ok()});
    const bool fired = fh::testing::db_fault_fired(db);
    fail_db_call(db, 0, fh::testing::DbFault::kError);
    // Past the commit (the editor's read-back after saving): saved all the same.
    const bool saved =
        db_value("select count(*) from zr_016520 where cardnu = '" + card + "'") == "1";
    if (!fired || saved) {
      for (const auto& r : refusals) ADD_FAILURE() << r;
      EXPECT_EQ(split_key(card), std::to_string(next));
      break;
    }
    // Told, and nothing kept.
    EXPECT_TRUE(zrtest::only_failed_save(refusals)) << testing::PrintToString(refusals);
    ASSERT_TRUE(session->pending_message_box().has_value());
    ASSERT_EQ(act({answer(1)}), std::vector<std::string>{});
    EXPECT_TRUE(form.get_item(1, "sjdzld").is_null());
    EXPECT_FALSE(db.in_transaction());
    EXPECT_EQ(counter("zr_016520_sjdzld"), n == 1 ? "-1" : std::to_string(next - 1));
    EXPECT_EQ(db_value("select count(*) from zr_016520 where cardnu = '" + card + "'"), "0");
    // The retry takes the very number: nothing was used up.
    ASSERT_EQ(act({ok()}), std::vector<std::string>{});
    EXPECT_EQ(split_key(card), std::to_string(next));
  }
  EXPECT_GE(n, 8);  // the numbering alone makes more calls
}

TEST_P(KeysTest, SaveWaitsForTheStationHoldingTheCounterAndNumbersPastWhatItSaved) {
  add_split(*session, false);
  ASSERT_EQ(act({type(1, "cardnu", "MINE")}), std::vector<std::string>{});
  // Another station is inside its save: it holds the counter.
  fh::Transaction other;
  ASSERT_TRUE(connect(other, place())) << other.sqlerrtext();
  const Value name[] = {Value::of_string("zr_016520_sjdzld")};
  ASSERT_EQ(other.execute("insert into zr_keygen (keyname, lastkey) values (:k, 0)", name), 0);
  const std::string theirs = std::to_string(max_split() + 20);
  std::thread station([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // Its record is past the counter (someone counting otherwise): the
    // number must be free in the table all the same.
    EXPECT_EQ(other.execute("insert into zr_016520 (sjdzld, cardnu) values (" + theirs + ", 'X')"),
              0);
    EXPECT_EQ(other.commit(), 0) << other.sqlerrtext();
  });
  const std::vector<std::string> refusals = act({ok()});
  station.join();
  EXPECT_EQ(refusals, std::vector<std::string>{});
  EXPECT_EQ(split_key("MINE"), std::to_string(std::stol(theirs) + 1));
}

TEST_P(KeysTest, TwoStationsAddingAtOnceGetDifferentNumbers) {
  constexpr int kRounds = 8;
  // Each station saves a record, then goes on with a copy of it.
  const auto actions = [](const std::string& card) {
    return std::vector<fh::Action>{type(1, "cardnu", card), action(K::kClick, "cbx_addmode"),
                                   action(K::kClick, "cbx_copyrecord")};
  };
  // The second station runs headless on a thread of its own.
  auto start = [&](fh::Session& on, const std::string& card) {
    add_split(on, true);
    for (fh::Action& a : actions(card)) on.post(std::move(a));
    return on.run_pending().empty();
  };
  std::barrier together(2);
  std::vector<std::string> refusals;
  const Place where = place();
  std::thread station([&] {
    fh::SessionOptions options;
    options.check_invariants = true;
    fh::Session b(session->context().registry(), options);
    if (!connect(b.sqlca(), where) || !start(b, "B")) {
      ADD_FAILURE() << "the second station did not start: " << b.sqlca().sqlerrtext();
      together.arrive_and_drop();
      return;
    }
    for (int i = 0; i < kRounds; ++i) {
      together.arrive_and_wait();
      b.post(ok());
      for (std::string& r : b.run_pending()) refusals.push_back("B: " + r);
    }
  });
  ASSERT_EQ(on_session([](fh::Session& on) { add_split(on, true); }), std::vector<std::string>{});
  ASSERT_EQ(act(actions("A")), std::vector<std::string>{});
  std::vector<std::string> mine;
  for (int i = 0; i < kRounds; ++i) {
    together.arrive_and_wait();
    for (std::string& r : act({ok()})) mine.push_back("A: " + r);
  }
  station.join();
  EXPECT_EQ(mine, std::vector<std::string>{});
  EXPECT_EQ(refusals, std::vector<std::string>{});
  EXPECT_EQ(db_value("select count(distinct sjdzld) from zr_016520 where cardnu in ('A', 'B')"),
            std::to_string(2 * kRounds));
}

INSTANTIATE_TEST_SUITE_P(Db, KeysTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
