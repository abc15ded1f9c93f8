#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "app/app_main.h"
#include "app/command_line.h"
#include "platform/files/path_syntax.h"
#include "shell/folder_picker.h"
#include "test_support.h"

namespace {
using namespace test_support;
const char sep = platform::path_separator;

TEST(append_trailing_separator, adds_one_only_where_it_fits_and_is_missing) {
  char buffer[260] = {};
  std::strcpy(buffer, "src");
  append_trailing_separator(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), std::string("src") + sep);
  append_trailing_separator(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), std::string("src") + sep);

  const std::string fits(258, 'a');
  std::strcpy(buffer, fits.c_str());
  append_trailing_separator(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), fits + sep);

  const std::string full(259, 'a');
  std::strcpy(buffer, full.c_str());
  append_trailing_separator(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), full);

  buffer[0] = '\0';
  append_trailing_separator(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), "");  // no path, no separator
}

TEST(append_trailing_separator, looks_at_the_last_byte_only) {
  // Paths are UTF-8: a name ending in a character whose Shift_JIS form ends
  // in the separator's byte (0x5C) still gets its separator.
  char buffer[16] = {};
  const std::string table = "dir\xe8\xa1\xa8";  // "dir" and the kanji for a table
  for (const std::string& text : {table, table + sep}) {
    std::strcpy(buffer, text.c_str());
    append_trailing_separator(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), table + sep);
  }
}

TEST(browse_for_folder, a_zero_size_buffer_is_refused_untouched) {
  char buffer[4] = {'x', 'y', 'z', '\0'};
  EXPECT_EQ(browse_for_folder(buffer, 0, nullptr, nullptr, 0x10, nullptr), -1);
  EXPECT_STREQ(buffer, "xyz");
}

TEST(current_directory, is_the_working_directory_without_a_trailing_separator) {
  temp_dir dir;
  working_directory cwd(dir.path());
  const std::string current = current_directory();
  EXPECT_TRUE(fs::equivalent(fs::path(current), dir.path())) << current;
  EXPECT_NE(current.back(), sep);
}

class run_test : public ::testing::Test {
 protected:
  std::int32_t run(const char* text, int show_state, instance_handle instance) {
    stdout_capture capture;
    command_line line;
    line.load(text, show_state);
    startup_args& args = process_startup_args();
    const startup_args saved = args;
    args = startup_args{instance, nullptr, text, show_state};
    const std::int32_t status = run_targets(line, instance);
    args = saved;
    echoed = capture.text();
    return status;
  }

  // An i386 COFF object: what a clean pass removes.
  void put_object(const fs::path& path) { write_file(path, std::string("\x4C\x01", 2)); }

  temp_dir dir;
  working_directory cwd{dir.path()};
  settings_reset reset;
  std::string echoed;
  int instance_marker = 0;
};

const std::regex header("//\\*{58}\n\nTime \\d{1,2}:\\d{1,2} \\d{4}/\\d{1,2}/\\d{1,2}\n\n");

TEST_F(run_test, a_null_instance_writes_nothing_and_fails) {
  put_object(dir / "a.obj");
  EXPECT_EQ(run("-current", 1, nullptr), -1);
  EXPECT_EQ(echoed, "");
  EXPECT_TRUE(fs::exists(dir / "a.obj"));
}

TEST_F(run_test, plain_words_write_the_header_and_clean_nothing) {
  put_object(dir / "a.obj");
  EXPECT_EQ(run("a.obj", 1, &instance_marker), 0);
  EXPECT_TRUE(std::regex_match(echoed, header)) << echoed;
  EXPECT_TRUE(fs::exists(dir / "a.obj"));
}

TEST_F(run_test, current_cleans_the_working_directory_and_reports_the_removal) {
  reset.settings().output_log = true;
  put_object(dir / "a.obj");
  EXPECT_EQ(run("-current -current", 1, &instance_marker), 0);
  EXPECT_FALSE(fs::exists(dir / "a.obj"));
  const std::string removed = join(current_directory(), "a.obj") + "\n\n";
  ASSERT_GT(echoed.size(), removed.size());
  EXPECT_EQ(echoed.substr(echoed.size() - removed.size()), removed);
  EXPECT_TRUE(std::regex_match(echoed.substr(0, echoed.size() - removed.size()), header)) << echoed;
}

TEST_F(run_test, an_empty_line_without_a_normal_show_state_cleans_nothing) {
  put_object(dir / "a.obj");
  EXPECT_EQ(run("", 10, &instance_marker), 0);
  EXPECT_TRUE(std::regex_match(echoed, header)) << echoed;
  EXPECT_TRUE(fs::exists(dir / "a.obj"));
}

TEST_F(run_test, trees_are_cleaned_in_command_line_order) {
  reset.settings().output_log = true;
  fs::create_directories(dir / "one");
  fs::create_directories(dir / "two");
  put_object(dir / "one" / "a.obj");
  put_object(dir / "two" / "b.obj");
  const std::string one = (dir / "one").string();
  const std::string two = (dir / "two").string();
  const std::string text = "-f\"" + two + "\" -f " + one;
  EXPECT_EQ(run(text.c_str(), 1, &instance_marker), 0);
  const std::string removals = join(two, "b.obj") + "\n\n" + join(one, "a.obj") + "\n\n";
  ASSERT_GT(echoed.size(), removals.size());
  EXPECT_EQ(echoed.substr(echoed.size() - removals.size()), removals);
}
}  // namespace
