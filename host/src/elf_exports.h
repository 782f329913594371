// Names a shared library exports, read from its dynamic symbol table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fh::detail {

// Defined, exported function names of an ELF64 little-endian shared object,
// from the file's bytes (`path` names it in messages).
// Throws fh::Error naming the file and what is wrong when the file is not one
// or its tables point outside it.
std::vector<std::string> elf_exported_functions(std::string_view image, const std::string& path);

}  // namespace fh::detail
