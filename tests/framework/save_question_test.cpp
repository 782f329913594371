// Closing or reading again a window whose data windows hold edits not yet
// saved asks the framework's save question: Yes saves (a failed save keeps
// the window and its edits), No drops the edits and goes on, Cancel stays
// with the edits. Nothing to save asks nothing; an editor's Cancel button
// means "without saving".
#include "fixture.h"
#include "formhost/db_faults.h"
#include "formhost/functions.h"

namespace {

using K = fh::Action::Kind;

class SaveQuestionTest : public zrtest::AppTest {
 protected:
  // Label 2's count, changed as a script would (the list protects its columns).
  std::vector<std::string> edit_count(const std::string& to) {
    return act({set_item("w_01691", "dw_items", 2, "zr_016910_bqsl", to)});
  }
  std::string stored_count() { return db_value("select bqsl from zr_016910 where f3jbid = 2"); }
  std::string shown_count() {
    const auto dw = control_view("w_01691", "dw_items");
    return dw["rows"][1]["values"]["zr_016910_bqsl"];
  }
  // The pending box is the save question with Yes/No/Cancel.
  void expect_question() {
    const auto box = session->pending_message_box();
    ASSERT_TRUE(box.has_value()) << "no question was asked";
    EXPECT_EQ(box->title, zrtest::gbk("保存"));
    EXPECT_EQ(box->text, zrtest::gbk("是否保存修改？"));
    EXPECT_EQ(box->buttons, 3);
  }
  static fh::Action answer_named(const std::string& label) {
    fh::Action a(K::kAnswer);
    a.text = label;
    return a;
  }
  static fh::Action close(const std::string& cls) {
    fh::Action a(K::kClose);
    a.window = cls;
    return a;
  }
};

TEST_P(SaveQuestionTest, ClosingWithEditsAsksAndEachAnswerDoesWhatItSays) {
  open("w_01691");
  const std::string before = stored_count();
  ASSERT_NE(before, "77");
  // Nothing changed: no question.
  ASSERT_EQ(act({close("w_01691")}), std::vector<std::string>{});
  EXPECT_FALSE(session->pending_message_box().has_value());
  EXPECT_EQ(session->window("w_01691"), nullptr);

  // Cancel: the window stays, with the edit, and nothing is saved.
  open("w_01691");
  ASSERT_EQ(edit_count("77"), std::vector<std::string>{});
  ASSERT_EQ(act({close("w_01691")}), std::vector<std::string>{});
  expect_question();
  // A button named by its label is this box's: "ok" is none of them,
  // "cancel" the third (of OK/Cancel it would be the second).
  EXPECT_EQ(act({answer_named("ok")}),
            std::vector<std::string>{"the message box has no button ok (it has Yes, No, Cancel)"});
  ASSERT_EQ(act({answer_named("cancel")}), std::vector<std::string>{});
  ASSERT_NE(session->window("w_01691"), nullptr);
  EXPECT_EQ(shown_count(), "77");
  EXPECT_EQ(stored_count(), before);

  // Yes, and the save fails: the window stays, with the edit.
  ASSERT_EQ(on_session([](fh::Session& s) {
              fh::testing::fail_db_call(s.sqlca(), 1, fh::testing::DbFault::kError);
            }),
            std::vector<std::string>{});
  auto refusals = act({close("w_01691")});
  expect_question();
  for (std::string& r : act({answer(1)})) refusals.push_back(std::move(r));
  ASSERT_TRUE(zrtest::only_failed_save(refusals)) << testing::PrintToString(refusals);
  ASSERT_TRUE(session->pending_message_box().has_value());  // the save's own message
  ASSERT_EQ(act({answer(1)}), std::vector<std::string>{});
  ASSERT_NE(session->window("w_01691"), nullptr);
  EXPECT_EQ(shown_count(), "77");
  EXPECT_EQ(stored_count(), before);

  // No: closed, the edit dropped.
  ASSERT_EQ(act({close("w_01691"), answer(2)}), std::vector<std::string>{});
  EXPECT_EQ(session->window("w_01691"), nullptr);
  EXPECT_EQ(stored_count(), before);

  // Yes: saved, then closed.
  open("w_01691");
  ASSERT_EQ(edit_count("78"), std::vector<std::string>{});
  ASSERT_EQ(act({close("w_01691")}), std::vector<std::string>{});
  expect_question();
  ASSERT_EQ(act({answer(1)}), std::vector<std::string>{});
  EXPECT_EQ(session->window("w_01691"), nullptr);
  EXPECT_EQ(stored_count(), "78");
}

TEST_P(SaveQuestionTest, ReadingAgainWithEditsAsksFirst) {
  open("w_01691");
  const std::string before = stored_count();
  const fh::Action refresh = action(K::kClick, "m_retrieve");
  // Nothing changed: it reads again without a question.
  ASSERT_EQ(act({refresh}), std::vector<std::string>{});
  EXPECT_FALSE(session->pending_message_box().has_value());

  ASSERT_EQ(edit_count("77"), std::vector<std::string>{});
  // Cancel: not read again, the edit stays.
  ASSERT_EQ(act({refresh}), std::vector<std::string>{});
  expect_question();
  ASSERT_EQ(act({answer(3)}), std::vector<std::string>{});
  EXPECT_EQ(shown_count(), "77");
  // No: read again, the edit gone, nothing saved.
  ASSERT_EQ(act({refresh, answer(2)}), std::vector<std::string>{});
  EXPECT_EQ(shown_count(), before);
  EXPECT_EQ(stored_count(), before);
  // Yes: saved, and read again from the database.
  ASSERT_EQ(edit_count("79"), std::vector<std::string>{});
  ASSERT_EQ(act({refresh, answer(1)}), std::vector<std::string>{});
  EXPECT_EQ(stored_count(), "79");
  EXPECT_EQ(shown_count(), "79");
  EXPECT_EQ(control_view("w_01691", "dw_items")["rows"][1]["status"], "notmodified");
}

TEST_P(SaveQuestionTest, AnEditorAsksWhenClosedButNotOnItsCancelButton) {
  open("w_01691");
  ASSERT_EQ(act({action(K::kRow, "dw_items", 2), action(K::kEnter, "dw_items"),
                 action(K::kType, "dw_maint", 1, "bqsl", "81")}),
            std::vector<std::string>{});
  // Closing the editor: the question; Yes saves through the editor's save.
  ASSERT_EQ(act({close("w_01691_edit")}), std::vector<std::string>{});
  expect_question();
  ASSERT_EQ(act({answer(1)}), std::vector<std::string>{});
  EXPECT_EQ(session->window("w_01691_edit"), nullptr);
  EXPECT_EQ(stored_count(), "81");
  EXPECT_EQ(shown_count(), "81");  // the list read it again after the save
  // Cancel button: closed without a question, nothing saved.
  ASSERT_EQ(act({action(K::kEnter, "dw_items"), action(K::kType, "dw_maint", 1, "bqsl", "82"),
                 action(K::kClick, "uo_cancel")}),
            std::vector<std::string>{});
  EXPECT_FALSE(session->pending_message_box().has_value());
  EXPECT_EQ(session->window("w_01691_edit"), nullptr);
  EXPECT_EQ(stored_count(), "81");
}

INSTANTIATE_TEST_SUITE_P(Db, SaveQuestionTest, ::testing::ValuesIn(zrtest::backends()),
                         zrtest::backend_name);

}  // namespace
