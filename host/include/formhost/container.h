// The library container: class definitions and data-window object sources
// appended after the last byte of a module file (a shared library).
//
// Layout, all integers little-endian, every offset absolute in the module file
// and a multiple of 512. The container starts at the module's size rounded up
// to 512 (zero padding) and is made of 512-byte blocks:
//
//   header     "HDR*", "PowerBuilder" zero-padded to 14 bytes, "0600",
//              u32 timestamp; then two fields of our own at bytes 26 and 30:
//              u32 offset of the first directory node, u32 offset of the
//              free-space block. Rest zero.
//   free space "FRE*", u32 next free block (always 0: we never leave holes).
//   directory  nodes of 3072 bytes (6 blocks): "NOD*", u32 next node (0 ends),
//              u16 entry count, then the entries back to back:
//              "ENT*", "0600", u32 first data block (0 for empty data),
//              u32 data size, u32 timestamp, u16 comment length (always 0),
//              u16 name length including its zero, the zero-terminated name.
//              Entries are sorted by name (bytes, unsigned); a node holds as
//              many as fit, the rest go to the next node.
//   data       "DAT*", u32 next block of the same entry (0 ends), u16 bytes
//              used in this block (at most 502), the bytes.
//   trailer    the file's last block: "TRL*", u32 offset of the header.
//
// The writer puts header, free block, nodes, data (entry by entry) and the
// trailer in this order, so the same inputs always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formhost/export.h"

namespace fh {

class FH_API LibraryContainer {
 public:
  struct Entry {
    std::string name;  // GBK bytes, e.g. "w_01691.win"
    std::string data;  // the stored bytes (GBK text for definitions)
    std::uint32_t timestamp = 0;
  };

  static constexpr std::size_t kBlockSize = 512;
  static constexpr std::size_t kNodeSize = 3072;
  static constexpr std::size_t kDataPerBlock = 502;
  // The timestamp when SOURCE_DATE_EPOCH is not set, so builds repeat.
  static constexpr std::uint32_t kDefaultTimestamp = 0x5F5E1000;

  // Reads the container of the module at `module_path`. Throws fh::Error
  // naming the module when the file cannot be read, carries no container or
  // the container is damaged.
  static LibraryContainer read_file(const std::string& module_path);

  // Reads the container from the whole module file's bytes. `source` names the
  // module in messages. Every offset, length and chain is checked against the
  // file; nothing is read outside `file_bytes`.
  static LibraryContainer read(std::string_view file_bytes, std::string_view source);

  // True when the file's last block is a trailer, i.e. it claims to carry a
  // container (which read() may still find damaged).
  static bool has_container(std::string_view file_bytes);

  // The container bytes for a module whose padded size is `base_offset` (a
  // multiple of 512). Entries are sorted by name; names must be unique,
  // non-empty and free of zero bytes. Throws fh::Error on bad input or when
  // the result would not fit 32-bit offsets.
  static std::string build(const std::vector<std::pair<std::string, std::string>>& named_data,
                           std::uint64_t base_offset, std::uint32_t timestamp);

  // Sorted by name.
  const std::vector<Entry>& entries() const { return entries_; }
  // The entry called `name` (exact bytes), or nullptr.
  const Entry* find(std::string_view name) const;
  // Where the container starts in the module file: the module's padded size.
  std::uint64_t start_offset() const { return start_offset_; }

 private:
  std::vector<Entry> entries_;
  std::uint64_t start_offset_ = 0;
};

}  // namespace fh
