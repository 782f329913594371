// Running scripts: ancestor first, failure rules, implicit return, context restore.
#include "zrrt/script.h"

#include <gtest/gtest.h>

#include "fixture.h"

namespace {

using zrtest::ModuleTest;

TEST_F(ModuleTest, GeneratedCreateAndDestroyRunTheAncestors) {
  auto w = open("w_tplain");
  EXPECT_EQ(ctx.trigger(*w, "create").status, FH_STATUS_OK);
  EXPECT_EQ(ctx.trigger(*w, "destroy").status, FH_STATUS_OK);
  EXPECT_EQ(log_of(w), "tlist-create,tlist-destroy");
}

TEST_F(ModuleTest, ListDestroyWithoutMenuSucceeds) {
  auto w = open("w_tchild");
  ASSERT_FALSE(w->has("menuid"));
  EXPECT_EQ(ctx.trigger(*w, "destroy").status, FH_STATUS_OK);
  w->set("menuid", fh::Value::null_of(fh::Type::kObject));
  EXPECT_EQ(ctx.trigger(*w, "destroy").status, FH_STATUS_OK);
  EXPECT_EQ(log_of(w), "tlist-destroy,tlist-destroy");
}

TEST_F(ModuleTest, ListDestroyDestroysAValidMenu) {
  auto w = open("w_tchild");
  auto menu = fh::instantiate(registry.load("menu"), "m_main");
  w->set("menuid", fh::Value::of_object(menu));
  EXPECT_EQ(ctx.trigger(*w, "destroy").status, FH_STATUS_OK);
  EXPECT_TRUE(menu->destroyed());
  // Destroyed once already: the reference is no longer valid and is left alone.
  EXPECT_EQ(ctx.trigger(*w, "destroy").status, FH_STATUS_OK);
}

TEST_F(ModuleTest, AncestorWithoutScriptLetsTheBodyRun) {
  auto w = open("w_tchild");
  const fh::EventResult r = ctx.trigger(*w, "pfc_preopen");
  EXPECT_EQ(r.status, FH_STATUS_OK);
  EXPECT_EQ(log_of(w), "child-preopen");
  EXPECT_EQ(w->get("depth").as_long(), 1);
}

TEST_F(ModuleTest, AncestorChainRunsFromTheRootDown) {
  auto w = open("w_tchild");
  fh::Object& grid = *w->control("dw_list");
  const fh::EventResult r = ctx.trigger(grid, std::uint16_t{447});
  EXPECT_EQ(r.status, FH_STATUS_OK);
  EXPECT_EQ(r.result.type(), fh::Type::kLong);
  EXPECT_EQ(r.result.as_long(), 1);
  EXPECT_EQ(log_of(w), "frame-insert,tlist-insert,child-insert");
  EXPECT_EQ(grid.get("ancestor_result").as_long(), 6);
  // u_tdw's script runs inside w_tlist's, which runs inside the child's.
  EXPECT_EQ(grid.get("depth").as_long(), 1);
}

TEST_F(ModuleTest, AbandonedAncestorStopsTheDescendant) {
  auto w = open("w_tchild");
  const fh::EventResult r = ctx.trigger(*w, "ue_save");
  EXPECT_EQ(r.status, fh::kStatusAbandoned);
  EXPECT_EQ(log_of(w), "tlist-save");
  EXPECT_TRUE(w->control("dw_list")->get("saved").as_bool());
  // The ancestor's failed operation was traced once, nothing for the descendant.
  ctx.set_trace(true);
  sink->records.clear();
  ctx.trigger(*w, "ue_save");
  EXPECT_EQ(sink->records.size(), 1u);
}

TEST_F(ModuleTest, NullObjectUnderContinueSkipsExactlyOneStatement) {
  auto w = open("w_tchild");
  ctx.set_error_policy(fh::ErrorPolicy::kContinue);
  const fh::EventResult r = ctx.trigger(*w, "ue_nullref");
  EXPECT_EQ(r.status, FH_STATUS_OK);
  EXPECT_EQ(r.result.as_long(), 1);
  // Each call on the missing control was one statement, skipped; the value it
  // would have read is null.
  EXPECT_EQ(log_of(w), "before,between,after");
  EXPECT_TRUE(w->has("got"));
  EXPECT_TRUE(w->get("got").is_null());
}

TEST_F(ModuleTest, NullObjectUnderAbandonStopsTheScript) {
  auto w = open("w_tchild");
  ctx.set_error_policy(fh::ErrorPolicy::kAbandon);
  ctx.set_trace(true);
  const fh::EventResult r = ctx.trigger(*w, "ue_nullref");
  EXPECT_EQ(r.status, fh::kStatusAbandoned);
  EXPECT_EQ(log_of(w), "before");
  // A runtime error is not a failed host operation: no trace record.
  EXPECT_TRUE(sink->records.empty());
}

TEST_F(ModuleTest, NoParentWindowSkipsOrAbandonsByThePolicy) {
  fh::ObjectRef alone = open("u_tdw");
  ctx.set_error_policy(fh::ErrorPolicy::kContinue);
  EXPECT_EQ(ctx.trigger(*alone, "ue_parent").status, FH_STATUS_OK);
  EXPECT_TRUE(alone->get("after").as_bool());
  EXPECT_FALSE(alone->has("seen"));

  fh::ObjectRef again = open("u_tdw");
  ctx.set_error_policy(fh::ErrorPolicy::kAbandon);
  EXPECT_EQ(ctx.trigger(*again, "ue_parent").status, fh::kStatusAbandoned);
  EXPECT_FALSE(again->has("after"));
}

TEST_F(ModuleTest, LogicErrorsAreAlwaysTracedAndEndTheScript) {
  auto w = open("w_tchild");
  ctx.set_trace(false);  // traced all the same
  const std::vector<fh::Value> args{fh::Value::of_long(5)};
  const fh::EventResult r = ctx.trigger(*w, "ue_logic", args);
  EXPECT_EQ(r.status, fh::kStatusAbandoned);
  EXPECT_EQ(log_of(w), "logic");
  ASSERT_EQ(sink->records.size(), 1u);
  EXPECT_EQ(sink->records[0].category, fh::kTraceLogicError);
  EXPECT_NE(sink->records[0].text.find("logic error in the script at "), std::string::npos);
  EXPECT_NE(sink->records[0].text.find("w_tchild.cpp:"), std::string::npos);
}

TEST_F(ModuleTest, FailuresOutsideAStatementCarryTheirScriptsOwnSite) {
  auto w = open("w_tchild");
  ctx.set_trace(true);
  EXPECT_EQ(ctx.trigger(*w, "ue_raw1").status, fh::kStatusAbandoned);
  EXPECT_EQ(ctx.trigger(*w, "ue_raw2").status, fh::kStatusAbandoned);
  ASSERT_EQ(sink->records.size(), 2u);
  EXPECT_EQ(sink->records[0].category, 31);
  EXPECT_EQ(sink->records[1].category, 31);
  // Not one identifier of the wrapper for every script.
  EXPECT_NE(sink->records[0].text, sink->records[1].text);
}

TEST(ScriptArrays, CountFromOneAndRefuseIndexesOutside) {
  zr::Array<3> a{"x"};
  a[3] = fh::Value::of_long(7);
  EXPECT_EQ(a[1].as_string(), "x");
  EXPECT_EQ(a.values()[2].as_long(), 7);
  EXPECT_THROW(a[0], std::logic_error);
  EXPECT_THROW(a[4], std::logic_error);
}

TEST_F(ModuleTest, RaisingEvents) {
  auto w = open("w_tchild");
  ctx.set_trace(true);
  const fh::EventResult r = ctx.trigger(*w, "ue_raise");
  // A handler-less event is success; the failing one abandons the raiser.
  EXPECT_EQ(r.status, fh::kStatusAbandoned);
  EXPECT_EQ(log_of(w), "nohandler-null,prerela-0");
  // Two records: the failing script's own site, then the raiser's call site.
  ASSERT_EQ(sink->records.size(), 2u);
  const std::string site = w->control("dw_list")->get("fail_site").as_string();
  EXPECT_EQ(fh::format_trace_line(sink->records[0]),
            "31\t-5\t*** WE HAVE A PROBLEM HERE. Error = " + site + " ***\n");
  EXPECT_EQ(sink->records[1].category, 31);
  EXPECT_EQ(sink->records[1].status, fh::kStatusAbandoned);
  EXPECT_NE(sink->records[1].text, sink->records[0].text);

  // Without the switch nothing is written.
  ctx.set_trace(false);
  sink->records.clear();
  ctx.trigger(*w, "ue_raise");
  EXPECT_TRUE(sink->records.empty());
}

TEST_F(ModuleTest, HostAnswersForMissingEventsAndHandlers) {
  auto w = open("w_tchild");
  fh::Object& grid = *w->control("dw_list");
  EXPECT_EQ(ctx.trigger(grid, "ue_nohandler").status, FH_STATUS_NO_SCRIPT);
  EXPECT_TRUE(ctx.trigger(grid, "ue_nohandler").result.is_null());
  EXPECT_EQ(ctx.trigger(grid, "ue_not_declared").status, FH_STATUS_FAILED);
  EXPECT_EQ(ctx.trigger(*w, "clicked").status, FH_STATUS_FAILED);  // a window has no clicked
  const fh::Value column[] = {fh::Value::of_string("zr_016910_f3bz02")};
  const fh::EventResult prerela = ctx.trigger(grid, "pfc_prerela", column);
  EXPECT_EQ(prerela.result.type(), fh::Type::kInteger);
  EXPECT_EQ(prerela.result.as_integer(), 1);
  // The argument is missing: a failed host operation.
  EXPECT_EQ(ctx.trigger(grid, "pfc_prerela").status, fh::kStatusAbandoned);
}

TEST_F(ModuleTest, ImplicitReturnComesFromTheMessageObject) {
  auto w = open("w_tchild");
  fh::Object& grid = *w->control("dw_list");
  const fh::Value args[] = {fh::Value::of_long(1), fh::Value(), fh::Value::of_string("x")};
  EXPECT_EQ(ctx.trigger(grid, "itemchanged", args).result.as_long(), 0);
  ctx.message()->set("returnvalue", fh::Value::of_long(7));
  EXPECT_EQ(ctx.trigger(grid, "itemchanged", args).result.as_long(), 7);
  ctx.message()->destroy();
  EXPECT_EQ(ctx.trigger(grid, "itemchanged", args).result.as_long(), 0);
}

TEST_F(ModuleTest, ContextIsRestoredOnEveryExit) {
  auto w = open("w_tchild");
  EXPECT_EQ(ctx.call_depth(), 0);
  ctx.trigger(*w, "ue_save");     // abandoned in the ancestor
  ctx.trigger(*w, "ue_raise");    // abandoned two calls down
  ctx.trigger(*w, "ue_nullref");  // abandoned by a runtime error
  EXPECT_EQ(ctx.call_depth(), 0);
  EXPECT_EQ(ctx.frame(), nullptr);
  EXPECT_EQ(ctx.current_class(), nullptr);

  // Inside: depth and class of the running script, the raised one nested.
  const fh::EventResult r = ctx.trigger(*w, "ue_nested");
  EXPECT_EQ(r.result.as_long(), 1);
  EXPECT_EQ(w->control("dw_list")->get("depth").as_long(), 2);
  EXPECT_EQ(w->get("insert_result").as_long(), 1);
  EXPECT_EQ(ctx.call_depth(), 0);
}

TEST(SiteId, StableForASiteAndDistinctBetweenSites) {
  const zr::Site a = zr::Site::current();
  const zr::Site b = zr::Site::current();
  EXPECT_EQ(zr::site_id(a), zr::site_id(a));
  EXPECT_NE(zr::site_id(a), zr::site_id(b));
  const std::string id = zr::site_id(a);
  EXPECT_LE(id.size(), 7u);
  EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
}

}  // namespace
