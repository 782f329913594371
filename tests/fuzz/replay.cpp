// Feeds every file of a corpus folder to one fuzz target, compiled with the
// normal compiler: a finding once fixed stays fixed without clang.
//   fuzz_replay TARGET DIR   (fuzz_replay --list names the targets)
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace zrfuzz {

std::map<std::string, Entry>& targets() {
  static std::map<std::string, Entry> t;
  return t;
}

bool add(const char* name, Entry entry) {
  targets()[name] = entry;
  return true;
}

}  // namespace zrfuzz

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--list") {
    for (const auto& [name, entry] : zrfuzz::targets()) std::printf("%s\n", name.c_str());
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_replay TARGET DIR | --list\n");
    return 2;
  }
  const auto target = zrfuzz::targets().find(argv[1]);
  if (target == zrfuzz::targets().end()) {
    std::fprintf(stderr, "fuzz_replay: no target %s (see --list)\n", argv[1]);
    return 2;
  }
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(argv[2], ec)) {
    if (e.is_regular_file()) files.push_back(e.path());
  }
  if (ec || files.empty()) {
    std::fprintf(stderr, "fuzz_replay: no corpus in %s\n", argv[2]);
    return 1;
  }
  std::sort(files.begin(), files.end());
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Named first, so an abort says which input broke.
    std::fprintf(stderr, "%s\n", f.filename().c_str());
    target->second(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%s: %zu inputs replayed\n", argv[1], files.size());
  return 0;
}
