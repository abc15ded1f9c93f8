#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "diag/texts.h"
#include "engine/build_output_recognition.h"
#include "engine/file_operator.h"
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

TEST_F(recognition_test, an_unopenable_file_raises_not_open) {
  const std::string missing = (dir / "missing.obj").string();
  try {
    is_build_output(missing.c_str(), "*.obj");
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), texts::file_operator_not_open);
  }
  fs::create_directory(dir / "old.obj");
  const std::string directory = (dir / "old.obj").string();
  EXPECT_THROW(is_build_output(directory.c_str(), "*.obj"), std::runtime_error);
}

TEST_F(recognition_test, missing_empty_sbr_still_falls_through_to_the_signature) {
  reset.settings().delete_zero_size = true;
  const std::string missing = (dir / "gone.sbr").string();
  EXPECT_THROW(is_build_output(missing.c_str(), "*.sbr"), std::runtime_error);
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
  write_file(dir / "five", "12345");
  std::uint32_t high = 7, low = 7;
  EXPECT_TRUE(get_file_size((dir / "five").string().c_str(), high, low));
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(low, 5u);
  high = low = 9;
  EXPECT_FALSE(get_file_size((dir / "none").string().c_str(), high, low));
  EXPECT_EQ(high, 9u);
  EXPECT_EQ(low, 9u);
}

TEST(file_operator, handle_of_a_closed_file_raises) {
  file_operator file;
  EXPECT_THROW(file.get_handle(), std::runtime_error);
  file.file_name = "no such file";
  file.open();
  EXPECT_THROW(file.get_handle(), std::runtime_error);
  file.close();
}
}  // namespace
