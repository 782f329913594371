// formhost: the form runtime's command line.
#include <cstdio>
#include <exception>
#include <string>

#include "commands.h"
#include "formhost/errors.h"
#include "view_text.h"
#include "web/web_commands.h"

int main(int argc, char** argv) {
  CLI::App cli{"formhost - runs the production-tracking window library"};
  cli.require_subcommand(1);
  app::add_list_command(cli);
  app::add_init_db_command(cli);
  int exit_code = 0;
  app::add_window_commands(cli, exit_code);
  app::web::add_serve_command(cli);
  app::web::add_user_command(cli);
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return cli.exit(e);
  } catch (const std::exception& e) {
    // The reason may quote a value or a scenario line: escaped, on one line
    // (a database's own line breaks become blanks).
    std::string reason = e.what();
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
    for (char& c : reason) c = c == '\n' ? ' ' : c;
    std::fprintf(stderr, "formhost: %s\n", app::terminal_safe(reason).c_str());
    return 1;
  }
  return exit_code;
}
