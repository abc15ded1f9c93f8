#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/startup_args.h"

namespace {
using token_list = std::vector<std::pair<std::string, std::string>>;  // (option name, value)

// The Windows and the Linux sets of option introducers.
const char* const hyphen_or_slash = "-/";
const char* const hyphen_only = "-";

token_list split(const std::string& text, const char* introducers = hyphen_or_slash) {
  std::list<command_token> tokens;
  split_command_line(text, tokens, introducers);
  token_list result;
  for (const auto& token : tokens) result.emplace_back(token.option_name, token.value);
  return result;
}

TEST(split_command_line, empty_text_gives_no_tokens) {
  EXPECT_TRUE(split("").empty());
  EXPECT_TRUE(split(" \t\r\n ").empty());
}

TEST(split_command_line, hyphen_and_slash_both_introduce_options) {
  EXPECT_EQ(split("-outputlog /del0"), (token_list{{"outputlog", ""}, {"del0", ""}}));
}

TEST(split_command_line, option_value_runs_to_end_of_line) {
  EXPECT_EQ(split("-vc -f C:\\src"), (token_list{{"vc", ""}, {"f", "C:\\src"}}));
  EXPECT_EQ(split("-f C:\\src -vc"), (token_list{{"f", "C:\\src -vc"}}));
  EXPECT_EQ(split("-f C:\\Work Dir\\src"), (token_list{{"f", "C:\\Work Dir\\src"}}));
  EXPECT_EQ(split("-vc foo"), (token_list{{"vc", "foo"}}));
}

TEST(split_command_line, leading_and_trailing_spaces_belong_to_the_value) {
  EXPECT_EQ(split("-f  C:\\src "), (token_list{{"f", " C:\\src "}}));
}

TEST(split_command_line, quote_directly_after_name_delimits_the_value) {
  EXPECT_EQ(split("-f\"C:\\My Dir\" -outputlog"), (token_list{{"f", "C:\\My Dir"}, {"outputlog", ""}}));
  EXPECT_EQ(split("-f\"C:\\a\" -f C:\\b"), (token_list{{"f", "C:\\a"}, {"f", "C:\\b"}}));
  EXPECT_EQ(split("-f\"\""), (token_list{{"f", ""}}));
}

TEST(split_command_line, quote_after_a_space_is_not_a_delimiter) {
  EXPECT_EQ(split("-f \"C:\\My Dir\""), (token_list{{"f", ""}, {"", "C:\\My"}, {"", "Dir\""}}));
  EXPECT_EQ(split("\"C:\\My Dir\""), (token_list{{"", "\"C:\\My"}, {"", "Dir\""}}));
}

TEST(split_command_line, plain_words_are_split_at_spaces_only) {
  EXPECT_EQ(split("C:\\src"), (token_list{{"", "C:\\src"}}));
  EXPECT_EQ(split("a\tb-c/d e"), (token_list{{"", "a\tb-c/d"}, {"", "e"}}));
}

TEST(split_command_line, option_names_keep_hyphens_and_case) {
  EXPECT_EQ(split("--vc"), (token_list{{"-vc", ""}}));
  EXPECT_EQ(split("-vc-mingw"), (token_list{{"vc-mingw", ""}}));
  EXPECT_EQ(split("-VC"), (token_list{{"VC", ""}}));
}

TEST(split_command_line, lone_hyphen) {
  EXPECT_TRUE(split("-").empty());
  EXPECT_EQ(split("- x"), (token_list{{"", "x"}}));
  EXPECT_EQ(split("- "), (token_list{{"", ""}}));
}

TEST(split_command_line, tab_inside_an_option_name_belongs_to_it) {
  EXPECT_EQ(split("-f\tC:\\src"), (token_list{{"f\tC:\\src", ""}}));
  EXPECT_EQ(split("\t-vc\r\n-mingw"), (token_list{{"vc\r\n-mingw", ""}}));
}

TEST(split_command_line, a_nul_byte_ends_the_text) {
  EXPECT_EQ(split(std::string("-vc\0-mingw", 10)), (token_list{{"vc", ""}}));
  EXPECT_EQ(split(std::string("-f ab\0cd", 8)), (token_list{{"f", "ab"}}));
}

TEST(split_command_line, shift_jis_text_passes_through) {
  // "日本語" and "表" (whose second byte is 0x5C) in code page 932.
  const std::string japanese = "\x93\xFA\x96\x7B\x8C\xEA\\\x95\x5C";
  EXPECT_EQ(split("-f C:\\" + japanese + " x"), (token_list{{"f", "C:\\" + japanese + " x"}}));
  EXPECT_EQ(split(japanese), (token_list{{"", japanese}}));
}

TEST(split_command_line, slash_is_a_path_byte_when_only_hyphen_introduces) {
  EXPECT_EQ(split("-f /home/me/proj", hyphen_only), (token_list{{"f", "/home/me/proj"}}));
  EXPECT_EQ(split("-f\"/a\" -f /b", hyphen_only), (token_list{{"f", "/a"}, {"f", "/b"}}));
  EXPECT_EQ(split("/vc", hyphen_only), (token_list{{"", "/vc"}}));
  // Under the Windows rule the same text reads as an empty value and an unknown option.
  EXPECT_EQ(split("-f /home/me/proj"), (token_list{{"f", ""}, {"home/me/proj", ""}}));
}

TEST(command_line, load_replaces_text_state_and_tokens) {
  command_line line("-vc", 7);
  EXPECT_EQ(line.raw_text(), "-vc");
  EXPECT_EQ(line.show_state(), 7);
  ASSERT_EQ(line.tokens().size(), 1u);

  line.load("-outputlog -f x", 1);
  line.load("-outputlog -f x", 1);
  EXPECT_EQ(line.raw_text(), "-outputlog -f x");
  EXPECT_EQ(line.show_state(), 1);
  ASSERT_EQ(line.tokens().size(), 2u);
  EXPECT_EQ(line.tokens().front().option_name, "outputlog");
  EXPECT_EQ(line.tokens().back().value, "x");
}

TEST(startup_args, first_store_wins) {
  startup_args record;
  int first = 0;
  int second = 0;
  store_startup_args(record, &first, nullptr, "one", 1);
  store_startup_args(record, &second, &first, "two", 10);
  EXPECT_EQ(record.instance, &first);
  EXPECT_EQ(record.previous_instance, nullptr);
  EXPECT_STREQ(record.command_text, "one");
  EXPECT_EQ(record.show_state, 1);
}
}  // namespace
