// zrpack: packs definition sources into a library container and appends it to
// a built module, or lists the container of a module.
//
//   zrpack --module FILE [--name-suffix-from-ext] INPUT...
//   zrpack --list FILE
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "formhost/container.h"
#include "formhost/errors.h"
#include "formhost/text.h"
#include "replace_file.h"

namespace {

using fh::Error;
using fh::LibraryContainer;

std::string read_whole(const std::string& path, const std::string& what) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot open " + what + " '" + path + "': " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Error("cannot read " + what + " '" + path + "'");
  return bytes;
}

std::uint32_t build_timestamp() {
  const char* env = std::getenv("SOURCE_DATE_EPOCH");
  if (env == nullptr || *env == '\0') return LibraryContainer::kDefaultTimestamp;
  std::uint64_t value = 0;
  const char* end = env + std::strlen(env);
  auto [ptr, ec] = std::from_chars(env, end, value);
  if (ec != std::errc() || ptr != end || value > std::numeric_limits<std::uint32_t>::max()) {
    throw Error(std::string("SOURCE_DATE_EPOCH '") + env +
                "' is not a whole number of seconds between 0 and 4294967295");
  }
  return static_cast<std::uint32_t>(value);
}

// The entry name of an input file: its base name, the window sources (.srw)
// under the name the container uses for windows (.win) when asked.
std::string entry_name(const std::string& input, bool suffix_from_ext) {
  std::filesystem::path name = std::filesystem::path(input).filename();
  if (name.empty()) throw Error("input '" + input + "' names no file");
  if (suffix_from_ext && name.extension() == ".srw") name.replace_extension(".win");
  return fh::utf8_to_gbk(name.string(), "the file name of '" + input + "'");
}

// Writes `bytes` to a temporary file beside `path`, then renames it over
// `path`, so a failure never leaves a half-written module behind.
void replace_atomically(const std::string& path, const std::string& bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    throw Error("cannot stat module '" + path + "': " + std::strerror(errno));
  }
  // Keep the module's permissions (shared libraries are executable).
  tools::replace_file(path, bytes, st.st_mode & 07777);
}

void pack(const std::string& module, const std::vector<std::string>& inputs, bool suffix_from_ext) {
  std::vector<std::pair<std::string, std::string>> named;
  named.reserve(inputs.size());
  for (const std::string& input : inputs) {
    named.emplace_back(entry_name(input, suffix_from_ext),
                       fh::utf8_to_gbk(read_whole(input, "input"), input));
  }

  std::string file = read_whole(module, "module");
  // A module packed before: cut its old container off where it starts (the
  // module's padded size), so packing again gives the same bytes.
  if (LibraryContainer::has_container(file)) {
    const LibraryContainer old = LibraryContainer::read(file, module);
    file.resize(static_cast<std::size_t>(old.start_offset()));
  } else {
    const std::size_t block = LibraryContainer::kBlockSize;
    file.resize((file.size() + block - 1) / block * block, '\0');
  }
  const std::uint64_t base = file.size();
  file += LibraryContainer::build(named, base, build_timestamp());
  // Check the result with the reader the host uses before it replaces anything.
  LibraryContainer::read(file, module);
  replace_atomically(module, file);
}

void list(const std::string& module) {
  const LibraryContainer c = LibraryContainer::read_file(module);
  std::vector<std::string> names;
  std::size_t width = 4;
  for (const auto& e : c.entries()) {
    names.push_back(fh::gbk_to_utf8_lossy(e.name));
    width = std::max(width, names.back().size());
  }
  std::cout << std::left << std::setw(static_cast<int>(width)) << "name"
            << "  " << std::right << std::setw(10) << "size" << '\n';
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::cout << std::left << std::setw(static_cast<int>(width)) << names[i] << "  " << std::right
              << std::setw(10) << c.entries()[i].data.size() << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Packs definition sources (UTF-8) into a library container (GBK) and appends it\n"
      "to a built module, replacing the container it already carries."};
  app.name("zrpack");
  std::string module;
  std::string list_file;
  bool suffix_from_ext = false;
  std::vector<std::string> inputs;
  auto* module_opt =
      app.add_option("--module", module, "The module file to append the container to");
  auto* list_opt = app.add_option("--list", list_file, "Print the entries of FILE's container");
  module_opt->excludes(list_opt);
  app.add_flag("--name-suffix-from-ext", suffix_from_ext,
               "Name window sources (.srw) as the container's windows (.win)");
  app.add_option("inputs", inputs, "The source files to pack, one entry each");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "zrpack: " << e.what() << " (see zrpack --help)\n";
    return e.get_exit_code() != 0 ? e.get_exit_code() : 2;
  }

  try {
    if (!list_file.empty()) {
      if (!inputs.empty()) throw Error("--list takes no input files");
      list(list_file);
    } else if (!module.empty()) {
      if (inputs.empty()) throw Error("no input files to pack into '" + module + "'");
      pack(module, inputs, suffix_from_ext);
    } else {
      throw Error("give --module FILE INPUT... or --list FILE (see zrpack --help)");
    }
  } catch (const std::exception& e) {
    std::cerr << "zrpack: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
