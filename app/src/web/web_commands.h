// The browser front end's commands: formhost serve, and formhost user to keep
// the operators who may sign in.
#pragma once

#include <CLI/CLI.hpp>

namespace app::web {

void add_user_command(CLI::App& cli);
void add_serve_command(CLI::App& cli);

}  // namespace app::web
