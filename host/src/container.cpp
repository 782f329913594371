#include "formhost/container.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "formhost/errors.h"
#include "formhost/text.h"
#include "mapped_file.h"

namespace fh {
namespace {

constexpr std::size_t kBlock = LibraryContainer::kBlockSize;
constexpr std::size_t kNode = LibraryContainer::kNodeSize;
constexpr std::size_t kDataRoom = LibraryContainer::kDataPerBlock;
constexpr std::size_t kNodeHead = 10;   // "NOD*", next, count
constexpr std::size_t kEntryHead = 24;  // "ENT*", version ... name length
constexpr std::size_t kDataHead = 10;   // "DAT*", next, length
constexpr std::size_t kMaxNameLength = kNode - kNodeHead - kEntryHead;  // with its zero
// Each entry takes its head and a name of at least one byte and its zero.
constexpr std::size_t kMaxEntriesPerNode = (kNode - kNodeHead) / (kEntryHead + 2);

// Header fields.
constexpr std::size_t kHdrProduct = 4;
constexpr std::size_t kHdrVersion = 18;
constexpr std::size_t kHdrTimestamp = 22;
constexpr std::size_t kHdrFirstNode = 26;  // our own field
constexpr std::size_t kHdrFreeBlock = 30;  // our own field

constexpr std::string_view kProduct{"PowerBuilder\0\0", 14};
constexpr std::string_view kVersion = "0600";

std::string hex(std::uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
  return buf;
}

// Names are GBK; messages are read by people on UTF-8 terminals, and a zero
// or control byte would cut or garble the message.
std::string quoted(std::string_view gbk) {
  std::string out = "'";
  for (char ch : gbk_to_utf8_lossy(gbk)) {
    auto b = static_cast<unsigned char>(ch);
    if (b < 0x20 || b == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", b);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "'";
}

// Four bytes of a magic or version as found, bad bytes spelled out.
std::string shown(std::string_view bytes) {
  std::string out = "\"";
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
      out += ch;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", b);
      out += buf;
    }
  }
  return out + "\"";
}

void put16(std::string& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8);
}

void put32(std::string& out, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void put_bytes(std::string& out, std::size_t at, std::string_view bytes) {
  std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

// Walks one container. Every block the container uses is claimed once, so a
// chain that loops or two structures that share a block are caught, and no
// walk can take more steps than the file has blocks.
class Reader {
 public:
  Reader(std::string_view file, std::string_view source) : file_(file), source_(source) {}

  std::vector<LibraryContainer::Entry> run(std::uint64_t& start) {
    find_header();
    start = header_;
    check_header();
    read_directory();
    std::vector<LibraryContainer::Entry> out;
    out.reserve(raw_.size());
    for (std::size_t i = 0; i < raw_.size(); ++i) {
      out.push_back({raw_[i].name, read_data(i), raw_[i].timestamp});
    }
    return out;
  }

 private:
  enum class Use : std::uint8_t { kFree, kHeader, kFreeSpace, kDirectory, kData };
  struct Claim {
    Use use = Use::kFree;
    std::uint64_t owner = 0;  // node offset, or entry index for data
  };
  struct RawEntry {
    std::string name;
    std::uint32_t first = 0;
    std::uint32_t size = 0;
    std::uint32_t timestamp = 0;
    std::uint64_t node = 0;
  };

  [[noreturn]] void fail(const std::string& what) const {
    throw Error("module '" + std::string(source_) + "': " + what);
  }

  std::string_view bytes(std::uint64_t at, std::size_t n) const {
    return file_.substr(static_cast<std::size_t>(at), n);
  }
  std::uint16_t u16(std::uint64_t at) const {
    auto p = reinterpret_cast<const unsigned char*>(file_.data() + at);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
  std::uint32_t u32(std::uint64_t at) const {
    auto p = reinterpret_cast<const unsigned char*>(file_.data() + at);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }

  void expect_magic(std::uint64_t at, std::string_view magic, const std::string& what) const {
    if (bytes(at, 4) != magic) {
      fail(what + " does not start with " + shown(magic) + " (found " + shown(bytes(at, 4)) + ")");
    }
  }

  // `who` points to `off` for a structure of `len` bytes.
  void check_reference(const std::string& who, std::uint64_t off, std::size_t len) const {
    if (off > file_.size() || len > file_.size() - off) {
      fail(who + " points outside the file (" + hex(off) + ")");
    }
    if (off % kBlock != 0) fail(who + " points to " + hex(off) + ", not a multiple of 512");
    if (off < header_ || off + len > trailer_) {
      fail(who + " points outside the container (" + hex(off) + ")");
    }
  }

  std::string owner_text(const Claim& c) const {
    switch (c.use) {
      case Use::kHeader:
        return "the header";
      case Use::kFreeSpace:
        return "the free-space block";
      case Use::kDirectory:
        return "the directory node at " + hex(c.owner);
      case Use::kData:
        return "the data of entry " + quoted(raw_[static_cast<std::size_t>(c.owner)].name);
      case Use::kFree:
        break;
    }
    return "nothing";
  }

  void claim(const std::string& who, std::uint64_t off, std::size_t len, Claim c) {
    for (std::uint64_t at = off; at < off + len; at += kBlock) {
      Claim& slot = claims_[static_cast<std::size_t>((at - header_) / kBlock)];
      if (slot.use == Use::kFree) {
        slot = c;
        continue;
      }
      if (slot.use == c.use && slot.owner == c.owner) {
        fail(who + " loops back to the block at " + hex(at));
      }
      fail(who + " points to " + hex(off) + ", which is already used by " + owner_text(slot));
    }
  }

  void find_header() {
    const std::size_t size = file_.size();
    if (size < kBlock || bytes(size - kBlock, 4) != "TRL*") {
      if (size > 0) {
        // A container cut short ends in one of its own blocks.
        std::uint64_t last = (size - 1) / kBlock * kBlock;
        std::string_view m = bytes(last, 4);
        if (m == "HDR*" || m == "FRE*" || m == "NOD*" || m == "DAT*") {
          fail("library container is truncated: the file ends at " + hex(size) + " in the " +
               shown(m) + " block at " + hex(last) + ", without its trailer block");
        }
      }
      throw Error("module '" + std::string(source_) +
                  "' carries no library container (its last 512 bytes do not start with "
                  "\"TRL*\")");
    }
    trailer_ = size - kBlock;
    if (trailer_ % kBlock != 0) {
      fail("the file size " + hex(size) +
           " is not a multiple of 512, so its library container is damaged or truncated");
    }
    header_ = u32(trailer_ + 4);
    if (header_ % kBlock != 0 || header_ + kBlock > trailer_) {
      fail("trailer at " + hex(trailer_) + " points to a header at " + hex(header_) +
           (header_ >= trailer_ ? ", outside the container" : ", not a multiple of 512"));
    }
    claims_.assign(static_cast<std::size_t>((trailer_ - header_) / kBlock), Claim{});
    claim("the trailer", header_, kBlock, {Use::kHeader, 0});
  }

  void check_header() {
    const std::string at = "header at " + hex(header_);
    expect_magic(header_, "HDR*", at);
    if (bytes(header_ + kHdrProduct, kProduct.size()) != kProduct) {
      fail(at + " does not name \"PowerBuilder\" (found " +
           shown(bytes(header_ + kHdrProduct, kProduct.size())) + ")");
    }
    if (bytes(header_ + kHdrVersion, 4) != kVersion) {
      fail(at + " has format version " + shown(bytes(header_ + kHdrVersion, 4)) +
           ", expected \"0600\"");
    }
    const std::uint32_t free_block = u32(header_ + kHdrFreeBlock);
    const std::string who = "free-space offset in the " + at;
    check_reference(who, free_block, kBlock);
    claim(who, free_block, kBlock, {Use::kFreeSpace, 0});
    expect_magic(free_block, "FRE*", "free-space block at " + hex(free_block));
    if (const std::uint32_t next = u32(free_block + 4); next != 0) {
      fail("free-space block at " + hex(free_block) + " chains to " + hex(next) +
           ", but a library container keeps no free space");
    }
  }

  void read_directory() {
    std::uint64_t node = u32(header_ + kHdrFirstNode);
    std::string who = "first-node offset in the header at " + hex(header_);
    if (node == 0) fail(who + " is 0: the container has no directory");
    while (node != 0) {
      check_reference(who, node, kNode);
      claim(who, node, kNode, {Use::kDirectory, node});
      const std::string at = "directory node at " + hex(node);
      expect_magic(node, "NOD*", at);
      const std::uint32_t next = u32(node + 4);
      const std::uint16_t count = u16(node + 8);
      if (count > kMaxEntriesPerNode) {
        fail(at + " counts " + std::to_string(count) + " entries; at most " +
             std::to_string(kMaxEntriesPerNode) + " fit in a node");
      }
      std::size_t pos = kNodeHead;
      for (std::uint16_t k = 0; k < count; ++k) {
        pos = read_entry(node, pos, k, count);
      }
      who = at;
      node = next;
    }
  }

  // Reads entry #k at `pos` within the node; answers where the next begins.
  std::size_t read_entry(std::uint64_t node, std::size_t pos, std::uint16_t k,
                         std::uint16_t count) {
    const std::string at = "entry #" + std::to_string(k + 1) + " of " + std::to_string(count) +
                           " in the directory node at " + hex(node);
    if (pos + kEntryHead > kNode) fail(at + " does not fit in the node");
    const std::uint64_t e = node + pos;
    expect_magic(e, "ENT*", at);
    if (bytes(e + 4, 4) != kVersion) {
      fail(at + " has format version " + shown(bytes(e + 4, 4)) + ", expected \"0600\"");
    }
    RawEntry r;
    r.first = u32(e + 8);
    r.size = u32(e + 12);
    r.timestamp = u32(e + 16);
    r.node = node;
    const std::uint16_t comment = u16(e + 20);
    const std::uint16_t name_length = u16(e + 22);
    if (comment != 0) {
      fail(at + " has a comment length of " + std::to_string(comment) +
           "; library containers carry no comments");
    }
    if (name_length < 2) {
      fail(at + " has a name length of " + std::to_string(name_length) +
           " (an empty name, or no room for its terminating zero)");
    }
    if (pos + kEntryHead + name_length > kNode) {
      fail("name of " + at + " (" + std::to_string(name_length) +
           " bytes) runs past the end of the node");
    }
    std::string_view name = bytes(e + kEntryHead, name_length);
    const std::size_t zero = name.find('\0');
    if (zero == std::string_view::npos) {
      fail("name of " + at + " is not zero-terminated within its stated length of " +
           std::to_string(name_length) + " bytes");
    }
    if (zero + 1 != name_length) {
      fail("name of " + at + " ends after " + std::to_string(zero) +
           " bytes, before its stated length of " + std::to_string(name_length) + " bytes");
    }
    r.name = std::string(name.substr(0, zero));
    if (r.name.empty()) fail(at + " has an empty name");
    if (!raw_.empty() && !(raw_.back().name < r.name)) {
      if (raw_.back().name == r.name) fail("entry " + quoted(r.name) + " appears twice");
      fail("entry " + quoted(r.name) + " in the directory node at " + hex(node) +
           " is out of name order (it follows " + quoted(raw_.back().name) + ")");
    }
    raw_.push_back(std::move(r));
    return pos + kEntryHead + name_length;
  }

  std::string read_data(std::size_t index) {
    const RawEntry& r = raw_[index];
    const std::string entry = "entry " + quoted(r.name);
    std::string data;
    // Never trust the stated size for the allocation: every byte comes from a block.
    data.reserve(std::min<std::size_t>(r.size, file_.size()));
    std::uint64_t block = r.first;
    std::string who = entry + " (directory node at " + hex(r.node) + ")";
    if (block == 0 && r.size != 0) {
      fail(entry + " has a size of " + std::to_string(r.size) + " bytes but no data block");
    }
    while (block != 0) {
      check_reference(who, block, kBlock);
      claim(who, block, kBlock, {Use::kData, index});
      who = "data block at " + hex(block) + " of " + entry;
      expect_magic(block, "DAT*", who);
      const std::uint32_t next = u32(block + 4);
      const std::uint16_t length = u16(block + 8);
      if (length > kDataRoom) {
        fail(who + " claims " + std::to_string(length) + " bytes, more than the 502 a block holds");
      }
      if (data.size() + length > r.size) {
        fail(who + " holds more data than the entry's size of " + std::to_string(r.size) +
             " bytes");
      }
      data.append(bytes(block + kDataHead, length));
      block = next;
    }
    if (data.size() != r.size) {
      fail("data blocks of " + entry + " hold " + std::to_string(data.size()) +
           " bytes, but its size is " + std::to_string(r.size) + " bytes");
    }
    return data;
  }

  std::string_view file_;
  std::string_view source_;
  std::uint64_t header_ = 0;
  std::uint64_t trailer_ = 0;
  std::vector<Claim> claims_;  // one per block from the header to the trailer
  std::vector<RawEntry> raw_;
};

}  // namespace

LibraryContainer LibraryContainer::read(std::string_view file_bytes, std::string_view source) {
  LibraryContainer c;
  c.entries_ = Reader(file_bytes, source).run(c.start_offset_);
  return c;
}

LibraryContainer LibraryContainer::read_file(const std::string& module_path) {
  const detail::MappedFile file(module_path);
  return read(file.bytes(), module_path);
}

bool LibraryContainer::has_container(std::string_view file_bytes) {
  return file_bytes.size() >= kBlock && file_bytes.substr(file_bytes.size() - kBlock, 4) == "TRL*";
}

const LibraryContainer::Entry* LibraryContainer::find(std::string_view name) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                             [](const Entry& e, std::string_view n) { return e.name < n; });
  return it != entries_.end() && it->name == name ? &*it : nullptr;
}

std::string LibraryContainer::build(
    const std::vector<std::pair<std::string, std::string>>& named_data, std::uint64_t base_offset,
    std::uint32_t timestamp) {
  if (base_offset % kBlock != 0) {
    throw Error("library container cannot start at " + hex(base_offset) +
                ": not a multiple of 512");
  }
  std::vector<const std::pair<std::string, std::string>*> items;
  items.reserve(named_data.size());
  for (const auto& nd : named_data) items.push_back(&nd);
  std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->first < b->first; });
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string& name = items[i]->first;
    if (name.empty()) throw Error("library container entry without a name");
    if (name.find('\0') != std::string::npos) {
      throw Error("library container entry name " + quoted(name) + " contains a zero byte");
    }
    if (name.size() + 1 > kMaxNameLength) {
      throw Error("library container entry name " + quoted(name) + " is longer than " +
                  std::to_string(kMaxNameLength - 1) + " bytes");
    }
    if (i > 0 && items[i - 1]->first == name) {
      throw Error("library container entry " + quoted(name) + " is given twice");
    }
    if (items[i]->second.size() > std::numeric_limits<std::uint32_t>::max()) {
      throw Error("library container entry " + quoted(name) + " is larger than 4 GiB");
    }
  }

  // Plan: which entries go in which node, and how many data blocks each needs.
  std::vector<std::size_t> node_starts{0};  // index of each node's first entry
  std::size_t used = kNodeHead;
  std::uint64_t data_blocks = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::size_t room = kEntryHead + items[i]->first.size() + 1;
    if (used + room > kNode) {
      node_starts.push_back(i);
      used = kNodeHead;
    }
    used += room;
    data_blocks += (items[i]->second.size() + kDataRoom - 1) / kDataRoom;
  }
  const std::uint64_t nodes = node_starts.size();
  const std::uint64_t total = (2 + data_blocks + 1) * kBlock + nodes * kNode;
  if (base_offset + total > std::uint64_t{1} << 32) {
    throw Error("library container would end at " + hex(base_offset + total) +
                ", beyond what 32-bit offsets reach");
  }
  const auto abs = [base_offset](std::uint64_t rel) {
    return static_cast<std::uint32_t>(base_offset + rel);
  };

  std::string out(static_cast<std::size_t>(total), '\0');
  const std::size_t free_at = kBlock;
  const std::size_t nodes_at = 2 * kBlock;
  std::size_t data_at = nodes_at + static_cast<std::size_t>(nodes) * kNode;

  put_bytes(out, 0, "HDR*");
  put_bytes(out, kHdrProduct, kProduct);
  put_bytes(out, kHdrVersion, kVersion);
  put32(out, kHdrTimestamp, timestamp);
  put32(out, kHdrFirstNode, abs(nodes_at));
  put32(out, kHdrFreeBlock, abs(free_at));
  put_bytes(out, free_at, "FRE*");

  for (std::size_t n = 0; n < node_starts.size(); ++n) {
    const std::size_t node = nodes_at + n * kNode;
    const std::size_t begin = node_starts[n];
    const std::size_t end = n + 1 < node_starts.size() ? node_starts[n + 1] : items.size();
    put_bytes(out, node, "NOD*");
    put32(out, node + 4, n + 1 < node_starts.size() ? abs(node + kNode) : 0);
    put16(out, node + 8, static_cast<std::uint16_t>(end - begin));
    std::size_t pos = node + kNodeHead;
    for (std::size_t i = begin; i < end; ++i) {
      const std::string& name = items[i]->first;
      const std::string& data = items[i]->second;
      put_bytes(out, pos, "ENT*");
      put_bytes(out, pos + 4, kVersion);
      put32(out, pos + 8, data.empty() ? 0 : abs(data_at));
      put32(out, pos + 12, static_cast<std::uint32_t>(data.size()));
      put32(out, pos + 16, timestamp);
      put16(out, pos + 20, 0);
      put16(out, pos + 22, static_cast<std::uint16_t>(name.size() + 1));
      put_bytes(out, pos + kEntryHead, name);
      pos += kEntryHead + name.size() + 1;

      for (std::size_t done = 0; done < data.size(); done += kDataRoom) {
        const std::size_t n_bytes = std::min(kDataRoom, data.size() - done);
        const bool last = done + n_bytes == data.size();
        put_bytes(out, data_at, "DAT*");
        put32(out, data_at + 4, last ? 0 : abs(data_at + kBlock));
        put16(out, data_at + 8, static_cast<std::uint16_t>(n_bytes));
        put_bytes(out, data_at + kDataHead, std::string_view(data).substr(done, n_bytes));
        data_at += kBlock;
      }
    }
  }

  const std::size_t trailer = out.size() - kBlock;
  put_bytes(out, trailer, "TRL*");
  put32(out, trailer + 4, abs(0));
  return out;
}

}  // namespace fh
