#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "diag/texts.h"
#include "engine/recognition/build_output_recognition.h"
#include "engine/recognition/file_operator.h"
#include "engine/recognition/recognition_rules.h"
#include "engine/removal/removal_tally.h"
#include "test_support.h"

namespace {
using namespace test_support;

const std::string pdb_text = "Microsoft C/C++ program database";
const std::string coff = std::string("\x4C\x01", 2);
const std::string mingw = std::string("\x4C\x01\x1C\x00\x00\x00\x00", 7);
const std::string sbr = std::string("\x00\x02\x00\x07\x00", 5);
const std::string res = std::string("\x00\x00\x00\x00\x20\x00\x00\x00\xFF\xFF\x00\x00\xFF\xFF\x00\x00", 16);

class recognition_test : public ::testing::Test {
 protected:
  bool verdict(const std::string& pattern, const std::string& contents) {
    const fs::path file = dir / ("f" + std::to_string(++count_));
    write_file(file, contents);
    return is_build_output(file.string().c_str(), pattern.c_str());
  }

  temp_dir dir;
  settings_reset reset;

 private:
  int count_ = 0;
};

struct rule_case {
  const char* pattern;
  std::string signature;
};

TEST_F(recognition_test, every_rule_accepts_its_signature_and_refuses_one_byte_off) {
  const rule_case cases[] = {
      {"*.pch", "VCPCH"}, {"*.ilk", "Microsoft Linker Database"}, {"*.bsc", pdb_text}, {"*.pdb", pdb_text},
      {"*.obj", coff},    {"*.idb", pdb_text},  {"*.sbr", sbr},      {"*.res", res},
      {"*.o", mingw},     {"*.opp", mingw},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_TRUE(verdict(c.pattern, c.signature + "trailing contents"));
    EXPECT_TRUE(verdict(c.pattern, c.signature));
    for (std::size_t i = 0; i < c.signature.size(); ++i) {
      std::string off = c.signature;
      off[i] = static_cast<char>(off[i] ^ 0x01);
      EXPECT_FALSE(verdict(c.pattern, off + "rest")) << "byte " << i;
    }
    EXPECT_FALSE(verdict(c.pattern, ""));
  }
}

TEST_F(recognition_test, text_signatures_are_case_sensitive) {
  EXPECT_FALSE(verdict("*.pdb", "microsoft C/C++ program database"));
  EXPECT_FALSE(verdict("*.pch", "vcpch"));
  EXPECT_FALSE(verdict("*.pdb", "Microsoft C/C++ MSF 7.00\r\n\x1a" "DS"));
}

TEST_F(recognition_test, missing_bytes_of_a_short_file_compare_as_zero) {
  EXPECT_TRUE(verdict("*.res", res.substr(0, 14)));
  EXPECT_FALSE(verdict("*.res", res.substr(0, 13)));
  EXPECT_TRUE(verdict("*.o", mingw.substr(0, 4)));
  EXPECT_TRUE(verdict("*.sbr", std::string("\x00\x02\x00\x07", 4)));
  EXPECT_FALSE(verdict("*.obj", "L"));
}

TEST_F(recognition_test, mingw_objects_need_28_sections_and_zero_time_stamp_bytes) {
  std::string sections = mingw;
  sections[2] = 0x1B;
  EXPECT_FALSE(verdict("*.o", sections));
  for (int offset = 4; offset <= 6; ++offset) {
    std::string stamp = mingw;
    stamp[offset] = 1;
    EXPECT_FALSE(verdict("*.opp", stamp)) << offset;
  }
  EXPECT_TRUE(verdict("*.obj", mingw));  // any i386 COFF object is a VC object
}

TEST_F(recognition_test, empty_sbr_is_accepted_only_with_delete_zero_size) {
  EXPECT_FALSE(verdict("*.sbr", ""));
  reset.settings().delete_zero_size = true;
  EXPECT_TRUE(verdict("*.sbr", ""));
  EXPECT_FALSE(verdict("*.sbr", "x"));
  EXPECT_FALSE(verdict("*.obj", ""));
  EXPECT_FALSE(verdict("*.res", ""));
}

TEST_F(recognition_test, pattern_case_does_not_matter) {
  EXPECT_TRUE(verdict("*.PCH", "VCPCH"));
  EXPECT_TRUE(verdict("*.Obj", coff));
}

TEST_F(recognition_test, patterns_outside_the_table_are_refused) {
  write_file(dir / "a.obj", coff);
  const std::string file = (dir / "a.obj").string();
  for (const std::string& pattern : std::vector<std::string>{"*.exe", "", "*.obj ", "obj", "*.pch" + std::string(27, ' '), "*.o" + std::string(40, 'x')}) {
    try {
      is_build_output(file.c_str(), pattern.c_str());
      ADD_FAILURE() << "accepted '" << pattern << "'";
    } catch (const std::logic_error& error) {
      EXPECT_STREQ(error.what(), texts::strange_wildcard);
    }
  }
}

TEST_F(recognition_test, a_file_gone_since_the_search_is_simply_kept) {
  reset.settings().delete_zero_size = true;
  const std::pair<const char*, const char*> gone[] = {
      {"missing.obj", "*.obj"}, {"gone.sbr", "*.sbr"}, {"no_folder/a.pdb", "*.pdb"}};
  for (const auto& [name, pattern] : gone) {
    const std::string missing = (dir / name).string();
    EXPECT_EQ(judge_build_output(missing.c_str(), pattern), recognition_verdict::kept) << name;
  }
}

TEST_F(recognition_test, a_file_whose_data_is_elsewhere_is_never_read_and_counted_apart) {
  write_file(dir / "cloud.obj", coff);
  const std::string path = (dir / "cloud.obj").string();
  const platform::tree_entry entry{nullptr, path.c_str(), path.c_str(), platform::entry_kind::data_elsewhere};
  EXPECT_EQ(judge_build_output(entry, "*.obj").verdict, recognition_verdict::data_elsewhere);
  removal_tally tally;
  stdout_capture capture;
  tally.report_data_elsewhere();  // none: no line
  tally.count_data_elsewhere();
  tally.count_data_elsewhere();
  tally.report_data_elsewhere();
  EXPECT_EQ(capture.text(), "not read: 2 files whose data is not on this computer, kept\n\n");
}

TEST_F(recognition_test, a_folder_opened_as_a_file_raises_not_open_and_a_link_to_one_is_kept) {
  fs::create_directory(dir / "old.obj");
  std::error_code no_links;  // where the system makes none, the folder alone
  fs::create_directory_symlink(dir / "old.obj", dir / "link.obj", no_links);
  if (!no_links) {
    EXPECT_EQ(judge_build_output((dir / "link.obj").string().c_str(), "*.obj"), recognition_verdict::kept);
  }
  const std::string directory = (dir / "old.obj").string();
  try {
    is_build_output(directory.c_str(), "*.obj");
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), texts::file_operator_not_open);
  }
}

TEST_F(recognition_test, signatures_up_to_256_bytes_are_compared_in_full) {
  std::string signature(256, '\x5A');
  write_file(dir / "big", signature);
  const std::string file = (dir / "big").string();
  const auto* bytes = reinterpret_cast<const unsigned char*>(signature.data());
  EXPECT_TRUE(has_signature(file.c_str(), bytes, 256));
  signature[255] = 'X';
  EXPECT_FALSE(has_signature(file.c_str(), reinterpret_cast<const unsigned char*>(signature.data()), 256));

  const std::string longer(257, '\x5A');
  const std::string missing = (dir / "missing").string();
  for (const std::string& path : {file, missing}) {
    try {
      has_signature(path.c_str(), reinterpret_cast<const unsigned char*>(longer.data()), 257);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), "To Big Signature");
    }
  }
}

TEST_F(recognition_test, get_file_size_splits_the_size) {
  // Past 4 GiB, so that the high word counts; the file is sparse and takes no room.
  const fs::path big = dir / "big";
  write_file(big, "");
  fs::resize_file(big, (std::uint64_t{3} << 32) + 5);
  std::uint32_t high = 7, low = 7;
  EXPECT_TRUE(get_file_size(big.string().c_str(), high, low));
  EXPECT_EQ(high, 3u);
  EXPECT_EQ(low, 5u);
  high = low = 9;
  EXPECT_FALSE(get_file_size((dir / "none").string().c_str(), high, low));
  EXPECT_EQ(high, 9u);
  EXPECT_EQ(low, 9u);
}

bool raises_not_open(file_operator& file) {
  try {
    file.get_handle();
  } catch (const std::runtime_error& error) {
    return std::string(error.what()) == texts::file_operator_not_open;
  }
  return false;
}

TEST(file_operator, handle_of_a_closed_file_raises) {
  temp_dir dir;
  write_file(dir / "present", "abc");
  file_operator file;
  EXPECT_TRUE(raises_not_open(file));
  file.file_name = (dir / "present").string();
  file.open();
  char got[4] = {};
  ASSERT_EQ(file.read(got, 3), 3u);
  EXPECT_STREQ(got, "abc");
  // A failed open leaves nothing open behind, not even the file open before.
  file.file_name = (dir / "missing").string();
  file.open();
  EXPECT_TRUE(raises_not_open(file));
  file.file_name = (dir / "present").string();
  file.open();
  file.close();
  EXPECT_TRUE(raises_not_open(file));
}
}  // namespace

// ---- what "modern" adds, over bytes alone ----------------------------------------

namespace {
using namespace test_support;

class modern_rules_test : public ::testing::Test {
 protected:
  // The verdict with "modern", after checking the classic rules alone keep the
  // file; the file is as long as `start` unless `file_size` says otherwise.
  bool modern_only(const char* pattern, const std::string& start, std::uint64_t file_size = 0) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(start.data());
    if (file_size == 0) file_size = start.size();
    run_settings settings;
    EXPECT_FALSE(judge_file_start(pattern, bytes, start.size(), file_size, settings)) << pattern;
    settings.modern_outputs = true;
    return judge_file_start(pattern, bytes, start.size(), file_size, settings);
  }
};

// A header of `size` bytes starting with `head`, zeros after.
std::string header_of(const std::string& head, std::size_t size) { return head + std::string(size - head.size(), '\0'); }

// The wrapper of LLVM bitcode: magic, version 0, the bitcode's offset and
// size, a CPU type; then, for a small offset, the bitcode's magic where it says.
std::string bitcode_wrapper(std::uint32_t offset, std::uint32_t size) {
  std::string wrapper("\xDE\xC0\x17\x0B\0\0\0\0", 8);
  for (const std::uint32_t field : {offset, size, 0x01000007u})
    for (int shift = 0; shift < 32; shift += 8) wrapper += static_cast<char>(field >> shift);
  return offset < 20 || offset > 64 ? wrapper : wrapper + std::string(offset - 20, '\0') + "BC\xC0\xDE";
}

TEST_F(modern_rules_test, bitcode_objects_and_the_patterns_only_modern_searches) {
  EXPECT_EQ(modern_patterns(), (std::vector<std::string>{"*.lo", "*.gch", "*.pcm", "*.gcm", "*.ifc", "*.ipdb", "*.iobj",
                                                        "*.gcno", "*.gcda", "*.profraw", "*.profdata", "*.dwo", "*.VC.db"}));
  const std::string bare("BC\xC0\xDE\x35\x14", 6), elf("\x7F" "ELF\x01\x01\x01", 7);
  const std::string msf("Microsoft C/C++ MSF 7.00\r\n\x1A" "DS\0\0\0", 32), wrapped = bitcode_wrapper(20, 2016);
  std::string not_bitcode = bitcode_wrapper(20, 8);
  not_bitcode[21] = 'X';
  // A file size of 0 stands for the length of the start.
  const struct { const char* pattern; std::string start; std::uint64_t file_size; bool output; } rows[] = {
      {"*.obj", bare, 0, true}, {"*.opp", wrapped, 2048, true}, {"*.o", bare.substr(0, 3), 0, false},
      {"*.o", wrapped, 2035, false}, {"*.o", bitcode_wrapper(18, 8), 2048, false},  // past the end; in the wrapper
      {"*.o", bitcode_wrapper(20, 0), 2048, false}, {"*.o", bitcode_wrapper(0xFFFFFFF0u, 0x20), 2048, false},
      {"*.o", bitcode_wrapper(64, 8).substr(0, 32), 72, true}, {"*.o", not_bitcode, 28, false},
      {"*.pch", bare, 0, false},
      // libtool's descriptor by its whole first line; COFF resources of MinGW-w64's windres.
      {"*.lo", "# add-long-name.lo - a libtool object file\n#", 0, true}, {"*.lo", "# add.lo - a libtool object file", 0, false},
      {"*.lo", "# a/b.lo - a libtool object file\n", 0, false}, {"*.lo", "# .lo - a libtool object file\n", 0, false},
      {"*.lo", "# x.la - a libtool library file\n", 0, false}, {"*.lo", header_of(elf, 16) + std::string("\x01\0", 2), 0, true},
      {"*.res", header_of("\x64\x86\x01", 20), 0, true}, {"*.res", header_of(elf, 16) + std::string("\x01\0", 2), 0, false},
      {"*.gch", "gpchC014\xDF\x5C", 0, true}, {"*.gch", "gpch+014", 0, true}, {"*.gch", "CPCH\x01\x08", 0, true},
      {"*.gch", "gpchX014", 0, false}, {"*.gch", "gpchC0a4", 0, false}, {"*.gch", "gpchC01", 0, false},
      {"*.gch", "#pragma once\n", 0, false}, {"*.pcm", "CPCH\x01\x08", 0, true}, {"*.pcm", "gpchC014", 0, false},
      {"*.pcm", "\x89PNG\r\n\x1A\n", 0, false}, {"*.gcm", header_of(elf, 20) + std::string("\x01\0\0\0", 4), 0, true},
      {"*.gcm", header_of("\x7F" "ELF\x02\x02\x01", 24), 0, true}, {"*.gcm", header_of(elf, 19), 0, false},
      {"*.gcm", header_of(elf, 16) + std::string("\x02\0\x3E\0", 4), 0, false},  // an executable
      {"*.gcm", header_of(elf, 18) + std::string("\x03\0", 2), 0, false},
      {"*.gcm", header_of(elf.substr(0, 6), 24), 0, false},
      {"*.gcm", header_of("\x7F" "ELF\x03\x01\x01", 20), 0, false}, {"*.ifc", "TQE\x1A\x8E\x01", 0, true},
      {"*.ifc", std::string("SQLite format 3\0", 16), 0, false}, {"*.ifc", "TQE", 0, false}, {"*.ipdb", msf, 0, true},
      {"*.ipdb", pdb_text, 0, false}, {"*.iobj", std::string("\0\0\xFF\xFF\x02\0\x64\x86", 8), 0, true},
      {"*.iobj", std::string("\0\0\xFF\xFF\0\0\x4C\x01", 8), 0, false}, {"*.iobj", header_of("\x64\x86", 20), 0, false},
      // gcov's magic words in either byte order; each only under its own name.
      {"*.gcno", "oncg*22B", 0, true}, {"*.gcno", "gcno408*", 0, true}, {"*.gcno", "adcg*22B", 0, false},
      {"*.gcno", "onc", 0, false}, {"*.gcda", "adcg*22B", 0, true}, {"*.gcda", "gcda408*", 0, true},
      {"*.gcda", "oncg*22B", 0, false}, {"*.gcda", "lines executed: 100%\n", 0, false},
      // Raw profiles of 64- and 32-bit programs, little- and big-endian; the
      // indexed magic only as llvm-profdata writes it.
      {"*.profraw", "\x81rforpl\xFF", 0, true}, {"*.profraw", "\x81Rforpl\xFF", 0, true},
      {"*.profraw", "\xFFlprofr\x81", 0, true}, {"*.profraw", "\xFFlprofR\x81", 0, true},
      {"*.profraw", "\x81rforpl", 0, false}, {"*.profraw", "\xFFlprofi\x81", 0, false},
      {"*.profdata", "\xFFlprofi\x81", 0, true}, {"*.profdata", "\x81iforpl\xFF", 0, false},
      {"*.profdata", "\x81rforpl\xFF", 0, false}, {"*.profdata", "\x89PNG\r\n\x1A\n", 0, false},
      {"*.dwo", header_of("\x7F" "ELF\x02\x01", 16) + std::string("\x01\0", 2), 0, true},
      {"*.dwo", header_of("\x64\x86", 20), 0, true}, {"*.dwo", header_of("\x7F" "ELF\x02\x01", 16) + "\x02", 0, false},
      {"*.dwo", header_of("MZ", 64), 0, false}, {"*.dwo", bare, 0, false},
      {"*.vc.DB", std::string("SQLite format 3\0", 16), 0, true}, {"*.VC.db", "SQLite format 3\n", 0, false},
      {"*.VC.db", "SQLite format 3", 0, false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(modern_only(row.pattern, row.start, row.file_size), row.output) << row.pattern << " " << row.start;
}

TEST_F(modern_rules_test, coff_objects_of_the_listed_machines_without_optional_header) {
  for (const char* machine : {"\x64\x86", "\x64\xAA", "\x41\xA6", "\xC4\x01"}) {
    const std::string object = header_of(machine, 20);
    for (const char* pattern : {"*.obj", "*.o", "*.opp"}) {
      EXPECT_TRUE(modern_only(pattern, object)) << pattern;
      EXPECT_FALSE(modern_only(pattern, object.substr(0, 19))) << pattern;
      std::string image = object;
      image[16] = '\xF0';  // an optional header: an image, not an object
      EXPECT_FALSE(modern_only(pattern, image)) << pattern;
    }
  }
  EXPECT_TRUE(modern_only("*.o", header_of("\x4C\x01\x05", 20)));  // any section count
  EXPECT_FALSE(modern_only("*.obj", header_of("\x84\x01", 20)));
  EXPECT_FALSE(modern_only("*.obj", header_of("MZ", 64)));
}

TEST_F(modern_rules_test, anonymous_objects_from_version_1) {
  EXPECT_TRUE(modern_only("*.obj", header_of(std::string("\0\0\xFF\xFF\x01", 5), 6)));
  EXPECT_TRUE(modern_only("*.o", std::string("\0\0\xFF\xFF\x02\x00\x64\x86", 8)));
  EXPECT_FALSE(modern_only("*.obj", std::string("\0\0\xFF\xFF\x00\x00\x4C\x01", 8)));
  EXPECT_FALSE(modern_only("*.obj", std::string("\0\0\xFF\xFF\x01", 5)));
}

TEST_F(modern_rules_test, elf_relocatable_in_the_stated_byte_order) {
  const std::string little = header_of("\x7F" "ELF\x02\x01", 16);
  const std::string big = header_of("\x7F" "ELF\x01\x02", 16);
  EXPECT_TRUE(modern_only("*.obj", little + std::string("\x01\x00", 2)));
  EXPECT_TRUE(modern_only("*.o", big + std::string("\x00\x01", 2)));
  EXPECT_FALSE(modern_only("*.o", little + std::string("\x00\x01", 2)));
  EXPECT_FALSE(modern_only("*.o", big + std::string("\x01\x00", 2)));
  EXPECT_FALSE(modern_only("*.opp", little + std::string("\x02\x00", 2)));  // executable
  EXPECT_FALSE(modern_only("*.opp", little + std::string("\x03\x00", 2)));  // shared object
  EXPECT_FALSE(modern_only("*.o", header_of("\x7F" "ELF\x02\x00", 16) + std::string("\x01\x00", 2)));
  EXPECT_FALSE(modern_only("*.o", little + "\x01"));
}

TEST_F(modern_rules_test, mach_o_objects_of_either_width_and_byte_order) {
  for (const char* magic : {"\xCE\xFA\xED\xFE", "\xCF\xFA\xED\xFE"}) {
    EXPECT_TRUE(modern_only("*.o", header_of(magic, 12) + std::string("\x01\0\0\0", 4)));
    EXPECT_FALSE(modern_only("*.o", header_of(magic, 12) + std::string("\x02\0\0\0", 4)));
    const std::string swapped{magic[3], magic[2], magic[1], magic[0]};
    EXPECT_TRUE(modern_only("*.obj", header_of(swapped, 12) + std::string("\0\0\0\x01", 4)));
    EXPECT_FALSE(modern_only("*.obj", header_of(swapped, 12) + std::string("\x01\0\0\0", 4)));
  }
}

TEST_F(modern_rules_test, msf_7_program_databases_and_clang_precompiled_headers) {
  const std::string msf("Microsoft C/C++ MSF 7.00\r\n\x1A" "DS\0\0\0", 32);
  for (const char* pattern : {"*.pdb", "*.idb", "*.bsc"}) {
    EXPECT_TRUE(modern_only(pattern, msf + "rest")) << pattern;
    EXPECT_FALSE(modern_only(pattern, msf.substr(0, 31))) << pattern;
    EXPECT_FALSE(modern_only(pattern, "Microsoft C/C++ MSF 2.00\r\n\x1A" "DS")) << pattern;
  }
  EXPECT_TRUE(modern_only("*.pch", "CPCH\x01\x08"));
  EXPECT_FALSE(modern_only("*.pch", "CPC"));
  // Each format counts only for its own patterns.
  EXPECT_FALSE(modern_only("*.obj", msf));
  EXPECT_FALSE(modern_only("*.pdb", "CPCH"));
  EXPECT_FALSE(modern_only("*.ilk", header_of("\x64\x86", 20)));
  EXPECT_FALSE(modern_only("*.sbr", header_of("\x64\x86", 20)));
}

TEST_F(modern_rules_test, classic_verdicts_stay_and_files_are_read_the_same_way) {
  settings_reset reset;
  temp_dir dir;
  write_file(dir / "x64.obj", header_of("\x64\x86", 20));
  write_file(dir / "short.res", std::string("\0\0\0\0\x20\0\0\0\xFF\xFF\0\0\xFF\xFF", 14));
  const std::string object = (dir / "x64.obj").string();
  const std::string resource = (dir / "short.res").string();
  EXPECT_FALSE(is_build_output(object.c_str(), "*.obj"));
  EXPECT_TRUE(is_build_output(resource.c_str(), "*.res"));
  reset.settings().modern_outputs = true;
  EXPECT_TRUE(is_build_output(object.c_str(), "*.obj"));
  EXPECT_TRUE(is_build_output(resource.c_str(), "*.res"));  // missing bytes still count as zero
  // A wrapper's fields are checked against the file's own size, past the bytes read.
  write_file(dir / "whole.o", bitcode_wrapper(40, 8) + "code");
  write_file(dir / "cut.o", bitcode_wrapper(40, 8) + "cod");
  EXPECT_TRUE(is_build_output((dir / "whole.o").string().c_str(), "*.o"));
  EXPECT_FALSE(is_build_output((dir / "cut.o").string().c_str(), "*.o"));
  const std::string missing = (dir / "missing.obj").string();
  EXPECT_EQ(judge_build_output(missing.c_str(), "*.obj"), recognition_verdict::kept);
  fs::create_directory(dir / "old.obj");
  const std::string folder = (dir / "old.obj").string();
  EXPECT_THROW(is_build_output(folder.c_str(), "*.obj"), std::runtime_error);
  EXPECT_THROW(judge_file_start("*.exe", nullptr, 0, 0, reset.settings()), std::logic_error);
  // No bytes read is no empty file: only the file's own size makes one.
  reset.settings().delete_zero_size = true;
  EXPECT_FALSE(judge_file_start("*.sbr", nullptr, 0, 0, reset.settings()));
}
}  // namespace
