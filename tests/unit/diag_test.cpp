#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "diag/exception_report.h"
#include "diag/last_error_text.h"
#include "platform/text/last_error.h"
#include "platform/files/path_syntax.h"
#include "platform/text/system_message.h"
#include "test_support.h"

namespace {
using namespace test_support;

std::string system_text(std::uint32_t code) {
  std::string text;
  EXPECT_TRUE(platform::system_message_text(code, text)) << code;
  return text;
}

TEST(last_error_text, prefixes_the_system_text_unchanged) {
  // Written out, not asked of the system: the platform's own table on Linux,
  // Wine's texts for the Windows build.
  struct known_text {
    std::uint32_t code;
    const char* posix;
    const char* windows;
  };
  const known_text cases[] = {
      {2, "The system cannot find the file specified.\n", "File not found.\r\n"},
      {5, "Access is denied.\n", "Access denied.\r\n"},
      {32, "The process cannot access the file because it is being used by another process.\n",
       "Sharing violation.\r\n"},
  };
  last_error_text error;
  EXPECT_STREQ(error.text(), "");
  for (const known_text& c : cases) {
    error.update(c.code, true);
    EXPECT_EQ(error.text(), std::string("ERROR Message:") + (platform::path_separator == '/' ? c.posix : c.windows));
  }
}

TEST(last_error_text, takes_the_threads_last_error_unless_told_to_use_the_code) {
  last_error_text error;
  platform::set_last_error(5);
  error.update(2, false);
  EXPECT_EQ(error.text(), "ERROR Message:" + system_text(5));
  platform::set_last_error(5);
  error.update(32, true);
  EXPECT_EQ(error.text(), "ERROR Message:" + system_text(32));
}

TEST(last_error_text, a_code_without_system_text_gives_the_prefix_alone) {
  last_error_text error;
  error.update(0x2FFFFFFFu, true);
  EXPECT_STREQ(error.text(), "ERROR Message:");
}

class exception_report_test : public ::testing::Test {
 protected:
  std::string exception_log() const { return read_file(dir / "brulo_exception.log"); }

  temp_dir dir;
  working_directory cwd{dir.path()};
  settings_reset reset;
};

// The stamp varies; everything around it is fixed.
void expect_first_record(const std::string& log, const std::string& what, std::size_t& rest) {
  const std::string end = on_disk(":\n" + what + "\n");
  const std::size_t at = log.find(end);
  ASSERT_NE(at, std::string::npos) << log;
  int hour = -1, minute = -1, year = -1, month = -1, day = -1;
  EXPECT_EQ(std::sscanf(log.substr(0, at).c_str(), "%d:%d %d/%d/%d", &hour, &minute, &year, &month, &day), 5);
  rest = at + end.size();
}

TEST_F(exception_report_test, writes_two_records_then_echoes_exception_and_block) {
  reset.settings().output_log = true;
  stdout_capture capture;
  platform::set_last_error(2);
  EXPECT_TRUE(record_exception(reset.settings(), std::runtime_error("walk failed"), "context %d", 7));

  const std::string details = "ERROR Message:" + system_text(2);
  const std::string block = "GetLastError ID = 2\nLastError details=" + details + "\nMessage=context 7";
  std::size_t rest = 0;
  const std::string log = exception_log();
  expect_first_record(log, "walk failed", rest);
  EXPECT_EQ(log.substr(rest), on_disk(block + "\n"));
  EXPECT_EQ(capture.text(), "Exception Message = walk failed\n\n" + block + "\n\n");
  EXPECT_EQ(read_file(dir / "brulo_log.log"), on_disk("Exception Message = walk failed\n" + block + "\n"));
}

TEST_F(exception_report_test, the_code_is_saved_before_the_context_is_formatted) {
  stdout_capture capture;
  platform::set_last_error(2);
  // A wide text the narrow encoding cannot hold fails its conversion (EILSEQ
  // on Linux) while the context is formatted.
  record_exception(reset.settings(), std::runtime_error("x"), "%ls", L"\xD800");
  EXPECT_NE(exception_log().find(on_disk("GetLastError ID = 2\n")), std::string::npos) << exception_log();
}

TEST_F(exception_report_test, a_code_with_its_top_bit_set_is_written_negative) {
  stdout_capture capture;
  write_exception_report(reset.settings(), "boom", static_cast<std::int32_t>(0x80070005u), "ctx\n");
  const std::string block = "GetLastError ID = -2147024891\nLastError details=ERROR Message:";
  EXPECT_NE(exception_log().find(on_disk(block)), std::string::npos);
  EXPECT_NE(capture.text().find("\n\n" + block), std::string::npos);
  // A context that ends in a line feed gets no second one.
  EXPECT_EQ(capture.text().substr(capture.text().size() - 14), "\nMessage=ctx\n\n");
  EXPECT_FALSE(fs::exists(dir / "brulo_log.log"));
}

TEST_F(exception_report_test, two_reports_leave_two_entries_in_order) {
  stdout_capture capture;
  write_exception_report(reset.settings(), "first", 3, "a");
  write_exception_report(reset.settings(), "second", 5, "b");
  const std::string log = exception_log();
  std::size_t rest = 0;
  expect_first_record(log, "first", rest);
  const std::string second_block = on_disk("GetLastError ID = 5\nLastError details=ERROR Message:" + system_text(5) + "\nMessage=b\n");
  EXPECT_EQ(log.substr(log.size() - second_block.size()), second_block);
  EXPECT_LT(log.find("first"), log.find("second"));
  EXPECT_EQ(log.find("GetLastError ID = 3"), log.rfind("GetLastError ID = 3"));
}

TEST_F(exception_report_test, long_contexts_are_cut_to_2047_bytes) {
  stdout_capture capture;
  const std::string context(3000, 'c');
  platform::set_last_error(2);
  record_exception(reset.settings(), std::logic_error("x"), "%s", context.c_str());
  const std::string out = capture.text();
  const std::size_t block_start = out.find("GetLastError ID");
  ASSERT_NE(block_start, std::string::npos);
  // The echoed block is one prepared message: 2046 bytes and a line feed, then the empty line.
  EXPECT_EQ(out.size() - block_start, 2047u + 1u);
  EXPECT_EQ(out.substr(out.size() - 3), "c\n\n");
}
}  // namespace
