#include <gtest/gtest.h>

#include <cstring>

#include "diag/message_output.h"
#include "diag/time_stamp.h"
#include "platform/process/local_clock.h"
#include "test_support.h"

namespace {
using namespace test_support;

class message_output_test : public ::testing::Test {
 protected:
  temp_dir dir;
  working_directory cwd{dir.path()};
  settings_reset reset;
  fs::path run_log() const { return dir / "brulo_log.log"; }
};

TEST_F(message_output_test, text_goes_to_log_and_to_stdout_with_an_empty_line) {
  reset.settings().output_log = true;
  stdout_capture capture;
  EXPECT_TRUE(output_message("abc"));
  EXPECT_EQ(capture.text(), "abc\n\n");
  EXPECT_EQ(read_file(run_log()), on_disk("abc\n"));
}

TEST_F(message_output_test, final_line_feed_is_not_doubled_and_carriage_return_kept) {
  reset.settings().output_log = true;
  stdout_capture capture;
  output_message("abc\n");
  output_message("x\r\n");
  output_message("%s", "");
  EXPECT_EQ(capture.text(), "abc\n\nx\r\n\n\n\n");
  EXPECT_EQ(read_file(run_log()), on_disk("abc\n") + "x\r" + on_disk("\n\n"));
}

TEST_F(message_output_test, percent_in_an_argument_is_not_reinterpreted) {
  reset.settings().output_log = true;
  stdout_capture capture;
  output_message("%s", "C:\\a%d%s%n\\b.obj");
  EXPECT_EQ(capture.text(), "C:\\a%d%s%n\\b.obj\n\n");
  EXPECT_EQ(read_file(run_log()), on_disk("C:\\a%d%s%n\\b.obj\n"));
}

TEST_F(message_output_test, no_log_is_created_without_output_log) {
  stdout_capture capture;
  output_message("abc");
  EXPECT_EQ(capture.text(), "abc\n\n");
  EXPECT_FALSE(fs::exists(run_log()));
}

TEST_F(message_output_test, log_is_appended_across_calls) {
  reset.settings().output_log = true;
  stdout_capture capture;
  output_message("first %d", 1);
  output_message("second %d", 2);
  EXPECT_EQ(read_file(run_log()), on_disk("first 1\nsecond 2\n"));
}

TEST_F(message_output_test, long_texts_are_cut_to_2047_bytes_ending_in_a_line_feed) {
  reset.settings().output_log = true;
  struct length_case {
    std::size_t length;
    std::string expected;
  };
  const length_case cases[] = {
      {2046, std::string(2046, 'a') + "\n"},
      {2047, std::string(2046, 'a') + "\n"},
      {5000, std::string(2046, 'a') + "\n"},
  };
  for (const auto& c : cases) {
    stdout_capture capture;
    output_message("%s", std::string(c.length, 'a').c_str());
    EXPECT_EQ(capture.text(), c.expected + "\n") << c.length;
  }
  EXPECT_EQ(read_file(run_log()), on_disk(cases[0].expected + cases[1].expected + cases[2].expected));
}

TEST_F(message_output_test, a_2047_byte_text_ending_in_a_line_feed_is_kept) {
  stdout_capture capture;
  output_message("%s", (std::string(2046, 'b') + "\n").c_str());
  EXPECT_EQ(capture.text(), std::string(2046, 'b') + "\n\n");
}

TEST_F(message_output_test, append_to_log_writes_one_prepared_text) {
  EXPECT_TRUE(append_to_log("other.log", "%s:%d", "x", 5));
  EXPECT_TRUE(append_to_log("other.log", "y\n"));
  EXPECT_EQ(read_file(dir / "other.log"), on_disk("x:5\ny\n"));
  EXPECT_FALSE(fs::exists(run_log()));
}

TEST_F(message_output_test, append_to_log_in_a_missing_directory_fails_and_creates_nothing) {
  const std::string name = join("missing", "x.log");
  EXPECT_FALSE(append_to_log(name.c_str(), "x"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(message_output_test, append_to_log_never_writes_to_a_device) {
  EXPECT_FALSE(append_to_log(native("/dev/null").string().c_str(), "x"));
}

TEST(time_stamp, has_no_leading_zeros_and_no_seconds) {
  char buffer[64] = {};
  format_time_stamp(platform::local_time{2004, 1, 1, 0, 0}, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "0:0 2004/1/1");
  format_time_stamp(platform::local_time{2003, 7, 14, 9, 5}, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "9:5 2003/7/14");
  format_time_stamp(platform::local_time{2026, 12, 31, 23, 59}, buffer, 6);
  EXPECT_STREQ(buffer, "23:59");
}

TEST(time_stamp, local_time_text_has_the_stamp_form) {
  char buffer[64] = {};
  local_time_text(buffer, sizeof buffer);
  int hour = -1, minute = -1, year = -1, month = -1, day = -1;
  ASSERT_EQ(std::sscanf(buffer, "%d:%d %d/%d/%d", &hour, &minute, &year, &month, &day), 5) << buffer;
  EXPECT_TRUE(hour >= 0 && hour < 24 && minute >= 0 && minute < 60);
  EXPECT_TRUE(year >= 2000 && month >= 1 && month <= 12 && day >= 1 && day <= 31);
}
}  // namespace
