// Creating and upgrading a schema: one transaction, versions, refusal of newer databases.
#include "formhost/schema.h"

#include <gtest/gtest.h>

#include "backends.h"
#include "formhost/classes.h"
#include "formhost/errors.h"

namespace {

using fh::Value;
using zrtest::DbTest;

const fh_migration kTwo[] = {
    {1, "one.sql", "", "create table s1 (id integer primary key, mc varchar(20));\n"},
    {2, "two.sql", "",
     "-- a second step\ninsert into s1 (id, mc) values (1, 'a;b');\n"
     "create table s2 (id integer primary key);\n"},
};
const fh_migration kDemo[] = {{0, "demo.sql", "", "insert into s2 (id) values (7);\n"}};

long count(fh::Transaction& db, const std::string& table) {
  Value n[] = {Value::of_long(-1)};
  if (db.select_into("select count(*) from " + table, {}, n) != 0) return -1;
  return n[0].as_long();
}

TEST_P(DbTest, SchemaAppliesOnceUpgradesAndLoadsDemoOnce) {
  const fh_schema_info first = {"test", kTwo, 1, kDemo, 0};
  fh::SchemaReport r = fh::apply_schema(db, first, false);
  EXPECT_EQ(r.from_version, 0);
  EXPECT_EQ(r.to_version, 1);
  EXPECT_EQ(count(db, "s1"), 0);

  const fh_schema_info both = {"test", kTwo, 2, kDemo, 1};
  std::vector<std::string> said;
  r = fh::apply_schema(db, both, true, [&](const std::string& l) { said.push_back(l); });
  EXPECT_EQ(r.from_version, 1);
  EXPECT_EQ(r.migrations_applied, 1);
  EXPECT_TRUE(r.demo_loaded);
  EXPECT_EQ(said, (std::vector<std::string>{"applying two.sql", "loading demo.sql"}));
  EXPECT_EQ(count(db, "s1"), 1);
  EXPECT_EQ(count(db, "s2"), 1);

  r = fh::apply_schema(db, both, true);
  EXPECT_EQ(r.migrations_applied, 0);
  EXPECT_FALSE(r.demo_loaded);
  EXPECT_TRUE(r.demo_present);
  EXPECT_EQ(count(db, "s2"), 1);
}

TEST_P(DbTest, SchemaFailureOrNewerDatabaseChangesNothing) {
  const fh_migration broken[] = {
      kTwo[0], {2, "broken.sql", "", "create table s3 (id integer);\nthis is not sql;\n"}};
  const fh_schema_info bad = {"test", broken, 2, nullptr, 0};
  try {
    fh::apply_schema(db, bad, false);
    FAIL() << "a broken migration applied";
  } catch (const fh::Error& e) {
    EXPECT_NE(std::string(e.what()).find("broken.sql:2"), std::string::npos) << e.what();
  }
  EXPECT_EQ(count(db, "s1"), -1);  // the first migration was rolled back too
  db.rollback();

  const fh_schema_info both = {"test", kTwo, 2, nullptr, 0};
  fh::apply_schema(db, both, false);
  const fh_schema_info older = {"test", kTwo, 1, nullptr, 0};
  try {
    fh::apply_schema(db, older, false);
    FAIL() << "an older program changed a newer database";
  } catch (const fh::Error& e) {
    EXPECT_NE(std::string(e.what()).find("newer than this program's 1"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(count(db, "s1"), 1);
}

// Every command that opens the database checks its version first, reading only.
TEST_P(DbTest, SchemaCheckRefusesOtherVersionsNamingBoth) {
  const fh_schema_info one = {"test", kTwo, 1, nullptr, 0};
  const fh_schema_info both = {"test", kTwo, 2, nullptr, 0};
  auto refusal = [&](const fh_schema_info& program) -> std::string {
    try {
      fh::check_schema(db, program);
      return "";
    } catch (const fh::Error& e) {
      return e.what();
    }
  };
  // No schema at all: the hint to create it.
  EXPECT_NE(refusal(one).find("test schema version 0, older than this program's 1; upgrade it "
                              "first with formhost init-db"),
            std::string::npos)
      << refusal(one);
  EXPECT_FALSE(db.in_transaction());
  fh::apply_schema(db, one, false);
  EXPECT_EQ(refusal(one), "");
  EXPECT_NE(refusal(both).find("version 1, older than this program's 2"), std::string::npos);
  fh::apply_schema(db, both, false);
  EXPECT_NE(refusal(one).find("test schema version 2, newer than this program's 1"),
            std::string::npos)
      << refusal(one);
  // Another component's version is its own.
  const fh_schema_info other = {"other", kTwo, 1, nullptr, 0};
  EXPECT_NE(refusal(other).find("other schema version 0"), std::string::npos);
}

// The application's own schema and demo data load on every database.
TEST_P(DbTest, FrameworkSchemaAndDemoDataLoad) {
  fh::ClassRegistry registry;
  const fh::Module& frame = registry.add_module(ZR_FRAME_MODULE);
  ASSERT_NE(frame.schema(), nullptr);
  const fh::SchemaReport r = fh::apply_schema(db, *frame.schema(), true);
  EXPECT_TRUE(r.demo_loaded);
  EXPECT_GT(count(db, "zrtaska_tkzdgg"), 0);
  Value caption[] = {Value::of_string("")};
  ASSERT_EQ(db.select_into("select hctj01 from zr_022740", {}, caption), 0) << db.sqlerrtext();
  EXPECT_FALSE(caption[0].is_null());
}

// The data-window objects carry only a decimal's places: its precision comes
// from the CREATE TABLE statements, whatever else they say.
TEST(DeclaredNumericsTest, ComeFromTheCreateTableStatements) {
  const fh_migration steps[] = {
      {1, "a.sql", "",
       "-- numeric(3,1) in a comment is no column\n"
       "CREATE TABLE t1 (\n  id INTEGER PRIMARY KEY, -- price NUMERIC(1,0)\n"
       "  price NUMERIC(12,2), qty numeric (6), mc VARCHAR(20) DEFAULT 'a,(b',\n"
       "  rate DECIMAL(5, 4) NOT NULL CHECK (rate < 2), CONSTRAINT c CHECK (price > 0)\n);\n"},
      {2, "b.sql", "postgresql", "create table if not exists T2 (w numeric(10,3));\n"},
  };
  const fh_schema_info schema = {"test", steps, 2, nullptr, 0};
  const fh::DeclaredNumerics found = fh::declared_numerics(schema);
  const fh::DeclaredNumerics expected = {
      {"t1.price", {12, 2}}, {"t1.qty", {6, 0}}, {"t1.rate", {5, 4}}, {"t2.w", {10, 3}}};
  EXPECT_EQ(found, expected);
  // The framework's objects learn them through the registry.
  fh::ClassRegistry registry;
  registry.add_module(ZR_FRAME_MODULE);
  const auto object = registry.dataobjects().find("d_01628_edit");
  ASSERT_TRUE(object.has_value());
  const fh::DwColumn* rate = object->column("bcjbdj");
  ASSERT_NE(rate, nullptr);
  EXPECT_EQ(rate->precision, 12);
  EXPECT_EQ(rate->precision_scale, 4);
}

}  // namespace
