#include "app/option_advice.h"

#include <algorithm>
#include <vector>

#include "platform/text/name_case.h"

namespace {
const char* const listed_by_help = "; brulo -h lists them all";

// What other programs call these: each leads to its option here.
struct alias {
  const char* said;
  const char* meant;
};
constexpr alias aliases[] = {{"-dry-run", "dryrun"}, {"dry-run", "dryrun"}, {"n", "dryrun"},
                             {"dry_run", "dryrun"},  {"trash", "gototrashbox"}};

// Letters added, dropped, changed, or two neighbours swapped, each one step.
std::size_t edit_steps(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

std::string nearest(const std::string& name, const char* const* words, std::size_t count) {
  const std::string typed = folded_case(name);
  for (const alias& known : aliases)
    if (typed == known.said) return known.meant;
  // A word of a few letters is near only one step away: any letter is two from "f".
  std::size_t best = typed.size() < 4 ? 2 : 3;
  std::string found;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t steps = edit_steps(typed, words[k]);
    if (steps < best) {
      best = steps;
      found = words[k];
    }
  }
  return found;
}
}  // namespace

std::string unknown_option_advice(const std::string& name, const char* const* words, std::size_t count) {
  const std::string near = nearest(name, words, count);
  return "brulo: -" + name + " is not an option" + (near.empty() ? "" : " (did you mean -" + near + "?)") +
         listed_by_help;
}

std::string bad_value_advice(const std::string& name, const std::string& value) {
  const std::string given = value.empty() ? std::string(" and got none") : ", not \"" + value + "\"";
  const char* wanted = name == "older" ? "a number of days (digits only)" : "a folder name or pattern";
  return "brulo: -" + name + " needs " + wanted + given + listed_by_help;
}
