// The data-window engine on a real database: retrieval, editing, update by key.
#include "formhost/datawindow.h"

#include <gtest/gtest.h>

#include "backends.h"
#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"

namespace {

using fh::DwBuffer;
using fh::RowStatus;
using fh::Value;
using zrtest::DbTest;

const char* const kSource = R"(release 9;
datawindow(units=0 color=1073741824 processing=1 )
header(height=80 color="536870912" )
detail(height=84 color="536870912" )
table(column=(type=char(20) update=yes updatewhereclause=yes key=yes name=zrtmid dbname="zr_item.zrtmid" )
 column=(type=char(40) update=yes updatewhereclause=yes name=mc dbname="zr_item.mc" )
 column=(type=decimal(4) update=yes updatewhereclause=yes name=je dbname="zr_item.je" initial="0" )
 column=(type=long update=yes updatewhereclause=yes name=sl dbname="zr_item.sl" values="一	1/二	2/" )
 column=(type=date update=yes updatewhereclause=yes name=rq dbname="zr_item.rq" )
 column=(type=char(10) name=lb dbname="zr_item.lb" )
 retrieve="select zrtmid, mc, je, sl, rq, lb from zr_item where zrtmid like :as_key order by zrtmid"
 update="zr_item" updatewhere=0 updatekeyinplace=yes
 arguments=(("as_key", string)) )
text(band=header text="条码" x="9" y="8" height="64" width="274" name=zrtmid_t )
column(band=detail id=1 x="9" y="8" height="76" width="274" name=zrtmid )
column(band=detail id=2 x="300" y="8" height="76" width="400" name=mc )
)";

class DataWindowTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(db.execute("create table zr_item (zrtmid varchar(20) primary key, mc varchar(40), "
                         "je numeric(18,4), sl integer, rq date, lb varchar(10))"),
              0)
        << db.sqlerrtext();
    for (int i = 1; i <= 3; ++i) {
      const Value row[] = {Value::of_string("A00" + std::to_string(i)),
                           Value::of_string(fh::utf8_to_gbk("衬衫" + std::to_string(i), "test")),
                           Value::of_decimal(*fh::Decimal::parse(std::to_string(i) + ".25")),
                           Value::of_long(i)};
      ASSERT_EQ(db.execute("insert into zr_item (zrtmid, mc, je, sl) values (:a, :b, :c, :d)", row),
                0)
          << db.sqlerrtext();
    }
    ASSERT_EQ(db.commit(), 0);
    library.add("d_item", fh::utf8_to_gbk(kSource, "d_item.srd"), "d_item.srd");
    ASSERT_EQ(dw.set_dataobject(library, "d_item"), 1) << dw.last_error();
    dw.set_transaction(&db);
  }

  long retrieve_all() {
    const Value args[] = {Value::of_string("%")};
    return dw.retrieve(args);
  }

  long count_rows(const std::string& where = "") {
    Value n[] = {Value::of_long(-1)};
    db.select_into("select count(*) from zr_item" + where, {}, n);
    return n[0].as_long();
  }

  fh::SourceLibrary library;
  fh::DataWindow dw;
};

TEST_P(DataWindowTest, RetrieveReadsTypedRowsAndChineseText) {
  EXPECT_EQ(retrieve_all(), 3);
  EXPECT_EQ(dw.get_row(), 1);
  EXPECT_EQ(dw.get_item(2, "mc").as_string(), fh::utf8_to_gbk("衬衫2", "test"));
  EXPECT_EQ(dw.get_item(2, "je").as_decimal(), *fh::Decimal::parse("2.25"));
  EXPECT_EQ(dw.get_item(3, "SL").as_long(), 3);
  EXPECT_TRUE(dw.get_item(1, "rq").is_null());
  EXPECT_EQ(dw.get_item(1, "rq").type(), fh::Type::kDate);
  EXPECT_EQ(dw.item_text(1, 4), fh::utf8_to_gbk("一", "test"));  // code table display value
  EXPECT_EQ(dw.row_status(1), RowStatus::kNotModified);

  // Bad rows and columns are failed host operations.
  EXPECT_THROW(dw.get_item(4, "mc"), fh::HostFailure);
  EXPECT_THROW(dw.get_item(0, "mc"), fh::HostFailure);
  EXPECT_THROW(dw.get_item(1, "nope"), fh::HostFailure);
  EXPECT_THROW(dw.set_item(9, "mc", Value::of_string("x")), fh::HostFailure);

  const Value one[] = {Value::of_string("A002")};
  EXPECT_EQ(dw.retrieve(one), 1);
  EXPECT_EQ(dw.retrieve({}), -1);  // the argument is missing
  EXPECT_NE(dw.last_error().find("takes 1 arguments"), std::string::npos);
}

TEST_P(DataWindowTest, UpdateSavesNewModifiedAndDeletedRowsByKey) {
  ASSERT_EQ(retrieve_all(), 3);
  // Change row 1, delete row 2, add a row with a null and a date.
  ASSERT_EQ(dw.set_item(1, "mc", Value::of_string("O'Brien; --")), 1);
  ASSERT_EQ(dw.set_item(1, "je", Value::of_string("9.125")), 1);
  EXPECT_EQ(dw.row_status(1), RowStatus::kDataModified);
  EXPECT_TRUE(dw.item_modified(1, "mc"));
  EXPECT_FALSE(dw.item_modified(1, "sl"));
  ASSERT_EQ(dw.delete_row(2), 1);
  EXPECT_EQ(dw.deleted_count(), 1);
  const long added = dw.insert_row(0);
  ASSERT_EQ(added, 3);
  EXPECT_EQ(dw.row_status(added), RowStatus::kNew);
  EXPECT_EQ(dw.get_item(added, "je").as_decimal(), fh::Decimal());  // initial="0"
  ASSERT_EQ(dw.set_item(added, "zrtmid", Value::of_string("B001")), 1);
  ASSERT_EQ(dw.set_item(added, "rq", Value::of_date(*fh::Date::make(2026, 12, 7))), 1);
  ASSERT_EQ(dw.set_item(added, "mc", Value::null_of(fh::Type::kString)), 1);
  EXPECT_EQ(dw.row_status(added), RowStatus::kNewModified);
  EXPECT_EQ(dw.modified_count(), 3);

  ASSERT_EQ(dw.update(), 1) << dw.last_error();
  ASSERT_EQ(db.commit(), 0);
  EXPECT_EQ(dw.modified_count(), 0);
  EXPECT_EQ(dw.deleted_count(), 0);
  EXPECT_EQ(dw.row_status(1), RowStatus::kNotModified);

  EXPECT_EQ(count_rows(), 3);
  EXPECT_EQ(count_rows(" where zrtmid = 'A002'"), 0);
  ASSERT_EQ(retrieve_all(), 3);
  EXPECT_EQ(dw.get_item(1, "mc").as_string(), "O'Brien; --");
  EXPECT_EQ(dw.get_item(1, "je").as_decimal(), *fh::Decimal::parse("9.125"));
  EXPECT_EQ(dw.get_item(3, "zrtmid").as_string(), "B001");
  EXPECT_TRUE(dw.get_item(3, "mc").is_null());
  EXPECT_EQ(dw.get_item(3, "rq").as_date(), *fh::Date::make(2026, 12, 7));
  // The column the object does not save stays as the database had it.
  EXPECT_TRUE(dw.get_item(3, "lb").is_null());
}

TEST_P(DataWindowTest, FailedUpdateKeepsEveryBufferAndStatus) {
  ASSERT_EQ(retrieve_all(), 3);
  ASSERT_EQ(dw.set_item(1, "mc", Value::of_string("changed")), 1);
  ASSERT_EQ(dw.delete_row(3), 1);
  const long added = dw.insert_row(0);
  ASSERT_EQ(dw.set_item(added, "zrtmid", Value::of_string("A002")), 1);  // the key exists
  const long before = dw.modified_count();

  EXPECT_EQ(dw.update(), -1);
  EXPECT_FALSE(dw.last_error().empty());
  EXPECT_EQ(dw.modified_count(), before);
  EXPECT_EQ(dw.row_count(), 3);
  EXPECT_EQ(dw.deleted_count(), 1);
  EXPECT_EQ(dw.row_status(1), RowStatus::kDataModified);
  EXPECT_EQ(dw.get_item(1, "mc").as_string(), "changed");
  EXPECT_EQ(dw.row_status(added), RowStatus::kNewModified);
  EXPECT_EQ(dw.row_status(1, DwBuffer::kDelete), RowStatus::kNotModified);
  // The database part of the failed update was undone: the delete did not stay.
  EXPECT_EQ(count_rows(), 3);
  EXPECT_EQ(count_rows(" where mc = 'changed'"), 0);

  // Mend the key and save again: everything goes through.
  ASSERT_EQ(dw.set_item(added, "zrtmid", Value::of_string("C001")), 1);
  ASSERT_EQ(dw.update(), 1) << dw.last_error();
  ASSERT_EQ(db.commit(), 0);
  EXPECT_EQ(count_rows(), 3);
  EXPECT_EQ(count_rows(" where mc = 'changed'"), 1);
}

TEST_P(DataWindowTest, RowChangedUnderneathIsAnError) {
  ASSERT_EQ(retrieve_all(), 3);
  ASSERT_EQ(db.execute("delete from zr_item where zrtmid = 'A001'"), 0);
  ASSERT_EQ(dw.set_item(1, "mc", Value::of_string("x")), 1);
  EXPECT_EQ(dw.update(), -1);
  EXPECT_NE(dw.last_error().find("row 1 of zr_item (zrtmid A001) was deleted by another station"),
            std::string::npos)
      << dw.last_error();
  EXPECT_EQ(dw.row_status(1), RowStatus::kDataModified);
  db.rollback();
}

TEST_P(DataWindowTest, TypedTextPassesTheItemChangedHook) {
  ASSERT_EQ(retrieve_all(), 3);
  ASSERT_EQ(dw.set_column("je"), 1);
  dw.set_row(2);
  std::string seen;
  dw.on_item_changed([&](long row, const std::string& column, const std::string& text) -> long {
    // The script sees the typed value in the row.
    seen = std::to_string(row) + column + text + "=" +
           fh::String(dw.get_item(row, column)).as_string();
    return text == "666" ? 1 : text == "777" ? 2 : 0;
  });
  dw.set_text("666");
  EXPECT_EQ(dw.accept_text(), -1);  // refused: the old value stays
  EXPECT_EQ(seen, "2je666=666");
  EXPECT_EQ(dw.get_item(2, "je").as_decimal(), *fh::Decimal::parse("2.25"));
  // ... and so does the row's status: nothing is left to save.
  EXPECT_EQ(dw.row_status(2), fh::RowStatus::kNotModified);
  EXPECT_EQ(dw.modified_count(), 0);
  dw.set_text("777");
  EXPECT_EQ(dw.accept_text(), 1);  // refused, focus may move on
  EXPECT_EQ(dw.get_item(2, "je").as_decimal(), *fh::Decimal::parse("2.25"));
  EXPECT_EQ(dw.modified_count(), 0);
  dw.set_text("abc");
  EXPECT_EQ(dw.accept_text(), -1);  // not a number: never reaches the hook
  EXPECT_EQ(seen, "2je777=777");
  dw.set_text("7.5");
  EXPECT_EQ(dw.accept_text(), 1);
  EXPECT_EQ(dw.get_item(2, "je").as_decimal(), *fh::Decimal::parse("7.5"));
  EXPECT_FALSE(dw.pending_text());
}

TEST_P(DataWindowTest, SortAndFilterByColumnExpressions) {
  ASSERT_EQ(retrieve_all(), 3);
  dw.set_row(1);  // A001
  ASSERT_EQ(dw.set_sort("je D"), 1) << dw.last_error();
  ASSERT_EQ(dw.sort(), 1) << dw.last_error();
  EXPECT_EQ(dw.get_item(1, "zrtmid").as_string(), "A003");
  EXPECT_EQ(dw.get_row(), 3);  // the current row moved with its data
  ASSERT_EQ(dw.set_filter("sl <> 2"), 1);
  ASSERT_EQ(dw.filter(), 1) << dw.last_error();
  EXPECT_EQ(dw.row_count(), 2);
  EXPECT_EQ(dw.filtered_count(), 1);
  ASSERT_EQ(dw.set_filter(""), 1);
  ASSERT_EQ(dw.filter(), 1);
  EXPECT_EQ(dw.row_count(), 3);
  EXPECT_EQ(dw.set_filter("sl <> "), -1);
  EXPECT_EQ(dw.set_sort("je X Y"), -1);
}

TEST_P(DataWindowTest, SqlSelectAndProperties) {
  EXPECT_NE(dw.get_sqlselect().find(":as_key"), std::string::npos);
  ASSERT_EQ(
      dw.set_sqlselect("select zrtmid, mc, je, sl, rq, lb from zr_item where zrtmid like :as_key "
                       "and sl >= 2 order by zrtmid"),
      1);
  EXPECT_EQ(retrieve_all(), 2);
  const std::string caption = fh::utf8_to_gbk("款'号\"~亊", "test");
  EXPECT_EQ(dw.modify("zrtmid_t.text=" + fh::modify_quote(caption)), "");
  EXPECT_EQ(dw.describe("zrtmid_t.text"), caption);
  EXPECT_EQ(dw.describe("nothing.text"), "!");
}

// Random edits, with the buffers' invariants checked after every one, and
// the database agreeing with the rows after every save.
TEST_P(DataWindowTest, InvariantsHoldThroughRandomEditing) {
  ASSERT_EQ(retrieve_all(), 3);
  std::uint32_t seed = 12345;
  auto next = [&](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  int keys = 100;
  for (int step = 0; step < 300; ++step) {
    const long rows = dw.row_count();
    switch (next(7)) {
      case 0: {
        const long at =
            dw.insert_row(static_cast<long>(next(static_cast<std::uint32_t>(rows + 1))));
        ASSERT_GT(at, 0);
        ASSERT_EQ(dw.set_item(at, "zrtmid", Value::of_string("K" + std::to_string(++keys))), 1);
        break;
      }
      case 1:
        if (rows > 0) {
          ASSERT_EQ(dw.delete_row(1 + static_cast<long>(next(static_cast<std::uint32_t>(rows)))),
                    1);
        }
        break;
      case 2:
        if (rows > 0) {
          const long r = 1 + static_cast<long>(next(static_cast<std::uint32_t>(rows)));
          ASSERT_EQ(dw.set_item(r, "sl", Value::of_long(static_cast<std::int32_t>(next(100)))), 1);
        }
        break;
      case 3:
        ASSERT_EQ(dw.set_sort(next(2) ? "sl D, zrtmid A" : "zrtmid A"), 1);
        ASSERT_EQ(dw.sort(), 1);
        break;
      case 4:
        ASSERT_EQ(dw.set_filter(next(2) ? "sl < 50 or isnull(sl)" : ""), 1);
        ASSERT_EQ(dw.filter(), 1);
        break;
      case 5:
        if (rows > 0) {
          ASSERT_EQ(dw.set_row(1 + static_cast<long>(next(static_cast<std::uint32_t>(rows)))), 1);
        }
        break;
      default: {
        ASSERT_EQ(dw.update(), 1) << dw.last_error();
        ASSERT_EQ(db.commit(), 0);
        EXPECT_EQ(count_rows(), dw.row_count() + dw.filtered_count());
        break;
      }
    }
    const std::vector<std::string> faults = dw.check_invariants();
    ASSERT_TRUE(faults.empty()) << "step " << step << ": " << faults.front();
  }
}

INSTANTIATE_TEST_SUITE_P(Db, DataWindowTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
