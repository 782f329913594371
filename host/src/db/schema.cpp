#include "formhost/schema.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "formhost/errors.h"

namespace fh {
namespace {

constexpr const char* kVersionTable =
    "create table if not exists fh_schema_version (component varchar(60) primary key, "
    "version integer not null)";
constexpr std::string_view kDemoSuffix = ".demo";

std::int32_t stored_version(Transaction& db, const std::string& component) {
  Value version[] = {Value::of_long(0)};
  const Value key[] = {Value::of_string(component)};
  const auto rc =
      db.select_into("select version from fh_schema_version where component = :c", key, version);
  if (rc == 100) return 0;
  if (rc != 0) throw Error("cannot read the schema version: " + db.sqlerrtext());
  return version[0].as_long();
}

void store_version(Transaction& db, const std::string& component, std::int32_t version,
                   bool existed) {
  const Value values[] = {Value::of_long(version), Value::of_string(component)};
  const char* sql = existed ? "update fh_schema_version set version = :v where component = :c"
                            : "insert into fh_schema_version (version, component) values (:v, :c)";
  if (db.execute(sql, values) != 0)
    throw Error("cannot record the schema version: " + db.sqlerrtext());
}

bool for_this_database(const fh_migration& m, const Transaction& db) {
  const std::string_view backend = m.backend == nullptr ? "" : m.backend;
  return backend.empty() || backend == (db.is_postgres() ? "postgresql" : "sqlite");
}

void run(Transaction& db, const fh_migration& m) {
  if (db.run_script(m.sql, m.name) != 0) throw Error(db.sqlerrtext());
}

// SQL text without its comments, in lower case (identifiers are ASCII).
std::string plain_lower(std::string_view sql) {
  std::string out;
  out.reserve(sql.size());
  bool quoted = false;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (c == '\'') quoted = !quoted;
    if (!quoted && c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      while (i < sql.size() && sql[i] != '\n') ++i;
      out.push_back('\n');
      continue;
    }
    out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  return out;
}

bool identifier_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The identifier at `at` (after blanks), moving `at` past it; "" when none.
std::string identifier(std::string_view s, std::size_t& at) {
  while (at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\n' || s[at] == '\r')) ++at;
  const std::size_t begin = at;
  while (at < s.size() && identifier_char(s[at])) ++at;
  return std::string(s.substr(begin, at - begin));
}

// One item of a column list: "name NUMERIC(p,s) ..." adds (p, s).
void numeric_item(std::string_view table, std::string_view item, DeclaredNumerics& out) {
  std::size_t at = 0;
  const std::string column = identifier(item, at);
  for (const char* constraint : {"", "constraint", "primary", "unique", "check", "foreign"}) {
    if (column == constraint) return;
  }
  const std::string type = identifier(item, at);
  while (at < item.size() && item[at] == ' ') ++at;
  if ((type != "numeric" && type != "decimal") || at >= item.size() || item[at] != '(') return;
  int p = 0, s = 0;
  const std::string digits(item.substr(at + 1));
  if (std::sscanf(digits.c_str(), "%d , %d", &p, &s) < 1 || p < 1 || p > 1000 || s < 0 || s > p)
    return;
  out.insert_or_assign(std::string(table) + "." + column, std::make_pair(p, s));
}

void declared_in(std::string_view sql_text, DeclaredNumerics& out) {
  const std::string sql = plain_lower(sql_text);
  std::size_t at = 0;
  while ((at = sql.find("create table", at)) != std::string::npos) {
    at += 12;
    std::string table = identifier(sql, at);
    if (table == "if") {  // if not exists
      identifier(sql, at);
      identifier(sql, at);
      table = identifier(sql, at);
    }
    const std::size_t open = sql.find('(', at);
    if (table.empty() || open == std::string::npos) return;
    // The column list: items at depth 1, separated by commas.
    int depth = 0;
    bool quoted = false;
    std::size_t item = open + 1;
    for (std::size_t i = open; i < sql.size(); ++i) {
      const char c = sql[i];
      if (c == '\'') quoted = !quoted;
      if (quoted) continue;
      if (c == '(') ++depth;
      if ((c == ',' && depth == 1) || (c == ')' && depth == 1)) {
        numeric_item(table, std::string_view(sql).substr(item, i - item), out);
        item = i + 1;
      }
      if (c == ')' && --depth == 0) {
        at = i;
        break;
      }
    }
  }
}

std::int32_t latest_version(const fh_schema_info& schema) {
  std::int32_t latest = 0;
  for (std::size_t i = 0; i < schema.migration_count; ++i) {
    latest = std::max(latest, schema.migrations[i].version);
  }
  return latest;
}

}  // namespace

DeclaredNumerics declared_numerics(const fh_schema_info& schema) {
  DeclaredNumerics out;
  for (std::size_t i = 0; i < schema.migration_count; ++i) {
    if (schema.migrations[i].sql != nullptr) declared_in(schema.migrations[i].sql, out);
  }
  return out;
}

void check_schema(Transaction& db, const fh_schema_info& schema) {
  if (!db.connected()) throw Error("not connected to a database");
  const std::string component = schema.component;
  const std::int32_t latest = latest_version(schema);
  Value version[] = {Value::of_long(0)};
  const Value key[] = {Value::of_string(component)};
  // A database without the version table has no schema of this program yet.
  const auto rc =
      db.select_into("select version from fh_schema_version where component = :c", key, version);
  const std::int32_t stored = rc == 0 && !version[0].is_null() ? version[0].as_long() : 0;
  if (stored == latest) return;
  if (stored > latest) {
    throw Error("the database holds " + component + " schema version " + std::to_string(stored) +
                ", newer than this program's " + std::to_string(latest) +
                "; use the program that made it");
  }
  throw Error("the database holds " + component + " schema version " + std::to_string(stored) +
              ", older than this program's " + std::to_string(latest) +
              "; upgrade it first with formhost init-db on the same database");
}

SchemaReport apply_schema(Transaction& db, const fh_schema_info& schema, bool demo,
                          const std::function<void(const std::string&)>& progress) {
  if (!db.connected()) throw Error("not connected to a database");
  auto say = [&](const std::string& line) {
    if (progress) progress(line);
  };
  const std::string component = schema.component;
  SchemaReport report;
  const std::int32_t latest = latest_version(schema);
  try {
    // PostgreSQL says "already exists" for every component after the first;
    // that is expected here, not news for the operator.
    if (db.is_postgres() && db.execute("set local client_min_messages = warning") != 0)
      throw Error("cannot set up the schema session: " + db.sqlerrtext());
    if (db.execute(kVersionTable) != 0)
      throw Error("cannot create the version table: " + db.sqlerrtext());
    report.from_version = stored_version(db, component);
    if (report.from_version > latest) {
      throw Error("the database holds " + component + " schema version " +
                  std::to_string(report.from_version) + ", newer than this program's " +
                  std::to_string(latest) + "; nothing was changed");
    }
    for (std::size_t i = 0; i < schema.migration_count; ++i) {
      const fh_migration& m = schema.migrations[i];
      if (m.version <= report.from_version || !for_this_database(m, db)) continue;
      say("applying " + std::string(m.name));
      run(db, m);
      ++report.migrations_applied;
    }
    report.to_version = latest;
    if (latest != report.from_version)
      store_version(db, component, latest, report.from_version != 0);

    const std::string demo_key = component + std::string(kDemoSuffix);
    report.demo_present = stored_version(db, demo_key) != 0;
    if (demo && !report.demo_present) {
      for (std::size_t i = 0; i < schema.demo_count; ++i) {
        if (!for_this_database(schema.demo[i], db)) continue;
        say("loading " + std::string(schema.demo[i].name));
        run(db, schema.demo[i]);
      }
      store_version(db, demo_key, 1, false);
      report.demo_loaded = report.demo_present = true;
    }
    if (db.commit() != 0) throw Error("commit failed: " + db.sqlerrtext());
  } catch (...) {
    db.rollback();
    throw;
  }
  return report;
}

}  // namespace fh
