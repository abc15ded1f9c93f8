#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "engine/walk/name_pattern.h"
#include "platform/text/name_case.h"

namespace {
TEST(name_pattern, star_and_question_mark_are_the_only_wildcards_and_ascii_case_is_folded) {
  const std::string e_acute = "\xC3\xA9", emoji = "\xF0\x9F\x98\x80";
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"a[1]", "a[1]", true}, {"a[1]", "a1", false}, {"a;b", "a;b", true}, {"a;b", "a", false}, {"a;b", "b", false},
      {" x", " x", true}, {" x", "x", false}, {"x ", "x", false}, {"a\\b", "a\\b", true}, {"vEndor*", "Vendor_z", true},
      {"*", "", true}, {"**", "abc", true}, {"?", "", false}, {"a?c", "ac", false}, {"a?c", "abbc", false},
      {"a*b*c", "aXbYbZc", true}, {"a*b*c", "abcx", false}, {"*a*", "bbb", false}, {"??", e_acute, false},
      {"x?y", "x" + emoji + "y", true}, {"*?" + e_acute, "a" + e_acute, true}, {"\xC3\x89", e_acute, false}};
  for (const auto& [pattern, name, matches] : cases)
    EXPECT_EQ(name_pattern_matches(pattern, name), matches) << '"' << pattern << "\" \"" << name << '"';
}

// One meaning of "ignoring case" for patterns, markers, option words and
// device names: A to Z alone, never a byte of a multibyte character.
TEST(name_case, folds_a_to_z_alone) {
  const std::string folded = folded_case(std::string("AZaz@[`{\xC3\x89\xC3\xA9"));
  EXPECT_EQ(folded, "azaz@[`{\xC3\x89\xC3\xA9");
  EXPECT_TRUE(same_ignoring_case(".BruloKeep", ".brulokeep"));
  EXPECT_FALSE(same_ignoring_case(".brulokeep", ".brulokee"));
  EXPECT_FALSE(same_ignoring_case("\xC3\x89.obj", "\xC3\xA9.obj"));
  EXPECT_EQ(folded_case(L'\u00C4'), L'\u00C4');
  EXPECT_EQ(folded_case(L'Q'), L'q');
}
}  // namespace
