// formhost user add|passwd NAME: the operators of the browser front end.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "commands.h"
#include "formhost/errors.h"
#include "formhost/schema.h"
#include "formhost/text.h"
#include "formhost/transaction.h"
#include "web/users.h"
#include "web/web_commands.h"

namespace app::web {
namespace {

struct Options {
  std::string db = kDefaultDatabase;
  std::string name;
};

// One line of standard input; on a terminal without echo, after a prompt.
std::string read_secret(const char* prompt) {
  const bool tty = ::isatty(STDIN_FILENO) == 1;
  termios old{};
  if (tty) {
    std::fprintf(stderr, "%s", prompt);
    std::fflush(stderr);
    ::tcgetattr(STDIN_FILENO, &old);
    termios quiet = old;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string line;
  const bool got = static_cast<bool>(std::getline(std::cin, line));
  if (tty) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::fprintf(stderr, "\n");
  }
  if (!got) throw fh::Error("no password on standard input");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string new_password() {
  std::string password = read_secret("New password: ");
  if (::isatty(STDIN_FILENO) == 1 && read_secret("Again: ") != password) {
    throw fh::Error("the two passwords differ; nothing was changed");
  }
  return password;
}

void connect(fh::Transaction& db, const std::string& connection) {
  if (connection.starts_with("sqlite:") && ::access(connection.substr(7).c_str(), F_OK) != 0) {
    throw fh::Error("database " + connection.substr(7) +
                    " does not exist; create it with: formhost init-db --demo");
  }
  if (db.connect(connection) != 0) throw fh::Error(fh::gbk_to_utf8_lossy(db.sqlerrtext()));
  // A database made before the operators' table gets it now.
  fh::apply_schema(db, users_schema(), false);
}

void add_options(CLI::App* cmd, Options& o) {
  cmd->add_option("NAME", o.name, "The operator's name (letters, digits, . - _)")->required();
  cmd->add_option("--db", o.db, "Connection: sqlite:PATH or postgresql://USER@HOST:PORT/DB")
      ->capture_default_str();
}

}  // namespace

void add_user_command(CLI::App& cli) {
  auto* user = cli.add_subcommand("user", "Keep the operators who may sign in to formhost serve");
  user->require_subcommand(1);
  user->footer("The password is read from standard input (without echo on a terminal).");
  {
    auto* cmd = user->add_subcommand("add", "Add an operator");
    auto o = std::make_shared<Options>();
    add_options(cmd, *o);
    cmd->callback([o] {
      if (const std::string why = bad_user_name(o->name); !why.empty()) throw fh::Error(why);
      fh::Transaction db;
      connect(db, o->db);
      if (user_exists(db, o->name)) throw fh::Error("operator " + o->name + " exists already");
      add_user(db, o->name, new_password());
      std::printf("operator %s added\n", o->name.c_str());
    });
  }
  {
    auto* cmd = user->add_subcommand("passwd", "Set an operator's password");
    auto o = std::make_shared<Options>();
    add_options(cmd, *o);
    cmd->callback([o] {
      fh::Transaction db;
      connect(db, o->db);
      if (!user_exists(db, o->name)) throw fh::Error("there is no operator " + o->name);
      set_password(db, o->name, new_password());
      std::printf("password of %s changed\n", o->name.c_str());
    });
  }
}

}  // namespace app::web
