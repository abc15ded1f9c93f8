#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

#include "app/command_line.h"
#include "app/option_pass.h"
#include "diag/texts.h"
#include "engine/recognition/output_age.h"
#include "test_support.h"

namespace {
using namespace test_support;

const std::string strange_command_line = texts::strange_command_line;

class options_test : public ::testing::Test {
 protected:
  bool apply(const char* text) {
    stdout_capture capture;
    const bool accepted = apply_options(line, reset.settings(), text, 1);
    echoed = capture.text();
    return accepted;
  }

  temp_dir dir;
  working_directory cwd{dir.path()};
  settings_reset reset;
  command_line line;
  std::string echoed;
};

TEST_F(options_test, every_option_word_sets_its_field) {
  // One word at a time, so that two words that swapped their fields would show.
  struct word_effect {
    const char* text;
    run_settings expected;
  };
  std::vector<word_effect> cases(11);
  cases[0].text = "-del0";
  cases[0].expected.delete_zero_size = true;
  cases[1].text = "-outputlog";
  cases[1].expected.output_log = true;
  cases[2].text = "-messagebox";
  cases[2].expected.show_message_box = true;
  cases[3].text = "-gototrashbox";
  cases[3].expected.use_recycle_bin = true;
  cases[4].text = "-mingw";
  cases[4].expected.clean_mode = 2;
  cases[5].text = "-modern";
  cases[5].expected.modern_outputs = true;
  cases[6].text = "-dryrun";
  cases[6].expected.dry_run = true;
  cases[7].text = "-summary 12";
  cases[7].expected.summary = true;
  cases[8].text = "-older 007";
  cases[8].expected.older_than_days = 7;
  cases[9].text = "-skip\"third_party\" -skip .git";
  cases[9].expected.skip_names = {"third_party", ".git"};
  cases[10].text = "-older\"30\" -older\"0\"";  // the last one wins
  cases[10].expected.older_than_days = 0;
  for (const word_effect& c : cases) {
    reset.settings() = run_settings();
    ASSERT_TRUE(apply(c.text)) << c.text;
    const run_settings& s = reset.settings();
    EXPECT_EQ(s.delete_zero_size, c.expected.delete_zero_size) << c.text;
    EXPECT_EQ(s.output_log, c.expected.output_log) << c.text;
    EXPECT_EQ(s.show_message_box, c.expected.show_message_box) << c.text;
    EXPECT_EQ(s.use_recycle_bin, c.expected.use_recycle_bin) << c.text;
    EXPECT_EQ(s.clean_mode, c.expected.clean_mode) << c.text;
    EXPECT_EQ(s.modern_outputs, c.expected.modern_outputs) << c.text;
    EXPECT_EQ(s.dry_run, c.expected.dry_run) << c.text;
    EXPECT_EQ(s.summary, c.expected.summary) << c.text;
    EXPECT_EQ(s.older_than_days, c.expected.older_than_days) << c.text;
    EXPECT_EQ(s.skip_names, c.expected.skip_names) << c.text;
    EXPECT_EQ(echoed, "") << c.text;
  }
}

TEST_F(options_test, defaults_stay_for_an_empty_line_and_plain_words) {
  ASSERT_TRUE(apply(""));
  ASSERT_TRUE(apply("C:\\src plain"));
  const run_settings& s = reset.settings();
  EXPECT_EQ(s.clean_mode, 1);
  EXPECT_FALSE(s.use_recycle_bin || s.show_message_box || s.output_log || s.delete_zero_size || s.modern_outputs ||
               s.dry_run || s.summary);
  EXPECT_EQ(s.older_than_days, -1);
  EXPECT_TRUE(s.skip_names.empty());
  EXPECT_EQ(echoed, "");
}

TEST_F(options_test, last_mode_wins) {
  ASSERT_TRUE(apply("-vc -mingw"));
  EXPECT_EQ(reset.settings().clean_mode, 2);
  ASSERT_TRUE(apply("-mingw -vc"));
  EXPECT_EQ(reset.settings().clean_mode, 1);
  ASSERT_TRUE(apply("-alltrash_delete_mode"));
  EXPECT_EQ(reset.settings().clean_mode, -1);
}

TEST_F(options_test, a_value_older_or_skip_cannot_take_stops_with_two_messages_naming_it) {
  const std::pair<const char*, const char*> cases[] = {
      {"-older -outputlog", "older\"\""},
      {"-older\"+3\" -outputlog", "older\"+3\""},
      {"-older\"3x\" -outputlog", "older\"3x\""},
      {"-older\"2147483648\" -outputlog", "older\"2147483648\""},
      {"-older  3 -outputlog", "older\" 3 -outputlog\""},
      {"-skip -outputlog", "skip\"\""},
      {"-skip\"\" -outputlog", "skip\"\""},
  };
  for (const auto& [text, named] : cases) {
    reset.settings() = run_settings();
    EXPECT_FALSE(apply((std::string("-mingw ") + text).c_str())) << text;
    EXPECT_EQ(echoed, strange_command_line + "\n\nError Command Line = " + named + "\n\n");
    EXPECT_EQ(reset.settings().clean_mode, 2) << text;  // tokens before it count
    EXPECT_FALSE(reset.settings().output_log) << text;  // tokens after it are not examined
  }
}

TEST(day_count, takes_whole_numbers_of_days_up_to_the_largest_32_bit_one) {
  const std::optional<std::int32_t> none;
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"", none},  {"0", 0},      {"2147483647", 2147483647}, {"2147483648", none}, {"-1", none},
      {"3x", none}, {"+3", none}, {" 3", none},               {"3 ", none},         {"007", 7},
      {"123456789012345678901234567890", none}, {"00000000000000000000002147483647", 2147483647},
  };
  for (const auto& [text, days] : cases) EXPECT_EQ(day_count(text), days) << '"' << text << '"';
}

TEST(written_less_than_days_ago, is_exact_at_every_time_and_day_count) {
  constexpr std::int64_t low = std::numeric_limits<std::int64_t>::min(), high = -(low + 1);
  constexpr std::int64_t now = 1700000000, day = 86400, most = 2147483647;
  const std::tuple<std::int64_t, std::int64_t, std::int32_t, bool> cases[] = {
      {low, now, 1, false}, {low + 1000, now, most, false}, {low, high, most, false}, {now, now, 0, false},
      {now, now, 1, true}, {now - 1, now, 0, false}, {high, low, 0, true}, {now - day, now, 1, false},
      {now - day + 1, now, 1, true}, {now - most * day, now, most, false}, {now - most * day + 1, now, most, true}};
  for (const auto& [written, at, days, young] : cases)
    EXPECT_EQ(written_less_than_days_ago(written, at, days), young) << written << " at " << at << ", " << days;
}

TEST_F(options_test, tree_options_are_accepted_without_effect) {
  ASSERT_TRUE(apply("-current -f"));
  EXPECT_TRUE(apply("-del0 C:\\src"));
  EXPECT_TRUE(reset.settings().delete_zero_size);
  EXPECT_EQ(reset.settings().clean_mode, 1);
}

TEST_F(options_test, unknown_word_stops_with_two_messages) {
  EXPECT_FALSE(apply("-vc -bogus -outputlog"));
  EXPECT_EQ(echoed, strange_command_line + "\n\nError Command Line = bogus\n\n");
  EXPECT_FALSE(reset.settings().output_log);  // tokens after it are not examined
  EXPECT_FALSE(fs::exists(dir / "brulo_log.log"));
}

TEST_F(options_test, unknown_word_is_logged_only_after_outputlog) {
  EXPECT_FALSE(apply("-outputlog -VC"));
  EXPECT_TRUE(reset.settings().output_log);
  EXPECT_EQ(read_file(dir / "brulo_log.log"), on_disk(strange_command_line + "\nError Command Line = VC\n"));
}

TEST_F(options_test, option_names_match_whole_and_case_sensitively) {
  EXPECT_FALSE(apply("-vcx"));
  EXPECT_EQ(echoed, strange_command_line + "\n\nError Command Line = vcx\n\n");
  EXPECT_FALSE(apply("-f\tC:\\src"));
  EXPECT_EQ(echoed, strange_command_line + "\n\nError Command Line = f\tC:\\src\n\n");
}
}  // namespace
