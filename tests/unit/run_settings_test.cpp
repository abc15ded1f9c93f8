#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/option_pass.h"
#include "test_support.h"

namespace {
using namespace test_support;

// "変なコマンドラインが入れられてます。しっかり説明書を読んでください。" in code page 932.
const std::string strange_command_line =
    "\x95\xcf\x82\xc8\x83\x52\x83\x7d\x83\x93\x83\x68\x83\x89\x83\x43\x83\x93\x82\xaa\x93\xfc\x82\xea\x82\xe7"
    "\x82\xea\x82\xc4\x82\xdc\x82\xb7\x81\x42\x82\xb5\x82\xc1\x82\xa9\x82\xe8\x90\xe0\x96\xbe\x8f\x91\x82\xf0"
    "\x93\xc7\x82\xf1\x82\xc5\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";

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
  ASSERT_TRUE(apply("-del0 -outputlog -messagebox -gototrashbox -mingw"));
  const run_settings& s = reset.settings();
  EXPECT_TRUE(s.delete_zero_size);
  EXPECT_TRUE(s.output_log);
  EXPECT_TRUE(s.show_message_box);
  EXPECT_TRUE(s.use_recycle_bin);
  EXPECT_EQ(s.clean_mode, 2);
  EXPECT_EQ(echoed, "");
}

TEST_F(options_test, defaults_stay_for_an_empty_line_and_plain_words) {
  ASSERT_TRUE(apply(""));
  ASSERT_TRUE(apply("C:\\src plain"));
  const run_settings& s = reset.settings();
  EXPECT_EQ(s.clean_mode, 1);
  EXPECT_FALSE(s.use_recycle_bin || s.show_message_box || s.output_log || s.delete_zero_size);
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
