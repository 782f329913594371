// Writes a few valid containers into a folder: the fuzzer's seed corpus.
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "formhost/container.h"

namespace {

void write(const std::string& dir, const std::string& name, const std::string& bytes) {
  std::ofstream out(dir + "/" + name, std::ios::binary);
  out << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: container_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  using fh::LibraryContainer;
  write(dir, "empty", LibraryContainer::build({}, 0, 1));
  write(dir, "one", LibraryContainer::build({{"w_01691.win", "global type w_01691"}}, 0, 1));
  write(dir, "sizes",
        LibraryContainer::build({{"a.srd", ""},
                                 {"b.srd", std::string(1, 'b')},
                                 {"c.srd", std::string(502, 'c')},
                                 {"d.srd", std::string(503, 'd')},
                                 {"\xCE\xB4\xB6\xA8.win", "\xC8\xB7\xB6\xA8"}},
                                0, 1));
  // After a module's own bytes.
  std::string module = "\177ELF";
  module.resize(1024, '\0');
  write(dir, "module", module + LibraryContainer::build({{"d_x.srd", "table()"}}, 1024, 1));
  // Two directory nodes.
  std::vector<std::pair<std::string, std::string>> many;
  for (int i = 0; i < 90; ++i) many.emplace_back("w_" + std::to_string(1000 + i) + ".win", "x");
  write(dir, "nodes", LibraryContainer::build(many, 0, 1));
  return 0;
}
