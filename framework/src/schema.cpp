// The schema and demo data of the application's database, carried by the
// framework module so that `formhost init-db` can create or upgrade it.
#include "formhost/abi.h"

namespace zrsql {
extern const char* const k_001_base_sql;
extern const char* const k_002_keys_postgresql_sql;
extern const char* const k_003_keygen_sql;
extern const char* const k_demo_sql;
extern const char* const k_demo_postgresql_sql;
}  // namespace zrsql

namespace {

const fh_migration kMigrations[] = {
    {1, "framework/schema/001_base.sql", "", zrsql::k_001_base_sql},
    {2, "framework/schema/002_keys.postgresql.sql", "postgresql", zrsql::k_002_keys_postgresql_sql},
    {3, "framework/schema/003_keygen.sql", "", zrsql::k_003_keygen_sql},
};

const fh_migration kDemo[] = {
    {0, "framework/schema/demo.sql", "", zrsql::k_demo_sql},
    {0, "framework/schema/demo.postgresql.sql", "postgresql", zrsql::k_demo_postgresql_sql},
};

const fh_schema_info kSchema = {"zr016", kMigrations, 3, kDemo, 2};

}  // namespace

extern "C" FH_MODULE_EXPORT const fh_schema_info* fh_module_schema() { return &kSchema; }
