// Two stations at the item list: the second save of the same label is
// refused naming the row and the column, keeps the operator's edits and
// offers to read the row again; a list that cannot be read says so.
#include "fixture.h"
#include "formhost/datawindow.h"
#include "formhost/functions.h"

namespace {

using fh::Value;
using K = fh::Action::Kind;

class ConflictTest : public zrtest::AppTest {
 protected:
  std::string cell(long row, const std::string& column) {
    const auto dw = control_view("w_01691", "dw_items");
    return dw["rows"][static_cast<std::size_t>(row - 1)]["values"][column];
  }
  std::string status(long row) {
    const auto dw = control_view("w_01691", "dw_items");
    return dw["rows"][static_cast<std::size_t>(row - 1)]["status"];
  }
  // The other station: a headless session of its own on the same database,
  // driven from the test's thread while this one waits.
  std::unique_ptr<fh::Session> station() {
    fh::SessionOptions o;
    o.action_events = {{"save", "ue_save"}};
    o.check_invariants = true;
    auto b = std::make_unique<fh::Session>(session->context().registry(), o);
    const std::string where = session->sqlca().connection();
    EXPECT_EQ(b->sqlca().connect(where), 0) << b->sqlca().sqlerrtext();
    if (session->sqlca().is_postgres()) {
      EXPECT_EQ(b->sqlca().execute("set search_path to " + db_value("select current_schema()")), 0);
      EXPECT_EQ(b->sqlca().commit(), 0);
    }
    return b;
  }
  static std::vector<std::string> run(fh::Session& on, std::vector<fh::Action> actions) {
    for (fh::Action& a : actions) on.post(std::move(a));
    return on.run_pending();
  }
};

TEST_P(ConflictTest, SecondSaveOfTheSameLabelIsRefusedAndMayReadTheRowAgain) {
  open("w_01691");
  auto other = station();
  other->open("w_01691");
  // Both read label 3; the other station saves first.
  ASSERT_EQ(run(*other, {set_item("w_01691", "dw_items", 3, "zr_016910_f3bz01", "他的"),
                         fh::Action(K::kSave)}),
            std::vector<std::string>{});
  ASSERT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 3"), "他的");
  // This one changed label 2 and label 3: nothing of it goes in.
  auto refusals =
      act({set_item("w_01691", "dw_items", 2, "zr_016910_bqsl", "77"),
           set_item("w_01691", "dw_items", 3, "zr_016910_f3bz01", "我的"), fh::Action(K::kSave)});
  ASSERT_TRUE(zrtest::only_failed_save(refusals)) << testing::PrintToString(refusals);
  EXPECT_NE(refusals[0].find("row 3 of zr_016910 (zr_016910_f3jbid 3) was changed by another "
                             "station since it was read: column zr_016910_f3bz01 is now '他的' "
                             "(was 'ZZ2401')"),
            std::string::npos)
      << refusals[0];
  const auto box = session->pending_message_box();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->buttons, 4);  // Yes/No: read the row again?
  EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 3"), "他的");
  EXPECT_NE(db_value("select bqsl from zr_016910 where f3jbid = 2"), "77");
  // No: every edit stays, and the next save meets the same conflict.
  ASSERT_EQ(act({answer(2)}), std::vector<std::string>{});
  EXPECT_EQ(cell(3, "zr_016910_f3bz01"), "我的");
  EXPECT_EQ(cell(2, "zr_016910_bqsl"), "77");
  ASSERT_TRUE(zrtest::only_failed_save(act({fh::Action(K::kSave)})));
  // Yes: label 3 shows what the other station saved, label 2's edit stays
  // and now saves.
  ASSERT_EQ(act({answer(1)}), std::vector<std::string>{});
  EXPECT_EQ(cell(3, "zr_016910_f3bz01"), "他的");
  EXPECT_EQ(status(3), "notmodified");
  EXPECT_EQ(status(2), "datamodified");
  ASSERT_EQ(act({fh::Action(K::kSave)}), std::vector<std::string>{});
  EXPECT_EQ(db_value("select bqsl from zr_016910 where f3jbid = 2"), "77");
  EXPECT_EQ(db_value("select f3bz01 from zr_016910 where f3jbid = 3"), "他的");
}

TEST_P(ConflictTest, ListThatCannotBeReadSaysSoAndNamesTheTable) {
  sql("alter table zr_016910 rename to zr_016910_gone");
  // The header and the list both read the table: each says so in turn.
  auto refusals = on_session([](fh::Session& s) { s.open("w_01691"); });
  for (int boxes = 0; boxes < 5 && session->pending_message_box(); ++boxes) {
    EXPECT_NE(session->pending_message_box()->text.find("zr_016910"), std::string::npos);
    for (std::string& r : act({answer(1)})) refusals.push_back(std::move(r));
  }
  EXPECT_FALSE(session->pending_message_box().has_value());
  ASSERT_GE(refusals.size(), 2u) << testing::PrintToString(refusals);
  EXPECT_TRUE(refusals[0].starts_with("retrieval of d_00329 (table zr_004381) failed: "));
  EXPECT_TRUE(refusals.back().starts_with("retrieval of d_01691 (table zr_016910) failed: "));
  const auto dw = control_view("w_01691", "dw_items");
  EXPECT_EQ(dw["retrieveerror"], refusals.back());
  EXPECT_EQ(dw["rows"].size(), 0u);
  sql("alter table zr_016910_gone rename to zr_016910");
}

// The operator types only where the object lets him, and only codes the
// column knows.
TEST_P(ConflictTest, ProtectedColumnsAndCodeListsRefuseWhatIsTyped) {
  open("w_01691");
  // The list shows its columns with tab order 0: it is edited in its editor.
  auto refusals = act({action(K::kType, "dw_items", 2, "zr_016910_f3bz01", "x")});
  EXPECT_EQ(refusals, std::vector<std::string>{
                          "column zr_016910_f3bz01 of d_01691 is protected (tab order 0)"});
  ASSERT_EQ(act({action(K::kRow, "dw_items", 2), action(K::kEnter, "dw_items")}),
            std::vector<std::string>{});
  // The approval state takes its codes or their names, nothing else.
  refusals = act({action(K::kType, "dw_maint", 1, "zrztpz", "9")});
  EXPECT_EQ(refusals, std::vector<std::string>{"'9' is not in the code list of zrztpz"});
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "zrztpz", "已审核")}), std::vector<std::string>{});
  fh::DataWindow& form =
      *fh::find_control(*session->window("w_01691_edit"), "dw_maint")->datawindow();
  EXPECT_EQ(fh::Long(form.get_item(1, "zrztpz")).as_long(), 1);
  // A protect expression of the object protects the rows it is true for.
  ASSERT_EQ(on_session([&form](fh::Session&) {
              ASSERT_EQ(form.modify("bqsl.protect=\"0~tif(zrztpz = 1, 1, 0)\""), "");
            }),
            std::vector<std::string>{});
  refusals = act({action(K::kType, "dw_maint", 1, "bqsl", "5")});
  EXPECT_EQ(refusals,
            std::vector<std::string>{"column bqsl of d_01691_edit is protected in row 1"});
  ASSERT_EQ(act({action(K::kType, "dw_maint", 1, "zrztpz", "0"),
                 action(K::kType, "dw_maint", 1, "bqsl", "5")}),
            std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Db, ConflictTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
