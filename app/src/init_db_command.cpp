#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "commands.h"
#include "formhost/classes.h"
#include "formhost/errors.h"
#include "formhost/schema.h"
#include "formhost/text.h"
#include "formhost/transaction.h"
#include "web/users.h"

namespace app {
namespace {

struct Options {
  std::string db = kDefaultDatabase;
  bool demo = false;
  std::vector<std::string> modules;
};

// A new SQLite file that the run could not fill is removed again, so a
// failed init-db leaves nothing behind.
class NewFileGuard {
 public:
  explicit NewFileGuard(const std::string& connection) {
    if (connection.starts_with("sqlite:")) {
      path_ = connection.substr(7);
      if (std::filesystem::exists(path_)) path_.clear();
    }
  }
  void keep() { path_.clear(); }
  ~NewFileGuard() {
    if (path_.empty()) return;
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path_ + suffix).c_str());
  }

 private:
  std::string path_;
};

void init_db(const Options& o) {
  fh::ClassRegistry registry;
  for (const std::string& path : library_list(o.modules)) registry.add_module(path);

  NewFileGuard guard(o.db);
  fh::Transaction db;
  if (db.connect(o.db) != 0) throw fh::Error(fh::gbk_to_utf8_lossy(db.sqlerrtext()));
  int schemas = 0;
  for (const auto& module : registry.modules()) {
    const fh_schema_info* schema = module->schema();
    if (schema == nullptr) continue;
    ++schemas;
    const fh::SchemaReport r = fh::apply_schema(
        db, *schema, o.demo, [](const std::string& line) { std::printf("  %s\n", line.c_str()); });
    std::printf("%s: schema version %d -> %d (%d applied)%s\n", schema->component, r.from_version,
                r.to_version, r.migrations_applied,
                r.demo_loaded ? ", demo data loaded"
                              : (o.demo && r.demo_present ? ", demo data already present" : ""));
  }
  if (schemas == 0) throw fh::Error("no loaded module carries a database schema");
  // The operators of the browser front end: a schema of the application's own.
  const fh::SchemaReport users = fh::apply_schema(db, web::users_schema(), false);
  std::printf("users: schema version %d -> %d (%d applied)\n", users.from_version, users.to_version,
              users.migrations_applied);
  if (o.demo) {
    const std::string password = web::add_demo_user(db);
    if (!password.empty()) {
      std::printf(
          "demo operator: %s  password: %s  (shown this once; "
          "formhost user passwd %s sets another)\n",
          web::kDemoUser, password.c_str(), web::kDemoUser);
    } else {
      std::printf(
          "demo operator %s exists already (formhost user passwd %s sets a new "
          "password)\n",
          web::kDemoUser, web::kDemoUser);
    }
  }
  db.disconnect();
  guard.keep();
  std::printf("database ready: %s\n", o.db.c_str());
}

}  // namespace

void add_init_db_command(CLI::App& cli) {
  auto* cmd =
      cli.add_subcommand("init-db", "Create or upgrade the database, optionally with demo data");
  auto o = std::make_shared<Options>();
  cmd->add_option("--db", o->db, "Connection: sqlite:PATH or postgresql://USER@HOST:PORT/DB")
      ->capture_default_str();
  cmd->add_flag("--demo", o->demo, "Load the demo data (once)");
  cmd->add_option("--module", o->modules, "A module of the library list (repeatable)")
      ->check(CLI::ExistingFile);
  cmd->callback([o] { init_db(*o); });
}

}  // namespace app
