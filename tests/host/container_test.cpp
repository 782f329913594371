#include "formhost/container.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {
namespace {

namespace fs = std::filesystem;
using Named = std::vector<std::pair<std::string, std::string>>;

// This file is UTF-8; GBK bytes are spelled out.
const std::string kWeiDing = "\xCE\xB4\xB6\xA8";  // 未定
const std::string kQueDing = "\xC8\xB7\xB6\xA8";  // 确定
const std::string kQiA = "\x81\x61";              // 乤, trail byte looks like 'a'

std::uint32_t get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
  }
  return v;
}
std::uint16_t get16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8));
}
void set32(std::string& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void set16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

// Bytes that look like data but are not text: every value, zeros included.
std::string bytes_of(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// A module image: `prefix` padded to 512, then the container.
std::string module_with(const std::string& prefix, const Named& named,
                        std::uint32_t timestamp = LibraryContainer::kDefaultTimestamp) {
  std::string file = prefix;
  file.resize((file.size() + 511) / 512 * 512, '\0');
  return file + LibraryContainer::build(named, file.size(), timestamp);
}

// The message of the fh::Error that read() throws, or "" when it reads.
std::string read_error(const std::string& file) {
  try {
    LibraryContainer::read(file, "libzr016.so");
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// Offsets of the pieces, found by walking the structures as the layout says.
struct Layout {
  std::size_t header = 0;
  std::size_t free_block = 0;
  std::vector<std::size_t> nodes;
  // entry name -> offset of its ENT* record, and its data blocks
  std::vector<std::pair<std::string, std::size_t>> entries;
  std::vector<std::vector<std::size_t>> blocks;

  std::size_t entry(const std::string& name) const {
    for (const auto& [n, at] : entries) {
      if (n == name) return at;
    }
    ADD_FAILURE() << "no entry " << name;
    return 0;
  }
  const std::vector<std::size_t>& blocks_of(const std::string& name) const {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].first == name) return blocks[i];
    }
    ADD_FAILURE() << "no entry " << name;
    return blocks.front();
  }
};

Layout layout_of(const std::string& file) {
  Layout l;
  l.header = get32(file, file.size() - 512 + 4);
  l.free_block = get32(file, l.header + 30);
  for (std::size_t node = get32(file, l.header + 26); node != 0; node = get32(file, node + 4)) {
    l.nodes.push_back(node);
    std::size_t pos = node + 10;
    for (std::uint16_t k = 0; k < get16(file, node + 8); ++k) {
      const std::uint16_t name_length = get16(file, pos + 22);
      l.entries.emplace_back(file.substr(pos + 24, name_length - 1u), pos);
      std::vector<std::size_t> chain;
      for (std::size_t b = get32(file, pos + 8); b != 0; b = get32(file, b + 4)) {
        chain.push_back(b);
      }
      l.blocks.push_back(chain);
      pos += 24u + name_length;
    }
  }
  return l;
}

// ---------------------------------------------------------------------------
// Round trip

TEST(ContainerRoundTrip, ManyEntriesOverSeveralNodesKeepEveryByte) {
  const std::size_t sizes[] = {0, 1, 502, 503, 5000};
  Named named;
  for (unsigned i = 0; i < 250; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "w_%05u.win", 250 - i);  // given out of order
    named.emplace_back(name, bytes_of(sizes[i % 5], i));
  }
  // GBK names and GBK text, including a trail byte that looks like a letter.
  named.emplace_back("d_" + kWeiDing + ".srd", "text(name=t_1 text=\"" + kQueDing + "\")");
  named.emplace_back(kQiA + ".win", kQiA + kWeiDing);
  const std::string prefix = "\177ELF" + bytes_of(3000, 99);
  const std::string file = module_with(prefix, named);

  const LibraryContainer c = LibraryContainer::read(file, "libzr016.so");
  EXPECT_EQ(c.start_offset(), 3072u);
  ASSERT_EQ(c.entries().size(), named.size());
  EXPECT_TRUE(std::is_sorted(c.entries().begin(), c.entries().end(),
                             [](const auto& a, const auto& b) { return a.name < b.name; }));
  for (const auto& [name, data] : named) {
    const LibraryContainer::Entry* e = c.find(name);
    ASSERT_NE(e, nullptr) << name;
    EXPECT_EQ(e->name, name);
    EXPECT_EQ(e->data, data) << name;
    EXPECT_EQ(e->timestamp, LibraryContainer::kDefaultTimestamp);
  }
  EXPECT_EQ(c.find("w_00000.win"), nullptr);
  EXPECT_EQ(c.find("w_00001.wi"), nullptr);
  EXPECT_EQ(c.find(""), nullptr);

  // The module's own bytes stay in front, untouched.
  EXPECT_EQ(file.substr(0, prefix.size()), prefix);
  const Layout l = layout_of(file);
  EXPECT_GE(l.nodes.size(), 3u) << "250 entries must spill over several directory nodes";
  for (std::size_t n : l.nodes) EXPECT_EQ(n % 512, 0u);
  // Blocks per data size: none for empty data, one per 502 bytes otherwise.
  EXPECT_EQ(l.blocks_of("w_00250.win").size(), 0u);   // i = 0: 0 bytes
  EXPECT_EQ(l.blocks_of("w_00249.win").size(), 1u);   // 1 byte
  EXPECT_EQ(l.blocks_of("w_00248.win").size(), 1u);   // 502 bytes
  EXPECT_EQ(l.blocks_of("w_00247.win").size(), 2u);   // 503 bytes
  EXPECT_EQ(l.blocks_of("w_00246.win").size(), 10u);  // 5000 bytes
}

TEST(ContainerRoundTrip, BlocksFollowTheLayout) {
  const std::string file = module_with("abc", {{"w_a.win", std::string(503, 'x')}});
  // Header, free block, one node, two data blocks, trailer.
  ASSERT_EQ(file.size(), 512u + 512 + 512 + 3072 + 2 * 512 + 512);
  EXPECT_EQ(file.substr(0, 3), "abc");
  EXPECT_EQ(file.substr(3, 509), std::string(509, '\0'));
  EXPECT_EQ(file.substr(512, 4), "HDR*");
  EXPECT_EQ(file.substr(516, 14), std::string("PowerBuilder\0\0", 14));
  EXPECT_EQ(file.substr(530, 4), "0600");
  EXPECT_EQ(get32(file, 534), LibraryContainer::kDefaultTimestamp);
  EXPECT_EQ(get32(file, 538), 1536u);  // first node
  EXPECT_EQ(get32(file, 542), 1024u);  // free block
  EXPECT_EQ(file.substr(1024, 4), "FRE*");
  EXPECT_EQ(get32(file, 1028), 0u);
  EXPECT_EQ(file.substr(1536, 4), "NOD*");
  EXPECT_EQ(get32(file, 1540), 0u);
  EXPECT_EQ(get16(file, 1544), 1u);
  const std::size_t ent = 1546;
  EXPECT_EQ(file.substr(ent, 8), "ENT*0600");
  EXPECT_EQ(get32(file, ent + 8), 4608u);
  EXPECT_EQ(get32(file, ent + 12), 503u);
  EXPECT_EQ(get16(file, ent + 20), 0u);
  EXPECT_EQ(get16(file, ent + 22), 8u);
  EXPECT_EQ(file.substr(ent + 24, 8), std::string("w_a.win\0", 8));
  EXPECT_EQ(file.substr(4608, 4), "DAT*");
  EXPECT_EQ(get32(file, 4612), 5120u);
  EXPECT_EQ(get16(file, 4616), 502u);
  EXPECT_EQ(get32(file, 5124), 0u);
  EXPECT_EQ(get16(file, 5128), 1u);
  EXPECT_EQ(file.substr(5632, 4), "TRL*");
  EXPECT_EQ(get32(file, 5636), 512u);
}

TEST(ContainerRoundTrip, EdgeCasesOfTheDirectory) {
  // No entries: one empty node.
  const LibraryContainer empty = LibraryContainer::read(module_with("x", {}), "m");
  EXPECT_TRUE(empty.entries().empty());

  // A container may start the file; offset 0 is then the header, never a block.
  const std::string bare = LibraryContainer::build({{"a", "1"}}, 0, 7);
  const LibraryContainer c = LibraryContainer::read(bare, "m");
  ASSERT_EQ(c.entries().size(), 1u);
  EXPECT_EQ(c.entries()[0].data, "1");
  EXPECT_EQ(c.entries()[0].timestamp, 7u);

  // The longest name that fits a node alone, and one byte more.
  const std::string longest(3072 - 10 - 24 - 1, 'n');
  const LibraryContainer big =
      LibraryContainer::read(module_with("x", {{longest, "d"}, {"b", ""}}), "m");
  ASSERT_NE(big.find(longest), nullptr);
  EXPECT_EQ(big.find(longest)->data, "d");
  EXPECT_THROW(LibraryContainer::build({{longest + "n", "d"}}, 512, 0), Error);
}

TEST(ContainerRoundTrip, BuildRefusesWhatCannotBeStored) {
  auto build_error = [](const Named& named, std::uint64_t base) -> std::string {
    try {
      LibraryContainer::build(named, base, 0);
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_NE(build_error({{"w_a.win", "1"}, {"w_a.win", "2"}}, 512).find("'w_a.win' is given twice"),
            std::string::npos);
  EXPECT_NE(build_error({{"", "1"}}, 512).find("without a name"), std::string::npos);
  EXPECT_NE(
      build_error({{std::string("w\0a", 3), "1"}}, 512).find("name 'w\\x00a' contains a zero byte"),
      std::string::npos);
  EXPECT_NE(build_error({{"w", "1"}}, 100).find("not a multiple of 512"), std::string::npos);
  EXPECT_NE(build_error({{"w", "1"}}, 0xFFFFF000).find("32-bit offsets"), std::string::npos);
}

TEST(ContainerDeterminism, SameInputsGiveSameBytes) {
  Named named = {{"w_01691.win", "global type w_01691 from w_base"},
                 {"d_01691.srd", bytes_of(1500, 3)},
                 {"d_" + kWeiDing + ".srd", kQueDing},
                 {"w_empty.win", ""}};
  const std::string first = module_with("ELF", named, 1234);
  EXPECT_EQ(module_with("ELF", named, 1234), first);
  std::reverse(named.begin(), named.end());
  EXPECT_EQ(module_with("ELF", named, 1234), first) << "input order must not matter";
  const std::string other_time = module_with("ELF", named, 1235);
  EXPECT_NE(other_time, first);
  EXPECT_EQ(LibraryContainer::read(other_time, "m").entries()[0].timestamp, 1235u);
}

// ---------------------------------------------------------------------------
// Damage. The fixture: a module of 1000 bytes, then three entries, the first
// over three data blocks, the second over two, the third empty.

class ContainerDamage : public ::testing::Test {
 protected:
  void SetUp() override {
    good_ = module_with(std::string(1000, 'E'), {{"w_01691.win", bytes_of(1200, 1)},
                                                 {"d_01691.srd", bytes_of(600, 2)},
                                                 {"w_empty.win", ""}});
    ASSERT_EQ(read_error(good_), "");
    l_ = layout_of(good_);
    ASSERT_EQ(l_.blocks_of("w_01691.win").size(), 3u);
    ASSERT_EQ(l_.blocks_of("d_01691.srd").size(), 2u);
  }

  // Expects read() to refuse `file` with a message holding `fragment`.
  void expect_refused(const std::string& file, const std::string& fragment) {
    const std::string msg = read_error(file);
    EXPECT_NE(msg, "") << "damage not noticed; expected: " << fragment;
    EXPECT_NE(msg.find(fragment), std::string::npos) << msg;
    EXPECT_EQ(msg.rfind("module 'libzr016.so'", 0), 0u) << msg;
  }
  std::string with32(std::size_t at, std::uint32_t v) const {
    std::string f = good_;
    set32(f, at, v);
    return f;
  }
  std::string with16(std::size_t at, std::uint16_t v) const {
    std::string f = good_;
    set16(f, at, v);
    return f;
  }
  std::string with_byte(std::size_t at, char c) const {
    std::string f = good_;
    f[at] = c;
    return f;
  }
  std::string hex(std::size_t v) const {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%zX", v);
    return buf;
  }

  std::string good_;
  Layout l_;
};

TEST_F(ContainerDamage, MissingOrTruncatedContainer) {
  expect_refused(std::string(4096, 'E'), "carries no library container");
  expect_refused("", "carries no library container");
  expect_refused("TRL*", "carries no library container");
  expect_refused(good_.substr(0, good_.size() - 512), "library container is truncated");
  expect_refused(good_.substr(0, good_.size() - 700), "library container is truncated");
  expect_refused(good_.substr(0, l_.nodes[0] + 512), "library container is truncated");
  expect_refused(good_.substr(0, l_.nodes[0] + 1024), "carries no library container");
  // A trailer, but the file's blocks are not on the 512 grid any more.
  expect_refused("xyz" + good_, "not a multiple of 512");
}

TEST_F(ContainerDamage, EachMagicAndVersionIsChecked) {
  const std::size_t ent = l_.entry("w_01691.win");
  const std::size_t dat = l_.blocks_of("w_01691.win")[1];
  expect_refused(with_byte(l_.header, 'X'),
                 "header at " + hex(l_.header) + " does not start with \"HDR*\" (found \"XDR*\")");
  expect_refused(with_byte(l_.header + 4, 'p'), "does not name \"PowerBuilder\"");
  expect_refused(with_byte(l_.header + 17, '!'), "does not name \"PowerBuilder\"");
  expect_refused(with_byte(l_.header + 21, '1'), "has format version \"0601\"");
  expect_refused(with_byte(l_.free_block + 3, '\x01'),
                 "free-space block at " + hex(l_.free_block) +
                     " does not start with \"FRE*\" (found \"FRE\\x01\")");
  expect_refused(with_byte(l_.nodes[0], 'n'),
                 "directory node at " + hex(l_.nodes[0]) + " does not start with \"NOD*\"");
  expect_refused(with_byte(ent + 2, 'N'), "does not start with \"ENT*\"");
  expect_refused(with_byte(ent + 7, '9'), "has format version \"0609\"");
  expect_refused(with_byte(dat, 'E'),
                 "data block at " + hex(dat) + " of entry 'w_01691.win' does not start with");
  // A damaged trailer leaves nothing that leads to the container.
  expect_refused(with_byte(good_.size() - 512, 'U'), "carries no library container");
}

TEST_F(ContainerDamage, OffsetsOutOfRangeOrOffTheGrid) {
  const std::size_t trailer = good_.size() - 512;
  const std::size_t ent = l_.entry("w_01691.win");
  const std::vector<std::size_t>& chain = l_.blocks_of("w_01691.win");
  expect_refused(with32(trailer + 4, 0xFFFF00), "outside the container");
  expect_refused(with32(trailer + 4, static_cast<std::uint32_t>(l_.header + 8)),
                 "not a multiple of 512");
  expect_refused(with32(trailer + 4, static_cast<std::uint32_t>(trailer)), "outside the container");
  expect_refused(with32(l_.header + 26, 0xFFFF00), "points outside the file (0xFFFF00)");
  expect_refused(with32(l_.header + 26, 0), "no directory");
  // A node needs six blocks: one starting five blocks before the trailer overlaps it.
  expect_refused(with32(l_.header + 26, static_cast<std::uint32_t>(trailer - 5 * 512)),
                 "outside the container");
  expect_refused(with32(l_.header + 30, 0x200000), "points outside the file (0x200000)");
  expect_refused(with32(ent + 8, static_cast<std::uint32_t>(chain[0] + 7)),
                 "entry 'w_01691.win' (directory node at " + hex(l_.nodes[0]) + ") points to " +
                     hex(chain[0] + 7) + ", not a multiple of 512");
  // The example of the format's own wording.
  expect_refused(with32(chain[1] + 4, 0xFFFF00),
                 "module 'libzr016.so': data block at " + hex(chain[1]) +
                     " of entry 'w_01691.win' points outside the file (0xFFFF00)");
  // Inside the file but in the module's own bytes, or on the trailer.
  expect_refused(with32(chain[1] + 4, 512), "points outside the container (0x200)");
  expect_refused(with32(chain[1] + 4, static_cast<std::uint32_t>(trailer)),
                 "points outside the container");
}

TEST_F(ContainerDamage, ChainsThatLoopOrShareBlocks) {
  const std::vector<std::size_t>& w = l_.blocks_of("w_01691.win");
  const std::vector<std::size_t>& d = l_.blocks_of("d_01691.srd");
  expect_refused(with32(w[2] + 4, static_cast<std::uint32_t>(w[0])),
                 "data block at " + hex(w[2]) +
                     " of entry 'w_01691.win' loops back to the block at " + hex(w[0]));
  expect_refused(with32(w[1] + 4, static_cast<std::uint32_t>(w[1])), "loops back");
  expect_refused(with32(l_.nodes[0] + 4, static_cast<std::uint32_t>(l_.nodes[0])),
                 "directory node at " + hex(l_.nodes[0]) + " loops back");
  // Two structures must never share a block.
  // (d_01691.srd is read first.)
  expect_refused(with32(w[1] + 4, static_cast<std::uint32_t>(d[1])),
                 "data block at " + hex(w[1]) + " of entry 'w_01691.win' points to " + hex(d[1]) +
                     ", which is already used by the data of entry 'd_01691.srd'");
  expect_refused(
      with32(l_.entry("d_01691.srd") + 8, static_cast<std::uint32_t>(l_.nodes[0] + 1024)),
      "already used by the directory node at " + hex(l_.nodes[0]));
  expect_refused(with32(l_.header + 30, static_cast<std::uint32_t>(l_.header)),
                 "already used by the header");
  expect_refused(with32(l_.free_block + 4, static_cast<std::uint32_t>(w[0])),
                 "keeps no free space");
}

TEST_F(ContainerDamage, DataLengthsAndSizes) {
  const std::size_t ent = l_.entry("w_01691.win");
  const std::vector<std::size_t>& w = l_.blocks_of("w_01691.win");
  expect_refused(with16(w[0] + 8, 503), "data block at " + hex(w[0]) +
                                            " of entry 'w_01691.win' claims 503 bytes, more "
                                            "than the 502 a block holds");
  expect_refused(with16(w[0] + 8, 0xFFFF), "more than the 502");
  expect_refused(with32(ent + 12, 1201),
                 "data blocks of entry 'w_01691.win' hold 1200 bytes, but its size is 1201 bytes");
  expect_refused(with32(ent + 12, 1199), "holds more data than the entry's size of 1199 bytes");
  expect_refused(with32(ent + 12, 0xFFFFFFFF), "but its size is 4294967295 bytes");
  expect_refused(with32(l_.entry("w_empty.win") + 12, 5), "size of 5 bytes but no data block");
  expect_refused(with16(w[2] + 8, 0), "hold 1004 bytes, but its size is 1200 bytes");
}

TEST_F(ContainerDamage, NamesAndEntryCounts) {
  const std::size_t ent = l_.entry("w_01691.win");
  const std::size_t name_end = ent + 24 + 11;  // the zero after "w_01691.win"
  expect_refused(with_byte(name_end, 'x'), "is not zero-terminated within its stated length of 12");
  expect_refused(with16(ent + 22, 13), "ends after 11 bytes, before its stated length of 13");
  expect_refused(with16(ent + 22, 1), "has a name length of 1");
  expect_refused(with16(ent + 22, 0), "has a name length of 0");
  expect_refused(with16(ent + 22, 4000), "runs past the end of the node");
  expect_refused(with16(ent + 20, 3), "comment length of 3");
  expect_refused(with16(l_.nodes[0] + 8, 0xFFFF), "counts 65535 entries");
  // One entry more than written: the bytes after the last entry are zeros.
  expect_refused(with16(l_.nodes[0] + 8, 4), "entry #4 of 4 in the directory node at " +
                                                 hex(l_.nodes[0]) + " does not start with");
  // Names must stay in order and unique, so lookups by name are exact.
  expect_refused(with_byte(l_.entry("d_01691.srd") + 24, 'z'), "out of name order");
  std::string twin = module_with("", {{"w_a.win", "1"}, {"w_b.win", "2"}});
  twin[layout_of(twin).entry("w_b.win") + 24 + 2] = 'a';
  const std::string msg = read_error(twin);
  EXPECT_NE(msg.find("entry 'w_a.win' appears twice"), std::string::npos) << msg;
}

TEST_F(ContainerDamage, NamesInMessagesAreReadable) {
  std::string file = module_with("", {{"d_" + kWeiDing + ".srd", "abc"}});
  const Layout l = layout_of(file);
  set16(file, l.blocks[0][0] + 8, 600);
  const std::string msg = read_error(file);
  EXPECT_NE(msg.find("entry 'd_未定.srd'"), std::string::npos) << msg;

  // Control bytes are spelled out rather than cutting the message short.
  std::string odd = module_with("", {{"w\x01\x1B.win", "abc"}});
  set16(odd, layout_of(odd).blocks[0][0] + 8, 600);
  const std::string odd_msg = read_error(odd);
  EXPECT_NE(odd_msg.find("entry 'w\\x01\\x1B.win' claims 600 bytes"), std::string::npos) << odd_msg;
}

// Any single damaged byte gives either a good read or fh::Error, never another
// failure; with the sanitizers on, never a read out of bounds either.
TEST_F(ContainerDamage, EverySingleByteDamageIsHandled) {
  const std::size_t start = l_.header;
  std::size_t refused = 0;
  for (std::size_t at = start; at < good_.size(); ++at) {
    for (char v : {'\0', '\x01', '\x7F', '\xFF'}) {
      if (good_[at] == v) continue;
      std::string f = good_;
      f[at] = v;
      try {
        LibraryContainer::read(f, "m");
      } catch (const Error&) {
        ++refused;
      } catch (const std::exception& e) {
        FAIL() << "byte " << at << " = " << static_cast<int>(v) << ": " << e.what();
      }
    }
  }
  EXPECT_GT(refused, 0u);
}

// ---------------------------------------------------------------------------
// zrpack on a real module

struct RunResult {
  int status = -1;
  std::string output;
};

RunResult run(const std::string& command) {
  RunResult r;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void spit(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

class ContainerPack : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zrpack-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    module_ = dir_ / "libprobe.so";
    fs::copy_file(ZR_PACK_PROBE_MODULE, module_);
    original_ = slurp(module_);
    ASSERT_GT(original_.size(), 512u);
    window_ = dir_ / "w_01691.srw";
    object_ = dir_ / "d_01691.srd";
    spit(window_, "global type w_01691 from w_base\n  string title = \"未定01\"\nend type\n");
    spit(object_, "datawindow(units=0)\ntext(name=t_1_t text=\"确定\")\n");
  }
  void TearDown() override { fs::remove_all(dir_); }

  RunResult pack(const std::string& extra = "") {
    return run(extra + std::string(ZR_PACK) + " --module " + q(module_) +
               " --name-suffix-from-ext " + q(window_) + " " + q(object_));
  }

  fs::path dir_, module_, window_, object_;
  std::string original_;
};

TEST_F(ContainerPack, PackedModuleStillLoadsAndReadsBack) {
  const RunResult r = pack();
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, "");

  const std::string packed = slurp(module_);
  EXPECT_EQ(packed.substr(0, original_.size()), original_);
  EXPECT_EQ(packed.size() % 512, 0u);
  EXPECT_TRUE(fs::status(module_).permissions() == fs::status(ZR_PACK_PROBE_MODULE).permissions());

  const LibraryContainer c = LibraryContainer::read_file(module_.string());
  EXPECT_EQ(c.start_offset(), (original_.size() + 511) / 512 * 512);
  ASSERT_EQ(c.entries().size(), 2u);
  EXPECT_EQ(c.entries()[0].name, "d_01691.srd");
  EXPECT_EQ(c.entries()[1].name, "w_01691.win");
  EXPECT_EQ(c.entries()[1].data,
            "global type w_01691 from w_base\n  string title = \"" + kWeiDing + "01\"\nend type\n");
  EXPECT_EQ(c.entries()[0].data,
            "datawindow(units=0)\ntext(name=t_1_t text=\"" + kQueDing + "\")\n");
  EXPECT_EQ(c.entries()[0].timestamp, LibraryContainer::kDefaultTimestamp);

  // The loader reads the ELF headers and segments only; the tail is ignored.
  void* handle = ::dlopen(module_.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << ::dlerror();
  auto fn = reinterpret_cast<int (*)()>(::dlsym(handle, "zrtest_empty_module"));
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn(), 0);
  ::dlclose(handle);

  const RunResult listed = run(std::string(ZR_PACK) + " --list " + q(module_));
  ASSERT_EQ(listed.status, 0) << listed.output;
  EXPECT_NE(listed.output.find("d_01691.srd"), std::string::npos) << listed.output;
  EXPECT_NE(listed.output.find("w_01691.win"), std::string::npos) << listed.output;
  const std::string size = std::to_string(c.entries()[1].data.size());
  EXPECT_NE(listed.output.find(" " + size + "\n"), std::string::npos) << listed.output;
}

TEST_F(ContainerPack, RepackingReplacesTheContainer) {
  ASSERT_EQ(pack().status, 0);
  const std::string once = slurp(module_);
  ASSERT_EQ(pack().status, 0);
  EXPECT_EQ(slurp(module_), once) << "packing twice must give the same bytes";

  // Without the flag the window source keeps its own name; the old entries go.
  const RunResult r = run(std::string(ZR_PACK) + " --module " + q(module_) + " " + q(window_));
  ASSERT_EQ(r.status, 0) << r.output;
  const LibraryContainer c = LibraryContainer::read_file(module_.string());
  ASSERT_EQ(c.entries().size(), 1u);
  EXPECT_EQ(c.entries()[0].name, "w_01691.srw");
  EXPECT_EQ(c.start_offset(), (original_.size() + 511) / 512 * 512);

  ASSERT_EQ(pack("SOURCE_DATE_EPOCH=1700000000 ").status, 0);
  EXPECT_EQ(LibraryContainer::read_file(module_.string()).entries()[0].timestamp, 1700000000u);
}

TEST_F(ContainerPack, BadInputLeavesTheModuleAlone) {
  const auto expect_failure = [&](const std::string& args, const std::string& fragment) {
    const std::string before = slurp(module_);
    const auto count_files = [&] {
      std::size_t n = 0;
      for (const auto& e : fs::directory_iterator(dir_)) n += e.is_regular_file() ? 1u : 0u;
      return n;
    };
    const std::size_t files = count_files();
    const RunResult r = run(std::string(ZR_PACK) + " " + args);
    EXPECT_NE(r.status, 0) << args;
    EXPECT_NE(r.output.find(fragment), std::string::npos) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_EQ(slurp(module_), before);
    EXPECT_EQ(count_files(), files) << "a temporary file was left behind";
  };
  spit(dir_ / "bad.srw", "ok\n\xC3(\n");
  // The messages name the file and the byte.
  expect_failure("--module " + q(module_) + " " + q(window_) + " " + q(dir_ / "bad.srw"),
                 "invalid UTF-8 text in " + (dir_ / "bad.srw").string() + " at byte 3");
  fs::remove(dir_ / "bad.srw");
  spit(dir_ / "emoji.srd", "ab\xF0\x9F\x98\x80");  // no GBK code for it
  expect_failure("--module " + q(module_) + " " + q(dir_ / "emoji.srd"), "emoji.srd at byte 2");
  fs::remove(dir_ / "emoji.srd");
  expect_failure("--module " + q(module_) + " " + q(dir_ / "missing.srd"), "cannot open input");
  fs::create_directory(dir_ / "sub");
  spit(dir_ / "sub" / "w_01691.srw", "x");
  expect_failure(
      "--module " + q(module_) + " " + q(window_) + " " + q(dir_ / "sub" / "w_01691.srw"),
      "'w_01691.srw' is given twice");
  fs::remove_all(dir_ / "sub");
  expect_failure("--module " + q(module_), "no input files");
  expect_failure("--module " + q(module_) + " --list " + q(module_) + " " + q(window_), "excludes");
  expect_failure("--list " + q(module_), "carries no library container");
  expect_failure("", "give --module FILE");
  expect_failure("--frobnicate", "frobnicate");

  // A damaged container is refused rather than stacked over.
  ASSERT_EQ(pack().status, 0);
  std::string damaged = slurp(module_);
  damaged[damaged.size() - 512 + 4] = 1;  // the trailer's header offset
  spit(module_, damaged);
  expect_failure("--module " + q(module_) + " " + q(window_), "not a multiple of 512");
  expect_failure("--list " + q(module_), "not a multiple of 512");

  const RunResult help = run(std::string(ZR_PACK) + " --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("--name-suffix-from-ext"), std::string::npos) << help.output;
}

}  // namespace
}  // namespace fh
