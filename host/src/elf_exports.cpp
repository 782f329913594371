#include "elf_exports.h"

#include <elf.h>

#include <cstring>

#include "formhost/errors.h"

namespace fh::detail {
namespace {

// Copies a structure out of the file image after checking that it lies inside.
template <typename T>
T read_at(std::string_view image, std::uint64_t offset, const std::string& path, const char* what) {
  if (offset > image.size() || image.size() - offset < sizeof(T)) {
    throw Error("module '" + path + "': " + what + " lies outside the file");
  }
  T value;
  std::memcpy(&value, image.data() + offset, sizeof(T));
  return value;
}

}  // namespace

std::vector<std::string> elf_exported_functions(std::string_view image, const std::string& path) {
  const bool elf64le = image.size() >= sizeof(Elf64_Ehdr) &&
                       std::memcmp(image.data(), ELFMAG, SELFMAG) == 0 &&
                       image[EI_CLASS] == ELFCLASS64 && image[EI_DATA] == ELFDATA2LSB;
  if (!elf64le) throw Error("module '" + path + "': not a 64-bit little-endian ELF file");
  const auto header = read_at<Elf64_Ehdr>(image, 0, path, "the ELF header");
  if (header.e_type != ET_DYN) throw Error("module '" + path + "': not a shared library");

  std::vector<std::string> names;
  for (std::uint16_t i = 0; i < header.e_shnum; ++i) {
    const auto section = read_at<Elf64_Shdr>(
        image, header.e_shoff + std::uint64_t{i} * header.e_shentsize, path, "a section header");
    if (section.sh_type != SHT_DYNSYM || section.sh_entsize != sizeof(Elf64_Sym)) continue;
    const auto strings = read_at<Elf64_Shdr>(
        image, header.e_shoff + std::uint64_t{section.sh_link} * header.e_shentsize, path,
        "the symbol names' section header");
    if (strings.sh_offset > image.size() || image.size() - strings.sh_offset < strings.sh_size) {
      throw Error("module '" + path + "': the symbol names lie outside the file");
    }
    const std::uint64_t count = section.sh_size / sizeof(Elf64_Sym);
    for (std::uint64_t s = 0; s < count; ++s) {
      const auto sym =
          read_at<Elf64_Sym>(image, section.sh_offset + s * sizeof(Elf64_Sym), path, "a symbol");
      if (sym.st_shndx == SHN_UNDEF || ELF64_ST_TYPE(sym.st_info) != STT_FUNC) continue;
      if (sym.st_name >= strings.sh_size) {
        throw Error("module '" + path + "': a symbol name lies outside its table");
      }
      const char* begin = image.data() + strings.sh_offset + sym.st_name;
      const std::size_t room = strings.sh_size - sym.st_name;
      const std::size_t len = strnlen(begin, room);
      if (len == room) throw Error("module '" + path + "': a symbol name is not terminated");
      names.emplace_back(begin, len);
    }
  }
  return names;
}

}  // namespace fh::detail
