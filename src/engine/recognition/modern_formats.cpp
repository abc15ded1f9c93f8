#include "engine/recognition/modern_formats.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {
std::uint32_t little16(const unsigned char* at) { return at[0] | at[1] << 8; }
std::uint32_t big16(const unsigned char* at) { return at[0] << 8 | at[1]; }
std::uint32_t little32(const unsigned char* at) { return little16(at) | little16(at + 2) << 16; }
std::uint32_t big32(const unsigned char* at) { return big16(at) << 16 | big16(at + 2); }
std::uint64_t little64(const unsigned char* at) { return little32(at) | std::uint64_t{little32(at + 4)} << 32; }
std::uint64_t big64(const unsigned char* at) { return std::uint64_t{big32(at)} << 32 | big32(at + 4); }

bool starts_with(const unsigned char* bytes, std::size_t size, const char* text, std::size_t length) {
  return size >= length && std::memcmp(bytes, text, length) == 0;
}

// Only machines whose objects Windows tool chains write today: the COFF of
// older Windows CPUs and of other vendors' embedded tool chains stays.
bool is_coff_object(const unsigned char* bytes, std::size_t size) {
  constexpr std::size_t header_size = 20;
  if (size < header_size) return false;
  const std::uint32_t machine = little16(bytes);
  const bool listed = machine == 0x014C || machine == 0x8664 || machine == 0xAA64 || machine == 0xA641 ||
                      machine == 0x01C4;
  // An image has an optional header; an object has none.
  return listed && little16(bytes + 16) == 0;
}

// Link-time-code-generation and /bigobj objects; version 0 is an import-library member.
bool is_anonymous_object(const unsigned char* bytes, std::size_t size) {
  return size >= 6 && little16(bytes) == 0x0000 && little16(bytes + 2) == 0xFFFF && little16(bytes + 4) >= 1;
}

bool is_elf_relocatable(const unsigned char* bytes, std::size_t size) {
  if (size < 18 || !starts_with(bytes, size, "\x7F" "ELF", 4)) return false;
  const unsigned char data_encoding = bytes[5];
  if (data_encoding == 1) return little16(bytes + 16) == 1;
  if (data_encoding == 2) return big16(bytes + 16) == 1;
  return false;
}

bool is_mach_o_object(const unsigned char* bytes, std::size_t size) {
  if (size < 16) return false;
  constexpr std::uint32_t magic_32 = 0xFEEDFACE;
  constexpr std::uint32_t magic_64 = 0xFEEDFACF;
  constexpr std::uint32_t object_file = 1;
  const std::uint32_t magic = little32(bytes);
  if (magic == magic_32 || magic == magic_64) return little32(bytes + 12) == object_file;
  const std::uint32_t swapped = big32(bytes);
  if (swapped == magic_32 || swapped == magic_64) return big32(bytes + 12) == object_file;
  return false;
}

// LLVM bitcode of full and thin LTO, bare or in the wrapper Darwin targets put
// around it.
bool is_llvm_bitcode(const unsigned char* bytes, std::size_t size, std::uint64_t file_size) {
  constexpr char bitcode_magic[] = "BC\xC0\xDE";
  if (starts_with(bytes, size, bitcode_magic, 4)) return true;
  constexpr std::size_t wrapper_size = 20;
  if (size < wrapper_size || little32(bytes) != 0x0B17C0DE) return false;
  const std::uint64_t offset = little32(bytes + 8);
  const std::uint64_t length = little32(bytes + 12);
  // The wrapped bitcode lies after the wrapper and inside the file; where the
  // bytes read reach it, it starts with its own magic.
  if (offset < wrapper_size || length < 4 || offset + length > file_size) return false;
  return offset + 4 > size || std::memcmp(bytes + offset, bitcode_magic, 4) == 0;
}

bool is_digit(unsigned char byte) { return byte >= '0' && byte <= '9'; }

// "gpch", the language (C, Objective-C, C++, Objective-C++), three digits of version.
bool is_gpch(const unsigned char* bytes, std::size_t size) {
  return size >= 8 && starts_with(bytes, size, "gpch", 4) && std::memchr("Co+O", bytes[4], 4) != nullptr &&
         is_digit(bytes[5]) && is_digit(bytes[6]) && is_digit(bytes[7]);
}

// GCC keeps a module interface in an ELF container of its own: no type, no machine.
bool is_gcc_module(const unsigned char* bytes, std::size_t size) {
  if (size < 20 || !starts_with(bytes, size, "\x7F" "ELF", 4)) return false;
  const bool known_class = bytes[4] == 1 || bytes[4] == 2;
  const bool known_byte_order = bytes[5] == 1 || bytes[5] == 2;
  // Zero reads the same in either byte order.
  return known_class && known_byte_order && bytes[6] == 1 && little16(bytes + 16) == 0 && little16(bytes + 18) == 0;
}

// gcov's notes and counts start with their magic word in the byte order of
// the machine that wrote them: "gcno" reads "oncg" in a little-endian file.
bool is_gcov_file(const unsigned char* bytes, std::size_t size, std::uint32_t magic) {
  return size >= 4 && (little32(bytes) == magic || big32(bytes) == magic);
}

// A raw profile is the memory dump of one run, so its magic word, 0xFF
// "lprofr" 0x81 ("lprofR" from a 32-bit program), is in that machine's byte order.
bool is_raw_profile(const unsigned char* bytes, std::size_t size) {
  constexpr std::uint64_t magic_64 = 0xFF6C70726F667281, magic_32 = 0xFF6C70726F665281;
  if (size < 8) return false;
  const std::uint64_t little = little64(bytes), big = big64(bytes);
  return little == magic_64 || little == magic_32 || big == magic_64 || big == magic_32;
}

// llvm-profdata writes, and every reader takes, the indexed magic 0xFF
// "lprofi" 0x81 little-endian only, whatever the machine.
bool is_indexed_profile(const unsigned char* bytes, std::size_t size) {
  return size >= 8 && little64(bytes) == 0x8169666F72706CFF;
}

// libtool writes "# NAME.lo - a libtool object file" on the first line of the
// text that names a compile's objects; the line must end within the bytes read.
bool is_libtool_descriptor(const unsigned char* bytes, std::size_t size) {
  const auto* line_end = static_cast<const unsigned char*>(std::memchr(bytes, '\n', size));
  if (line_end == nullptr) return false;
  const std::string line(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(line_end - bytes));
  const std::string start = "# ", end = ".lo - a libtool object file";
  if (line.size() <= start.size() + end.size() || line.compare(0, start.size(), start) != 0 ||
      line.compare(line.size() - end.size(), end.size(), end) != 0)
    return false;
  // NAME is the descriptor's own file name, without a folder.
  const std::string name = line.substr(start.size(), line.size() - start.size() - end.size());
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool is_msf_7(const unsigned char* bytes, std::size_t size) {
  constexpr char header[] = "Microsoft C/C++ MSF 7.00\r\n\x1A" "DS\0\0\0";
  return starts_with(bytes, size, header, sizeof header - 1);
}
}  // namespace

bool is_modern_output(modern_kind kind, const unsigned char* bytes, std::size_t size, std::uint64_t file_size) {
  const bool clang_ast_file = starts_with(bytes, size, "CPCH", 4);
  switch (kind) {
    case modern_kind::object:
      return is_coff_object(bytes, size) || is_anonymous_object(bytes, size) || is_elf_relocatable(bytes, size) ||
             is_mach_o_object(bytes, size) || is_llvm_bitcode(bytes, size, file_size);
    // A libtool build keeps the objects a descriptor names elsewhere, but a
    // build that moves an object to this name (zlib's) keeps the object here.
    case modern_kind::libtool_object:
      return is_libtool_descriptor(bytes, size) || is_modern_output(modern_kind::object, bytes, size, file_size);
    case modern_kind::resource_object: return is_coff_object(bytes, size);
    case modern_kind::program_database: return is_msf_7(bytes, size);
    case modern_kind::precompiled_header: return clang_ast_file;
    case modern_kind::gcc_precompiled_header: return is_gpch(bytes, size) || clang_ast_file;
    case modern_kind::gcc_module: return is_gcc_module(bytes, size);
    case modern_kind::ifc_module: return starts_with(bytes, size, "TQE\x1A", 4);
    case modern_kind::anonymous_object: return is_anonymous_object(bytes, size);
    case modern_kind::coverage_notes: return is_gcov_file(bytes, size, 0x67636E6F);  // "gcno"
    case modern_kind::coverage_data: return is_gcov_file(bytes, size, 0x67636461);   // "gcda"
    case modern_kind::raw_profile: return is_raw_profile(bytes, size);
    case modern_kind::indexed_profile: return is_indexed_profile(bytes, size);
    // Split off from an ELF object, or from a COFF one by MinGW-w64's gcc.
    case modern_kind::split_debug_info: return is_elf_relocatable(bytes, size) || is_coff_object(bytes, size);
    case modern_kind::browse_database: return starts_with(bytes, size, "SQLite format 3\0", 16);
    case modern_kind::none: break;
  }
  return false;
}
