// Creating and upgrading a module's database schema, and loading its demo data.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "formhost/abi.h"
#include "formhost/dwobject.h"
#include "formhost/export.h"
#include "formhost/transaction.h"

namespace fh {

struct SchemaReport {
  std::int32_t from_version = 0;  // 0: the database had none of it
  std::int32_t to_version = 0;
  int migrations_applied = 0;
  bool demo_loaded = false;   // loaded now
  bool demo_present = false;  // loaded now or before
};

// Brings the database up to the latest migration and, with `demo`, loads the
// demo data once. All in one transaction: on any failure it is rolled back,
// nothing is changed, and fh::Error says which file and line failed. A
// database whose version is newer than the module's is refused untouched.
// `progress` hears one line per step.
// Before a command works on a database: the component's stored version must
// be the program's. Throws fh::Error naming both versions: a newer schema
// needs a newer program, an older one (or none) needs `formhost init-db`.
// Reads only, so a read-only database can be checked.
FH_API void check_schema(Transaction& db, const fh_schema_info& schema);

// The NUMERIC(p,s) and DECIMAL(p,s) columns that the schema's CREATE TABLE
// statements declare, for the data-window objects (which carry only the places).
FH_API DeclaredNumerics declared_numerics(const fh_schema_info& schema);

FH_API SchemaReport apply_schema(Transaction& db, const fh_schema_info& schema, bool demo,
                                 const std::function<void(const std::string&)>& progress = {});

}  // namespace fh
