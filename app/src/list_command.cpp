#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "commands.h"
#include "formhost/classes.h"
#include "formhost/errors.h"

namespace app {
namespace {

std::filesystem::path executable_dir() {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path(".") : self.parent_path();
}

void list_classes(const std::vector<std::string>& modules) {
  fh::ClassRegistry registry;
  for (const std::string& path : library_list(modules)) registry.add_module(path);
  for (const auto& module : registry.modules()) {
    for (const std::string& window : module->window_names()) {
      const fh::ClassDef& cls = registry.load(window);
      const fh::ClassDef* ancestor = cls.ancestor();
      std::printf("%-28s %6d  %-28s %s\n", window.c_str(), cls.group()->group_number(),
                  ancestor ? ancestor->name().c_str() : "-",
                  std::filesystem::path(module->path()).filename().c_str());
    }
  }
}

}  // namespace

std::vector<std::string> library_list(const std::vector<std::string>& given) {
  if (!given.empty()) return given;
  const auto lib = executable_dir() / ".." / "lib";
  std::vector<std::string> found;
  for (const char* name : {"libzr016.so", "libzrframe.so"}) {
    if (std::filesystem::exists(lib / name)) found.push_back((lib / name).lexically_normal());
  }
  if (found.empty()) {
    throw fh::Error("no modules found beside the executable in " + lib.lexically_normal().string() +
                    "; name them with --module");
  }
  return found;
}

void add_list_command(CLI::App& cli) {
  auto* cmd = cli.add_subcommand("list", "List the window classes the modules provide");
  auto modules = std::make_shared<std::vector<std::string>>();
  cmd->add_option("--module", *modules,
                  "A module of the library list, in search order (repeatable)")
      ->check(CLI::ExistingFile);
  cmd->callback([modules] { list_classes(*modules); });
}

}  // namespace app
