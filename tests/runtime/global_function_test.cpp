// Global functions: a module lists them, the registry keeps them by name, and
// any module's script calls them.
#include <gtest/gtest.h>

#include "fixture.h"
#include "formhost/decimal.h"

namespace {

using fh::Value;
using zrtest::ModuleTest;

TEST_F(ModuleTest, GlobalFunctionIsFoundByNameAndAnswersItsResult) {
  EXPECT_NE(registry.function("GF_TSum"), nullptr);
  // The library is listed before the framework: its gf_twho answers.
  EXPECT_EQ(ctx.call_function("gf_twho", {}).result.as_string(), "library");
  const Value args[] = {Value::of_long(2), Value::of_decimal(*fh::Decimal::parse("0.25"))};
  const fh::EventResult r = ctx.call_function("gf_tsum", args);
  ASSERT_EQ(r.status, FH_STATUS_OK);
  EXPECT_EQ(r.result.as_decimal().to_string(), "2.25");
  const Value with_null[] = {Value::of_long(2), Value::null_of(fh::Type::kLong)};
  EXPECT_TRUE(ctx.call_function("gf_tsum", with_null).result.is_null());
}

TEST_F(ModuleTest, UnknownOrFailingGlobalFunctionIsAStatusNeverAThrow) {
  EXPECT_EQ(ctx.call_function("gf_nobody", {}).status, FH_STATUS_FAILED);
  EXPECT_EQ(ctx.call_function("gf_tfail", {}).status, fh::kStatusAbandoned);
  // A programming error inside is traced whatever the switch says.
  sink->records.clear();
  EXPECT_EQ(ctx.call_function("gf_tbroken", {}).status, fh::kStatusAbandoned);
  ASSERT_EQ(sink->records.size(), 1U);
  EXPECT_EQ(sink->records[0].category, fh::kTraceLogicError);
}

TEST_F(ModuleTest, ScriptCallsAGlobalFunctionOrIsAbandonedAtItsCall) {
  fh::ObjectRef dw = open("u_tdw");
  const Value found[] = {Value::of_string("gf_tsum"), Value::of_long(4)};
  EXPECT_EQ(ctx.trigger(*dw, "ue_callglobal", found).status, FH_STATUS_OK);
  EXPECT_EQ(dw->get("answer").as_long(), 4);
  ctx.set_trace(true);
  sink->records.clear();
  for (const char* name : {"gf_nobody", "gf_tfail"}) {
    const Value args[] = {Value::of_string(name), Value::of_long(1)};
    EXPECT_EQ(ctx.trigger(*dw, "ue_callglobal", args).status, fh::kStatusAbandoned) << name;
  }
  // Each failed call is one failed host operation, traced at the script's call.
  ASSERT_EQ(sink->records.size(), 2U);
  EXPECT_EQ(sink->records[0].category, fh::kTraceScriptFailure);
  EXPECT_EQ(sink->records[0].text, sink->records[1].text);
}

}  // namespace
