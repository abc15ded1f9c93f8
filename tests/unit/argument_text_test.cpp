#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/argument_text.h"

namespace {
std::string formed(const std::vector<std::string>& arguments) {
  const argument_text result = form_command_text(arguments);
  EXPECT_FALSE(result.refused) << result.refused_what;
  return result.text;
}

// What the refusal names, after the text formed from the arguments before it.
std::string refused(const std::vector<std::string>& arguments) {
  const argument_text result = form_command_text(arguments);
  EXPECT_TRUE(result.refused) << result.text;
  return result.text + "|" + result.refused_what;
}

TEST(form_command_text, a_lone_f_takes_the_next_argument_whatever_it_holds) {
  EXPECT_EQ(formed({"-f", "/a", "-f", "/b c", "-outputlog"}), "-f\"/a\" -f\"/b c\" -outputlog");
  EXPECT_EQ(formed({"-f", " /x\t"}), "-f\" /x\t\"");
  EXPECT_EQ(formed({"-vc", "-f"}), "-vc -f\"\"");  // last: an empty value
  EXPECT_EQ(formed({"-f", ""}), "-f\"\"");
  EXPECT_EQ(formed({"-fx", "/a"}), "-f\"x\" /a");  // not a lone -f: the next one stays a word
}

TEST(form_command_text, a_value_glued_to_f_is_the_rest_of_the_argument) {
  EXPECT_EQ(formed({"-f/abs/path"}), "-f\"/abs/path\"");
  EXPECT_EQ(formed({"-f~/a b"}), "-f\"~/a b\"");
  EXPECT_EQ(formed({"-f\n"}), "-f\"\n\"");
  // A blank or a quote after the name, or a quote anywhere: the old text form, untouched.
  EXPECT_EQ(formed({"-f /x -vc"}), "-f /x -vc");
  EXPECT_EQ(formed({"-f\t/x"}), "-f\t/x");
  EXPECT_EQ(formed({"-f\"/x\" -vc"}), "-f\"/x\" -vc");
  EXPECT_EQ(formed({"-f/x\" -vc"}), "-f/x\" -vc");
  EXPECT_EQ(formed({"-g/x"}), "-g/x");
}

TEST(form_command_text, a_double_hyphen_word_reads_as_the_one_hyphen_word) {
  EXPECT_EQ(formed({"--outputlog", "--f", "/a b", "--f/c"}), "-outputlog -f\"/a b\" -f\"/c\"");
  EXPECT_EQ(formed({"--"}), "--");
  EXPECT_EQ(formed({"---vc"}), "--vc");
  EXPECT_EQ(formed({"-current", "x"}), "-current x");
}

TEST(form_command_text, a_value_the_splitter_cannot_carry_is_refused) {
  EXPECT_EQ(refused({"-vc", "-f", "a\"b", "-f", "/ok"}), "-vc|a\"b");
  EXPECT_EQ(refused({"--f", "\""}), "|\"");
  EXPECT_EQ(refused({"-f/a", "-f", "-x"}), "-f\"/a\"|-x");
  EXPECT_EQ(refused({"-f", "-f", "/a"}), "|-f");
  EXPECT_EQ(refused({" -current", "-f-x", "-vc"}), "-current|-f-x");
  EXPECT_EQ(formed({"-f", "x-\\y"}), "-f\"x-\\y\"");
}

TEST(form_command_text, older_and_skip_take_the_next_argument_or_the_value_after_an_equals_sign) {
  EXPECT_EQ(formed({"-older", "30", "--older", "7", "-older=1", "--older=2"}),
            "-older\"30\" -older\"7\" -older\"1\" -older\"2\"");
  EXPECT_EQ(formed({"--skip", ".git", "-skip=a b", "-skip", "/x -vc"}), "-skip\".git\" -skip\"a b\" -skip\"/x -vc\"");
  EXPECT_EQ(formed({"-vc", "--older"}), "-vc -older\"\"");  // last: an empty value
  EXPECT_EQ(formed({"-older=", "-skip", " x"}), "-older\"\" -skip\" x\"");
  // Not these words: unchanged, for the option pass to judge.
  EXPECT_EQ(formed({"-older30", "-olderx=1", "-skip\"a\"", "-summary", "x"}), "-older30 -olderx=1 -skip\"a\" -summary x");
  // A value the text cannot carry is named with its option.
  EXPECT_EQ(refused({"-vc", "--older", "-5", "-f", "/t"}), "-vc|older\"-5\"");
  EXPECT_EQ(refused({"--older=-5"}), "|older\"-5\"");
  EXPECT_EQ(refused({"-f", "/t", "-skip", "a\"b"}), "-f\"/t\"|skip\"a\"b\"");
  EXPECT_EQ(refused({"--skip=--x"}), "|skip\"--x\"");
}

TEST(form_command_text, joins_with_single_spaces_and_drops_leading_blanks) {
  EXPECT_EQ(formed({}), "");
  EXPECT_EQ(formed({"", " ", "-vc"}), "-vc");
  EXPECT_EQ(formed({"\t-vc", "a  b", ""}), "-vc a  b ");
}
}  // namespace
