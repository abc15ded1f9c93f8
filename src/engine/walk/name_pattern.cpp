#include "engine/walk/name_pattern.h"

#include "platform/text/name_case.h"

namespace {
bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where the character that starts at `at` ends: a lead byte takes the
// continuation bytes after it; a stray continuation byte is one character.
std::size_t past_character(const std::string& text, std::size_t at) {
  const bool lead = static_cast<unsigned char>(text[at]) >= 0xC0;
  ++at;
  while (lead && at < text.size() && is_continuation(text[at])) ++at;
  return at;
}
}  // namespace

// A '*' first takes nothing; on a mismatch the latest '*' takes one character
// more and the rest is tried again. Earlier stars need never grow: the later
// one can take whatever they would have.
bool name_pattern_matches(const std::string& pattern, const std::string& name) {
  std::size_t p = 0, n = 0;
  std::size_t star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n = past_character(name, n);
    } else if (p < pattern.size() && folded_case(pattern[p]) == folded_case(name[n])) {
      ++p;
      ++n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = resume = past_character(name, resume);
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}
