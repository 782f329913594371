// The formhost subcommands: each adds itself to the command line and runs
// when chosen.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace app {

// The library list: the modules given with --module, else the standard
// modules installed beside the executable.
std::vector<std::string> library_list(const std::vector<std::string>& given);

inline constexpr const char* kDefaultDatabase = "sqlite:zr016.db";

void add_list_command(CLI::App& cli);
void add_init_db_command(CLI::App& cli);
// open and run; run sets exit_code for an unmet expectation.
void add_window_commands(CLI::App& cli, int& exit_code);

}  // namespace app
